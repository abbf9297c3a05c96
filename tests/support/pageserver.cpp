#include "support/pageserver.h"

#include <QNetworkProxy>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QVariant>

#include <utility>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

const char requestPropertyBuffer[] = "pageServerBuffer";

} // namespace

PageServer::Response PageServer::Response::page(const QByteArray &body, int status, int delayMs)
{
    Response response;
    response.body = body;
    response.status = status;
    response.delayMs = delayMs;
    return response;
}

PageServer::Response PageServer::Response::withHeader(int status, const QByteArray &name,
                                                      const QByteArray &value,
                                                      const QByteArray &body)
{
    Response response = page(body, status);
    response.headers.append(qMakePair(name, value));
    return response;
}

PageServer::Response PageServer::Response::neverAnswer()
{
    Response response;
    response.kind = Kind::NeverAnswer;
    return response;
}

PageServer::Response PageServer::Response::closeAtOnce()
{
    Response response;
    response.kind = Kind::CloseAtOnce;
    return response;
}

PageServer::PageServer(QObject *parent) : QObject(parent)
{
    server.setProxy(QNetworkProxy::NoProxy);
    connect(&server, &QTcpServer::newConnection, this, &PageServer::accept);
}

PageServer::~PageServer()
{
    const QList<QTcpSocket *> open = std::exchange(connections, {});
    for (QTcpSocket *socket : open) {
        socket->disconnect(this);
        delete socket;
    }
}

bool PageServer::listen()
{
    return server.listen(QHostAddress::LocalHost, 0);
}

QUrl PageServer::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/m").arg(port()));
}

QStringList PageServer::requestedTexts() const
{
    QStringList texts;
    for (const QString &line : lines) {
        const QString target = line.section(QLatin1Char(' '), 1, 1);
        const QUrlQuery query(QUrl(target, QUrl::StrictMode).query(QUrl::FullyEncoded));
        texts.append(query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded));
    }
    return texts;
}

void PageServer::accept()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        socket->setParent(nullptr);
        connections.append(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            connections.removeOne(socket);
            socket->deleteLater();
        });
    }
}

void PageServer::readRequest(QTcpSocket *socket)
{
    QByteArray buffer = socket->property(requestPropertyBuffer).toByteArray() + socket->readAll();
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        socket->setProperty(requestPropertyBuffer, buffer);
        return;
    }
    // One request per connection: whatever follows the header block is ignored.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->setProperty(requestPropertyBuffer, QVariant());
    const int lineEnd = buffer.indexOf("\r\n");
    const QString line = QString::fromLatin1(buffer.left(lineEnd));
    lines.append(line);
    headerBlocks.append(buffer.mid(lineEnd + 2, headerEnd - lineEnd - 2));

    const Response response = script.isEmpty() ? defaultResponse : script.dequeue();
    emit requestReceived(line);

    switch (response.kind) {
    case Response::Kind::NeverAnswer:
        return;
    case Response::Kind::CloseAtOnce:
        socket->abort();
        connections.removeOne(socket);
        socket->deleteLater();
        return;
    case Response::Kind::Answer:
        break;
    }
    if (response.delayMs <= 0) {
        answer(socket, response);
        return;
    }
    const QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(response.delayMs, Qt::PreciseTimer, this, [this, guarded, response] {
        if (guarded)
            answer(guarded, response);
    });
}

void PageServer::answer(QTcpSocket *socket, const Response &response)
{
    QByteArray message = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                         reasonPhrase(response.status) + "\r\n";
    message += "Content-Type: text/html; charset=UTF-8\r\n";
    message += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    message += "Connection: close\r\n";
    for (const auto &header : response.headers)
        message += header.first + ": " + header.second + "\r\n";
    message += "\r\n" + response.body;
    socket->write(message);
    socket->disconnectFromHost();
}
