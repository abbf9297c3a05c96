#ifndef WINDOWHARNESS_H
#define WINDOWHARNESS_H

#include "mainwindow/endpoints.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/quicktranslatehotkey.h"
#include "support/pageserver.h"
#include "support/peerserver.h"
#include "widgets/waitingspinnerwidget.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

// A MainWindow on a local translation page and a local companion peer, with
// a clean data directory around it. Set-up steps return false (or null) on
// failure, for QVERIFY.
class WindowHarness
{
public:
    WindowHarness() = default;
    ~WindowHarness() { stop(); }
    WindowHarness(const WindowHarness &) = delete;
    WindowHarness &operator=(const WindowHarness &) = delete;

    static QString dataDirectory();
    static void removeDataDirectory();
    // Removes the data directory but keeps its parent.
    static bool resetDataDirectory();
    // A file in the data directory, or "<unreadable>".
    static QByteArray dataFile(const QString &name);
    // The page and the server both on a port that refuses at once, and no
    // speech service or dictionary server, which the machine's own would be.
    static Endpoints refusingEndpoints(quint16 port);

    // The page answers every request it has nothing queued for with defaultPage.
    bool startPage(const QByteArray &defaultPage);
    bool startPeer();
    Endpoints endpoints() const;

    MainWindow *openWindow(const QString &locale) { return openWindow(locale, endpoints()); }
    MainWindow *openWindow(const QString &locale, const Endpoints &endpoints);
    // On the local page, with a server port that refuses, so no link comes up.
    MainWindow *openWindowWithoutServer(const QString &locale);
    // Closes the window before the servers, and removes the data directory.
    void stop();

    // How long windows opened later wait for the page and the server, and
    // how often they ask a page that stopped answering again.
    int pageTimeoutMs = 15000;
    int serverTimeoutMs = 75000;
    int pageProbeMs = 30000;
    // The DICT server of windows opened later; none listens on port 0.
    quint16 dictionaryPort = 0;
    // No such speech engine: reaching a real one takes seconds.
    QString speechEngine = QStringLiteral("none");

    PageServer *page() const { return pageServer.get(); }
    PeerServer *peer() const { return peerServer.get(); }
    MainWindow *window() const { return mainWindow.get(); }

    QPushButton *button(const QString &name) const { return child<QPushButton>(name); }
    QComboBox *comboBox(const QString &name) const { return child<QComboBox>(name); }
    QPlainTextEdit *textBox(const QString &name) const { return child<QPlainTextEdit>(name); }
    QPlainTextEdit *sourceBox() const { return textBox("plainTextEdit_source"); }
    QPlainTextEdit *resultBox() const { return textBox("plainTextEdit_translate"); }
    WaitingSpinnerWidget *spinner() const { return child<WaitingSpinnerWidget>(QString()); }

private:
    template <class Widget> Widget *child(const QString &name) const
    {
        return mainWindow->findChild<Widget *>(name);
    }

    std::unique_ptr<PageServer> pageServer;
    std::unique_ptr<PeerServer> peerServer;
    std::unique_ptr<MainWindow> mainWindow;
};

#endif
