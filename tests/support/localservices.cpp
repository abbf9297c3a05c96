#include "support/localservices.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

LocalServices::~LocalServices()
{
    for (auto it = processes.rbegin(); it != processes.rend(); ++it) {
        (*it)->kill();
        (*it)->waitForFinished(5000);
    }
}

QProcess *LocalServices::run(const QString &program, const QStringList &arguments,
                             const std::function<bool()> &ready)
{
    auto *process = processes.emplace_back(std::make_unique<QProcess>()).get();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    environment.insert(QStringLiteral("HOME"), dir.path());
    process->setProcessEnvironment(environment);
    const QString log = dir.filePath(program + QStringLiteral(".log"));
    process->setStandardErrorFile(log);
    process->start(program, arguments);
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && process->waitForStarted(5000)) {
        if (ready())
            return process;
        if (process->waitForFinished(50))
            break;
    }
    QFile file(log);
    problem = program + " did not come up: " + process->errorString() + '\n' +
              (file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll().right(2000)) : "");
    return nullptr;
}

bool LocalServices::startDictd(const QStringList &dictionaries)
{
    QByteArray config = "access {\nallow 127.0.0.1\n}\n";
    for (const QString &name : dictionaries) {
        const QString base = "/usr/share/dictd/freedict-" + name;
        problem = base + ".index is missing (scripts/install-deps)";
        if (!QFile::exists(base + ".index"))
            return false;
        config += QStringLiteral("database fd-%1 {\ndata \"%2.dict.dz\"\nindex \"%2.index\"\n}\n")
                      .arg(name, base)
                      .toUtf8();
    }
    QFile file(dir.filePath(QStringLiteral("dictd.conf")));
    QTcpServer probe;
    if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size() ||
        !probe.listen(QHostAddress::LocalHost))
        return false;
    file.close();
    port = probe.serverPort();
    probe.close();
    // Run as root, dictd reads its configuration after dropping its rights,
    // and cannot write its pid file then, which it shrugs off. "nodetach"
    // keeps it in the foreground, the test's own child.
    const auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
    QFile::setPermissions(dir.path(), readable | QFile::ExeOwner | QFile::ExeOther);
    file.setPermissions(readable);
    return run(QStringLiteral("dictd"),
               {"-c", file.fileName(), "-p", QString::number(port), "--listen-to", "127.0.0.1",
                "-d", "nodetach", "--pid-file", dir.filePath("dictd.pid"), "--locale", "C.UTF-8"},
               [this] {
                   QTcpSocket socket;
                   socket.connectToHost(QHostAddress::LocalHost, port);
                   return socket.waitForConnected(200);
               });
}

bool LocalServices::startSpeech()
{
    const QString socket = dir.filePath(QStringLiteral("speechd.sock"));
    const QString pulse = dir.filePath(QStringLiteral("pulse/native"));
    // As root PulseAudio warns that it is meant for one user, and serves
    // this one: no system mode, D-Bus or shared memory needed.
    if (!run(QStringLiteral("pulseaudio"),
             {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
              "--disable-shm=yes", "-L", "module-null-sink sink_name=desk", "-L",
              "module-native-protocol-unix"},
             [&] { return QFile::exists(pulse); }) ||
        !run(QStringLiteral("speech-dispatcher"),
             {"-s", "-t", "0", "-l", "1", "-c", "unix_socket", "-S", socket, "-L", dir.path()},
             [&] { return QFile::exists(socket); }) ||
        !run(QStringLiteral("parec"),
             {"-d", "desk.monitor", "--raw", "--format=s16le", "--rate=16000", "--channels=1",
              "--latency-msec=20"},
             [] { return true; }))
        return false;
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + QFile::encodeName(socket));
    return true;
}

qint64 LocalServices::recorded()
{
    QProcess *recorder = processes.back().get();
    recorder->waitForReadyRead(20);
    sound += recorder->readAllStandardOutput();
    return sound.size() & ~qint64(1);
}

int LocalServices::peakSince(qint64 from)
{
    const qint64 end = recorded() / 2;
    const auto *samples = reinterpret_cast<const qint16 *>(sound.constData());
    int peak = 0;
    for (qint64 i = from / 2; i < end; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    return peak;
}
