#include "net/clientstuff.h"
#include "net/framecodec.h"
#include "support/peerserver.h"

#include <QNetworkProxy>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>
#include <QtTest>

namespace {

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian<quint32>(value, reinterpret_cast<uchar *>(bytes.data()));
    return bytes;
}

// Everything the channel reports, in one ordered log, so that tests can check
// the order of status changes and texts.
class ChannelLog
{
public:
    explicit ChannelLog(ClientStuff &client)
    {
        QObject::connect(&client, &ClientStuff::statusChanged, &client, [this](bool up) {
            entries.append(up ? QStringLiteral("up") : QStringLiteral("down"));
        });
        QObject::connect(&client, &ClientStuff::hasReadSome, &client, [this](const QString &text) {
            entries.append(QStringLiteral("text:") + text);
            texts.append(text);
        });
    }
    QStringList entries;
    QStringList texts;
};

QTimer *connectTimer(ClientStuff &client)
{
    return client.findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
}

bool linkUp(ClientStuff &client, PeerServer &peer)
{
    const int links = peer.connectionCount();
    QSignalSpy up(&client, &ClientStuff::statusChanged);
    client.connect2host(peer.host(), peer.port());
    return up.wait(5000) && up.count() == 1 && up.at(0).at(0).toBool() && client.getStatus() &&
           peer.waitForConnections(links + 1);
}

// A port on 127.0.0.1 that nothing listens on, so connecting is refused.
int refusingPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const int port = server.serverPort();
    server.close();
    return port;
}

} // namespace

class TestClientStuff : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void startsDown();
    void deliversTextsInOrder_data();
    void deliversTextsInOrder();
    void deliversASplitFrameOnceComplete_data();
    void deliversASplitFrameOnceComplete();
    void zeroFrameClosesTheLink();
    void serverCloseEndsTheLinkOnce();
    void textBeforeServerCloseIsDelivered();
    void closeConnectionEndsTheLinkOnce();
    void closeConnectionWhileConnectingReportsDown();
    void malformedInputClosesTheLink_data();
    void malformedInputClosesTheLink();
    void frameCutOffByTheLinkEndDoesNotSpillIntoTheNext();
    void deliversAFrameAtTheCap();
    void refusedAttemptsReportErrorsOnEverySocket();
    void timeoutReplacesAStalledAttempt();
    void timeoutAfterConnectingChangesNothing();
    void secondConnectDuringAnAttemptReportsTheLinkOnce();
    void framesWrittenToTheSocketReachThePeer();
    void scriptedPeerGreetsAndAnswers();
    void peerDropsALinkThatSendsGarbage();

private:
    // Makes the channel's current socket hang in its connect attempt: it goes
    // through a local SOCKS proxy that accepts and never answers.
    void stallCurrentSocket(ClientStuff &client);

    QTcpServer silentProxy;
};

void TestClientStuff::initTestCase()
{
    qRegisterMetaType<QAbstractSocket::SocketError>();
    silentProxy.setProxy(QNetworkProxy::NoProxy);
    QVERIFY(silentProxy.listen(QHostAddress::LocalHost, 0));
}

void TestClientStuff::init()
{
    // Links the proxy accepted for earlier tests are of no further use.
    while (QTcpSocket *socket = silentProxy.nextPendingConnection())
        socket->deleteLater();
}

void TestClientStuff::stallCurrentSocket(ClientStuff &client)
{
    client.tcpSocket->setProxy(QNetworkProxy(
        QNetworkProxy::Socks5Proxy, QStringLiteral("127.0.0.1"), silentProxy.serverPort()));
}

