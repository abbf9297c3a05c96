#ifndef PAGESERVER_H
#define PAGESERVER_H

#include <QByteArray>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A stand-in for the mobile translation page on 127.0.0.1: records every
// request line and answers each request with the next scripted response, or
// the default one once the script is used up, closing the connection.
class PageServer : public QObject
{
    Q_OBJECT

public:
    // A page with this status and body, sent after delayMs; never sent for a
    // negative delay, while the connection stays open.
    struct Response
    {
        int status = 200;
        QByteArray body;
        int delayMs = 0;

        static Response page(const QByteArray &body, int status = 200, int delayMs = 0)
        {
            return {status, body, delayMs};
        }
    };

    explicit PageServer(QObject *parent = nullptr);

    bool listen();
    quint16 port() const { return server.serverPort(); }
    // http://127.0.0.1:<port>/m
    QUrl url() const;

    void setDefaultResponse(const Response &response) { defaultResponse = response; }
    void enqueue(const Response &response) { script.enqueue(response); }

    // e.g. "GET /m?sl=en&tl=de&q=a%20b HTTP/1.1"
    QStringList requestLines() const { return lines; }
    // The decoded "q" item of each request.
    QStringList requestedTexts() const;
    int requestCount() const { return lines.size(); }

signals:
    void requestReceived(const QString &requestLine);

private:
    void readRequest(QTcpSocket *socket);

    QTcpServer server;
    Response defaultResponse;
    QQueue<Response> script;
    QStringList lines;
};

#endif
