#ifndef ENDPOINTS_H
#define ENDPOINTS_H

#include <QString>
#include <QUrl>

// Where the client looks for its two peers and the dictionary server, how
// long it waits for them, and whether it starts a server when none answers.
// The program always uses the production values; tests hand a MainWindow
// local servers and shorter waits instead.
struct Endpoints
{
    QUrl webPage = QUrl(QStringLiteral("https://translate.google.com/m"));
    QString serverHost = QStringLiteral("localhost");
    QString serverPort = QStringLiteral("3030");
    int webTimeoutMs = 15000;
    int serverTimeoutMs = 75000;
    // How often a page that stopped answering is asked again.
    int pageProbeMs = 30000;
    bool startServer = true;
    // The machine's own DICT server; a lookup it has not answered by then is
    // dropped, and the dictionary panel stays as it is.
    QString dictionaryHost = QStringLiteral("localhost");
    quint16 dictionaryPort = 2628;
    int dictionaryTimeoutMs = 2000;
    // The text-to-speech plugin; empty for the platform's own. Reaching a
    // speech service takes seconds, so tests that do not listen name a
    // plugin that does not exist.
    QString speechEngine;
};

#endif
