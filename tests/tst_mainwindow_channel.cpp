#include "mainwindow/mainwindow.h"
#include "net/clientstuff.h"
#include "support/pageserver.h"
#include "support/peerserver.h"
#include "widgets/waitingspinnerwidget.h"

#include <QDir>
#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimerEvent>
#include <QtTest>

#include <memory>

namespace {

const QString announcementPrefix = QStringLiteral("Display language has been changed!=");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");

void cleanDataDirectory()
{
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
}

QByteArray resultPage(const QString &translation)
{
    return "<html><body><div class=\"result-container\">" + translation.toUtf8() +
           "</div></body></html>";
}

// Counts the timer events an object receives, per timer.
class TimerTickCounter : public QObject
{
public:
    int mostTicks() const
    {
        int most = 0;
        for (int ticks : counts)
            most = qMax(most, ticks);
        return most;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            ++counts[static_cast<QTimerEvent *>(event)->timerId()];
        return QObject::eventFilter(watched, event);
    }

private:
    QHash<int, int> counts;
};

QStringList capturedWarnings;
QtMessageHandler previousHandler = nullptr;

void captureWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg)
        capturedWarnings.append(message);
    previousHandler(type, context, message);
}

} // namespace

// Helpers report failures through QVERIFY; the test stops with them.
#define CHECKED(call)                                                                              \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

class TestMainWindowChannel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void linkComesUpAtStart();
    void sendMessageWhileLinkIsDown();
    void sendMessageWithoutAnyLink();
    void sendMessageDuringConnectAttempt();
    void peerClosesLinkAndTimerBringsItBack();
    void disconnectButtonClosesLink();
    void refusedConnectionStopsSpinner();
    void timerTicksDoNothingWhileLinkIsUp();

private:
    void startLinkedWindow();
    void startUnlinkedWindow();
    WaitingSpinnerWidget *spinner() const;
    QPushButton *translateButton() const;

    std::unique_ptr<PageServer> page;
    std::unique_ptr<PeerServer> peer;
    std::unique_ptr<MainWindow> window;
};

void TestMainWindowChannel::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowChannel::init()
{
    cleanDataDirectory();
    page = std::make_unique<PageServer>();
    QVERIFY(page->listen());
    // Every link-up translates the welcome text; the page answers it.
    page->setDefaultResponse(PageServer::Response::page(resultPage(QStringLiteral("welcome"))));
    peer = std::make_unique<PeerServer>();
}

void TestMainWindowChannel::cleanup()
{
    window.reset();
    peer.reset();
    page.reset();
    cleanDataDirectory();
}

void TestMainWindowChannel::startLinkedWindow()
{
    QVERIFY(peer->listen());
    Endpoints endpoints;
    endpoints.webPage = page->url();
    endpoints.serverHost = peer->host();
    endpoints.serverPort = QString::number(peer->port());
    window = std::make_unique<MainWindow>(QStringLiteral("en_US"), nullptr, endpoints);
    QVERIFY(peer->waitForConnections(1));
    QTRY_VERIFY(window->channel()->getStatus());
    // The link-up traffic: announcement and limit request, then the welcome
    // text through the page.
    QVERIFY(peer->waitForTexts(2));
    QTRY_COMPARE(page->requestCount(), 1);
    QTRY_VERIFY(!spinner()->isSpinning());
}

void TestMainWindowChannel::startUnlinkedWindow()
{
    // A port that was free a moment ago refuses connections on loopback.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();

    Endpoints endpoints;
    endpoints.webPage = page->url();
    endpoints.serverHost = QStringLiteral("127.0.0.1");
    endpoints.serverPort = QString::number(closedPort);
    window = std::make_unique<MainWindow>(QStringLiteral("en_US"), nullptr, endpoints);
}

WaitingSpinnerWidget *TestMainWindowChannel::spinner() const
{
    return window->findChild<WaitingSpinnerWidget *>();
}

QPushButton *TestMainWindowChannel::translateButton() const
{
    return window->findChild<QPushButton *>(QStringLiteral("pushButton_translate"));
}

void TestMainWindowChannel::linkComesUpAtStart()
{
    CHECKED(startLinkedWindow());

    QCOMPARE(peer->connectionCount(), 1);
    QVERIFY(peer->isOpen(0));
    QVERIFY(translateButton()->isEnabled());
    const QStringList texts = peer->receivedTexts(0);
    QVERIFY(texts.size() >= 2);
    QVERIFY(texts.at(0).startsWith(announcementPrefix));
    QCOMPARE(texts.at(1), limitRequest);
}

void TestMainWindowChannel::sendMessageWhileLinkIsDown()
{
    CHECKED(startLinkedWindow());
    window->setReconnectInterval(3600 * 1000);
    peer->closeConnection(0);
    QTRY_VERIFY(!window->channel()->getStatus());

    window->sendMessage(QStringLiteral("lost while down"));
    QCOMPARE(window->channel()->tcpSocket->bytesToWrite(), qint64(0));

    // Whatever had been kept for later would reach the next link before
    // anything sent on it.
    window->setReconnectInterval(20);
    QVERIFY(peer->waitForConnections(2));
    QTRY_VERIFY(window->channel()->getStatus());
    window->sendMessage(QStringLiteral("after"));
    QTRY_VERIFY(peer->receivedTexts(1).contains(QStringLiteral("after")));
    QVERIFY(!peer->allReceivedTexts().contains(QStringLiteral("lost while down")));
    QCOMPARE(peer->receivedTexts(1).constLast(), QStringLiteral("after"));
}

