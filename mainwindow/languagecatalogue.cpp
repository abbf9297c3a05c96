#include "mainwindow/languagecatalogue.h"

#include <QFile>
#include <QSaveFile>

namespace {

struct LanguageEntry
{
    const char *name;
    const char *code;
};

// Codes are those of the web translation service, which still knows Hebrew as
// "iw", Javanese as "jw" and Filipino as "tl".
const LanguageEntry languageTable[] = {
    {"Afrikaans", "af"},
    {"Albanian", "sq"},
    {"Amharic", "am"},
    {"Arabic", "ar"},
    {"Armenian", "hy"},
    {"Azerbaijani", "az"},
    {"Basque", "eu"},
    {"Belarusian", "be"},
    {"Bengali", "bn"},
    {"Bosnian", "bs"},
    {"Bulgarian", "bg"},
    {"Catalan", "ca"},
    {"Cebuano", "ceb"},
    {"Chichewa", "ny"},
    // Traditional Chinese needs its own code: with "zh-CN" it would come
    // back in simplified script.
    {"Chinese (Traditional)", "zh-TW"},
    {"Chinese (Simplified)", "zh-CN"},
    {"Corsican", "co"},
    {"Croatian", "hr"},
    {"Czech", "cs"},
    {"Danish", "da"},
    {"Dutch", "nl"},
    {"English", "en"},
    {"Esperanto", "eo"},
    {"Estonian", "et"},
    {"Filipino", "tl"},
    {"Finnish", "fi"},
    {"French", "fr"},
    {"Frisian", "fy"},
    {"Galician", "gl"},
    {"Georgian", "ka"},
    {"German", "de"},
    {"Greek", "el"},
    {"Gujarati", "gu"},
    {"Haitian Creole", "ht"},
    {"Hausa", "ha"},
    {"Hawaiian", "haw"},
    {"Hebrew", "iw"},
    {"Hindi", "hi"},
    {"Hmong", "hmn"},
    {"Hungarian", "hu"},
    {"Icelandic", "is"},
    {"Igbo", "ig"},
    {"Indonesian", "id"},
    {"Irish", "ga"},
    {"Italian", "it"},
    {"Japanese", "ja"},
    {"Javanese", "jw"},
    {"Kannada", "kn"},
    {"Kazakh", "kk"},
    {"Khmer", "km"},
    {"Kinyarwanda", "rw"},
    {"Korean", "ko"},
    {"Kurdish (Kurmanji)", "ku"},
    {"Kyrgyz", "ky"},
    {"Lao", "lo"},
    {"Latin", "la"},
    {"Latvian", "lv"},
    {"Lithuanian", "lt"},
    {"Luxembourgish", "lb"},
    {"Macedonian", "mk"},
    {"Malagasy", "mg"},
    {"Malay", "ms"},
    {"Malayalam", "ml"},
    {"Maltese", "mt"},
    {"Maori", "mi"},
    {"Marathi", "mr"},
    {"Mongolian", "mn"},
    {"Myanmar (Burmese)", "my"},
    {"Nepali", "ne"},
    {"Norwegian", "no"},
    {"Odia (Oriya)", "or"},
    {"Pashto", "ps"},
    {"Persian", "fa"},
    {"Polish", "pl"},
    {"Portuguese", "pt"},
    {"Punjabi", "pa"},
    {"Romanian", "ro"},
    {"Russian", "ru"},
    {"Samoan", "sm"},
    {"Scots Gaelic", "gd"},
    {"Serbian", "sr"},
    {"Sesotho", "st"},
    {"Shona", "sn"},
    {"Sindhi", "sd"},
    {"Sinhala", "si"},
    {"Slovak", "sk"},
    {"Slovenian", "sl"},
    {"Somali", "so"},
    {"Spanish", "es"},
    {"Sundanese", "su"},
    {"Swahili", "sw"},
    {"Swedish", "sv"},
    {"Tajik", "tg"},
    {"Tamil", "ta"},
    {"Tatar", "tt"},
    {"Telugu", "te"},
    {"Thai", "th"},
    {"Turkish", "tr"},
    {"Turkmen", "tk"},
    {"Ukrainian", "uk"},
    {"Urdu", "ur"},
    {"Uyghur", "ug"},
    {"Uzbek", "uz"},
    {"Vietnamese", "vi"},
    {"Welsh", "cy"},
    {"Xhosa", "xh"},
    {"Yiddish", "yi"},
    {"Yoruba", "yo"},
    {"Zulu", "zu"},
};

const char *const displayLanguageTable[LanguageCatalogue::displayLanguageCount] = {
    "English",  "Chinese", "Czech",   "French", "German", "Italian",
    "Japanese", "Polish",  "Russian", "Slovak", "Spanish"};

// Target box index of each display language, in display-language order.
const int displayLanguageTargets[LanguageCatalogue::displayLanguageCount] = {21, 15, 18, 26, 30, 44,
                                                                             45, 73, 77, 85, 88};

} // namespace

