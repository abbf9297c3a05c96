#ifndef APERTIUMTRANSLATOR_H
#define APERTIUMTRANSLATOR_H

#include "translatorbackend.h"

#include <QStringList>

class LanguageDetector;

// Translates offline with the installed Apertium language pairs. Each request
// runs its own `apertium` pipeline as a child process, so a long text keeps
// only its own client waiting. Source "auto" is resolved with CLD2 first.
//
// Apertium runs with -u: unknown words come back as they were written instead
// of being flagged with "*", while any "*", "#" or "@" the user typed is left
// alone.
class ApertiumTranslator : public TranslatorBackend
{
    Q_OBJECT

public:
    static constexpr int timeoutMs = 120000;

    ApertiumTranslator(const ServerCatalogue &catalogue, const LanguageDetector &detector,
                       const QString &program, const QStringList &modes, QObject *parent = nullptr);

    // The translation modes `apertium -l` lists ("eng-spa", ...); empty when
    // the program cannot be run. Blocks, so call it before serving.
    static QStringList installedModes(const QString &program);

    void translate(const QString &source, const QString &target, const QString &text,
                   QObject *context, Done done) override;

    // The installed mode for two catalogue codes, or an empty string.
    // Apertium names most pairs with ISO 639-3 codes, older ones with the
    // two-letter codes, so both are tried.
    QString modeFor(const QString &source, const QString &target) const;

private:
    QStringList namesFor(const QString &code) const;
    bool sameLanguage(const QString &a, const QString &b) const;

    const ServerCatalogue &catalogue;
    const LanguageDetector &detector;
    QString program;
    QStringList modes;
};

#endif
