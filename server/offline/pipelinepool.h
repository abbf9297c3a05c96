#ifndef PIPELINEPOOL_H
#define PIPELINEPOOL_H

#include "server/offline/apertiumpipeline.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QSet>
#include <QStringList>

// The persistent Apertium pipelines of the server. Requests for one mode share
// its pipelines in the order they came; a mode gets up to perMode pipelines
// when requests wait, and all modes together at most maxPipelines, the one
// idle longest giving way when a mode without one needs a place. Unused
// pipelines are closed after idleMs; a request that takes longer than
// timeoutMs fails and its pipeline is killed, to be started afresh when
// needed.
//
// Every new pipeline first translates a short probe within probeMs. A mode
// whose pipeline dies, hangs or cannot start on it is broken: it gets no
// pipeline any more and its requests fail at once, until reset().
class PipelinePool : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int maxPipelines = 6;
        int perMode = 2;
        int idleMs = 300000;
        int timeoutMs = 60000;
        int probeMs = 10000;
    };

    PipelinePool(const QString &modesDirectory, const Limits &limits, QObject *parent = nullptr);

    // `done` runs later, once, unless `context` dies first; a request whose
    // context dies while a pipeline works on it is finished and let go.
    void translate(const QString &mode, const QString &text, QObject *context,
                   ApertiumPipeline::Done done);

    // Starts a pipeline for a mode that has none, so that its first request
    // finds it loaded; nothing when no place is free.
    void prepare(const QString &mode);

    // `done` runs once the mode has a pipeline that passed its probe (ok),
    // or once the mode is broken, as translate() would.
    void probe(const QString &mode, QObject *context, ApertiumPipeline::Done done);

    bool isBroken(const QString &mode) const { return broken.contains(mode); }

    // The language data changed: modes are read afresh, broken ones get
    // another chance, and idle pipelines of modes that are gone are closed.
    void reset(const QStringList &installedModes);

signals:
    void modeBroken(const QString &mode);

private:
    struct Job
    {
        QString mode;
        QString text;
        QPointer<QObject> context;
        ApertiumPipeline::Done done;
        bool probeOnly;
    };

    void dispatch();
    void dispatchLater();
    ApertiumPipeline *pipelineFor(const QString &mode);
    void open(const QString &mode);
    void markBroken(const QString &mode);
    void start(ApertiumPipeline *pipeline, const Job &job);
    QList<QStringList> stagesOf(const QString &mode);

    QString modesDirectory;
    Limits limits;
    QList<ApertiumPipeline *> pipelines;
    QQueue<Job> jobs;
    QHash<QString, QList<QStringList>> stageCache;
    QSet<QString> broken;
    QSet<QString> probing;
};

#endif
