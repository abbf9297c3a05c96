#include "support/peerserver.h"

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
        disconnect(link->socket, nullptr, this, nullptr);
        link->socket->abort();
    }
}

bool PeerServer::listen()
{
    return server.listen(QHostAddress::LocalHost, 0);
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
    if (Link *l = linkAt(link); l && l->open) {
        l->socket->write(bytes);
        l->socket->flush();
    }
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
        links.push_back(std::make_unique<Link>());
        links.back()->socket = socket;
        connect(socket, &QIODevice::readyRead, this, [this, index] { readFrom(index); });
        connect(socket, &QAbstractSocket::disconnected, this,
                [this, index] { linkAt(index)->open = false; });
        readFrom(index);
    }
}

void PeerServer::readFrom(int index)
{
    Link *l = linkAt(index);
    if (!l->open)
        return;
    l->decoder.append(l->socket->readAll());
    QString text;
    FrameCodec::Status result;
    while ((result = l->decoder.next(&text)) == FrameCodec::Status::Frame) {
        l->texts.append(text);
        allTexts.append(text);
    }
    if (result == FrameCodec::Status::Malformed)
        l->socket->abort();
}

PeerServer::Link *PeerServer::linkAt(int link) const
{
    if (link < 0)
        link = connectionCount() - 1;
    return link >= 0 && link < connectionCount() ? links[size_t(link)].get() : nullptr;
}

void PeerServer::closeLink(int link)
{
    if (Link *l = linkAt(link))
        l->socket->disconnectFromHost();
}
