#ifndef PEERSERVER_H
#define PEERSERVER_H

#include "net/framecodec.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QVector>

#include <memory>
#include <vector>

class QTcpSocket;

// A companion server for tests, in the same process, on 127.0.0.1 and a free
// port. It speaks the framed text protocol through FrameCodec and keeps every
// accepted link, numbered from 0 in the order they came in. Functions that take
// a link number use the newest link when given -1.
//
// Texts to send can be scripted three ways: sent on demand (sendText, sendRaw),
// sent to every new link (setGreeting), or sent in answer to a received text
// that starts with a given prefix (addReply; the first matching rule wins).
class PeerServer : public QObject
{
    Q_OBJECT

public:
    explicit PeerServer(QObject *parent = nullptr);
    ~PeerServer() override;

    // Listens on 127.0.0.1 with a port chosen by the system.
    bool listen();
    void stopListening();
    bool isListening() const { return server.isListening(); }
    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return server.serverPort(); }

    int connectionCount() const { return int(links.size()); }
    int openConnectionCount() const;
    bool isOpen(int link = -1) const;

    QStringList receivedTexts(int link = -1) const;
    // Every text received on every link, in the order of arrival.
    QStringList allReceivedTexts() const { return allTexts; }
    // True once a link sent bytes that are not a well-formed frame; the link
    // is closed by the peer then.
    bool sawMalformedInput(int link = -1) const;

    void sendText(const QString &text, int link = -1);
    void sendTexts(const QStringList &texts, int link = -1);
    // Bytes exactly as given, for broken or split frames.
    void sendRaw(const QByteArray &bytes, int link = -1);

    void setGreeting(const QStringList &texts) { greeting = texts; }
    void addReply(const QString &prefix, const QStringList &replies);
    void clearReplies() { rules.clear(); }

    // Closes one link gracefully, after what was sent to it has been written.
    void closeConnection(int link = -1);
    void closeAllConnections();

    // Block in an event loop until the condition holds or the time is up.
    bool waitForConnections(int count, int timeoutMs = 5000);
    bool waitForTexts(int count, int timeoutMs = 5000);

signals:
    void connectionAccepted(int link);
    void textReceived(int link, const QString &text);
    void connectionClosed(int link);

private:
    struct Link
    {
        QTcpSocket *socket = nullptr;
        FrameCodec decoder;
        QStringList texts;
        bool open = true;
        bool malformed = false;
    };
    struct ReplyRule
    {
        QString prefix;
        QStringList replies;
    };

    void acceptPending();
    void readFrom(int link);
    Link *linkAt(int link);
    const Link *linkAt(int link) const;

    QTcpServer server;
    std::vector<std::unique_ptr<Link>> links;
    QStringList allTexts;
    QStringList greeting;
    QVector<ReplyRule> rules;
};

#endif
