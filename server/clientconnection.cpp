#include "clientconnection.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {

// Qt's own read-ahead per socket; keeps a client that floods the link from
// filling memory faster than its frames are taken apart.
constexpr qint64 socketReadBuffer = 64 * 1024;

QString describePeer(const QTcpSocket *socket)
{
    QHostAddress address = socket->peerAddress();
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    if (isIpv4)
        address = QHostAddress(ipv4);
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(socket->peerPort());
}

} // namespace

ClientConnection::ClientConnection(QTcpSocket *socket, QObject *parent)
    : QObject(parent), socket(socket), peerName(describePeer(socket))
{
    socket->setParent(this);
    socket->setReadBufferSize(socketReadBuffer);
}

void ClientConnection::start()
{
    connect(socket, &QTcpSocket::readyRead, this, &ClientConnection::readFrames);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        // Frames that arrived just before the close still count.
        readFrames();
        finish(QStringLiteral("closed by the client"));
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (socket->error() != QAbstractSocket::RemoteHostClosedError)
            finish(socket->errorString());
    });
    if (socket->state() != QAbstractSocket::ConnectedState)
        finish(QStringLiteral("closed by the client"));
    else
        readFrames();
}

void ClientConnection::send(const QString &text)
{
    if (!finished)
        socket->write(FrameCodec::encode(text));
}

void ClientConnection::readFrames()
{
    while (!finished) {
        QString text;
        switch (codec.next(&text)) {
        case FrameCodec::Status::Frame:
            emit messageReceived(text);
            continue;
        case FrameCodec::Status::Malformed:
            finish(QStringLiteral("malformed or oversized frame"));
            return;
        case FrameCodec::Status::NeedMore:
            break;
        }
        if (socket->bytesAvailable() <= 0)
            return;
        codec.append(socket->read(codec.bytesWanted()));
    }
}

void ClientConnection::finish(const QString &reason)
{
    if (finished)
        return;
    finished = true;
    socket->disconnect(this);
    socket->abort();
    emit closed(reason);
}
