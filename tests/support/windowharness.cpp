#include "support/windowharness.h"

#include "mainwindow/mainwindow.h"
#include "support/filebytes.h"
#include "widgets/waitingspinnerwidget.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>

WindowHarness::WindowHarness() = default;

WindowHarness::~WindowHarness()
{
    stop();
}

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
    return FileBytes::read(dataDirectory() + QLatin1Char('/') + name);
}

Endpoints WindowHarness::refusingEndpoints(quint16 port)
{
    Endpoints endpoints;
    endpoints.serverHost = QStringLiteral("127.0.0.1");
    endpoints.serverPort = QString::number(port);
    endpoints.webPage = QUrl(QStringLiteral("http://127.0.0.1:%1/m").arg(port));
    return endpoints;
}

bool WindowHarness::startPage(const QByteArray &defaultPage)
{
    pageServer = std::make_unique<PageServer>();
    if (!pageServer->listen())
        return false;
    pageServer->setDefaultResponse(PageServer::Response::page(defaultPage));
    return true;
}

bool WindowHarness::startPeer()
{
    peerServer = std::make_unique<PeerServer>();
    return peerServer->listen();
}

Endpoints WindowHarness::endpoints() const
{
    Endpoints endpoints;
    if (pageServer)
        endpoints.webPage = pageServer->url();
    if (peerServer) {
        endpoints.serverHost = peerServer->host();
        endpoints.serverPort = QString::number(peerServer->port());
    }
    return endpoints;
}

MainWindow *WindowHarness::openWindow(const QString &locale)
{
    return openWindow(locale, endpoints());
}

MainWindow *WindowHarness::openWindow(const QString &locale, const Endpoints &endpoints)
{
    mainWindow = std::make_unique<MainWindow>(locale, nullptr, endpoints);
    return mainWindow.get();
}

MainWindow *WindowHarness::openWindowWithoutServer(const QString &locale)
{
    deadPort = std::make_unique<PortBlocker>();
    if (!deadPort->isActive())
        return nullptr;
    Endpoints endpoints = refusingEndpoints(deadPort->port());
    if (pageServer)
        endpoints.webPage = pageServer->url();
    return openWindow(locale, endpoints);
}

void WindowHarness::stop()
{
    mainWindow.reset();
    peerServer.reset();
    pageServer.reset();
    deadPort.reset();
    removeDataDirectory();
}

QPushButton *WindowHarness::button(const QString &name) const
{
    return mainWindow->findChild<QPushButton *>(name);
}

QComboBox *WindowHarness::comboBox(const QString &name) const
{
    return mainWindow->findChild<QComboBox *>(name);
}

QPlainTextEdit *WindowHarness::textBox(const QString &name) const
{
    return mainWindow->findChild<QPlainTextEdit *>(name);
}

QPlainTextEdit *WindowHarness::sourceBox() const
{
    return textBox(QStringLiteral("plainTextEdit_source"));
}

QPlainTextEdit *WindowHarness::resultBox() const
{
    return textBox(QStringLiteral("plainTextEdit_translate"));
}

WaitingSpinnerWidget *WindowHarness::spinner() const
{
    return mainWindow->findChild<WaitingSpinnerWidget *>();
}
