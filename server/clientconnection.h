#ifndef CLIENTCONNECTION_H
#define CLIENTCONNECTION_H

#include "net/framecodec.h"

#include <QObject>
#include <QString>

class QTcpSocket;

// One client link: unframes what the client sends and frames what goes back.
// It reads at most what the frame in progress still needs, so a client can
// make the server hold no more than one frame of its bytes at a time.
class ClientConnection : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of the connected socket.
    explicit ClientConnection(QTcpSocket *socket, QObject *parent = nullptr);

    // "address:port" of the client, with IPv6 addresses in brackets.
    QString peer() const { return peerName; }

    void send(const QString &text);

    // Starts reading; call once the receiver's signals are connected.
    void start();

signals:
    void messageReceived(const QString &text);
    // The link ended, by either side or because of a broken frame; emitted once.
    void closed(const QString &reason);

private:
    void readFrames();
    void finish(const QString &reason);

    QTcpSocket *socket;
    FrameCodec codec;
    QString peerName;
    bool finished = false;
};

#endif
