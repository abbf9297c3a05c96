#include "server/tables/displaytables.h"

#include "protocol/datafile.h"
#include "protocol/serveranswer.h"

#include <QStringList>

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace {

// Interface keys every section of the interface-text file must hold.
const QStringList interfaceKeys = {QStringLiteral("app_name1"),
                                   QStringLiteral("clear"),
                                   QStringLiteral("translate"),
                                   QStringLiteral("Help"),
                                   QStringLiteral("welcome1"),
                                   QStringLiteral("welcome2"),
                                   QStringLiteral("welcome3"),
                                   QStringLiteral("welcome4"),
                                   QStringLiteral("restore"),
                                   QStringLiteral("quit"),
                                   QStringLiteral("previous"),
                                   QStringLiteral("next"),
                                   QStringLiteral("source_text"),
                                   QStringLiteral("result_text"),
                                   QStringLiteral("source_language"),
                                   QStringLiteral("target_language"),
                                   QStringLiteral("cut_notice"),
                                   QStringLiteral("translated_web"),
                                   QStringLiteral("translated_offline"),
                                   QStringLiteral("offline_mark"),
                                   QStringLiteral("foreign_server")};

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
QString cldrName(const ServerCatalogue::Language &language, const QString &displayLocale)
{
    const icu::Locale locale(language.icuLocale.toStdString().c_str());
    icu::UnicodeString name;
    locale.getDisplayName(icu::Locale(displayLocale.toStdString().c_str()), name);
    const QString result =
        QString::fromUtf16(reinterpret_cast<const ushort *>(name.getBuffer()), name.length());
    if (result.isEmpty() || result == language.icuLocale || result == language.code)
        return language.name;
    return result;
}

} // namespace

DisplayTables DisplayTables::build(const ServerCatalogue &catalogue, QString *error)
{
    Q_INIT_RESOURCE(serverdata);
    const QString path = QStringLiteral(":/server/interfacetexts.txt");
    DisplayTables result;
    Sections sections;
    if (!readInterfaceTexts(path, &sections, error))
        return result;

    for (const LanguageList::DisplayLanguage &display :
         catalogue.languageList().displayLanguages()) {
        const auto section = sections.constFind(display.name);
        if (section == sections.constEnd()) {
            *error = QStringLiteral("%1: no section [%2]").arg(path, display.name);
            result.tables.clear();
            return result;
        }
        const auto lacking = [&](const QString &key) {
            *error = QStringLiteral("%1: [%2] lacks %3").arg(path, display.name, key);
            result.tables.clear();
            return result;
        };
        QString table;
        for (const QString &key : interfaceKeys) {
            const auto text = section->constFind(key);
            if (text == section->constEnd())
                return lacking(key);
            table += key + QLatin1Char('=') + *text + QLatin1Char('\n');
        }
        const QString displayLocale = catalogue.languages()[display.language].icuLocale;
        for (const ServerCatalogue::Language &language : catalogue.languages()) {
            // A choice without a locale ("Detect language") has no CLDR name.
            QString shown;
            if (language.icuLocale.isEmpty()) {
                const auto text = section->constFind(language.name);
                if (text == section->constEnd())
                    return lacking(language.name);
                shown = *text;
            } else {
                shown = cldrName(language, displayLocale);
            }
            table += language.name + QLatin1Char('=') + shown + QLatin1Char('\n');
        }
        result.tables.insert(display.name, ServerAnswer::tableMessage(table));
        if (result.fallback.isEmpty())
            result.fallback = result.tables.value(display.name);
    }
    return result;
}

QString DisplayTables::message(const QString &displayLanguage) const
{
    return tables.value(displayLanguage, fallback);
}
