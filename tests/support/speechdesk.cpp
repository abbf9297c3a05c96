#include "support/speechdesk.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>

#include <cstdlib>

SpeechDesk::~SpeechDesk()
{
    for (QProcess *process : {&recorder, &dispatcher, &pulse}) {
        process->kill();
        process->waitForFinished(5000);
    }
}

bool SpeechDesk::launch(QProcess *process, const QString &program, const QStringList &arguments,
                        const QString &readyFile)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    environment.insert(QStringLiteral("HOME"), dir.path());
    process->setProcessEnvironment(environment);
    process->setStandardOutputFile(dir.filePath(QFileInfo(program).fileName() + ".log"));
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(program, arguments);
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && process->state() != QProcess::NotRunning) {
        if (readyFile.isEmpty() || QFile::exists(readyFile))
            return true;
        process->waitForFinished(50);
    }
    QFile log(dir.filePath(QFileInfo(program).fileName() + ".log"));
    problem = program + " did not come up: " + process->errorString() + '\n' +
              (log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(2000)) : "");
    return false;
}

bool SpeechDesk::start()
{
    const QString socket = dir.filePath(QStringLiteral("speechd.sock"));
    // As root PulseAudio warns that it is meant for one user but serves this
    // one: no system mode, no D-Bus and no shared memory are needed.
    if (!launch(&pulse, QStringLiteral("pulseaudio"),
                {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                 "--disable-shm=yes", "-L", "module-null-sink sink_name=desk", "-L",
                 "module-native-protocol-unix"},
                dir.filePath(QStringLiteral("pulse/native"))) ||
        !launch(&dispatcher, QStringLiteral("speech-dispatcher"),
                {"-s", "-t", "0", "-l", "1", "-c", "unix_socket", "-S", socket, "-L", dir.path()},
                socket))
        return false;
    recorder.setProcessEnvironment(pulse.processEnvironment());
    recorder.start(QStringLiteral("parec"), {"-d", "desk.monitor", "--raw", "--format=s16le",
                                             "--rate=16000", "--channels=1", "--latency-msec=20"});
    if (!recorder.waitForStarted(5000)) {
        problem = QStringLiteral("parec: ") + recorder.errorString();
        return false;
    }
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + QFile::encodeName(socket));
    return true;
}

qint64 SpeechDesk::recorded()
{
    recorder.waitForReadyRead(20);
    sound += recorder.readAllStandardOutput();
    return sound.size() & ~qint64(1);
}

int SpeechDesk::peakSince(qint64 from)
{
    const qint64 end = recorded();
    int peak = 0;
    for (qint64 i = from & ~qint64(1); i < end; i += 2) {
        const auto sample = qint16(quint8(sound[int(i)]) | quint8(sound[int(i) + 1]) << 8);
        peak = std::max(peak, std::abs(int(sample)));
    }
    return peak;
}
