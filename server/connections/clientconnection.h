#ifndef CLIENTCONNECTION_H
#define CLIENTCONNECTION_H

#include "protocol/framecodec.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

class QIODevice;
class QLocalSocket;
class QTcpSocket;

// One client link, over TCP or the user's local socket: unframes what the
// client sends and frames what goes back. It reads at most what the frame in
// progress still needs, and a frame longer than frameCap is not kept at all:
// it is reported at its length field and its bytes are let go as they come.
// So a client makes the server hold no more than one frame of its bytes at a
// time. A client that leaves more than outputCap bytes of answers unread is
// not read from until they drain, and is closed when they stay above the cap
// for stallMs; so is a client that leaves a frame half sent for stallMs.
class ClientConnection : public QObject
{
    Q_OBJECT

public:
    struct Bounds
    {
        qint64 frameCap;
        qint64 outputCap;
        int stallMs;
    };

    // Take ownership of the connected socket.
    ClientConnection(QTcpSocket *socket, const Bounds &bounds, QObject *parent = nullptr);
    ClientConnection(QLocalSocket *socket, const Bounds &bounds, QObject *parent = nullptr);

    // "address:port" of a TCP client, with IPv6 addresses in brackets;
    // "local:" and the descriptor for the local socket.
    QString peer() const { return peerName; }
    bool isLocal() const { return local != nullptr; }
    std::chrono::steady_clock::time_point idleSince() const { return lastActivity; }
    qint64 unreadBytes() const;
    bool outputFull() const { return unreadBytes() > bounds.outputCap; }

    void send(const QString &text);

    // Starts reading; call once the receiver's signals are connected.
    void start();

    // Stops taking frames, so that what the client sends waits in the
    // system's buffers, or takes them again.
    void setReading(bool on);

    // Ends the link from the server's side; emits closed(reason).
    void close(const QString &reason);

signals:
    void messageReceived(const QString &text);
    // A frame longer than frameCap began; none of it is handed out.
    void oversizedFrame();
    // Unread answers fell back below the output cap.
    void drained();
    // The link ended, by either side or because of a broken frame; emitted once.
    void closed(const QString &reason);

private:
    ClientConnection(QIODevice *socket, const QString &peer, const Bounds &bounds, QObject *parent);
    void readFrames();
    void answersWritten();

    QIODevice *socket;
    QTcpSocket *tcp = nullptr;
    QLocalSocket *local = nullptr;
    FrameCodec codec;
    QString peerName;
    const Bounds bounds;
    QTimer stallTimer;
    QTimer unreadTimer;
    std::chrono::steady_clock::time_point lastActivity;
    // Bytes of an oversized frame still to let go.
    qint64 skipping = 0;
    bool reading = true;
    bool finished = false;
};

#endif
