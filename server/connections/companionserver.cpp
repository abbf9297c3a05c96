#include "server/connections/companionserver.h"

#include "protocol/serveranswer.h"
#include "protocol/servervocabulary.h"
#include "protocol/translationrequest.h"
#include "server/connections/clientconnection.h"
#include "server/messagelog.h"
#include "server/offline/languagedetector.h"
#include "server/offline/translatorbackend.h"
#include "server/tables/displaytables.h"

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

CompanionServer::CompanionServer(const DisplayTables &displayTables, TranslatorBackend *translator,
                                 int limit, const Limits &bounds, MessageLog *messageLog,
                                 QObject *parent)
    : QObject(parent), tables(displayTables), backend(translator), translationLimit(limit),
      limits(bounds), log(messageLog), ceiling(descriptorCeiling())
{
    connect(backend, &TranslatorBackend::languagesChanged, this, [this] {
        for (auto state = clients.begin(); state != clients.end(); ++state) {
            if (!state->targetsSource.isEmpty())
                sendOfflineTargets(state.key(), state.value());
        }
    });
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
            tables.message(text.mid(ServerVocabulary::displayLanguageAnnouncement().size())));
        return;
    }
    if (text == ServerVocabulary::limitRequest()) {
        client->send(ServerAnswer::limitMessage(translationLimit));
        return;
    }
    const QString targetsSource = text.mid(ServerVocabulary::offlineTargetsRequest().size());
    if (text.startsWith(ServerVocabulary::offlineTargetsRequest()) &&
        TranslationRequest::isLanguageCode(targetsSource)) {
        ClientState &state = clients[client];
        state.targetsSource = targetsSource;
        state.targetsSent.clear();
        sendOfflineTargets(client, state);
        return;
    }
    // "source~target" reads as a request with an empty text.
    TranslationRequest pair;
    if (text.startsWith(ServerVocabulary::prepareRequest()) &&
        TranslationRequest::parse(text.mid(ServerVocabulary::prepareRequest().size()) +
                                      ServerVocabulary::requestSeparator(),
                                  &pair)) {
        backend->prepare(pair.source, pair.target);
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
    TranslationRequest request = state->pending.dequeue();
    const QString detected = request.source == QLatin1String("auto") && detector
                                 ? detector->detect(request.text)
                                 : QString();
    if (!detected.isEmpty())
        request.source = detected;
    // One translation at a time per client keeps its answers in the order of
    // its requests and its share of child processes at one.
    backend->translate(request.source, request.target, request.text, client,
                       [this, client, detected](const QString &answer) {
                           auto current = clients.find(client);
                           if (current == clients.end())
                               return;
                           current->translating = false;
                           if (!detected.isEmpty())
                               client->send(ServerAnswer::detectedLanguageMessage(detected));
                           client->send(ServerAnswer::resultMessage(answer));
                           translateNext(client);
                       });
}

void CompanionServer::sendOfflineTargets(ClientConnection *client, ClientState &state)
{
    const QString answer = ServerAnswer::offlineTargetsMessage(
        state.targetsSource, backend->offlineTargets(state.targetsSource));
    if (answer != state.targetsSent)
        client->send(answer);
    state.targetsSent = answer;
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
