#ifndef SPEECHDESK_H
#define SPEECHDESK_H

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

// A private sound desk: PulseAudio with one null sink, speech-dispatcher
// playing into it, and a recording of the sink, all in a runtime directory
// of their own. start() also points this process's speech clients at it.
class SpeechDesk
{
public:
    ~SpeechDesk();
    // False, with the reason in error(), when a program is missing or a
    // service does not come up.
    bool start();
    QString error() const { return problem; }

    // Bytes of 16 kHz mono 16-bit sound recorded so far; reads what is ready.
    qint64 recorded();
    // The loudest sample recorded since byte `from`.
    int peakSince(qint64 from);

private:
    bool launch(QProcess *process, const QString &program, const QStringList &arguments,
                const QString &readyFile);

    QTemporaryDir dir;
    QProcess pulse;
    QProcess dispatcher;
    QProcess recorder;
    QByteArray sound;
    QString problem;
};

#endif
