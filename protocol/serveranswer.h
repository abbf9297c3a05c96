#ifndef SERVERANSWER_H
#define SERVERANSWER_H

#include <QString>
#include <QStringList>

// A text the companion server sends the client: the server builds it here
// and the client reads it here, so both ends agree on every marker.
struct ServerAnswer
{
    enum class Kind
    {
        VersionMismatch,
        DisplayTable,
        Limit,
        OfflineTargets,
        DetectedLanguage,
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
    // OfflineTargets: the source code and the targets reachable from it;
    // DetectedLanguage: the code, in `language`.
    QString language;
    QStringList targets;

    // The client's reading, first rule that matches: the exact version text;
    // a text holding the table marker anywhere, less every such marker; one
    // holding the limit marker, likewise; one starting with the offline
    // targets or detected language marker; anything else is a result.
    static ServerAnswer parse(const QString &message);

    static QString tableMessage(const QString &table);
    static QString limitMessage(int limit);
    static QString offlineTargetsMessage(const QString &source, const QStringList &targets);
    static QString detectedLanguageMessage(const QString &code);

    // A translation as a text the client can only take for a result. Markers
    // are cut out in one pass, so one that forms only once another is gone
    // goes too; "0" (which closes the link) and the version text get a
    // trailing space. A translation too long for one frame becomes a short
    // notice.
    static QString resultMessage(const QString &translation);
};

#endif
