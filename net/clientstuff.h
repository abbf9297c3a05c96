#ifndef CLIENTSTUFF_H
#define CLIENTSTUFF_H

#include "protocol/framecodec.h"

#include <QAbstractSocket>
#include <QObject>
#include <QString>

class QIODevice;
class QLocalSocket;
class QTcpSocket;
class QTimer;

// The one link to the companion server: connects, unframes incoming texts and
// reports whether the link is up. It dials the user's own local socket first
// and TCP only when nothing answers there, and on TCP it links up only with a
// server of the same user: another user's gets nothing and may send nothing.
class ClientStuff : public QObject
{
    Q_OBJECT

public:
    explicit ClientStuff(QObject *parent = nullptr);

    // The current TCP socket. Replaced by a fresh one after an attempt that
    // did not connect in time or found another user's server.
    QTcpSocket *tcpSocket;

    bool getStatus() const { return status; }

    // Writes one frame to the link that is up; with no link it is dropped.
    void write(const QByteArray &frame);

signals:
    void statusChanged(bool);
    void hasReadSome(QString msg);
    // Errors of every TCP socket the channel uses, the replacements included.
    void socketError(QAbstractSocket::SocketError error);
    // The server on the TCP port belongs to another user; it was cut off at once.
    void foreignServerRefused();

public slots:
    void closeConnection();
    void connect2host(QString hostAddress, int portVal);

private slots:
    void readyRead();
    void connected();
    void connectionTimeout();

private:
    QTcpSocket *createSocket();
    void replaceSocket();
    void dialTcp();

    QLocalSocket *localSocket;
    // The socket of the link that is up, or null.
    QIODevice *link = nullptr;
    QString host;
    int port = 0;
    bool status = false;
    FrameCodec decoder;
    QTimer *timeoutTimer;
};

#endif
