#ifndef APERTIUMTRANSLATOR_H
#define APERTIUMTRANSLATOR_H

#include "server/offline/pipelinepool.h"
#include "server/offline/translatorbackend.h"
#include "server/tables/servercatalogue.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QMap>
#include <QStringList>
#include <QTimer>

#include <functional>

class LanguageDetector;

// Translates offline with the installed Apertium language pairs, through
// persistent pipelines shared by all clients. A pair without an installed
// mode is reached through a third language when two modes chain up
// (French to Spanish to English); a direct mode always wins. Source "auto" is
// resolved with CLD2 first.
//
// Unknown words come back as they were written instead of being flagged with
// "*", while any "*", "#" or "@" the user typed is left alone.
//
// The modes folder is watched: pairs installed or removed while the server
// runs are routed rescanDelayMs after the last change, and a mode that fails
// its probe (see PipelinePool) is routed around where another way exists.
class ApertiumTranslator : public TranslatorBackend
{
    Q_OBJECT

public:
    ApertiumTranslator(const ServerCatalogue &catalogue, const LanguageDetector &detector,
                       const QString &modesDirectory, const PipelinePool::Limits &limits,
                       int rescanDelayMs, QObject *parent = nullptr);

    // The translation modes installed in the directory ("eng-spa", "fr-es", ...).
    static QStringList installedModes(const QString &modesDirectory);

    // The Apertium data directory: $APERTIUM_DATADIR, else /usr/share/apertium.
    static QString dataDirectory();

    static QString failureText() { return QStringLiteral("The offline translation failed."); }

    void translate(const QString &source, const QString &target, const QString &text,
                   QObject *context, Done done) override;
    QStringList offlineTargets(const QString &source) const override;
    void prepare(const QString &source, const QString &target) override;

    // Runs every routed mode's probe; `finished` runs once all are known.
    void probeModes(const std::function<void()> &finished);

    // One line "source -> target: mode[, mode]" per reachable pair, in
    // catalogue order, a broken mode followed by " (broken)".
    QStringList describeRoutes() const;

private:
    // The modes that lead from one catalogue code to another: the direct one,
    // else two through the language in between that reaches most others;
    // empty when there is no way. A way through a broken mode is given only
    // when there is no other.
    QStringList route(const QString &source, const QString &target) const;
    // Whether the target is a language of its own that a way without a
    // broken mode leads to.
    bool reaches(const ServerCatalogue::Language &source,
                 const ServerCatalogue::Language &target) const;
    void readModes();
    void rescan();
    void runRoute(const QString &source, const QString &target, const QString &text,
                  QObject *context, const Done &done);
    void runSteps(const QStringList &steps, const QString &text, QObject *context,
                  const ApertiumPipeline::Done &finished);
    bool sameLanguage(const QString &a, const QString &b) const;

    const ServerCatalogue &catalogue;
    const LanguageDetector &detector;
    const QString directory;
    PipelinePool pool;
    // source code -> target code -> mode
    QHash<QString, QMap<QString, QString>> modes;
    QFileSystemWatcher watcher;
    QTimer rescanTimer;
};

#endif
