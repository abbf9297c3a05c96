#ifndef ENDPOINTS_H
#define ENDPOINTS_H

#include <QString>
#include <QUrl>

// Where the client looks for its two peers, how long it waits for the page,
// and whether it starts a server when none answers. The program always uses
// the production values; tests hand a MainWindow local servers and shorter
// waits instead.
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
};

#endif
