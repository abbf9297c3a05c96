#include "net/clientstuff.h"

#include "protocol/localservername.h"
#include "protocol/portowner.h"
#include "protocol/servervocabulary.h"

#include <QLocalSocket>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr int connectTimeoutMs = 3000;
// Socket reads go through a fixed buffer so that a large declared frame never
// makes the channel allocate ahead of the bytes that have actually arrived.
constexpr qint64 readChunkSize = 64 * 1024;

} // namespace

ClientStuff::ClientStuff(QObject *parent)
    : QObject(parent), tcpSocket(nullptr), localSocket(new QLocalSocket(this)),
      timeoutTimer(new QTimer(this))
{
    tcpSocket = createSocket();
    connect(localSocket, &QLocalSocket::connected, this, &ClientStuff::connected);
    // Nobody serving the local socket sends the attempt on to TCP.
    connect(localSocket, &QLocalSocket::errorOccurred, this, [this] {
        if (!link && timeoutTimer->isActive() &&
            tcpSocket->state() == QAbstractSocket::UnconnectedState)
            dialTcp();
    });
    connect(localSocket, &QLocalSocket::disconnected, this, [this] {
        if (link == localSocket)
            closeConnection();
    });
    timeoutTimer->setSingleShot(true);
    timeoutTimer->setInterval(connectTimeoutMs);
    connect(timeoutTimer, &QTimer::timeout, this, &ClientStuff::connectionTimeout);
}

QTcpSocket *ClientStuff::createSocket()
{
    auto *socket = new QTcpSocket(this);
    connect(socket, &QAbstractSocket::disconnected, this, &ClientStuff::closeConnection);
    connect(socket, &QAbstractSocket::errorOccurred, this, &ClientStuff::socketError);
    return socket;
}

void ClientStuff::replaceSocket()
{
    // The old socket may be the sender of a signal still being delivered further
    // up the stack, so it is cut off from the channel now and deleted later.
    QTcpSocket *old = tcpSocket;
    disconnect(old, nullptr, this, nullptr);
    old->abort();
    old->deleteLater();
    tcpSocket = createSocket();
}

void ClientStuff::connect2host(QString hostAddress, int portVal)
{
    timeoutTimer->start();
    host = hostAddress;
    port = portVal;
    // Whatever a previous link left half-read must not be taken for the start
    // of this link's first frame.
    decoder.reset();
    const QString local = LocalServerName::forPort(quint16(port));
    if (local.isEmpty())
        dialTcp();
    else if (localSocket->state() == QLocalSocket::UnconnectedState)
        localSocket->connectToServer(local);
}

void ClientStuff::dialTcp()
{
    tcpSocket->connectToHost(host, quint16(port), QIODevice::ReadWrite,
                             QAbstractSocket::AnyIPProtocol);
    // A second call during the same attempt must not report the link twice.
    connect(tcpSocket, &QAbstractSocket::connected, this, &ClientStuff::connected,
            Qt::UniqueConnection);
}

void ClientStuff::connected()
{
    // A quick redial can find the local socket while the TCP dial of the
    // attempt before is still under way: the first way in stays the link,
    // and a second would report it up again.
    if (link) {
        if (sender() == tcpSocket)
            replaceSocket();
        else
            localSocket->abort();
        return;
    }
    if (sender() == tcpSocket && PortOwner::of(tcpSocket->peerAddress(), tcpSocket->peerPort()) ==
                                     PortOwner::Verdict::OtherUser) {
        replaceSocket();
        emit foreignServerRefused();
        return;
    }
    link = sender() == tcpSocket ? static_cast<QIODevice *>(tcpSocket) : localSocket;
    connect(link, &QIODevice::readyRead, this, &ClientStuff::readyRead, Qt::UniqueConnection);
    decoder.reset();
    status = true;
    emit statusChanged(true);
}

void ClientStuff::write(const QByteArray &frame)
{
    if (link)
        link->write(frame);
}

void ClientStuff::connectionTimeout()
{
    if (link)
        return;
    localSocket->abort();
    replaceSocket();
}

void ClientStuff::closeConnection()
{
    timeoutTimer->stop();
    disconnect(tcpSocket, &QAbstractSocket::connected, nullptr, nullptr);
    disconnect(tcpSocket, &QIODevice::readyRead, nullptr, nullptr);
    disconnect(localSocket, &QIODevice::readyRead, this, nullptr);
    const bool wasLocal = link == localSocket;
    link = nullptr;
    localSocket->abort();
    if (wasLocal) {
        status = false;
        emit statusChanged(false);
        return;
    }

    switch (tcpSocket->state()) {
    case QAbstractSocket::UnconnectedState:
        tcpSocket->disconnectFromHost();
        status = false;
        emit statusChanged(false);
        break;
    case QAbstractSocket::ConnectingState:
        tcpSocket->abort();
        status = false;
        emit statusChanged(false);
        break;
    default:
        // Aborting an established link reports disconnected() at once, and the
        // nested run of this slot finds the socket unconnected and reports the
        // end of the link exactly once.
        tcpSocket->abort();
        break;
    }
}

void ClientStuff::readyRead()
{
    char chunk[readChunkSize];
    for (;;) {
        QString text;
        const FrameCodec::Status result = decoder.next(&text);
        if (result == FrameCodec::Status::Malformed) {
            // Nothing after a broken frame can be trusted to start on a frame
            // boundary; a fresh link is the only way back in step.
            decoder.reset();
            closeConnection();
            return;
        }
        if (result == FrameCodec::Status::NeedMore) {
            // A closed link has nothing left to read, which ends the loop
            // after a frame that closed it.
            if (!link || link->bytesAvailable() <= 0)
                return;
            const qint64 wanted = qMin(decoder.bytesWanted(), readChunkSize);
            const qint64 got = link->read(chunk, wanted);
            if (got <= 0)
                return;
            decoder.append(chunk, got);
            continue;
        }
        if (text == ServerVocabulary::closeLink()) {
            text = QStringLiteral("Connection closed");
            closeConnection();
        }
        emit hasReadSome(text);
    }
}
