#include "peerserver.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTest>

PeerServer::PeerServer(QObject *parent) : QObject(parent)
{
    server.setProxy(QNetworkProxy::NoProxy);
    connect(&server, &QTcpServer::newConnection, this, &PeerServer::acceptPending);
}

PeerServer::~PeerServer()
{
    for (auto &link : links) {
        if (link->socket) {
            disconnect(link->socket, nullptr, this, nullptr);
            link->socket->abort();
        }
    }
}

bool PeerServer::listen()
{
    return server.listen(QHostAddress::LocalHost, 0);
}

void PeerServer::stopListening()
{
    server.close();
}

int PeerServer::openConnectionCount() const
{
    int open = 0;
    for (const auto &link : links)
        open += link->open ? 1 : 0;
    return open;
}

bool PeerServer::isOpen(int link) const
{
    const Link *l = linkAt(link);
    return l && l->open;
}

QStringList PeerServer::receivedTexts(int link) const
{
    const Link *l = linkAt(link);
    return l ? l->texts : QStringList();
}

bool PeerServer::sawMalformedInput(int link) const
{
    const Link *l = linkAt(link);
    return l && l->malformed;
}

void PeerServer::sendText(const QString &text, int link)
{
    sendRaw(FrameCodec::encode(text), link);
}

void PeerServer::sendTexts(const QStringList &texts, int link)
{
    // One write, so that the frames can arrive in one segment.
    QByteArray bytes;
    for (const QString &text : texts)
        bytes += FrameCodec::encode(text);
    sendRaw(bytes, link);
}

void PeerServer::sendRaw(const QByteArray &bytes, int link)
{
    Link *l = linkAt(link);
    if (!l || !l->open)
        return;
    l->socket->write(bytes);
    l->socket->flush();
}

void PeerServer::addReply(const QString &prefix, const QStringList &replies)
{
    rules.append({prefix, replies});
}

void PeerServer::closeConnection(int link)
{
    Link *l = linkAt(link);
    if (l && l->open)
        l->socket->disconnectFromHost();
}

void PeerServer::closeAllConnections()
{
    for (int i = 0; i < connectionCount(); ++i)
        closeConnection(i);
}

bool PeerServer::waitForConnections(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return connectionCount() >= count; }, timeoutMs);
}

bool PeerServer::waitForTexts(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return allTexts.size() >= count; }, timeoutMs);
}

void PeerServer::acceptPending()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        const int index = connectionCount();
        auto link = std::make_unique<Link>();
        link->socket = socket;
        links.push_back(std::move(link));
        connect(socket, &QIODevice::readyRead, this, [this, index] { readFrom(index); });
        connect(socket, &QAbstractSocket::disconnected, this, [this, index] {
            Link *l = linkAt(index);
            if (!l->open)
                return;
            l->open = false;
            emit connectionClosed(index);
        });
        emit connectionAccepted(index);
        if (!greeting.isEmpty())
            sendTexts(greeting, index);
        // Bytes may have come with the connection itself.
        readFrom(index);
    }
}

void PeerServer::readFrom(int index)
{
    Link *l = linkAt(index);
    if (!l || !l->open)
        return;
    l->decoder.append(l->socket->readAll());
    QString text;
    for (;;) {
        const FrameCodec::Status result = l->decoder.next(&text);
        if (result == FrameCodec::Status::NeedMore)
            return;
        if (result == FrameCodec::Status::Malformed) {
            l->malformed = true;
            l->socket->abort();
            return;
        }
        l->texts.append(text);
        allTexts.append(text);
        emit textReceived(index, text);
        for (const ReplyRule &rule : qAsConst(rules)) {
            if (text.startsWith(rule.prefix)) {
                sendTexts(rule.replies, index);
                break;
            }
        }
        // A receiver of textReceived may have closed this link.
        if (!l->open)
            return;
    }
}

PeerServer::Link *PeerServer::linkAt(int link)
{
    if (link < 0)
        link = connectionCount() - 1;
    if (link < 0 || link >= connectionCount())
        return nullptr;
    return links[size_t(link)].get();
}

const PeerServer::Link *PeerServer::linkAt(int link) const
{
    return const_cast<PeerServer *>(this)->linkAt(link);
}
