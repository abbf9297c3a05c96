#include "apertiumtranslator.h"

#include "languagedetector.h"
#include "servercatalogue.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <memory>
#include <unicode/locid.h>

namespace {

void answerLater(QObject *context, const TranslatorBackend::Done &done, const QString &answer)
{
    QTimer::singleShot(0, context, [done, answer] { done(answer); });
}

} // namespace

ApertiumTranslator::ApertiumTranslator(const ServerCatalogue &catalogue,
                                       const LanguageDetector &detector, const QString &program,
                                       const QStringList &modes, QObject *parent)
    : TranslatorBackend(parent), catalogue(catalogue), detector(detector), program(program),
      modes(modes)
{
}

QStringList ApertiumTranslator::installedModes(const QString &program)
{
    QProcess process;
    process.start(program, {QStringLiteral("-l")});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    QStringList result;
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QString mode = line.trimmed();
        if (!mode.isEmpty())
            result.append(mode);
    }
    return result;
}

QStringList ApertiumTranslator::namesFor(const QString &code) const
{
    const int index = catalogue.indexOfCode(code);
    if (index < 0)
        return {code};
    const icu::Locale locale(catalogue.languages()[index].icuLocale.toStdString().c_str());
    QStringList names;
    for (const QString &name : {QString::fromLatin1(locale.getISO3Language()),
                                QString::fromLatin1(locale.getLanguage()), code}) {
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

QString ApertiumTranslator::modeFor(const QString &source, const QString &target) const
{
    for (const QString &from : namesFor(source)) {
        for (const QString &to : namesFor(target)) {
            const QString mode = from + QLatin1Char('-') + to;
            if (modes.contains(mode))
                return mode;
        }
    }
    return QString();
}

bool ApertiumTranslator::sameLanguage(const QString &a, const QString &b) const
{
    if (a == b)
        return true;
    const int indexA = catalogue.indexOfCode(a);
    const int indexB = catalogue.indexOfCode(b);
    return indexA >= 0 && indexB >= 0 &&
           catalogue.languages()[indexA].icuLocale == catalogue.languages()[indexB].icuLocale;
}

void ApertiumTranslator::translate(const QString &source, const QString &target,
                                   const QString &text, QObject *context, Done done)
{
    QString from = source;
    if (from == QLatin1String("auto")) {
        from = detector.detect(text);
        if (from.isEmpty()) {
            answerLater(context, done,
                        QStringLiteral("No offline translation is available: the language of "
                                       "the text could not be recognised."));
            return;
        }
    }
    if (sameLanguage(from, target)) {
        answerLater(context, done, text);
        return;
    }
    const QString mode = modeFor(from, target);
    if (mode.isEmpty()) {
        answerLater(context, done, noOfflineTranslation(catalogue, from, target));
        return;
    }

    auto *process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(
        {QStringLiteral("-u"), QStringLiteral("-f"), QStringLiteral("txt"), mode});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process->setProcessEnvironment(environment);

    auto timedOut = std::make_shared<bool>(false);
    auto *timer = new QTimer(process);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, process, [process, timedOut] {
        *timedOut = true;
        process->kill();
    });

    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), context,
            [process, timedOut, done](int exitCode, QProcess::ExitStatus status) {
                if (*timedOut)
                    done(QStringLiteral("The offline translation took too long and was stopped."));
                else if (status != QProcess::NormalExit || exitCode != 0)
                    done(QStringLiteral("The offline translation failed."));
                else
                    done(QString::fromUtf8(process->readAllStandardOutput()));
            });
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), process,
            &QObject::deleteLater);
    connect(process, &QProcess::errorOccurred, context, [done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            done(QStringLiteral("The offline translation could not be started."));
    });
    connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    connect(context, &QObject::destroyed, process, [process] { process->kill(); });

    process->start();
    process->write(text.toUtf8());
    process->closeWriteChannel();
    timer->start(timeoutMs);
}
