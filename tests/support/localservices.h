#ifndef LOCALSERVICES_H
#define LOCALSERVICES_H

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// The machine's own services, started by a test in a directory of its own
// and ended with it: a dictd on a free port of 127.0.0.1 serving installed
// FreeDict dictionaries ("eng-spa" is fd-eng-spa), and a sound desk of
// PulseAudio with a null sink, speech-dispatcher playing into it and parec
// recording it. Each start returns false, with the reason in error(), when a
// program or dictionary is missing or a service does not come up.
class LocalServices
{
public:
    ~LocalServices();
    bool startDictd(const QStringList &dictionaries);
    quint16 dictdPort() const { return port; }
    // Also points this process's speech clients at the desk.
    bool startSpeech();
    QString error() const { return problem; }

    // Bytes of 16 kHz mono 16-bit sound recorded so far.
    qint64 recorded();
    // The loudest sample recorded since byte `from`.
    int peakSince(qint64 from);

private:
    QProcess *run(const QString &program, const QStringList &arguments,
                  const std::function<bool()> &ready);

    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> processes;
    quint16 port = 0;
    QByteArray sound;
    QString problem;
};

#endif
