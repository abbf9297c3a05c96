#include "support/pageserver.h"

#include <QNetworkProxy>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

PageServer::PageServer(QObject *parent) : QObject(parent)
{
    server.setProxy(QNetworkProxy::NoProxy);
    connect(&server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
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
        const QUrl target(line.section(QLatin1Char(' '), 1, 1), QUrl::StrictMode);
        texts.append(QUrlQuery(target.query(QUrl::FullyEncoded))
                         .queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded));
    }
    return texts;
}

void PageServer::readRequest(QTcpSocket *socket)
{
    // The request head may come in several reads; it stays queued until whole.
    if (!socket->peek(1 << 16).contains("\r\n\r\n"))
        return;
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    const QString line = QString::fromLatin1(socket->readLine()).trimmed();
    lines.append(line);
    const Response response = script.isEmpty() ? defaultResponse : script.dequeue();
    emit requestReceived(line);
    if (response.delayMs < 0)
        return;
    const QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(response.delayMs, Qt::PreciseTimer, this, [guarded, response] {
        if (!guarded)
            return;
        guarded->write("HTTP/1.1 " + QByteArray::number(response.status) +
                       " Status\r\nContent-Type: text/html; charset=UTF-8\r\n"
                       "Connection: close\r\nContent-Length: " +
                       QByteArray::number(response.body.size()) + "\r\n\r\n" + response.body);
        guarded->disconnectFromHost();
    });
}
