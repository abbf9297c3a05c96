#include "server/offline/apertiumtranslator.h"

#include "server/offline/languagedetector.h"
#include "server/tables/servercatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QPair>
#include <QSet>
#include <QTimer>
#include <QVector>
#include <QtDebug>

#include <algorithm>
#include <memory>
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
                                       const PipelinePool::Limits &limits, int rescanDelayMs,
                                       QObject *parent)
    : TranslatorBackend(parent), catalogue(languages), detector(languageDetector),
      directory(modesDirectory), pool(modesDirectory, limits)
{
    readModes();
    rescanTimer.setSingleShot(true);
    rescanTimer.setInterval(rescanDelayMs);
    connect(&rescanTimer, &QTimer::timeout, this, &ApertiumTranslator::rescan);
    // Package managers unpack under temporary names and rename afterwards:
    // the modes are read once the folder has been still for a moment. The
    // folder above tells when the modes folder itself comes or goes.
    for (const QString &path : {directory, QFileInfo(directory).path()}) {
        if (QFileInfo(path).isDir())
            watcher.addPath(path);
    }
    connect(&watcher, &QFileSystemWatcher::directoryChanged, &rescanTimer,
            qOverload<>(&QTimer::start));
    connect(&pool, &PipelinePool::modeBroken, this, &TranslatorBackend::languagesChanged);
}

void ApertiumTranslator::readModes()
{
    modes.clear();
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
    for (const QString &mode : installedModes(directory)) {
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

void ApertiumTranslator::rescan()
{
    if (!watcher.directories().contains(directory) && QFileInfo(directory).isDir())
        watcher.addPath(directory);
    readModes();
    const QStringList installed = installedModes(directory);
    pool.reset(installed);
    qInfo().noquote() << "Apertium modes now:"
                      << (installed.isEmpty() ? QStringLiteral("none")
                                              : installed.join(QLatin1Char(' ')));
    emit languagesChanged();
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
    for (const bool avoidBroken : {true, false}) {
        const auto usable = [this, avoidBroken](const QString &mode) {
            return !mode.isEmpty() && !(avoidBroken && pool.isBroken(mode));
        };
        if (usable(fromSource.value(target)))
            return {fromSource.value(target)};
        // The best-connected language in between: the hub pairs of Apertium
        // are the best kept ones.
        QStringList best;
        int bestReach = 0;
        for (auto step = fromSource.constBegin(); step != fromSource.constEnd(); ++step) {
            const QMap<QString, QString> fromMiddle = modes.value(step.key());
            if (usable(step.value()) && usable(fromMiddle.value(target)) &&
                fromMiddle.size() > bestReach) {
                best = QStringList{step.value(), fromMiddle.value(target)};
                bestReach = fromMiddle.size();
            }
        }
        if (!best.isEmpty())
            return best;
    }
    return {};
}

bool ApertiumTranslator::reaches(const ServerCatalogue::Language &source,
                                 const ServerCatalogue::Language &target) const
{
    if (source.icuLocale.isEmpty() || target.icuLocale.isEmpty() ||
        sameLanguage(source.code, target.code))
        return false;
    const QStringList steps = route(source.code, target.code);
    return !steps.isEmpty() &&
           std::none_of(steps.cbegin(), steps.cend(),
                        [this](const QString &mode) { return pool.isBroken(mode); });
}

QStringList ApertiumTranslator::offlineTargets(const QString &source) const
{
    const bool anySource = source == QLatin1String("auto");
    QStringList targets;
    for (const ServerCatalogue::Language &to : catalogue.languages()) {
        for (const ServerCatalogue::Language &from : catalogue.languages()) {
            if ((anySource || from.code == source) && reaches(from, to)) {
                targets.append(to.code);
                break;
            }
        }
    }
    return targets;
}

void ApertiumTranslator::prepare(const QString &source, const QString &target)
{
    for (const QString &mode : route(source, target))
        pool.prepare(mode);
}

void ApertiumTranslator::probeModes(const std::function<void()> &finished)
{
    QSet<QString> routed;
    for (const QMap<QString, QString> &targets : qAsConst(modes)) {
        for (const QString &mode : targets)
            routed.insert(mode);
    }
    if (routed.isEmpty()) {
        QTimer::singleShot(0, this, finished);
        return;
    }
    auto left = std::make_shared<int>(routed.size());
    for (const QString &mode : qAsConst(routed)) {
        pool.probe(mode, this, [left, finished](bool, const QString &) {
            if (--*left == 0)
                finished();
        });
    }
}

QStringList ApertiumTranslator::describeRoutes() const
{
    QStringList lines;
    for (const ServerCatalogue::Language &from : catalogue.languages()) {
        for (const ServerCatalogue::Language &to : catalogue.languages()) {
            if (from.icuLocale.isEmpty() || to.icuLocale.isEmpty() ||
                sameLanguage(from.code, to.code))
                continue;
            QStringList steps = route(from.code, to.code);
            for (QString &mode : steps) {
                if (pool.isBroken(mode))
                    mode += QStringLiteral(" (broken)");
            }
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
    runRoute(from, target, text, context, done);
}

void ApertiumTranslator::runRoute(const QString &source, const QString &target, const QString &text,
                                  QObject *context, const Done &done)
{
    const QStringList steps = route(source, target);
    if (steps.isEmpty()) {
        answerLater(context, done, noOfflineTranslation(catalogue, source, target));
        return;
    }
    runSteps(steps, text, context,
             [this, steps, source, target, text, context, done](bool ok, const QString &answer) {
                 // A mode found broken on the way may leave another way.
                 if (ok)
                     done(answer);
                 else if (route(source, target) != steps)
                     runRoute(source, target, text, context, done);
                 else
                     done(failureText());
             });
}

void ApertiumTranslator::runSteps(const QStringList &steps, const QString &text, QObject *context,
                                  const ApertiumPipeline::Done &finished)
{
    pool.translate(steps.first(), text, context,
                   [this, steps, context, finished](bool ok, const QString &answer) {
                       if (!ok || steps.size() == 1)
                           finished(ok, answer);
                       else
                           runSteps(steps.mid(1), answer, context, finished);
                   });
}
