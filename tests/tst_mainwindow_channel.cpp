#include "mainwindow/mainwindow.h"
#include "net/clientstuff.h"
#include "support/checked.h"
#include "support/windowharness.h"
#include "widgets/waitingspinnerwidget.h"

#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTimerEvent>
#include <QtTest>

namespace {

const QString announcementPrefix = QStringLiteral("Display language has been changed!=");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");

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
    QPushButton *translateButton() const;

    WindowHarness harness;
};

void TestMainWindowChannel::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowChannel::init()
{
    WindowHarness::removeDataDirectory();
    // Every link-up translates the welcome text; the page answers it.
    QVERIFY(harness.startPage(resultPage(QStringLiteral("welcome"))));
}

void TestMainWindowChannel::cleanup()
{
    harness.stop();
}

void TestMainWindowChannel::startLinkedWindow()
{
    QVERIFY(harness.startPeer());
    harness.openWindow(QStringLiteral("en_US"));
    QVERIFY(harness.peer()->waitForConnections(1));
    QTRY_VERIFY(harness.window()->channel()->getStatus());
    // The link-up traffic: announcement and limit request, then the welcome
    // text through the page.
    QVERIFY(harness.peer()->waitForTexts(2));
    QTRY_COMPARE(harness.page()->requestCount(), 1);
    QTRY_VERIFY(!harness.spinner()->isSpinning());
}

void TestMainWindowChannel::startUnlinkedWindow()
{
    QVERIFY(harness.openWindowWithoutServer(QStringLiteral("en_US")));
}

QPushButton *TestMainWindowChannel::translateButton() const
{
    return harness.button(QStringLiteral("pushButton_translate"));
}

void TestMainWindowChannel::linkComesUpAtStart()
{
    CHECKED(startLinkedWindow());

    QCOMPARE(harness.peer()->connectionCount(), 1);
    QVERIFY(harness.peer()->isOpen(0));
    QVERIFY(translateButton()->isEnabled());
    const QStringList texts = harness.peer()->receivedTexts(0);
    QVERIFY(texts.size() >= 2);
    QVERIFY(texts.at(0).startsWith(announcementPrefix));
    QCOMPARE(texts.at(1), limitRequest);
}

void TestMainWindowChannel::sendMessageWhileLinkIsDown()
{
    CHECKED(startLinkedWindow());
    harness.window()->setReconnectInterval(3600 * 1000);
    harness.peer()->closeConnection(0);
    QTRY_VERIFY(!harness.window()->channel()->getStatus());

    harness.window()->sendMessage(QStringLiteral("lost while down"));
    QCOMPARE(harness.window()->channel()->tcpSocket->bytesToWrite(), qint64(0));

    // Whatever had been kept for later would reach the next link before
    // anything sent on it.
    harness.window()->setReconnectInterval(20);
    QVERIFY(harness.peer()->waitForConnections(2));
    QTRY_VERIFY(harness.window()->channel()->getStatus());
    harness.window()->sendMessage(QStringLiteral("after"));
    QTRY_VERIFY(harness.peer()->receivedTexts(1).contains(QStringLiteral("after")));
    QVERIFY(!harness.peer()->allReceivedTexts().contains(QStringLiteral("lost while down")));
    QCOMPARE(harness.peer()->receivedTexts(1).constLast(), QStringLiteral("after"));
}

void TestMainWindowChannel::sendMessageWithoutAnyLink()
{
    CHECKED(startUnlinkedWindow());
    QSignalSpy errors(harness.window()->channel(), &ClientStuff::socketError);
    harness.window()->setReconnectInterval(50);
    harness.window()->channel()->setConnectTimeout(20);

    // During the first attempt, after its refusal and on a replacement socket.
    harness.window()->sendMessage(QStringLiteral("during the attempt"));
    QVERIFY(errors.wait());
    harness.window()->sendMessage(QStringLiteral("after the refusal"));
    QPointer<QTcpSocket> first = harness.window()->channel()->tcpSocket;
    QTRY_VERIFY(harness.window()->channel()->tcpSocket != first);
    harness.window()->sendMessage(QStringLiteral("on a new socket"));
    harness.window()->sendMessage(QString());
    QVERIFY(!harness.window()->channel()->getStatus());
}

