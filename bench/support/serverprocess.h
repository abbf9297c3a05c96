#ifndef SERVERPROCESS_H
#define SERVERPROCESS_H

#include <QProcess>
#include <QString>
#include <QStringList>

// The real quillora-server, started on 127.0.0.1 and a free port for one test.
// A free port is found by binding to port 0 and releasing it; should another
// process take it before the server binds, the server exits and start() tries
// again with a new port.
class ServerProcess
{
public:
    ServerProcess() = default;
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;
    // Ends a running server with SIGTERM (then SIGKILL if it lingers).
    ~ServerProcess();

    // Starts the server with these extra arguments ("--port" and "--listen"
    // are added) and waits until it says it is listening.
    bool start(const QStringList &arguments = {}, QString *error = nullptr);

    // SIGTERM, then waits; true when the server ended by itself with code 0.
    bool stop();

    quint16 port() const { return serverPort; }
    QProcess &process() { return server; }
    // Everything the server wrote to stderr so far.
    QString standardError();

private:
    QProcess server;
    quint16 serverPort = 0;
    QByteArray errorOutput;
};

#endif
