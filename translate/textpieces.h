#ifndef TEXTPIECES_H
#define TEXTPIECES_H

#include <QString>
#include <QStringList>

// Cutting text into lengths counted in UTF-16 code units without ever
// separating the two halves of a surrogate pair.
class TextPieces
{
public:
    static constexpr int webPieceLength = 1800;

    // The first `limit` units of `text`; one unit fewer when the cut would
    // fall inside a surrogate pair. A negative limit keeps the whole text.
    static QString cutToLimit(const QString &text, int limit);

    // Consecutive pieces of at most `pieceLength` units (one fewer where the
    // cut would split a pair, and at least one unit) that join back to `text`.
    // Empty text, no pieces.
    static QStringList split(const QString &text, int pieceLength = webPieceLength);

private:
    static int safeEnd(const QString &text, int end);
};

#endif
