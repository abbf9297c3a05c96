#ifndef SERVERANSWER_H
#define SERVERANSWER_H

#include <QString>

// A text the companion server sends the client: the server builds it here
// and the client reads it here, so both ends agree on every marker.
struct ServerAnswer
{
    enum class Kind
    {
        VersionMismatch,
        DisplayTable,
        Limit,
        Result
    };

    // The translation limit a client works with until the server names one,
    // and when the server names 0 or no number.
    static constexpr int defaultLimit = 50000;

    Kind kind = Kind::Result;
    // DisplayTable: the table; Result: the text to show.
    QString text;
    // Limit: the server's number; a negative one stands as it came.
    int limit = defaultLimit;

    // The client's reading, first rule that matches: the exact version text;
    // a text holding the table marker anywhere, less every such marker; one
    // holding the limit marker, likewise; anything else is a result.
    static ServerAnswer parse(const QString &message);

    static QString tableMessage(const QString &table);
    static QString limitMessage(int limit);

    // A translation as a text the client can only take for a result. Markers
    // are cut out in one pass, so one that forms only once another is gone
    // goes too; "0" (which closes the link) and the version text get a
    // trailing space. A translation too long for one frame becomes a short
    // notice.
    static QString resultMessage(const QString &translation);
};

#endif
