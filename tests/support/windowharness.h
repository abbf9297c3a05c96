#ifndef WINDOWHARNESS_H
#define WINDOWHARNESS_H

#include "mainwindow/endpoints.h"
#include "support/pageserver.h"
#include "support/peerserver.h"
#include "support/portblocker.h"

#include <QByteArray>
#include <QString>

#include <memory>

class MainWindow;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class WaitingSpinnerWidget;

// The fixture the MainWindow tests share: a local page that translates, a
// local companion peer, and a MainWindow that talks to both, with a clean data
// directory around it. Set-up steps return false (or null) on failure so the
// caller can wrap them in QVERIFY.
class WindowHarness
{
public:
    WindowHarness();
    ~WindowHarness();
    WindowHarness(const WindowHarness &) = delete;
    WindowHarness &operator=(const WindowHarness &) = delete;

    static QString dataDirectory();
    static void removeDataDirectory();
    // Removes the data directory but keeps its parent: the window makes the
    // directory with a single-level mkdir, as on a desktop where the parent
    // always exists.
    static bool resetDataDirectory();
    // A file in the data directory, or "<unreadable>".
    static QByteArray dataFile(const QString &name);
    // Both the page and the server on a port that refuses at once, so neither
    // the link nor a page fetch ever gets anywhere.
    static Endpoints refusingEndpoints(quint16 port);

    // A page server on a free port that answers every request it has nothing
    // queued for with defaultPage.
    bool startPage(const QByteArray &defaultPage);
    bool startPeer();
    // The local page, and the local peer as the server.
    Endpoints endpoints() const;

    // A window on the local page and the local peer.
    MainWindow *openWindow(const QString &locale);
    MainWindow *openWindow(const QString &locale, const Endpoints &endpoints);
    // A window on the local page whose server port refuses at once, so no
    // link-up traffic ever interferes; null when no port could be held.
    MainWindow *openWindowWithoutServer(const QString &locale);
    // Closes the window before the servers, so it sees no disconnects, and
    // removes the data directory.
    void stop();

    PageServer *page() const { return pageServer.get(); }
    PeerServer *peer() const { return peerServer.get(); }
    MainWindow *window() const { return mainWindow.get(); }

    QPushButton *button(const QString &name) const;
    QComboBox *comboBox(const QString &name) const;
    QPlainTextEdit *textBox(const QString &name) const;
    QPlainTextEdit *sourceBox() const;
    QPlainTextEdit *resultBox() const;
    WaitingSpinnerWidget *spinner() const;

private:
    std::unique_ptr<PageServer> pageServer;
    std::unique_ptr<PeerServer> peerServer;
    std::unique_ptr<PortBlocker> deadPort;
    std::unique_ptr<MainWindow> mainWindow;
};

#endif
