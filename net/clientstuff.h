#ifndef CLIENTSTUFF_H
#define CLIENTSTUFF_H

#include "protocol/framecodec.h"

#include <QAbstractSocket>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

// The one link to the companion server: connects, unframes incoming texts and
// reports whether the link is up.
class ClientStuff : public QObject
{
    Q_OBJECT

public:
    explicit ClientStuff(QObject *parent = nullptr);

    // The current socket. Replaced by a fresh one after an attempt that did
    // not connect in time; frames are written to it directly.
    QTcpSocket *tcpSocket;

    bool getStatus() const { return status; }

signals:
    void statusChanged(bool);
    void hasReadSome(QString msg);
    // Errors of every socket the channel uses, the replacements included.
    void socketError(QAbstractSocket::SocketError error);

public slots:
    void closeConnection();
    void connect2host(QString hostAddress, int portVal);

private slots:
    void readyRead();
    void connected();
    void connectionTimeout();

private:
    QTcpSocket *createSocket();

    QString host;
    int port = 0;
    bool status = false;
    FrameCodec decoder;
    QTimer *timeoutTimer;
};

#endif
