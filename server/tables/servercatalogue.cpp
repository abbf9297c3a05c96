#include "server/tables/servercatalogue.h"

#include <unicode/locid.h>

namespace {

// Language and script after adding likely subtags, so that "zh" meets
// "zh_Hans" and "iw" meets "he".
QString languageAndScript(const std::string &tag)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
    if (U_FAILURE(status))
        locale = icu::Locale::createCanonical(tag.c_str());
    status = U_ZERO_ERROR;
    locale.addLikelySubtags(status);
    return QString::fromLatin1(locale.getLanguage()) + QLatin1Char('_') +
           QString::fromLatin1(locale.getScript());
}

} // namespace

ServerCatalogue::ServerCatalogue(const LanguageList &languageList) : list(languageList) {}

QString ServerCatalogue::codeForTag(const QString &tag) const
{
    if (indexOfCode(tag) >= 0)
        return tag;
    const QString wanted = languageAndScript(tag.toStdString());
    for (const Language &entry : languages()) {
        if (entry.icuLocale.isEmpty())
            continue;
        QString candidate = entry.icuLocale;
        candidate.replace(QLatin1Char('_'), QLatin1Char('-'));
        if (languageAndScript(candidate.toStdString()) == wanted)
            return entry.code;
    }
    return QString();
}
