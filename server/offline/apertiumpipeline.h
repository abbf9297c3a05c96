#ifndef APERTIUMPIPELINE_H
#define APERTIUMPIPELINE_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <sys/types.h>

class GroupProcess;

// One running Apertium pipeline for one translation mode, kept alive between
// requests in null-flush mode: each input ends with a NUL byte and is
// answered with one NUL-terminated output. Its stages are separate children
// in one process group, so the death of any of them is seen at once and one
// kill ends them all. It serves one request at a time.
class ApertiumPipeline : public QObject
{
    Q_OBJECT

public:
    // ok is false when the pipeline died, timed out or was stopped.
    using Done = std::function<void(bool ok, const QString &answer)>;

    ApertiumPipeline(const QString &mode, const QList<QStringList> &stages, int idleMs,
                     QObject *parent = nullptr);
    ~ApertiumPipeline() override;

    // The stages of a mode command line as apertium-wblank-mode prints it,
    // with $1, $2... taken from `positional`; empty when the line uses shell
    // syntax beyond words, single quotes and pipes.
    static QList<QStringList> stagesOf(const QString &command, const QStringList &positional);

    QString mode() const { return modeName; }
    bool isBusy() const { return bool(done); }
    bool isStopped() const { return stopped; }
    qint64 idleSince() const { return lastUsed; }

    // A request that takes longer than timeoutMs stops the pipeline.
    void run(const QString &text, int timeoutMs, Done done);

    // Kills every process of the pipeline; a request in progress is answered
    // as failed. Emits ended().
    void stop();

signals:
    // Done with a request and free for the next.
    void ready(ApertiumPipeline *pipeline);
    // Unused for the idle time.
    void idleExpired(ApertiumPipeline *pipeline);
    // Dead, timed out or stopped: it serves nothing more.
    void ended(ApertiumPipeline *pipeline);

private:
    void readAnswer();

    QString modeName;
    QList<GroupProcess *> processes;
    pid_t group = 0;
    QByteArray pending;
    Done done;
    QTimer requestTimer;
    QTimer idleTimer;
    qint64 lastUsed = 0;
    bool stopped = false;
};

#endif
