#include "server/offline/pipelinepool.h"

#include <QDir>
#include <QProcess>
#include <QTimer>

PipelinePool::PipelinePool(const QString &modes, const Limits &bounds, QObject *parent)
    : QObject(parent), modesDirectory(modes), limits(bounds)
{
}

void PipelinePool::translate(const QString &mode, const QString &text, QObject *context,
                             ApertiumPipeline::Done done)
{
    jobs.enqueue({mode, text, context, std::move(done)});
    dispatch();
}

void PipelinePool::dispatch()
{
    for (auto job = jobs.begin(); job != jobs.end();) {
        if (!job->context) {
            job = jobs.erase(job);
            continue;
        }
        ApertiumPipeline *pipeline = pipelineFor(job->mode);
        if (!pipeline) {
            ++job;
            continue;
        }
        const Job taken = *job;
        job = jobs.erase(job);
        if (pipeline->isStopped())
            QTimer::singleShot(0, this, [taken] {
                if (taken.context)
                    taken.done(false, QString());
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
    ApertiumPipeline *oldestIdle = nullptr;
    for (ApertiumPipeline *pipeline : qAsConst(pipelines)) {
        if (pipeline->mode() == mode) {
            if (!pipeline->isBusy())
                return pipeline;
            ++sameMode;
        } else if (!pipeline->isBusy() &&
                   (!oldestIdle || pipeline->idleSince() < oldestIdle->idleSince())) {
            oldestIdle = pipeline;
        }
    }
    if (sameMode >= limits.perMode)
        return nullptr;
    if (pipelines.size() >= limits.maxPipelines) {
        if (!oldestIdle)
            return nullptr;
        oldestIdle->stop();
    }
    auto *pipeline =
        new ApertiumPipeline(mode, stagesOf(mode), limits.timeoutMs, limits.idleMs, this);
    if (pipeline->isStopped()) {
        // It could not even start; the request fails without a retry loop.
        pipeline->deleteLater();
        return pipeline;
    }
    connect(pipeline, &ApertiumPipeline::ready, this, &PipelinePool::dispatch);
    connect(pipeline, &ApertiumPipeline::idleExpired, pipeline, &ApertiumPipeline::stop);
    connect(pipeline, &ApertiumPipeline::ended, this, [this](ApertiumPipeline *ended) {
        pipelines.removeOne(ended);
        ended->deleteLater();
        dispatchLater();
    });
    pipelines.append(pipeline);
    return pipeline;
}

void PipelinePool::start(ApertiumPipeline *pipeline, const Job &job)
{
    // A client that leaves mid-request does not take the pipeline with it:
    // the answer is let go and the pipeline serves the next request.
    const QPointer<QObject> context = job.context;
    const ApertiumPipeline::Done done = job.done;
    pipeline->run(job.text, [context, done](bool ok, const QString &answer) {
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
