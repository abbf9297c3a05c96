#include "companionserver.h"

#include "clientconnection.h"
#include "displaytables.h"
#include "messagelog.h"
#include "protocol/servervocabulary.h"
#include "protocol/translationrequest.h"
#include "translatorbackend.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <climits>
#include <sys/resource.h>

namespace {

constexpr int acceptRetryMs = 1000;

// Descriptors kept free for pipelines, the log and the server's own use:
// with none left, accept() fails on every wake-up and the loop would spin.
qintptr descriptorCeiling()
{
    struct rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > rlim_t(INT_MAX))
        return INT_MAX;
    return qintptr(limit.rlim_cur - std::min<rlim_t>(256, limit.rlim_cur / 4));
}

QString describeServer(const QTcpServer *server)
{
    const QHostAddress address = server->serverAddress();
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(server->serverPort());
}

} // namespace

CompanionServer::CompanionServer(const DisplayTables &tables, TranslatorBackend *backend,
                                 int translationLimit, const Limits &limits, MessageLog *log,
                                 QObject *parent)
    : QObject(parent), tables(tables), backend(backend), translationLimit(translationLimit),
      limits(limits), log(log), ceiling(descriptorCeiling())
{
}

CompanionServer::~CompanionServer()
{
    // Connections go before the back end so that their translations are
    // cancelled rather than answered into closed sockets.
    const QList<ClientConnection *> open = clients.keys();
    clients.clear();
    qDeleteAll(open);
}

bool CompanionServer::listen(const QHostAddress &address, quint16 port, QString *error,
                             QAbstractSocket::SocketError *errorCode)
{
    auto *server = new QTcpServer(this);
    if (!server->listen(address, port)) {
        *error = server->errorString();
        *errorCode = server->serverError();
        delete server;
        return false;
    }
    connect(server, &QTcpServer::newConnection, this, [this, server] { accept(server); });
    // Qt stops accepting after a failed accept; try again a moment later
    // rather than never, and rather than at once.
    connect(server, &QTcpServer::acceptError, this, [server] {
        qWarning().noquote() << "cannot accept a connection:" << server->errorString();
        server->pauseAccepting();
        QTimer::singleShot(acceptRetryMs, server, [server] { server->resumeAccepting(); });
    });
    servers.append(server);
    return true;
}

QStringList CompanionServer::listeningOn() const
{
    QStringList result;
    for (const QTcpServer *server : servers)
        result.append(describeServer(server));
    return result;
}

QString CompanionServer::sanitizeAnswer(const QString &answer)
{
    if (answer.size() > maxTextLength)
        return QStringLiteral("The translation is too long to send.");
    // One pass: a marker is cut off as soon as the text kept so far ends with
    // it, so a marker that forms only once another is gone is cut off too.
    const QString markers[] = {ServerVocabulary::displayTableMarker(),
                               ServerVocabulary::limitMarker()};
    QString result;
    result.reserve(answer.size());
    for (const QChar c : answer) {
        result += c;
        for (const QString &marker : markers) {
            if (c == marker.back() && result.endsWith(marker)) {
                result.chop(marker.size());
                break;
            }
        }
    }
    if (result == ServerVocabulary::closeLink() || result == ServerVocabulary::versionMismatch())
        result += QLatin1Char(' ');
    return result;
}

void CompanionServer::accept(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        const bool noDescriptors = socket->socketDescriptor() >= ceiling;
        if (noDescriptors || clients.size() >= limits.maxConnections) {
            qInfo().noquote()
                << "refused a connection:"
                << (noDescriptors
                        ? QStringLiteral("file descriptors run short")
                        : QStringLiteral("already %1 connections open").arg(clients.size()));
            socket->abort();
            socket->deleteLater();
            // Until a client leaves, new ones wait in the listen queue.
            if (noDescriptors)
                setAccepting(false);
            continue;
        }
        auto *client = new ClientConnection(socket, limits.outputCap, limits.stallMs, this);
        clients.insert(client, ClientState());
        connect(client, &ClientConnection::messageReceived, this,
                [this, client](const QString &text) { handleMessage(client, text); });
        connect(client, &ClientConnection::closed, this,
                [this, client](const QString &reason) { drop(client, reason); });
        client->start();
    }
}

void CompanionServer::handleMessage(ClientConnection *client, const QString &text)
{
    if (log)
        log->record(client->peer(), text);

    if (text.startsWith(ServerVocabulary::displayLanguageAnnouncement())) {
        client->send(
            ServerVocabulary::displayTableMarker() +
            tables.table(text.mid(ServerVocabulary::displayLanguageAnnouncement().size())));
        return;
    }
    if (text == ServerVocabulary::limitRequest()) {
        client->send(ServerVocabulary::limitMarker() + QString::number(translationLimit));
        return;
    }
    TranslationRequest request;
    if (TranslationRequest::parse(text, &request)) {
        ClientState &state = clients[client];
        if (state.pending.size() >= limits.maxWaiting) {
            client->close(QStringLiteral("more than %1 requests waiting").arg(limits.maxWaiting));
            return;
        }
        state.pending.enqueue(request);
        translateNext(client);
        return;
    }
    qInfo().noquote() << "ignored a message that is no request, from" << client->peer();
}

void CompanionServer::translateNext(ClientConnection *client)
{
    auto state = clients.find(client);
    if (state == clients.end() || state->translating || state->pending.isEmpty())
        return;
    state->translating = true;
    const TranslationRequest request = state->pending.dequeue();
    // One translation at a time per client keeps its answers in the order of
    // its requests and its share of child processes at one.
    backend->translate(request.source, request.target, request.text, client,
                       [this, client](const QString &answer) {
                           auto current = clients.find(client);
                           if (current == clients.end())
                               return;
                           current->translating = false;
                           client->send(sanitizeAnswer(answer));
                           translateNext(client);
                       });
}

void CompanionServer::drop(ClientConnection *client, const QString &reason)
{
    if (!clients.remove(client))
        return;
    qInfo().noquote() << "connection" << client->peer() << "ended:" << reason;
    client->deleteLater();
    setAccepting(true);
}

void CompanionServer::setAccepting(bool on)
{
    for (QTcpServer *server : qAsConst(servers)) {
        if (on)
            server->resumeAccepting();
        else
            server->pauseAccepting();
    }
}
