#include "server/offline/pipelinepool.h"

#include <QDir>
#include <QProcess>
#include <QTimer>
#include <QtDebug>

PipelinePool::PipelinePool(const QString &modes, const Limits &bounds, QObject *parent)
    : QObject(parent), modesDirectory(modes), limits(bounds)
{
}

void PipelinePool::translate(const QString &mode, const QString &text, QObject *context,
                             ApertiumPipeline::Done done)
{
    jobs.enqueue({mode, text, context, std::move(done), false});
    dispatch();
}

void PipelinePool::probe(const QString &mode, QObject *context, ApertiumPipeline::Done done)
{
    jobs.enqueue({mode, QString(), context, std::move(done), true});
    dispatch();
}

void PipelinePool::prepare(const QString &mode)
{
    if (broken.contains(mode))
        return;
    for (const ApertiumPipeline *pipeline : qAsConst(pipelines)) {
        if (pipeline->mode() == mode)
            return;
    }
    open(mode);
}

void PipelinePool::reset(const QStringList &installedModes)
{
    stageCache.clear();
    broken.clear();
    const QList<ApertiumPipeline *> running = pipelines;
    for (ApertiumPipeline *pipeline : running) {
        if (!pipeline->isBusy() && !installedModes.contains(pipeline->mode()))
            pipeline->stop();
    }
}

void PipelinePool::dispatch()
{
    for (auto job = jobs.begin(); job != jobs.end();) {
        if (!job->context) {
            job = jobs.erase(job);
            continue;
        }
        const bool fails = broken.contains(job->mode);
        ApertiumPipeline *pipeline = fails ? nullptr : pipelineFor(job->mode);
        if (!fails && !pipeline) {
            ++job;
            continue;
        }
        const Job taken = *job;
        job = jobs.erase(job);
        if (fails || taken.probeOnly)
            QTimer::singleShot(0, this, [taken, fails] {
                if (taken.context)
                    taken.done(!fails, QString());
            });
        else
            start(pipeline, taken);
    }
}

void PipelinePool::dispatchLater()
{
    QMetaObject::invokeMethod(this, &PipelinePool::dispatch, Qt::QueuedConnection);
}

ApertiumPipeline *PipelinePool::pipelineFor(const QString &mode)
{
    int sameMode = 0;
    for (ApertiumPipeline *pipeline : qAsConst(pipelines)) {
        if (pipeline->mode() == mode) {
            if (!pipeline->isBusy())
                return pipeline;
            ++sameMode;
        }
    }
    // A new pipeline takes requests once it has answered its probe; until
    // then, a second one would only load the same data alongside.
    if (sameMode < limits.perMode && !probing.contains(mode))
        open(mode);
    return nullptr;
}

void PipelinePool::open(const QString &mode)
{
    if (pipelines.size() >= limits.maxPipelines) {
        ApertiumPipeline *oldestIdle = nullptr;
        for (ApertiumPipeline *pipeline : qAsConst(pipelines)) {
            if (!pipeline->isBusy() &&
                (!oldestIdle || pipeline->idleSince() < oldestIdle->idleSince()))
                oldestIdle = pipeline;
        }
        if (!oldestIdle)
            return;
        oldestIdle->stop();
    }
    auto *pipeline = new ApertiumPipeline(mode, stagesOf(mode), limits.idleMs, this);
    if (pipeline->isStopped()) {
        pipeline->deleteLater();
        markBroken(mode);
        return;
    }
    connect(pipeline, &ApertiumPipeline::ready, this, &PipelinePool::dispatch);
    connect(pipeline, &ApertiumPipeline::idleExpired, pipeline, &ApertiumPipeline::stop);
    connect(pipeline, &ApertiumPipeline::ended, this, [this](ApertiumPipeline *ended) {
        pipelines.removeOne(ended);
        ended->deleteLater();
        dispatchLater();
    });
    pipelines.append(pipeline);
    probing.insert(mode);
    // The probe also waits out the loading of the data, which the first real
    // request would otherwise wait for.
    pipeline->run(QStringLiteral("The first test of a new translation pipeline."), limits.probeMs,
                  [this, mode](bool ok, const QString &) {
                      probing.remove(mode);
                      if (!ok)
                          markBroken(mode);
                  });
}

void PipelinePool::markBroken(const QString &mode)
{
    qWarning().noquote() << "the Apertium mode" << mode
                         << "failed its first translation; it is left out until the language "
                            "data changes";
    broken.insert(mode);
    emit modeBroken(mode);
    dispatchLater();
}

void PipelinePool::start(ApertiumPipeline *pipeline, const Job &job)
{
    // A client that leaves mid-request does not take the pipeline with it:
    // the answer is let go and the pipeline serves the next request.
    const QPointer<QObject> context = job.context;
    const ApertiumPipeline::Done done = job.done;
    pipeline->run(job.text, limits.timeoutMs, [context, done](bool ok, const QString &answer) {
        if (context)
            done(ok, answer);
    });
}

QList<QStringList> PipelinePool::stagesOf(const QString &mode)
{
    auto cached = stageCache.constFind(mode);
    if (cached != stageCache.constEnd())
        return *cached;
    const QString file = QDir(modesDirectory).filePath(mode + QStringLiteral(".mode"));
    // -z makes every stage answer each NUL-terminated input at once; -n keeps
    // unknown words as they were written, without a "*".
    QProcess helper;
    helper.start(QStringLiteral("apertium-wblank-mode"), {QStringLiteral("-z"), file});
    QString command;
    if (helper.waitForFinished(10000) && helper.exitCode() == 0)
        command = QString::fromUtf8(helper.readAllStandardOutput()).trimmed();
    const QStringList positional{QStringLiteral("-n"), QString()};
    QList<QStringList> stages = ApertiumPipeline::stagesOf(command, positional);
    if (stages.isEmpty())
        stages = {QStringList{QStringLiteral("bash"), QStringLiteral("-c"), command,
                              QStringLiteral("bash")} +
                  positional};
    stageCache.insert(mode, stages);
    return stages;
}