void TestClientStuff::startsDown()
{
    ClientStuff client;
    QVERIFY(!client.getStatus());
    QVERIFY(client.tcpSocket);
    QCOMPARE(client.tcpSocket->parent(), &client);
    QCOMPARE(client.tcpSocket->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(client.connectTimeout(), 3000);
    QTimer *timer = connectTimer(client);
    QVERIFY(timer);
    QVERIFY(timer->isSingleShot());
    QVERIFY(!timer->isActive());
}

void TestClientStuff::deliversTextsInOrder_data()
{
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("expected");

    const QStringList three = {QStringLiteral("first"), QStringLiteral("second"),
                               QStringLiteral("third")};
    QTest::newRow("three frames in one write") << three << three;
    const QStringList zeroLike = {QStringLiteral("00"), QStringLiteral("0 "), QStringLiteral(" 0"),
                                  QStringLiteral("O"), QStringLiteral("Connection closed")};
    QTest::newRow("texts that only resemble 0") << zeroLike << zeroLike;
    QTest::newRow("empty and null")
        << QStringList{QLatin1String(""), QString()} << QStringList{QLatin1String(""), QString()};
    const QString pairs = QString::fromUtf8("\xF0\x9F\x98\x80 \xF0\x90\x8D\x88 Grüße");
    QTest::newRow("surrogate pairs") << QStringList{pairs} << QStringList{pairs};
    const QString big(100000, QChar(0x6587));
    QTest::newRow("100000 units then a short one")
        << QStringList{big, QStringLiteral("tail")} << QStringList{big, QStringLiteral("tail")};
}

void TestClientStuff::deliversTextsInOrder()
{
    QFETCH(QStringList, sent);
    QFETCH(QStringList, expected);

    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));

    peer.sendTexts(sent);
    QTRY_COMPARE(log.texts.size(), expected.size());
    QCOMPARE(log.texts, expected);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(log.texts.at(i).isNull(), expected.at(i).isNull());
    QVERIFY(client.getStatus());
    QCOMPARE(log.entries.count(QStringLiteral("down")), 0);
}

void TestClientStuff::deliversASplitFrameOnceComplete_data()
{
    QTest::addColumn<QList<int>>("cuts");

    // The frame of "hello": 4 length bytes, 4 count bytes, 10 body bytes.
    QTest::newRow("after the length field") << QList<int>{4};
    QTest::newRow("inside the length field") << QList<int>{2};
    QTest::newRow("inside the string count") << QList<int>{6};
    QTest::newRow("inside the body") << QList<int>{11};
    QTest::newRow("after the length and inside the body") << QList<int>{4, 9};
    QTest::newRow("every byte") << QList<int>{1,  2,  3,  4,  5,  6,  7,  8, 9,
                                              10, 11, 12, 13, 14, 15, 16, 17};
}

void TestClientStuff::deliversASplitFrameOnceComplete()
{
    QFETCH(QList<int>, cuts);

    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));

    const QByteArray frame = FrameCodec::encode(QStringLiteral("hello"));
    QSignalSpy arrived(client.tcpSocket, &QIODevice::readyRead);
    int from = 0;
    for (int cut : cuts) {
        peer.sendRaw(frame.mid(from, cut - from));
        from = cut;
        // The channel has handled this piece before the next one is sent.
        QVERIFY(arrived.wait());
        QVERIFY(log.texts.isEmpty());
    }
    peer.sendRaw(frame.mid(from));
    QTRY_COMPARE(log.texts, QStringList{QStringLiteral("hello")});
    QVERIFY(client.getStatus());
}

void TestClientStuff::zeroFrameClosesTheLink()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));

    // Only the bytes of one frame at a time are taken from the socket, so what
    // follows the "0" in the same write goes with the aborted link.
    peer.sendTexts({QStringLiteral("before"), QStringLiteral("0"), QStringLiteral("after")});
    QTRY_COMPARE(log.entries.size(), 4);
    QCOMPARE(log.entries,
             (QStringList{QStringLiteral("up"), QStringLiteral("text:before"),
                          QStringLiteral("down"), QStringLiteral("text:Connection closed")}));
    QVERIFY(!client.getStatus());
    QTRY_VERIFY(!peer.isOpen(0));
    QCOMPARE(log.entries.size(), 4);

    QVERIFY(linkUp(client, peer));
    peer.sendText(QStringLiteral("again"));
    QTRY_COMPARE(log.texts.last(), QStringLiteral("again"));
}

