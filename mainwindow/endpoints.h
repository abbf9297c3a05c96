#ifndef ENDPOINTS_H
#define ENDPOINTS_H

#include <QString>
#include <QUrl>

// Where the client looks for its two peers. The program always uses the
// production values; tests hand a MainWindow local servers instead.
struct Endpoints
{
    QUrl webPage = QUrl(QStringLiteral("https://translate.google.com/m"));
    QString serverHost = QStringLiteral("localhost");
    QString serverPort = QStringLiteral("3030");
};

#endif
