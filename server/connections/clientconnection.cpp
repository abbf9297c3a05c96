#include "server/connections/clientconnection.h"

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

ClientConnection::ClientConnection(QTcpSocket *connected, qint64 unreadCap, int stallMs,
                                   QObject *parent)
    : QObject(parent), socket(connected), peerName(describePeer(connected)), outputCap(unreadCap)
{
    socket->setParent(this);
    socket->setReadBufferSize(socketReadBuffer);
    stallTimer.setSingleShot(true);
    stallTimer.setInterval(stallMs);
    connect(&stallTimer, &QTimer::timeout, this,
            [this] { close(QStringLiteral("a frame stalled half sent")); });
    unreadTimer.setSingleShot(true);
    unreadTimer.setInterval(stallMs);
    connect(&unreadTimer, &QTimer::timeout, this,
            [this] { close(QStringLiteral("it does not read its answers")); });
}

void ClientConnection::start()
{
    connect(socket, &QTcpSocket::readyRead, this, &ClientConnection::readFrames);
    connect(socket, &QTcpSocket::bytesWritten, this, &ClientConnection::answersWritten);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        // Frames that arrived just before the close still count.
        readFrames();
        close(QStringLiteral("closed by the client"));
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (socket->error() != QAbstractSocket::RemoteHostClosedError)
            close(socket->errorString());
    });
    if (socket->state() != QAbstractSocket::ConnectedState)
        close(QStringLiteral("closed by the client"));
    else
        readFrames();
}

void ClientConnection::send(const QString &text)
{
    if (finished)
        return;
    socket->write(FrameCodec::encode(text));
    if (outputFull() && !unreadTimer.isActive()) {
        stallTimer.stop();
        unreadTimer.start();
    }
}

bool ClientConnection::outputFull() const
{
    return socket->bytesToWrite() > outputCap;
}

void ClientConnection::answersWritten()
{
    if (outputFull() || !unreadTimer.isActive())
        return;
    unreadTimer.stop();
    readFrames();
}

void ClientConnection::readFrames()
{
    while (!finished && !outputFull()) {
        QString text;
        switch (codec.next(&text)) {
        case FrameCodec::Status::Frame:
            emit messageReceived(text);
            continue;
        case FrameCodec::Status::Malformed:
            close(QStringLiteral("malformed or oversized frame"));
            return;
        case FrameCodec::Status::NeedMore:
            break;
        }
        if (socket->bytesAvailable() <= 0)
            break;
        codec.append(socket->read(codec.bytesWanted()));
        stallTimer.start();
    }
    if (codec.bufferedBytes() == 0 || outputFull())
        stallTimer.stop();
}

void ClientConnection::close(const QString &reason)
{
    if (finished)
        return;
    finished = true;
    stallTimer.stop();
    unreadTimer.stop();
    socket->disconnect(this);
    socket->abort();
    emit closed(reason);
}