void TestClientStuff::serverCloseEndsTheLinkOnce()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QSignalSpy errors(&client, &ClientStuff::socketError);
    QVERIFY(linkUp(client, peer));

    QSignalSpy status(&client, &ClientStuff::statusChanged);
    peer.closeConnection();
    QVERIFY(status.wait());
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QVERIFY(!client.getStatus());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).value<QAbstractSocket::SocketError>(),
             QAbstractSocket::RemoteHostClosedError);
    QVERIFY(!connectTimer(client)->isActive());

    // The socket of an ended link is reused for the next one.
    QVERIFY(linkUp(client, peer));
    QCOMPARE(log.entries,
             (QStringList{QStringLiteral("up"), QStringLiteral("down"), QStringLiteral("up")}));
}

void TestClientStuff::textBeforeServerCloseIsDelivered()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));

    peer.sendText(QStringLiteral("last words"));
    peer.closeConnection();
    QTRY_COMPARE(log.entries.size(), 3);
    QCOMPARE(log.entries, (QStringList{QStringLiteral("up"), QStringLiteral("text:last words"),
                                       QStringLiteral("down")}));
}

void TestClientStuff::closeConnectionEndsTheLinkOnce()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    QVERIFY(linkUp(client, peer));
    QTcpSocket *socket = client.tcpSocket;

    QSignalSpy status(&client, &ClientStuff::statusChanged);
    client.closeConnection();
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QVERIFY(!client.getStatus());
    QCOMPARE(client.tcpSocket, socket);
    QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!connectTimer(client)->isActive());
    QTRY_VERIFY(!peer.isOpen());
    QCOMPARE(status.count(), 1);

    QVERIFY(linkUp(client, peer));
}

void TestClientStuff::closeConnectionWhileConnectingReportsDown()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    stallCurrentSocket(client);
    QSignalSpy status(&client, &ClientStuff::statusChanged);
    client.connect2host(peer.host(), peer.port());
    QTRY_COMPARE(client.tcpSocket->state(), QAbstractSocket::ConnectingState);

    client.closeConnection();
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QCOMPARE(client.tcpSocket->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!connectTimer(client)->isActive());
    QCOMPARE(peer.connectionCount(), 0);
}

void TestClientStuff::malformedInputClosesTheLink_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("delivered");

    QTest::newRow("length over 16 MiB")
        << bigEndian32(FrameCodec::maxFrameSize + 1) << QStringList();
    QTest::newRow("negative length") << bigEndian32(0xFFFFFFF0u) << QStringList();
    QTest::newRow("length 0") << bigEndian32(0) + FrameCodec::encode(QStringLiteral("x"))
                              << QStringList();
    QTest::newRow("odd byte count")
        << bigEndian32(7) + bigEndian32(3) + QByteArray::fromHex("004100") << QStringList();
    QTest::newRow("count short of the length")
        << bigEndian32(10) + bigEndian32(2) + QByteArray::fromHex("0041004200") << QStringList();
    QTest::newRow("count past the length")
        << bigEndian32(6) + bigEndian32(8) + QByteArray::fromHex("0041") << QStringList();
    QTest::newRow("good frame, then a broken one")
        << FrameCodec::encode(QStringLiteral("fine")) + bigEndian32(5) + bigEndian32(1) + "x"
        << QStringList{QStringLiteral("fine")};
}

void TestClientStuff::malformedInputClosesTheLink()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, delivered);

    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));

    QSignalSpy status(&client, &ClientStuff::statusChanged);
    peer.sendRaw(bytes);
    QVERIFY(status.wait());
    QCOMPARE(status.count(), 1);
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QCOMPARE(log.texts, delivered);
    QTRY_VERIFY(!peer.isOpen(0));

    QVERIFY(linkUp(client, peer));
    peer.sendText(QStringLiteral("clean"));
    QTRY_COMPARE(log.texts, delivered + QStringList{QStringLiteral("clean")});
}

