// Every module library compiles this so that it is never empty while being built up.
