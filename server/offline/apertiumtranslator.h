#ifndef APERTIUMTRANSLATOR_H
#define APERTIUMTRANSLATOR_H

#include "server/offline/pipelinepool.h"
#include "server/offline/translatorbackend.h"

#include <QHash>
#include <QMap>
#include <QStringList>

class LanguageDetector;

// Translates offline with the installed Apertium language pairs, through
// persistent pipelines shared by all clients. A pair without an installed
// mode is reached through a third language when two modes chain up
// (French to Spanish to English); a direct mode always wins. Source "auto" is
// resolved with CLD2 first.
//
// Unknown words come back as they were written instead of being flagged with
// "*", while any "*", "#" or "@" the user typed is left alone.
class ApertiumTranslator : public TranslatorBackend
{
    Q_OBJECT

public:
    ApertiumTranslator(const ServerCatalogue &catalogue, const LanguageDetector &detector,
                       const QString &modesDirectory, const PipelinePool::Limits &limits,
                       QObject *parent = nullptr);

    // The translation modes installed in the directory ("eng-spa", "fr-es", ...).
    static QStringList installedModes(const QString &modesDirectory);

    // The Apertium data directory: $APERTIUM_DATADIR, else /usr/share/apertium.
    static QString dataDirectory();

    static QString failureText() { return QStringLiteral("The offline translation failed."); }

    void translate(const QString &source, const QString &target, const QString &text,
                   QObject *context, Done done) override;

    // One line "source -> target: mode[, mode]" per reachable pair, in
    // catalogue order.
    QStringList describeRoutes() const;

private:
    // The modes that lead from one catalogue code to another: the direct one,
    // else two through the language in between that reaches most others;
    // empty when there is no way.
    QStringList route(const QString &source, const QString &target) const;
    void runSteps(QStringList steps, const QString &text, QObject *context, const Done &done);
    bool sameLanguage(const QString &a, const QString &b) const;

    const ServerCatalogue &catalogue;
    const LanguageDetector &detector;
    PipelinePool pool;
    // source code -> target code -> mode
    QHash<QString, QMap<QString, QString>> modes;
};

#endif
