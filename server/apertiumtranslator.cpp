#include "apertiumtranslator.h"

#include "languagedetector.h"
#include "servercatalogue.h"

#include <QDir>
#include <QTimer>

#include <unicode/locid.h>

namespace {

void answerLater(QObject *context, const TranslatorBackend::Done &done, const QString &answer)
{
    QTimer::singleShot(0, context, [done, answer] { done(answer); });
}

// Apertium names most languages with ISO 639-3 codes, older pairs with the
// two-letter ones; the catalogue code itself is tried as well.
QStringList apertiumNames(const ServerCatalogue::Language &language)
{
    const icu::Locale locale(language.icuLocale.toStdString().c_str());
    QStringList names;
    for (const QString &name : {QString::fromLatin1(locale.getISO3Language()),
                                QString::fromLatin1(locale.getLanguage()), language.code}) {
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

} // namespace

ApertiumTranslator::ApertiumTranslator(const ServerCatalogue &catalogue,
                                       const LanguageDetector &detector,
                                       const QString &modesDirectory,
                                       const PipelinePool::Limits &limits, QObject *parent)
    : TranslatorBackend(parent), catalogue(catalogue), detector(detector),
      pool(modesDirectory, limits)
{
    QHash<QString, QStringList> codesByName;
    for (const ServerCatalogue::Language &language : catalogue.languages()) {
        if (language.icuLocale.isEmpty())
            continue;
        for (const QString &name : apertiumNames(language))
            codesByName[name].append(language.code);
    }
    for (const QString &mode : installedModes(modesDirectory)) {
        const QStringList sides = mode.split(QLatin1Char('-'));
        if (sides.size() != 2)
            continue;
        for (const QString &from : codesByName.value(sides[0])) {
            for (const QString &to : codesByName.value(sides[1])) {
                if (!modes[from].contains(to))
                    modes[from].insert(to, mode);
            }
        }
    }
}

QStringList ApertiumTranslator::installedModes(const QString &modesDirectory)
{
    QStringList result;
    const QStringList files =
        QDir(modesDirectory).entryList({QStringLiteral("*.mode")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        result.append(file.chopped(5));
    return result;
}

QString ApertiumTranslator::dataDirectory()
{
    const QString configured = qEnvironmentVariable("APERTIUM_DATADIR");
    return configured.isEmpty() ? QStringLiteral("/usr/share/apertium") : configured;
}

QStringList ApertiumTranslator::route(const QString &source, const QString &target) const
{
    const QMap<QString, QString> fromSource = modes.value(source);
    if (fromSource.contains(target))
        return {fromSource.value(target)};
    for (auto step = fromSource.constBegin(); step != fromSource.constEnd(); ++step) {
        const QString onward = modes.value(step.key()).value(target);
        if (!onward.isEmpty() && step.key() != target)
            return {step.value(), onward};
    }
    return {};
}

QStringList ApertiumTranslator::describeRoutes() const
{
    QStringList lines;
    for (const ServerCatalogue::Language &from : catalogue.languages()) {
        for (const ServerCatalogue::Language &to : catalogue.languages()) {
            if (from.icuLocale.isEmpty() || to.icuLocale.isEmpty() ||
                sameLanguage(from.code, to.code))
                continue;
            const QStringList steps = route(from.code, to.code);
            if (!steps.isEmpty())
                lines.append(QStringLiteral("%1 -> %2: %3")
                                 .arg(from.code, to.code, steps.join(QStringLiteral(", "))));
        }
    }
    return lines;
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
    const QStringList steps = route(from, target);
    if (steps.isEmpty()) {
        answerLater(context, done, noOfflineTranslation(catalogue, from, target));
        return;
    }
    runSteps(steps, text, context, done);
}

void ApertiumTranslator::runSteps(QStringList steps, const QString &text, QObject *context,
                                  const Done &done)
{
    const QString mode = steps.takeFirst();
    pool.translate(mode, text, context,
                   [this, steps, context, done](bool ok, const QString &answer) {
                       if (!ok)
                           done(failureText());
                       else if (steps.isEmpty())
                           done(answer);
                       else
                           runSteps(steps, answer, context, done);
                   });
}
