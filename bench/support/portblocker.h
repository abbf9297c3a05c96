#ifndef PORTBLOCKER_H
#define PORTBLOCKER_H

#include <QtGlobal>

// Holds a TCP port on the loopback addresses (127.0.0.1 and, where the system
// has it, ::1) bound but not listening, for as long as the object lives. A
// connection attempt to the port is then refused at once, and no other
// program can start listening there meanwhile. Port 0 lets the system pick a
// free port, which gives a test an address that is certain to refuse.
class PortBlocker
{
public:
    explicit PortBlocker(quint16 port = 0);
    ~PortBlocker();
    PortBlocker(const PortBlocker &) = delete;
    PortBlocker &operator=(const PortBlocker &) = delete;

    // False when the port is taken (something may be listening there).
    bool isActive() const { return active; }
    quint16 port() const { return boundPort; }

private:
    bool bindBoth(quint16 port);
    void closeAll();

    int ipv4Socket = -1;
    int ipv6Socket = -1;
    quint16 boundPort = 0;
    bool active = false;
};

#endif
