#ifndef PAGESERVER_H
#define PAGESERVER_H

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QQueue>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A stand-in for the mobile translation page: an HTTP/1.1 responder on
// 127.0.0.1 that records every request line and answers each request with the
// next scripted response, or with the default response once the script is used
// up. Every answer closes its connection.
class PageServer : public QObject
{
    Q_OBJECT

public:
    struct Response
    {
        enum class Kind
        {
            Answer,
            NeverAnswer,
            CloseAtOnce
        };

        Kind kind = Kind::Answer;
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        QList<QPair<QByteArray, QByteArray>> headers;

        // A page with the given body, sent after delayMs.
        static Response page(const QByteArray &body, int status = 200, int delayMs = 0);
        // A status-only answer with an extra header, e.g. a redirect.
        static Response withHeader(int status, const QByteArray &name, const QByteArray &value,
                                   const QByteArray &body = QByteArray());
        // Reads the request and then keeps the connection open without a word.
        static Response neverAnswer();
        // Reads the request and closes the connection without an answer.
        static Response closeAtOnce();
    };

    explicit PageServer(QObject *parent = nullptr);
    ~PageServer() override;

    // Starts listening on a free port of 127.0.0.1.
    bool listen();
    quint16 port() const { return server.serverPort(); }
    // The page address to give a WebTranslator: http://127.0.0.1:<port>/m
    QUrl url() const;

    void setDefaultResponse(const Response &response) { defaultResponse = response; }
    void enqueue(const Response &response) { script.enqueue(response); }

    // Request lines as received, e.g. "GET /m?sl=en&tl=de&q=a%20b HTTP/1.1".
    QStringList requestLines() const { return lines; }
    // The header block of each request, without the request line.
    QList<QByteArray> requestHeaders() const { return headerBlocks; }
    // The decoded "q" item of each request, in order.
    QStringList requestedTexts() const;
    int requestCount() const { return lines.size(); }

signals:
    void requestReceived(const QString &requestLine);

private:
    void accept();
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Response &response);

    QTcpServer server;
    QList<QTcpSocket *> connections;
    Response defaultResponse;
    QQueue<Response> script;
    QStringList lines;
    QList<QByteArray> headerBlocks;
};

#endif