LanguageCatalogue::LanguageCatalogue()
{
    for (const char *name : displayLanguageTable)
        displayNames.append(QString::fromLatin1(name));

    sourceNames.append(QStringLiteral("Detect language"));
    sourceCodes.append(QStringLiteral("auto"));
    for (const LanguageEntry &entry : languageTable) {
        const QString name = QString::fromLatin1(entry.name);
        const QString code = QString::fromLatin1(entry.code);
        sourceNames.append(name);
        sourceCodes.append(code);
        targetNames.append(name);
        targetCodes.append(code);
    }
}

QString LanguageCatalogue::localeLanguageCode(const QString &localeName)
{
    // Only the simplified-Chinese locale keeps its country: the service tells
    // the two Chinese scripts apart by it.
    if (localeName == QLatin1String("zh_CN"))
        return QStringLiteral("zh-CN");
    return localeName.section(QLatin1Char('_'), 0, 0);
}

int LanguageCatalogue::defaultTargetIndex(const QString &localeName) const
{
    const QString code = localeLanguageCode(localeName);
    const int index = targetCodes.lastIndexOf(code);
    return index >= 0 ? index : fallbackTargetIndex;
}

int LanguageCatalogue::targetIndexOfDisplayLanguage(int index)
{
    if (index < 0 || index >= displayLanguageCount)
        return -1;
    return displayLanguageTargets[index];
}

LanguageCatalogue::Selection LanguageCatalogue::parseSelection(const QByteArray &content)
{
    int values[3] = {0, 0, 0};
    const QList<QByteArray> lines = content.split('\n');
    for (int i = 0; i < 3 && i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        // toInt yields 0 for anything that is not a whole decimal number.
        values[i] = QString::fromLatin1(line).toInt(nullptr, 10);
    }
    Selection selection;
    selection.displayLanguage = values[0];
    selection.source = values[1];
    selection.target = values[2];
    return selection;
}

QByteArray LanguageCatalogue::formatSelection(const Selection &selection)
{
    QByteArray content;
    for (int value : {selection.displayLanguage, selection.source, selection.target}) {
        content += QByteArray::number(value);
        content += "\r\n";
    }
    return content;
}

bool LanguageCatalogue::readSelectionFile(const QString &path, Selection *selection)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Only the first three lines count; whatever follows is never read.
    QByteArray content;
    for (int i = 0; i < 3 && !file.atEnd(); ++i)
        content += file.readLine();
    *selection = parseSelection(content);
    return true;
}

bool LanguageCatalogue::writeSelectionFile(const QString &path, const Selection &selection)
{
    // Written aside and renamed into place, so that a failed save never leaves
    // an empty or half-written selection behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile buffers the write and commits even when flushing that buffer
    // comes up short (a full disk, a file-size limit), which would put a
    // truncated selection in place of the old one; so flush and check first.
    const QByteArray content = formatSelection(selection);
    if (file.write(content) != content.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
