#include "server/offline/apertiumtranslator.h"

#include "server/offline/languagedetector.h"
#include "server/tables/servercatalogue.h"

#include <QDir>
#include <QPair>
#include <QTimer>
#include <QVector>

#include <unicode/locid.h>

namespace {

void answerLater(QObject *context, const TranslatorBackend::Done &done, const QString &answer)
{
    QTimer::singleShot(0, context, [done, answer] { done(answer); });
}

// Apertium names most languages with ISO 639-3 codes, older pairs with the
// two-letter ones; the catalogue code itself is tried as well. A few
// languages go by a variety of a wider language, with the variety after an
// underscore. Earlier names are preferred when several modes fit.
QStringList apertiumNames(const ServerCatalogue::Language &language)
{
    static const QHash<QString, QStringList> varieties{
        {QStringLiteral("no"), {QStringLiteral("nob")}},
        {QStringLiteral("ms"), {QStringLiteral("zlm")}},
        {QStringLiteral("hr"), {QStringLiteral("hbs_HR"), QStringLiteral("hbs")}},
        {QStringLiteral("sr"), {QStringLiteral("hbs_SR"), QStringLiteral("hbs")}},
        {QStringLiteral("bs"), {QStringLiteral("hbs_BS"), QStringLiteral("hbs")}}};
    const icu::Locale locale(language.icuLocale.toStdString().c_str());
    const QString twoLetter = QString::fromLatin1(locale.getLanguage());
    QStringList names;
    for (const QString &name :
         QStringList{QString::fromLatin1(locale.getISO3Language()), twoLetter, language.code} +
             varieties.value(twoLetter)) {
        if (!name.isEmpty() && !names.contains(name))
            names.append(name);
    }
    return names;
}

} // namespace

ApertiumTranslator::ApertiumTranslator(const ServerCatalogue &languages,
                                       const LanguageDetector &languageDetector,
                                       const QString &modesDirectory,
                                       const PipelinePool::Limits &limits, QObject *parent)
    : TranslatorBackend(parent), catalogue(languages), detector(languageDetector),
      pool(modesDirectory, limits)
{
    // An Apertium name -> the catalogue codes it stands for, with how far
    // down each code's list of names it comes.
    QHash<QString, QVector<QPair<QString, int>>> codesByName;
    for (const ServerCatalogue::Language &language : catalogue.languages()) {
        if (language.icuLocale.isEmpty())
            continue;
        const QStringList names = apertiumNames(language);
        for (int rank = 0; rank < names.size(); ++rank)
            codesByName[names[rank]].append({language.code, rank});
    }
    QHash<QString, QHash<QString, int>> ranks;
    for (const QString &mode : installedModes(modesDirectory)) {
        const QStringList sides = mode.split(QLatin1Char('-'));
        if (sides.size() != 2)
            continue;
        for (const auto &from : codesByName.value(sides[0])) {
            for (const auto &to : codesByName.value(sides[1])) {
                const int rank = from.second + to.second;
                if (!modes[from.first].contains(to.first) || rank < ranks[from.first][to.first]) {
                    modes[from.first].insert(to.first, mode);
                    ranks[from.first][to.first] = rank;
                }
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
    // The best-connected language in between: the hub pairs of Apertium are
    // the best kept ones.
    QStringList best;
    int bestReach = 0;
    for (auto step = fromSource.constBegin(); step != fromSource.constEnd(); ++step) {
        const QMap<QString, QString> fromMiddle = modes.value(step.key());
        if (fromMiddle.contains(target) && fromMiddle.size() > bestReach) {
            best = QStringList{step.value(), fromMiddle.value(target)};
            bestReach = fromMiddle.size();
        }
    }
    return best;
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