void TestMainWindowChannel::sendMessageWithoutAnyLink()
{
    CHECKED(startUnlinkedWindow());
    QSignalSpy errors(window->channel(), &ClientStuff::socketError);
    window->setReconnectInterval(50);
    window->channel()->setConnectTimeout(20);

    // During the first attempt, after its refusal and on a replacement socket.
    window->sendMessage(QStringLiteral("during the attempt"));
    QVERIFY(errors.wait());
    window->sendMessage(QStringLiteral("after the refusal"));
    QPointer<QTcpSocket> first = window->channel()->tcpSocket;
    QTRY_VERIFY(window->channel()->tcpSocket != first);
    window->sendMessage(QStringLiteral("on a new socket"));
    window->sendMessage(QString());
    QVERIFY(!window->channel()->getStatus());
}

void TestMainWindowChannel::sendMessageDuringConnectAttempt()
{
    QVERIFY(peer->listen());
    Endpoints endpoints;
    endpoints.webPage = page->url();
    endpoints.serverHost = peer->host();
    endpoints.serverPort = QString::number(peer->port());
    window = std::make_unique<MainWindow>(QStringLiteral("en_US"), nullptr, endpoints);
    capturedWarnings.clear();
    previousHandler = qInstallMessageHandler(captureWarnings);

    // The constructor's attempt is under way but the link is not up yet.
    QVERIFY(!window->channel()->getStatus());
    window->sendMessage(QStringLiteral("before the link"));

    const bool linked = peer->waitForTexts(2);
    qInstallMessageHandler(previousHandler);
    QVERIFY(linked);
    QTRY_VERIFY(window->channel()->getStatus());
    QVERIFY(!peer->allReceivedTexts().contains(QStringLiteral("before the link")));
    QVERIFY(peer->receivedTexts(0).at(0).startsWith(announcementPrefix));
    QCOMPARE(capturedWarnings, QStringList());
}

void TestMainWindowChannel::peerClosesLinkAndTimerBringsItBack()
{
    CHECKED(startLinkedWindow());
    QSignalSpy status(window->channel(), &ClientStuff::statusChanged);
    window->setReconnectInterval(50);

    peer->closeConnection(0);

    QVERIFY(peer->waitForConnections(2));
    QTRY_COMPARE(status.count(), 2);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QCOMPARE(status.at(1).at(0).toBool(), true);
    QVERIFY(window->channel()->getStatus());
    // The new link gets the link-up traffic again.
    QTRY_VERIFY(peer->receivedTexts(1).contains(limitRequest));
}

void TestMainWindowChannel::disconnectButtonClosesLink()
{
    CHECKED(startLinkedWindow());
    window->setReconnectInterval(3600 * 1000);
    QSignalSpy status(window->channel(), &ClientStuff::statusChanged);

    QVERIFY(QMetaObject::invokeMethod(window.get(), "on_pushButton_disconnect_clicked"));

    QVERIFY(!window->channel()->getStatus());
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QVERIFY(!translateButton()->isEnabled());
    QTRY_VERIFY(!peer->isOpen(0));

    window->setReconnectInterval(20);
    QVERIFY(peer->waitForConnections(2));
    QTRY_VERIFY(window->channel()->getStatus());
    QCOMPARE(status.count(), 2);
    QCOMPARE(status.at(1).at(0).toBool(), true);
    QVERIFY(translateButton()->isEnabled());
}

void TestMainWindowChannel::refusedConnectionStopsSpinner()
{
    CHECKED(startUnlinkedWindow());
    // A refused attempt is replaced after the connect time-out, before the
    // next tick makes the replacement try again.
    window->channel()->setConnectTimeout(30);
    window->setReconnectInterval(100);

    spinner()->start();
    QVERIFY(spinner()->isSpinning());
    QTRY_VERIFY(!spinner()->isSpinning());

    QTcpSocket *const first = window->channel()->tcpSocket;
    QTRY_VERIFY(window->channel()->tcpSocket != first);
    spinner()->start();
    QVERIFY(spinner()->isSpinning());
    QTRY_VERIFY(!spinner()->isSpinning());
    QVERIFY(!window->channel()->getStatus());
}

void TestMainWindowChannel::timerTicksDoNothingWhileLinkIsUp()
{
    CHECKED(startLinkedWindow());
    QSignalSpy status(window->channel(), &ClientStuff::statusChanged);
    TimerTickCounter ticks;
    window->installEventFilter(&ticks);
    capturedWarnings.clear();
    previousHandler = qInstallMessageHandler(captureWarnings);

    window->setReconnectInterval(20);
    // A tick that tried to connect an established socket would only warn.
    const bool ticked = QTest::qWaitFor([&] { return ticks.mostTicks() >= 10; }, 5000);

    qInstallMessageHandler(previousHandler);
    window->removeEventFilter(&ticks);
    QVERIFY(ticked);
    QCOMPARE(peer->connectionCount(), 1);
    QVERIFY(peer->isOpen(0));
    QVERIFY(window->channel()->getStatus());
    QCOMPARE(status.count(), 0);
    QCOMPARE(capturedWarnings, QStringList());
}

QTEST_MAIN(TestMainWindowChannel)
#include "tst_mainwindow_channel.moc"
