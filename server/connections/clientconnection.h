#ifndef CLIENTCONNECTION_H
#define CLIENTCONNECTION_H

#include "protocol/framecodec.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QTcpSocket;

// One client link: unframes what the client sends and frames what goes back.
// It reads at most what the frame in progress still needs, so a client can
// make the server hold no more than one frame of its bytes at a time. A
// client that leaves more than outputCap bytes of answers unread is not read
// from until they drain, and is closed when they stay above the cap for
// stallMs; so is a client that leaves a frame half sent for stallMs.
class ClientConnection : public QObject
{
    Q_OBJECT

public:
    // Takes ownership of the connected socket.
    ClientConnection(QTcpSocket *socket, qint64 outputCap, int stallMs, QObject *parent = nullptr);

    // "address:port" of the client, with IPv6 addresses in brackets.
    QString peer() const { return peerName; }

    void send(const QString &text);

    // Starts reading; call once the receiver's signals are connected.
    void start();

    // Ends the link from the server's side; emits closed(reason).
    void close(const QString &reason);

signals:
    void messageReceived(const QString &text);
    // The link ended, by either side or because of a broken frame; emitted once.
    void closed(const QString &reason);

private:
    void readFrames();
    bool outputFull() const;
    void answersWritten();

    QTcpSocket *socket;
    FrameCodec codec;
    QString peerName;
    const qint64 outputCap;
    QTimer stallTimer;
    QTimer unreadTimer;
    bool finished = false;
};

#endif
