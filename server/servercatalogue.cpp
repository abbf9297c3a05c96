#include "servercatalogue.h"

#include "datafile.h"

#include <QStringList>

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

ServerCatalogue ServerCatalogue::fromFile(const QString &path, QString *error)
{
    ServerCatalogue catalogue;
    const bool complete = DataFile::read(
        path,
        [&catalogue](const QString &line) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() != 3 || fields[0].isEmpty() || fields[1].isEmpty())
                return QStringLiteral("expected name, code and locale");
            catalogue.entries.append({fields[0], fields[1], fields[2]});
            return QString();
        },
        error);
    if (!complete)
        catalogue.entries.clear();
    return catalogue;
}

int ServerCatalogue::indexOfCode(const QString &code) const
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].code == code)
            return i;
    }
    return -1;
}

QString ServerCatalogue::codeForTag(const QString &tag) const
{
    if (indexOfCode(tag) >= 0)
        return tag;
    const QString wanted = languageAndScript(tag.toStdString());
    for (const Language &entry : entries) {
        if (entry.icuLocale.isEmpty())
            continue;
        QString candidate = entry.icuLocale;
        candidate.replace(QLatin1Char('_'), QLatin1Char('-'));
        if (languageAndScript(candidate.toStdString()) == wanted)
            return entry.code;
    }
    return QString();
}
