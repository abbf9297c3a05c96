#ifndef DISPLAYTEXTTABLE_H
#define DISPLAYTEXTTABLE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// The interface texts of the current display language: the lines of
// config.txt, each "key=value" (a line without "=" is a key alone).
class DisplayTextTable
{
public:
    // Start-up reading: every line decoded as UTF-8 with every CR and LF
    // removed, empty lines kept. A file that cannot be opened leaves the
    // table empty.
    void loadAtStartup(const QString &path);

    // A table the server sent: one entry per line, without its line end.
    void setContent(const QString &content);

    // Replaces the file with exactly these bytes, atomically: on failure the
    // previous file stays as it was.
    static bool writeFile(const QString &path, const QString &content);

    // The value of the first line whose key is `key` (case-sensitive): that
    // line with every "key=" and every CR and LF removed. `fallback` only when
    // no line has the key; an empty value stays empty.
    QString displayText(const QString &key, const QString &fallback) const;

    // The four welcome lines, each ended by a line feed.
    QString welcomeText() const;

    const QStringList &lines() const { return displayTexts; }
    void setLines(const QStringList &lines) { displayTexts = lines; }

private:
    QStringList displayTexts;
};

#endif
