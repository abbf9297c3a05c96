#ifndef LOCALSERVERNAME_H
#define LOCALSERVERNAME_H

#include <QString>

// Where a user's companion server listens besides its TCP port: a local
// socket in a folder that only this user may enter, so that whatever answers
// there is the user's own server. Client and server find it the same way.
class LocalServerName
{
public:
    // The socket of the server for a TCP port; empty when this user has no
    // private folder to put it in.
    static QString forPort(quint16 port);

private:
    // The session's runtime folder when it is private, else a folder in the
    // user's cache, created on demand; empty when neither can be had.
    static QString privateFolder();

    // A real folder, not a link, owned by this user and closed to all others.
    static bool isPrivate(const QString &path);
};

#endif
