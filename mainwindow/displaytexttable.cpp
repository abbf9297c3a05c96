#include "mainwindow/displaytexttable.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace {

QString withoutLineBreaks(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

} // namespace

void DisplayTextTable::loadAtStartup(const QString &path)
{
    displayTexts.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        // The table is C-string text: nothing after a zero byte counts.
        const int zero = line.indexOf('\0');
        if (zero >= 0)
            line.truncate(zero);
        QString text = withoutLineBreaks(QString::fromUtf8(line));
        // Keep empty lines as empty, never null, strings.
        if (text.isNull())
            text = QLatin1String("");
        displayTexts.append(text);
    }
}

void DisplayTextTable::setContent(const QString &content)
{
    displayTexts.clear();
    QByteArray bytes = content.toUtf8();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    QTextStream stream(&buffer);
    stream.setCodec("UTF-8");
    while (!stream.atEnd())
        displayTexts.append(stream.readLine());
}

bool DisplayTextTable::writeFile(const QString &path, const QString &content)
{
    // The table is stored exactly as the server sent it, so no text mode: its
    // line ends stay as they came. Writing aside and renaming keeps the
    // previous table whole when the write fails.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile buffers the write and commits even when flushing that buffer
    // comes up short (a full disk, a file-size limit), which would put a
    // truncated table in place of the old one; so flush and check first.
    const QByteArray bytes = content.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString DisplayTextTable::displayText(const QString &key, const QString &fallback) const
{
    const QString marker = key + QLatin1Char('=');
    for (const QString &line : displayTexts) {
        // leftRef(-1), for a line without "=", is the whole line. Comparing a
        // reference keeps a relabel, hundreds of lookups, free of copies.
        if (line.leftRef(line.indexOf(QLatin1Char('='))) != key)
            continue;
        QString value = line;
        value.remove(marker, Qt::CaseSensitive);
        return withoutLineBreaks(value);
    }
    return fallback;
}

QString DisplayTextTable::welcomeText() const
{
    const QChar lineFeed(QLatin1Char('\n'));
    return displayText(QStringLiteral("welcome1"),
                       QStringLiteral("Welcome to Quillora - translations done faster")) +
           lineFeed + displayText(QStringLiteral("welcome2"), QString()) + lineFeed +
           displayText(QStringLiteral("welcome3"), QString()) + lineFeed +
           displayText(QStringLiteral("welcome4"), QString()) + lineFeed;
}