void TestClientStuff::frameCutOffByTheLinkEndDoesNotSpillIntoTheNext()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));

    QSignalSpy status(&client, &ClientStuff::statusChanged);
    peer.sendRaw(FrameCodec::encode(QStringLiteral("never finished")).left(12));
    peer.closeConnection();
    QVERIFY(status.wait());

    QVERIFY(linkUp(client, peer));
    peer.sendTexts({QStringLiteral("fresh"), QStringLiteral("start")});
    QTRY_COMPARE(log.texts, (QStringList{QStringLiteral("fresh"), QStringLiteral("start")}));
    QVERIFY(client.getStatus());
}

void TestClientStuff::deliversAFrameAtTheCap()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));

    const QString text(int((FrameCodec::maxFrameSize - 4) / 2), QChar('z'));
    peer.sendTexts({text, QStringLiteral("next")});
    QTRY_COMPARE_WITH_TIMEOUT(log.texts.size(), 2, 30000);
    QVERIFY(log.texts.at(0) == text);
    QCOMPARE(log.texts.at(1), QStringLiteral("next"));
    QVERIFY(client.getStatus());
}

void TestClientStuff::refusedAttemptsReportErrorsOnEverySocket()
{
    const int port = refusingPort();
    ClientStuff client;
    client.setConnectTimeout(500);
    QSignalSpy status(&client, &ClientStuff::statusChanged);
    QSignalSpy errors(&client, &ClientStuff::socketError);

    QPointer<QTcpSocket> first = client.tcpSocket;
    client.connect2host(QStringLiteral("127.0.0.1"), port);
    QVERIFY(errors.wait());
    QCOMPARE(errors.at(0).at(0).value<QAbstractSocket::SocketError>(),
             QAbstractSocket::ConnectionRefusedError);
    QVERIFY(!client.getStatus());

    // The time-out replaces the failed socket; the replacement's errors are
    // reported just the same.
    QTRY_VERIFY(client.tcpSocket != first.data());
    QTRY_VERIFY(first.isNull());
    QTcpSocket *second = client.tcpSocket;
    QCOMPARE(second->parent(), &client);
    client.connect2host(QStringLiteral("127.0.0.1"), port);
    QTRY_COMPARE(errors.count(), 2);
    QCOMPARE(errors.at(1).at(0).value<QAbstractSocket::SocketError>(),
             QAbstractSocket::ConnectionRefusedError);
    QTRY_VERIFY(client.tcpSocket != second);
    QCOMPARE(status.count(), 0);
    QVERIFY(!client.getStatus());
}

void TestClientStuff::timeoutReplacesAStalledAttempt()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    client.setConnectTimeout(500);
    stallCurrentSocket(client);
    QSignalSpy status(&client, &ClientStuff::statusChanged);
    QSignalSpy errors(&client, &ClientStuff::socketError);
    QSignalSpy expired(connectTimer(client), &QTimer::timeout);
    QPointer<QTcpSocket> stalled = client.tcpSocket;

    client.connect2host(peer.host(), peer.port());
    QTRY_COMPARE(stalled->state(), QAbstractSocket::ConnectingState);
    QTRY_COMPARE_WITH_TIMEOUT(expired.count(), 1, 10000);

    QVERIFY(client.tcpSocket != stalled.data());
    QCOMPARE(client.tcpSocket->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(status.count(), 0);
    QCOMPARE(errors.count(), 0);
    QVERIFY(!client.getStatus());
    QTRY_VERIFY(stalled.isNull());
    QCOMPARE(peer.connectionCount(), 0);

    // The next attempt runs on the new socket, which has no proxy.
    QVERIFY(linkUp(client, peer));
}

