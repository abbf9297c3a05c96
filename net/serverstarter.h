#ifndef SERVERSTARTER_H
#define SERVERSTARTER_H

#include <QObject>
#include <QString>
#include <QTimer>

class ServerSession;

// Starts the companion server for the user when a dial finds none at its
// address (refused, unreachable), so that a freshly installed client
// translates offline before the next login would have started the server:
// the quillora-server beside the client, or else the one on the search path,
// detached, so that it outlives this client and serves the next ones too. At
// most once per run, and only for an address on this machine. A server that
// finds its port taken by another quillora-server steps aside by itself, so
// a race with the login's own start never leaves two.
class ServerStarter : public QObject
{
    Q_OBJECT

public:
    static constexpr int redialIntervalMs = 200;
    // Long enough for a server on a busy machine to build its tables.
    static constexpr int redialAttempts = 50;

    explicit ServerStarter(ServerSession *session, QObject *parent = nullptr);

    // The program to start; empty when none is installed.
    static QString program();

private:
    void dialFailed();

    ServerSession *session;
    bool tried = false;
    int redialsLeft = 0;
    QTimer redialTimer;
};

#endif
