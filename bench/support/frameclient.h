#ifndef FRAMECLIENT_H
#define FRAMECLIENT_H

#include "protocol/framecodec.h"

#include <QByteArray>
#include <QQueue>
#include <QString>
#include <QTcpSocket>

// A minimal peer of the companion server for tests and benchmarks: sends
// framed texts (or raw bytes) and collects the framed texts that come back.
// Waiting runs the event loop, so several clients can be driven at once.
class FrameClient
{
public:
    FrameClient();

    bool connectTo(quint16 port, int timeoutMs = 10000);
    void send(const QString &text);
    void sendRaw(const QByteArray &bytes);

    // Waits until a text has arrived and takes it out; false on time-out or
    // when the link closes first.
    bool receive(QString *text, int timeoutMs = 30000);
    // Texts received and not yet taken.
    int pendingCount() const { return texts.size(); }

    quint16 localPort() const { return socket.localPort(); }
    bool isConnected() const { return socket.state() == QAbstractSocket::ConnectedState; }
    // Waits until the server has closed the link.
    bool waitForClose(int timeoutMs = 10000);

private:
    void readFrames();

    QTcpSocket socket;
    FrameCodec codec;
    QQueue<QString> texts;
};

#endif