void TestClientStuff::timeoutAfterConnectingChangesNothing()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    // Long enough for the link to come up first even on a busy machine.
    client.setConnectTimeout(2000);
    ChannelLog log(client);
    QTimer *timer = connectTimer(client);
    QSignalSpy expired(timer, &QTimer::timeout);
    QVERIFY(linkUp(client, peer));
    QTcpSocket *socket = client.tcpSocket;

    QCOMPARE(expired.count(), 0);
    QVERIFY(timer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(expired.count(), 1, 10000);

    QCOMPARE(client.tcpSocket, socket);
    QCOMPARE(socket->state(), QAbstractSocket::ConnectedState);
    QVERIFY(client.getStatus());
    QVERIFY(peer.isOpen());
    peer.sendText(QStringLiteral("still here"));
    QTRY_COMPARE(log.texts, QStringList{QStringLiteral("still here")});
    QCOMPARE(log.entries.first(), QStringLiteral("up"));
    QCOMPARE(log.entries.count(QStringLiteral("up")), 1);
}

void TestClientStuff::secondConnectDuringAnAttemptReportsTheLinkOnce()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    QSignalSpy status(&client, &ClientStuff::statusChanged);
    client.connect2host(peer.host(), peer.port());
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("connectToHost\\(\\) called when")));
    client.connect2host(peer.host(), peer.port());
    QVERIFY(status.wait());
    QCOMPARE(status.count(), 1);

    ChannelLog log(client);
    peer.sendText(QStringLiteral("once"));
    QTRY_COMPARE(log.texts, QStringList{QStringLiteral("once")});
    QCOMPARE(peer.connectionCount(), 1);
}

void TestClientStuff::framesWrittenToTheSocketReachThePeer()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    QVERIFY(linkUp(client, peer));

    const QStringList texts = {QStringLiteral("Get Translate Limit1 Length From Server"),
                               QString::fromUtf8("auto~de~\xF0\x9F\x98\x80"), QString()};
    for (const QString &text : texts)
        client.tcpSocket->write(FrameCodec::encode(text));
    QVERIFY(peer.waitForTexts(3));
    QCOMPARE(peer.receivedTexts(), texts);
    QVERIFY(peer.receivedTexts().at(2).isNull());
}

void TestClientStuff::scriptedPeerGreetsAndAnswers()
{
    PeerServer peer;
    peer.setGreeting({QStringLiteral("welcome"), QStringLiteral("aboard")});
    peer.addReply(QStringLiteral("Get Translate Limit1"),
                  {QStringLiteral("Get Translate Limit Length From Server=1800")});
    peer.addReply(QStringLiteral("Get"), {QStringLiteral("never: the first rule wins")});
    QVERIFY(peer.listen());
    ClientStuff client;
    ChannelLog log(client);
    QVERIFY(linkUp(client, peer));
    QTRY_COMPARE(log.texts, (QStringList{QStringLiteral("welcome"), QStringLiteral("aboard")}));

    client.tcpSocket->write(FrameCodec::encode(QStringLiteral("unanswered")) +
                            FrameCodec::encode(QStringLiteral("Get Translate Limit1 Length")));
    QTRY_COMPARE(log.texts.size(), 3);
    QCOMPARE(log.texts.last(), QStringLiteral("Get Translate Limit Length From Server=1800"));
    QCOMPARE(peer.receivedTexts(0), (QStringList{QStringLiteral("unanswered"),
                                                 QStringLiteral("Get Translate Limit1 Length")}));
}

void TestClientStuff::peerDropsALinkThatSendsGarbage()
{
    PeerServer peer;
    QVERIFY(peer.listen());
    ClientStuff client;
    QVERIFY(linkUp(client, peer));
    QSignalSpy status(&client, &ClientStuff::statusChanged);

    client.tcpSocket->write(bigEndian32(3) + "abc");
    QVERIFY(status.wait());
    QCOMPARE(status.at(0).at(0).toBool(), false);
    QVERIFY(peer.sawMalformedInput(0));
    QVERIFY(!peer.isOpen(0));
    QCOMPARE(peer.openConnectionCount(), 0);
    QVERIFY(peer.receivedTexts(0).isEmpty());
}

QTEST_GUILESS_MAIN(TestClientStuff)
#include "tst_clientstuff.moc"
