#ifndef LANGUAGEDETECTOR_H
#define LANGUAGEDETECTOR_H

#include <QString>

class ServerCatalogue;

// Guesses the language of a text with CLD2 and names it by a catalogue code,
// so that "auto" requests can pick an offline pair.
class LanguageDetector
{
public:
    explicit LanguageDetector(const ServerCatalogue &catalogue);

    // The catalogue code of the text's language, or an empty string when the
    // language CLD2 finds is not in the catalogue.
    QString detect(const QString &text) const;

private:
    const ServerCatalogue &catalogue;
};

#endif