void TestMainWindowChannel::sendMessageDuringConnectAttempt()
{
    QVERIFY(harness.startPeer());
    harness.openWindow(QStringLiteral("en_US"));
    capturedWarnings.clear();
    previousHandler = qInstallMessageHandler(captureWarnings);

    // The constructor's attempt is under way but the link is not up yet.
    QVERIFY(!harness.window()->channel()->getStatus());
    harness.window()->sendMessage(QStringLiteral("before the link"));

    const bool linked = harness.peer()->waitForTexts(2);
    qInstallMessageHandler(previousHandler);
    QVERIFY(linked);
    QTRY_VERIFY(harness.window()->channel()->getStatus());
    QVERIFY(!harness.peer()->allReceivedTexts().contains(QStringLiteral("before the link")));
    QVERIFY(harness.peer()->receivedTexts(0).at(0).startsWith(announcementPrefix));
    QCOMPARE(capturedWarnings, QStringList());
}

void TestMainWindowChannel::peerClosesLinkAndTimerBringsItBack()
{
    CHECKED(startLinkedWindow());
    QSignalSpy status(harness.window()->channel(), &ClientStuff::statusChanged);
    harness.window()->setReconnectInterval(50);

    harness.peer()->closeConnection(0);

    QVERIFY(harness.peer()->waitForConnections(2));
    QTRY_COMPARE(status.count(), 2);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QCOMPARE(status.at(1).at(0).toBool(), true);
    QVERIFY(harness.window()->channel()->getStatus());
    // The new link gets the link-up traffic again.
    QTRY_VERIFY(harness.peer()->receivedTexts(1).contains(limitRequest));
}

void TestMainWindowChannel::disconnectButtonClosesLink()
{
    CHECKED(startLinkedWindow());
    harness.window()->setReconnectInterval(3600 * 1000);
    QSignalSpy status(harness.window()->channel(), &ClientStuff::statusChanged);

    QVERIFY(QMetaObject::invokeMethod(harness.window(), "on_pushButton_disconnect_clicked"));

    QVERIFY(!harness.window()->channel()->getStatus());
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QVERIFY(!translateButton()->isEnabled());
    QTRY_VERIFY(!harness.peer()->isOpen(0));

    harness.window()->setReconnectInterval(20);
    QVERIFY(harness.peer()->waitForConnections(2));
    QTRY_VERIFY(harness.window()->channel()->getStatus());
    QCOMPARE(status.count(), 2);
    QCOMPARE(status.at(1).at(0).toBool(), true);
    QVERIFY(translateButton()->isEnabled());
}

void TestMainWindowChannel::refusedConnectionStopsSpinner()
{
    CHECKED(startUnlinkedWindow());
    // A refused attempt is replaced after the connect time-out, before the
    // next tick makes the replacement try again.
    harness.window()->channel()->setConnectTimeout(30);
    harness.window()->setReconnectInterval(100);

    harness.spinner()->start();
    QVERIFY(harness.spinner()->isSpinning());
    QTRY_VERIFY(!harness.spinner()->isSpinning());

    QTcpSocket *const first = harness.window()->channel()->tcpSocket;
    QTRY_VERIFY(harness.window()->channel()->tcpSocket != first);
    harness.spinner()->start();
    QVERIFY(harness.spinner()->isSpinning());
    QTRY_VERIFY(!harness.spinner()->isSpinning());
    QVERIFY(!harness.window()->channel()->getStatus());
}

void TestMainWindowChannel::timerTicksDoNothingWhileLinkIsUp()
{
    CHECKED(startLinkedWindow());
    QSignalSpy status(harness.window()->channel(), &ClientStuff::statusChanged);
    TimerTickCounter ticks;
    harness.window()->installEventFilter(&ticks);
    capturedWarnings.clear();
    previousHandler = qInstallMessageHandler(captureWarnings);

    harness.window()->setReconnectInterval(20);
    // A tick that tried to connect an established socket would only warn.
    const bool ticked = QTest::qWaitFor([&] { return ticks.mostTicks() >= 10; }, 5000);

    qInstallMessageHandler(previousHandler);
    harness.window()->removeEventFilter(&ticks);
    QVERIFY(ticked);
    QCOMPARE(harness.peer()->connectionCount(), 1);
    QVERIFY(harness.peer()->isOpen(0));
    QVERIFY(harness.window()->channel()->getStatus());
    QCOMPARE(status.count(), 0);
    QCOMPARE(capturedWarnings, QStringList());
}

QTEST_MAIN(TestMainWindowChannel)
#include "tst_mainwindow_channel.moc"
