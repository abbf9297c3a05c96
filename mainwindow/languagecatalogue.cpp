#include "mainwindow/languagecatalogue.h"

#include "protocol/languagelist.h"

#include <QFile>
#include <QSaveFile>

LanguageCatalogue::LanguageCatalogue()
{
    const LanguageList &list = LanguageList::builtIn();
    for (const LanguageList::DisplayLanguage &display : list.displayLanguages())
        displayNames.append(display.name);
    for (int i = 0; i < list.languages().size(); ++i) {
        const LanguageList::Language &language = list.languages()[i];
        sourceNames.append(language.name);
        sourceCodes.append(language.code);
        if (i < list.sourceOnlyCount())
            continue;
        targetNames.append(language.name);
        targetCodes.append(language.code);
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
    const LanguageList &list = LanguageList::builtIn();
    if (index < 0 || index >= list.displayLanguages().size())
        return -1;
    return list.displayLanguages()[index].language - list.sourceOnlyCount();
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
