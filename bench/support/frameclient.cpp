#include "frameclient.h"

#include <QHostAddress>
#include <QTest>

FrameClient::FrameClient()
{
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] { readFrames(); });
}

bool FrameClient::connectTo(quint16 port, int timeoutMs)
{
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; },
                           timeoutMs);
}

void FrameClient::send(const QString &text)
{
    socket.write(FrameCodec::encode(text));
}

void FrameClient::sendRaw(const QByteArray &bytes)
{
    socket.write(bytes);
}

bool FrameClient::receive(QString *text, int timeoutMs)
{
    const bool arrived = QTest::qWaitFor(
        [this] { return !texts.isEmpty() || socket.state() == QAbstractSocket::UnconnectedState; },
        timeoutMs);
    if (!arrived || texts.isEmpty())
        return false;
    *text = texts.dequeue();
    return true;
}

bool FrameClient::waitForClose(int timeoutMs)
{
    return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::UnconnectedState; },
                           timeoutMs);
}

void FrameClient::readFrames()
{
    codec.append(socket.readAll());
    QString text;
    while (codec.next(&text) == FrameCodec::Status::Frame)
        texts.enqueue(text);
}
