#include "server/offline/languagedetector.h"

#include "server/tables/servercatalogue.h"

#include <cld2/public/compact_lang_det.h>

LanguageDetector::LanguageDetector(const ServerCatalogue &languages) : catalogue(languages) {}

QString LanguageDetector::detect(const QString &text) const
{
    const QByteArray utf8 = text.toUtf8();
    bool reliable = false;
    const CLD2::Language language =
        CLD2::DetectLanguage(utf8.constData(), utf8.size(), true, &reliable);
    // CLD2 names English when it cannot tell (no letters, a word or two):
    // such a text is most often English, or passes through unchanged.
    return catalogue.codeForTag(QString::fromLatin1(CLD2::LanguageCode(language)));
}
