#include "support/dictdserver.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

DictdServer::~DictdServer()
{
    process.kill();
    process.waitForFinished(5000);
}

bool DictdServer::start(const QStringList &dictionaries)
{
    QByteArray config = "access {\nallow 127.0.0.1\n}\n";
    for (const QString &name : dictionaries) {
        const QString base = QStringLiteral("/usr/share/dictd/freedict-") + name;
        if (!QFile::exists(base + ".index")) {
            problem = base + ".index is not installed (scripts/install-deps)";
            return false;
        }
        config += QStringLiteral("database fd-%1 {\ndata \"%2.dict.dz\"\nindex \"%2.index\"\n}\n")
                      .arg(name, base)
                      .toUtf8();
    }
    QFile file(dir.filePath(QStringLiteral("dictd.conf")));
    QTcpServer probe;
    if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size() ||
        !probe.listen(QHostAddress::LocalHost)) {
        problem = QStringLiteral("no room for the configuration or no free port");
        return false;
    }
    file.close();
    // Run as root, dictd reads its configuration after dropping its rights.
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
    QFile::setPermissions(dir.path(), readable | QFile::ExeOwner | QFile::ExeOther);
    file.setPermissions(readable);
    listening = probe.serverPort();
    probe.close();
    // "nodetach" keeps it in the foreground, logging to standard error. Run
    // as root, it drops its rights and then cannot write its pid file into
    // the test's directory, which it shrugs off: no system directory needed.
    process.setStandardErrorFile(dir.filePath(QStringLiteral("dictd.log")));
    process.start(QStringLiteral("dictd"),
                  {"-c", file.fileName(), "-p", QString::number(listening), "--listen-to",
                   "127.0.0.1", "-d", "nodetach", "--pid-file", dir.filePath("dictd.pid"),
                   "--locale", "C.UTF-8"});
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process.state() != QProcess::NotRunning) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, listening);
        if (socket.waitForConnected(200))
            return true;
        process.waitForFinished(50);
    }
    QFile log(dir.filePath(QStringLiteral("dictd.log")));
    problem = QStringLiteral("dictd did not come up: ") + process.errorString() +
              (log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString());
    return false;
}
