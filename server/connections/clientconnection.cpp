#include "server/connections/clientconnection.h"

#include <QHostAddress>
#include <QLocalSocket>
#include <QTcpSocket>
#include <QtEndian>

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

ClientConnection::ClientConnection(QIODevice *connected, const QString &peer, const Bounds &limits,
                                   QObject *parent)
    : QObject(parent), socket(connected), peerName(peer), bounds(limits),
      lastActivity(std::chrono::steady_clock::now())
{
    socket->setParent(this);
    stallTimer.setSingleShot(true);
    stallTimer.setInterval(bounds.stallMs);
    connect(&stallTimer, &QTimer::timeout, this,
            [this] { close(QStringLiteral("a frame stalled half sent")); });
    unreadTimer.setSingleShot(true);
    unreadTimer.setInterval(bounds.stallMs);
    connect(&unreadTimer, &QTimer::timeout, this,
            [this] { close(QStringLiteral("it does not read its answers")); });
}

ClientConnection::ClientConnection(QTcpSocket *connected, const Bounds &limits, QObject *parent)
    : ClientConnection(static_cast<QIODevice *>(connected), describePeer(connected), limits, parent)
{
    tcp = connected;
    tcp->setReadBufferSize(socketReadBuffer);
}

ClientConnection::ClientConnection(QLocalSocket *connected, const Bounds &limits, QObject *parent)
    : ClientConnection(static_cast<QIODevice *>(connected),
                       QStringLiteral("local:%1").arg(connected->socketDescriptor()), limits,
                       parent)
{
    local = connected;
    local->setReadBufferSize(socketReadBuffer);
}

qint64 ClientConnection::unreadBytes() const
{
    return socket->bytesToWrite();
}

void ClientConnection::start()
{
    connect(socket, &QIODevice::readyRead, this, &ClientConnection::readFrames);
    connect(socket, &QIODevice::bytesWritten, this, &ClientConnection::answersWritten);
    const auto ended = [this] {
        // Frames that arrived just before the close still count.
        readFrames();
        close(QStringLiteral("closed by the client"));
    };
    bool open = false;
    if (tcp) {
        connect(tcp, &QAbstractSocket::disconnected, this, ended);
        connect(tcp, &QAbstractSocket::errorOccurred, this, [this] {
            if (tcp->error() != QAbstractSocket::RemoteHostClosedError)
                close(tcp->errorString());
        });
        open = tcp->state() == QAbstractSocket::ConnectedState;
    } else {
        connect(local, &QLocalSocket::disconnected, this, ended);
        connect(local, &QLocalSocket::errorOccurred, this, [this] {
            if (local->error() != QLocalSocket::PeerClosedError)
                close(local->errorString());
        });
        open = local->state() == QLocalSocket::ConnectedState;
    }
    if (open)
        readFrames();
    else
        close(QStringLiteral("closed by the client"));
}

void ClientConnection::send(const QString &text)
{
    if (finished)
        return;
    lastActivity = std::chrono::steady_clock::now();
    socket->write(FrameCodec::encode(text));
    if (outputFull() && !unreadTimer.isActive()) {
        stallTimer.stop();
        unreadTimer.start();
    }
}

void ClientConnection::setReading(bool on)
{
    if (on == reading)
        return;
    reading = on;
    // Not from inside the receiver's handling of the frame before.
    if (on)
        QMetaObject::invokeMethod(this, &ClientConnection::readFrames, Qt::QueuedConnection);
}

void ClientConnection::answersWritten()
{
    lastActivity = std::chrono::steady_clock::now();
    if (outputFull() || !unreadTimer.isActive())
        return;
    unreadTimer.stop();
    emit drained();
    readFrames();
}

void ClientConnection::readFrames()
{
    while (!finished && reading && !outputFull()) {
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
        const qint64 available = socket->bytesAvailable();
        if (available <= 0)
            break;
        lastActivity = std::chrono::steady_clock::now();
        stallTimer.start();
        if (skipping > 0) {
            skipping -= socket->skip(qMin(skipping, available));
            continue;
        }
        if (codec.bufferedBytes() == 0) {
            if (available < 4)
                break;
            const quint32 size = qFromBigEndian<quint32>(socket->peek(4).constData());
            if (size > bounds.frameCap && size <= FrameCodec::maxFrameSize) {
                skipping = 4 + qint64(size);
                emit oversizedFrame();
                continue;
            }
        }
        codec.append(socket->read(codec.bytesWanted()));
    }
    const bool between =
        codec.bufferedBytes() == 0 && skipping == 0 && socket->bytesAvailable() == 0;
    if (between || !reading || outputFull())
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
    if (tcp)
        tcp->abort();
    else
        local->abort();
    emit closed(reason);
}
