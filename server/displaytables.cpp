#include "displaytables.h"

#include "datafile.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace {

const char *const displayLocales[] = {"en", "zh_Hans", "cs", "fr", "de", "it",
                                      "ja", "pl",      "ru", "sk", "es"};

const QString detectLanguageKey = QStringLiteral("Detect language");

using Sections = QHash<QString, QHash<QString, QString>>;

bool readInterfaceTexts(const QString &path, Sections *sections, QString *error)
{
    QString current;
    return DataFile::read(
        path,
        [&](const QString &line) {
            if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
                current = line.mid(1, line.size() - 2);
                (*sections)[current];
                return QString();
            }
            const int equals = line.indexOf(QLatin1Char('='));
            if (current.isEmpty() || equals <= 0)
                return QStringLiteral("expected [section] or key=value");
            (*sections)[current].insert(line.left(equals), line.mid(equals + 1));
            return QString();
        },
        error);
}

// A CLDR name of the language in the display locale. ICU answers with the
// code itself when its data has no name, and such a code would be useless as
// a label, so the English name stands in.
QString cldrName(const ServerCatalogue::Language &language, const char *displayLocale)
{
    const icu::Locale locale(language.icuLocale.toStdString().c_str());
    icu::UnicodeString name;
    locale.getDisplayName(icu::Locale(displayLocale), name);
    const QString result =
        QString::fromUtf16(reinterpret_cast<const ushort *>(name.getBuffer()), name.length());
    if (result.isEmpty() || result == language.icuLocale || result == language.code)
        return language.name;
    return result;
}

} // namespace

const QStringList &DisplayTables::displayLanguageNames()
{
    static const QStringList names = {
        QStringLiteral("English"),  QStringLiteral("Chinese"), QStringLiteral("Czech"),
        QStringLiteral("French"),   QStringLiteral("German"),  QStringLiteral("Italian"),
        QStringLiteral("Japanese"), QStringLiteral("Polish"),  QStringLiteral("Russian"),
        QStringLiteral("Slovak"),   QStringLiteral("Spanish")};
    return names;
}

const QStringList &DisplayTables::interfaceKeys()
{
    static const QStringList keys = {
        QStringLiteral("app_name1"),       QStringLiteral("clear"),
        QStringLiteral("translate"),       QStringLiteral("Help"),
        QStringLiteral("welcome1"),        QStringLiteral("welcome2"),
        QStringLiteral("welcome3"),        QStringLiteral("welcome4"),
        QStringLiteral("restore"),         QStringLiteral("quit"),
        QStringLiteral("previous"),        QStringLiteral("next"),
        QStringLiteral("source_text"),     QStringLiteral("result_text"),
        QStringLiteral("source_language"), QStringLiteral("target_language"),
        QStringLiteral("cut_notice")};
    return keys;
}

DisplayTables DisplayTables::build(const ServerCatalogue &catalogue,
                                   const QString &interfaceTextsPath, QString *error)
{
    DisplayTables result;
    Sections sections;
    if (!readInterfaceTexts(interfaceTextsPath, &sections, error))
        return result;

    const QStringList &names = displayLanguageNames();
    for (int i = 0; i < names.size(); ++i) {
        const auto section = sections.constFind(names[i]);
        if (section == sections.constEnd()) {
            *error = QStringLiteral("%1: no section [%2]").arg(interfaceTextsPath, names[i]);
            result.tables.clear();
            return result;
        }
        QString table;
        for (const QString &key : interfaceKeys() + QStringList{detectLanguageKey}) {
            const auto text = section->constFind(key);
            if (text == section->constEnd()) {
                *error = QStringLiteral("%1: [%2] lacks %3").arg(interfaceTextsPath, names[i], key);
                result.tables.clear();
                return result;
            }
            if (key == detectLanguageKey)
                continue;
            table += key + QLatin1Char('=') + *text + QLatin1Char('\n');
        }
        for (const ServerCatalogue::Language &language : catalogue.languages()) {
            const QString shown = language.icuLocale.isEmpty()
                                      ? section->value(language.name)
                                      : cldrName(language, displayLocales[i]);
            table += language.name + QLatin1Char('=') + shown + QLatin1Char('\n');
        }
        result.tables.insert(names[i], table);
    }
    return result;
}

QString DisplayTables::table(const QString &displayLanguage) const
{
    const auto found = tables.constFind(displayLanguage);
    if (found != tables.constEnd())
        return *found;
    return tables.value(displayLanguageNames().first());
}
