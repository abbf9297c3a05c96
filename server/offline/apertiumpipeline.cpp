#include "server/offline/apertiumpipeline.h"

#include "server/offline/apertiumformat.h"
#include "server/offline/groupprocess.h"

#include <QDateTime>
#include <QProcessEnvironment>

ApertiumPipeline::ApertiumPipeline(const QString &mode, const QList<QStringList> &stages,
                                   int idleMs, QObject *parent)
    : QObject(parent), modeName(mode), lastUsed(QDateTime::currentMSecsSinceEpoch())
{
    requestTimer.setSingleShot(true);
    connect(&requestTimer, &QTimer::timeout, this, &ApertiumPipeline::stop);
    idleTimer.setSingleShot(true);
    idleTimer.setInterval(idleMs);
    connect(&idleTimer, &QTimer::timeout, this, [this] { emit idleExpired(this); });

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const QStringList &stage : stages) {
        auto *process = new GroupProcess(this);
        process->setProgram(stage.first());
        process->setArguments(stage.mid(1));
        process->setProcessEnvironment(environment);
        process->setStandardErrorFile(QProcess::nullDevice());
        if (!processes.isEmpty())
            processes.last()->setStandardOutputProcess(process);
        connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
                &ApertiumPipeline::stop);
        connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                stop();
        });
        processes.append(process);
    }
    connect(processes.last(), &QProcess::readyReadStandardOutput, this,
            &ApertiumPipeline::readAnswer);
    for (GroupProcess *process : qAsConst(processes)) {
        group = process->startInGroup(group);
        if (stopped)
            return;
    }
    idleTimer.start();
}

ApertiumPipeline::~ApertiumPipeline()
{
    // The processes die with their QProcess objects after this body; their
    // last signals must not reach a half-destroyed pipeline.
    for (GroupProcess *process : qAsConst(processes))
        process->disconnect(this);
    GroupProcess::killGroup(group);
    // Killed processes end at once; reaping them here spares QProcess its
    // warning about being destroyed with a running child.
    for (GroupProcess *process : qAsConst(processes))
        process->waitForFinished(1000);
}

QList<QStringList> ApertiumPipeline::stagesOf(const QString &command, const QStringList &positional)
{
    static const QString shellSyntax = QStringLiteral("\"\\$&;<>()`*?#=");
    QList<QStringList> stages{{}};
    QString word;
    bool inWord = false;
    const auto endWord = [&] {
        if (inWord)
            stages.last().append(word);
        word.clear();
        inWord = false;
    };
    for (int i = 0; i < command.size(); ++i) {
        const QChar c = command.at(i);
        if (c == QLatin1Char('\'')) {
            const int close = command.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0)
                return {};
            word += command.midRef(i + 1, close - i - 1);
            inWord = true;
            i = close;
        } else if (c.isSpace()) {
            endWord();
        } else if (c == QLatin1Char('|')) {
            endWord();
            if (stages.last().isEmpty())
                return {};
            stages.append(QStringList());
        } else if (c == QLatin1Char('$') && i + 1 < command.size() && command.at(i + 1).isDigit()) {
            const QString value = positional.value(command.at(++i).digitValue() - 1);
            if (!value.isEmpty()) {
                word += value;
                inWord = true;
            }
        } else if (shellSyntax.contains(c)) {
            return {};
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    if (stages.last().isEmpty())
        return {};
    return stages;
}

void ApertiumPipeline::run(const QString &text, int timeoutMs, Done whenDone)
{
    idleTimer.stop();
    done = std::move(whenDone);
    requestTimer.start(timeoutMs);
    processes.first()->write(ApertiumFormat::deformat(text));
}

void ApertiumPipeline::stop()
{
    if (stopped)
        return;
    stopped = true;
    GroupProcess::killGroup(group);
    requestTimer.stop();
    idleTimer.stop();
    const Done failed = std::move(done);
    done = nullptr;
    emit ended(this);
    if (failed)
        failed(false, QString());
}

void ApertiumPipeline::readAnswer()
{
    pending += processes.last()->readAllStandardOutput();
    const int end = pending.indexOf('\0');
    if (end < 0 || !done || stopped)
        return;
    // Every input carries at least an end of sentence; an empty answer is
    // what the stages after a dead one flush as their input closes.
    if (end == 0) {
        stop();
        return;
    }
    const QString answer = ApertiumFormat::reformat(pending.left(end));
    pending.remove(0, end + 1);
    requestTimer.stop();
    lastUsed = QDateTime::currentMSecsSinceEpoch();
    idleTimer.start();
    const Done finished = std::move(done);
    done = nullptr;
    finished(true, answer);
    emit ready(this);
}
