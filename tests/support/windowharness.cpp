#include "support/windowharness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTcpServer>

QString WindowHarness::dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void WindowHarness::removeDataDirectory()
{
    QDir(dataDirectory()).removeRecursively();
}

bool WindowHarness::resetDataDirectory()
{
    removeDataDirectory();
    return QDir().mkpath(QFileInfo(dataDirectory()).path());
}

QByteArray WindowHarness::dataFile(const QString &name)
{
    QFile file(dataDirectory() + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

Endpoints WindowHarness::refusingEndpoints(quint16 port)
{
    Endpoints endpoints;
    endpoints.serverHost = QStringLiteral("127.0.0.1");
    endpoints.serverPort = QString::number(port);
    endpoints.webPage = QUrl(QStringLiteral("http://127.0.0.1:%1/m").arg(port));
    endpoints.startServer = false;
    endpoints.speechEngine = QStringLiteral("none");
    endpoints.dictionaryHost = QStringLiteral("127.0.0.1");
    endpoints.dictionaryPort = 0;
    return endpoints;
}

bool WindowHarness::startPage(const QByteArray &defaultPage)
{
    pageServer = std::make_unique<PageServer>();
    pageServer->setDefaultResponse(PageServer::Response::page(defaultPage));
    return pageServer->listen();
}

bool WindowHarness::startPeer()
{
    peerServer = std::make_unique<PeerServer>();
    return peerServer->listen();
}

Endpoints WindowHarness::endpoints() const
{
    Endpoints endpoints;
    endpoints.webTimeoutMs = pageTimeoutMs;
    endpoints.serverTimeoutMs = serverTimeoutMs;
    endpoints.pageProbeMs = pageProbeMs;
    endpoints.startServer = false;
    endpoints.dictionaryHost = QStringLiteral("127.0.0.1");
    endpoints.dictionaryPort = dictionaryPort;
    endpoints.speechEngine = speechEngine;
    if (pageServer)
        endpoints.webPage = pageServer->url();
    if (peerServer) {
        endpoints.serverHost = peerServer->host();
        endpoints.serverPort = QString::number(peerServer->port());
    }
    return endpoints;
}

MainWindow *WindowHarness::openWindow(const QString &locale, const Endpoints &endpoints)
{
    mainWindow = std::make_unique<MainWindow>(locale, nullptr, endpoints);
    return mainWindow.get();
}

MainWindow *WindowHarness::openWindowWithoutServer(const QString &locale)
{
    // A port that was free a moment ago refuses: nothing listens there.
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return nullptr;
    const quint16 port = probe.serverPort();
    probe.close();
    Endpoints endpoints = this->endpoints();
    endpoints.serverHost = QStringLiteral("127.0.0.1");
    endpoints.serverPort = QString::number(port);
    if (!pageServer)
        endpoints.webPage = refusingEndpoints(port).webPage;
    return openWindow(locale, endpoints);
}

void WindowHarness::stop()
{
    mainWindow.reset();
    peerServer.reset();
    pageServer.reset();
    removeDataDirectory();
}
