#include "dictionary/freedictentry.h"

#include <QRegularExpression>

namespace {

QStringList listed(const QString &labels)
{
    QStringList parts = labels.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString &part : parts)
        part = part.trimmed();
    return parts;
}

// Splits at the commas that stand outside "<...>", "[...]" and "(...)".
QStringList alternativesOf(const QString &line)
{
    QStringList parts;
    int depth = 0;
    int start = 0;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('<') || c == QLatin1Char('[') || c == QLatin1Char('('))
            ++depth;
        else if ((c == QLatin1Char('>') || c == QLatin1Char(']') || c == QLatin1Char(')')) &&
                 depth > 0)
            --depth;
        else if (c == QLatin1Char(',') && depth == 0) {
            parts << line.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << line.mid(start);
    return parts;
}

void addSense(FreeDictEntry *entry, const QString &line)
{
    static const QRegularExpression number(QStringLiteral(R"(^\d+\.\s*)"));
    static const QRegularExpression label(QStringLiteral(R"(\s*(?:<([^>]*)>|\[([^\]]*)\])\s*)"));
    FreeDictEntry::Sense sense;
    for (QString alternative : alternativesOf(QString(line).remove(number))) {
        auto labels = label.globalMatch(alternative);
        while (labels.hasNext()) {
            const QRegularExpressionMatch match = labels.next();
            const QStringList found = match.capturedLength(1) > 0
                                          ? listed(match.captured(1))
                                          : QStringList{match.captured(2).trimmed()};
            for (const QString &one : found) {
                if (!one.isEmpty() && !sense.labels.contains(one))
                    sense.labels << one;
            }
        }
        alternative = alternative.remove(label).trimmed();
        if (!alternative.isEmpty())
            sense.alternatives << alternative;
    }
    if (!sense.alternatives.isEmpty())
        entry->senses << sense;
}

} // namespace

FreeDictEntry FreeDictEntry::parse(const QString &text)
{
    static const QRegularExpression head(
        QStringLiteral(R"(^(.*?)(?:\s+/([^/]*)/)?(?:\s+<([^>]*)>)?\s*$)"));
    static const QRegularExpression braces(QStringLiteral("[{}]"));
    FreeDictEntry entry;
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QRegularExpressionMatch first = head.match(lines.value(0).trimmed());
    entry.headword = first.captured(1);
    entry.pronunciation = first.captured(2);
    entry.partsOfSpeech = listed(first.captured(3));
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("see:")))
            continue;
        const bool note = line.startsWith(QLatin1String("Synonym")) ||
                          line.startsWith(QLatin1String("Note:")) ||
                          line.startsWith(QLatin1Char('"'));
        if (!note)
            addSense(&entry, line);
        else if (!entry.senses.isEmpty())
            entry.senses.last().notes << QString(line).remove(braces);
    }
    return entry;
}
