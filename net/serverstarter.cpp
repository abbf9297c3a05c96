#include "net/serverstarter.h"

#include "net/serversession.h"

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>

ServerStarter::ServerStarter(ServerSession *serverSession, QObject *parent)
    : QObject(parent), session(serverSession)
{
    redialTimer.setInterval(redialIntervalMs);
    connect(&redialTimer, &QTimer::timeout, this, [this] {
        if (session->isLinked() || --redialsLeft < 0)
            redialTimer.stop();
        else
            session->dialIfDown();
    });
    connect(session, &ServerSession::dialFailed, this, &ServerStarter::dialFailed);
}

QString ServerStarter::program()
{
    const QString name = QStringLiteral("quillora-server");
    const QString beside =
        QStandardPaths::findExecutable(name, {QCoreApplication::applicationDirPath()});
    return beside.isEmpty() ? QStandardPaths::findExecutable(name) : beside;
}

void ServerStarter::dialFailed()
{
    if (tried)
        return;
    tried = true;
    const QString host = session->host();
    if (host != QLatin1String("localhost") && !QHostAddress(host).isLoopback())
        return;
    const QString path = program();
    if (path.isEmpty())
        return;
    // Detached, its messages would only mix into wherever this client's own
    // output goes; a server started by hand or at login shows them.
    QProcess server;
    server.setProgram(path);
    server.setArguments({QStringLiteral("--port"), QString::number(session->port())});
    server.setWorkingDirectory(QDir::homePath());
    server.setStandardInputFile(QProcess::nullDevice());
    server.setStandardOutputFile(QProcess::nullDevice());
    server.setStandardErrorFile(QProcess::nullDevice());
    if (!server.startDetached())
        return;
    redialsLeft = redialAttempts;
    redialTimer.start();
}
