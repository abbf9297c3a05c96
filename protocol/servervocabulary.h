#ifndef SERVERVOCABULARY_H
#define SERVERVOCABULARY_H

#include <QString>

// The fixed texts of the server link, shared by the client and the companion
// server so that the two can never drift apart.
class ServerVocabulary
{
public:
    // Client to server: followed by a display-language name.
    static QString displayLanguageAnnouncement()
    {
        return QStringLiteral("Display language has been changed!=");
    }
    // Client to server: note "Limit1", unlike the answer's marker.
    static QString limitRequest()
    {
        return QStringLiteral("Get Translate Limit1 Length From Server");
    }
    // Server to client: followed by a key=value display-text table.
    static QString displayTableMarker()
    {
        return QStringLiteral("This is display language config file!=");
    }
    // Server to client: followed by the decimal translation limit.
    static QString limitMarker()
    {
        return QStringLiteral("Get Translate Limit Length From Server=");
    }
    // Server to client: the result box is emptied.
    static QString versionMismatch()
    {
        return QStringLiteral("Client version is different from server!");
    }
    // Client to server: followed by a source-language code; asks which
    // targets the server can translate that source to without the page.
    static QString offlineTargetsRequest() { return QStringLiteral("Offline targets for="); }
    // Server to client: followed by the source code, "~" and the target
    // codes reachable offline, joined by ",".
    static QString offlineTargetsMarker() { return QStringLiteral("Offline targets="); }
    // Client to server: followed by "source~target", the pair the user has
    // chosen; the server readies it ahead of the first request. No answer.
    static QString prepareRequest() { return QStringLiteral("Prepare translation="); }
    // Server to client: followed by a language code; sent just before the
    // result of a request whose source was "auto".
    static QString detectedLanguageMarker() { return QStringLiteral("Detected language="); }
    // Server to client: ends the link.
    static QString closeLink() { return QStringLiteral("0"); }
    // Separates source code, target code and text in a translation request.
    static QChar requestSeparator() { return QLatin1Char('~'); }
};

#endif
