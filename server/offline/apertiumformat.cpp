#include "server/offline/apertiumformat.h"

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r') || c == QLatin1Char('~');
}

bool isStreamSymbol(QChar c)
{
    static const QString symbols = QStringLiteral("[]\\^$/@<>{}");
    return symbols.contains(c);
}

const QString sentenceEnd = QStringLiteral(".[]");

} // namespace

QByteArray ApertiumFormat::deformat(const QString &text)
{
    QString stream;
    stream.reserve(text.size() + text.size() / 8 + 8);
    bool endMarked = false;
    for (int i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (!isBlank(c)) {
            if (isStreamSymbol(c))
                stream += QLatin1Char('\\');
            if (c != QChar(0))
                stream += c;
            ++i;
            continue;
        }
        int end = i;
        while (end < text.size() && isBlank(text.at(end)))
            ++end;
        const QStringRef run = text.midRef(i, end - i);
        endMarked = end == text.size();
        // A line break ends a sentence, so that no word is moved across it.
        if (endMarked || run.contains(QLatin1Char('\n')) || run.contains(QLatin1Char('\r')))
            stream += sentenceEnd;
        if (run == QLatin1String(" "))
            stream += run;
        else
            stream += QLatin1Char('[') + run + QLatin1Char(']');
        i = end;
    }
    if (!endMarked)
        stream += sentenceEnd;
    QByteArray bytes = stream.toUtf8();
    bytes.append('\0');
    return bytes;
}

QString ApertiumFormat::reformat(const QByteArray &stream)
{
    const QString in = QString::fromUtf8(stream);
    QString text;
    text.reserve(in.size());
    for (int i = 0; i < in.size(); ++i) {
        const QChar c = in.at(i);
        if (c == QLatin1Char('\\') && i + 1 < in.size())
            text += in.at(++i);
        else if (c == QLatin1Char('.') && in.midRef(i + 1, 2) == QLatin1String("[]"))
            i += 2;
        else if (c != QLatin1Char('[') && c != QLatin1Char(']'))
            text += c;
    }
    return text;
}
