#ifndef RUNNINGSERVERPROBE_H
#define RUNNINGSERVERPROBE_H

#include <QHostAddress>

// Tells whether the program listening on a port is another quillora-server,
// by asking it for the translation limit the way a client does.
class RunningServerProbe
{
public:
    // Blocks for at most a few seconds.
    static bool isQuilloraServer(const QHostAddress &address, quint16 port);
};

#endif
