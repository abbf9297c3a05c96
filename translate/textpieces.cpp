#include "translate/textpieces.h"

int TextPieces::safeEnd(const QString &text, int end)
{
    if (end > 0 && end < text.size() && text.at(end - 1).isHighSurrogate() &&
        text.at(end).isLowSurrogate())
        return end - 1;
    return end;
}

QString TextPieces::cutToLimit(const QString &text, int limit)
{
    if (limit < 0 || limit >= text.size())
        return text;
    return text.left(safeEnd(text, limit));
}

QStringList TextPieces::split(const QString &text, int pieceLength)
{
    QStringList pieces;
    const int step = qMax(pieceLength, 1);
    int start = 0;
    while (start < text.size()) {
        int end = safeEnd(text, start + qMin(step, text.size() - start));
        // A piece length of one unit cannot hold a pair; keep the pair whole
        // rather than loop for ever.
        if (end == start)
            end = start + 2;
        pieces.append(text.mid(start, end - start));
        start = end;
    }
    return pieces;
}
