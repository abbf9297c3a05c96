#ifndef PORTOWNER_H
#define PORTOWNER_H

#include <QHostAddress>

// Whose program listens on a TCP port of this machine, where the system can
// tell: Linux shows the owner of every socket in /proc/net/tcp and tcp6.
class PortOwner
{
public:
    enum class Verdict
    {
        ThisUser,
        // Another user's, or a listener the tables do not show at all, which
        // nobody can vouch for either.
        OtherUser,
        // The system keeps no such tables.
        Unknown
    };

    // The owner of every listener that may take a connection to
    // address:port: one bound to that very address or to any address.
    static Verdict of(const QHostAddress &address, quint16 port);
};

#endif
