#include "serverprocess.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpServer>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

ServerProcess::~ServerProcess()
{
    if (server.state() != QProcess::NotRunning)
        stop();
}

bool ServerProcess::start(const QStringList &arguments, QString *error)
{
    constexpr int attempts = 5;
    QString why;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        serverPort = freePort();
        if (serverPort == 0) {
            why = QStringLiteral("no free port");
            continue;
        }
        server.setProgram(QStringLiteral(QUILLORA_SERVER_BIN));
        server.setArguments(QStringList{QStringLiteral("--port"), QString::number(serverPort),
                                        QStringLiteral("--listen"), QStringLiteral("127.0.0.1")} +
                            arguments);
        server.start();
        if (!server.waitForStarted(30000)) {
            why = server.errorString();
            continue;
        }
        QByteArray output;
        QDeadlineTimer deadline(60000);
        while (!output.contains("listening on") && server.state() == QProcess::Running &&
               !deadline.hasExpired()) {
            server.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            output += server.readAllStandardOutput();
        }
        if (output.contains("listening on"))
            return true;
        if (server.state() == QProcess::Running) {
            server.kill();
            server.waitForFinished();
        }
        errorOutput += server.readAllStandardError();
        why = QString::fromUtf8(errorOutput);
    }
    if (error)
        *error = why;
    return false;
}

bool ServerProcess::stop()
{
    if (server.state() == QProcess::NotRunning)
        return false;
    server.terminate();
    if (!server.waitForFinished(30000)) {
        server.kill();
        server.waitForFinished();
        return false;
    }
    return server.exitStatus() == QProcess::NormalExit && server.exitCode() == 0;
}

QString ServerProcess::standardError()
{
    errorOutput += server.readAllStandardError();
    return QString::fromUtf8(errorOutput);
}
