#include "server/connections/companionserver.h"

#include "protocol/serveranswer.h"
#include "protocol/servervocabulary.h"
#include "protocol/translationrequest.h"
#include "server/messagelog.h"
#include "server/offline/languagedetector.h"
#include "server/offline/translatorbackend.h"
#include "server/tables/displaytables.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtDebug>

#include <algorithm>
#include <climits>
#include <sys/resource.h>

namespace {

constexpr int acceptRetryMs = 1000;
// Room for every message other than a request: display-language names, the
// limit request and what may come, however low the limit.
constexpr qint64 commandFrameBytes = 64 * 1024;

// With no descriptors left, accept() fails on every wake-up and the loop would
// spin, and the pipelines could not start.
qintptr descriptorCeiling(int reserved)
{
    struct rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > rlim_t(INT_MAX))
        return INT_MAX;
    const qintptr all = qintptr(limit.rlim_cur);
    return std::max(all / 4, all - reserved);
}

QString describeServer(const QTcpServer *server)
{
    const QHostAddress address = server->serverAddress();
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                             : address.toString();
    return host + QLatin1Char(':') + QString::number(server->serverPort());
}

qint64 bytesOf(const TranslationRequest &request)
{
    return 2 * qint64(request.text.size());
}

QString tooLongText(int limit)
{
    return QStringLiteral("The text is longer than the %1 characters this server translates at "
                          "once.")
        .arg(limit);
}

QString notUnderstoodText()
{
    return QStringLiteral("The server did not understand this request.");
}

} // namespace

CompanionServer::CompanionServer(const DisplayTables &displayTables, TranslatorBackend *translator,
                                 int limit, const Limits &bounded, MessageLog *messageLog,
                                 QObject *parent)
    : QObject(parent), tables(displayTables), backend(translator), translationLimit(limit),
      limits(bounded),
      bounds({std::max(commandFrameBytes,
                       8 + 2 * (qint64(limit) + TranslationRequest::longestPrefix())),
              limits.outputCap, limits.stallMs}),
      log(messageLog), ceiling(descriptorCeiling(limits.reservedDescriptors)),
      notices(limits.logIntervalMs)
{
    connect(backend, &TranslatorBackend::languagesChanged, this, [this] {
        for (auto state = clients.begin(); state != clients.end(); ++state) {
            if (!state->targetsSource.isEmpty())
                sendOfflineTargets(state.key(), state.value());
        }
        limitOutput();
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

bool CompanionServer::listenLocal(const QString &path, QString *error)
{
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Only a dead server leaves its socket behind: the caller has found no
    // live one answering there.
    QLocalServer::removeServer(path);
    if (!server->listen(path)) {
        *error = server->errorString();
        delete server;
        return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this, server] { acceptLocal(server); });
    localServer = server;
    return true;
}

QStringList CompanionServer::listeningOn() const
{
    QStringList result;
    for (const QTcpServer *server : servers)
        result.append(describeServer(server));
    if (localServer)
        result.append(localServer->fullServerName());
    return result;
}

void CompanionServer::accept(QTcpServer *server)
{
    while (QTcpSocket *socket = server->nextPendingConnection()) {
        if (makeRoom(socket->socketDescriptor(), false)) {
            add(new ClientConnection(socket, bounds, this));
        } else {
            socket->abort();
            socket->deleteLater();
        }
    }
}

void CompanionServer::acceptLocal(QLocalServer *server)
{
    while (QLocalSocket *socket = server->nextPendingConnection()) {
        if (makeRoom(socket->socketDescriptor(), true)) {
            add(new ClientConnection(socket, bounds, this));
        } else {
            socket->abort();
            socket->deleteLater();
        }
    }
}

bool CompanionServer::makeRoom(qintptr descriptor, bool local)
{
    const bool noDescriptors = descriptor >= ceiling;
    if (!noDescriptors && clients.size() < limits.maxConnections)
        return true;
    if (ClientConnection *idle = longestIdle(local)) {
        idle->close(QStringLiteral("gave way to a newcomer, idle longest"));
        return true;
    }
    const QString why = noDescriptors ? QStringLiteral("file descriptors run short")
                                      : QStringLiteral("%1 connections open").arg(clients.size());
    notices.note(QStringLiteral("refused a connection"),
                 QStringLiteral("refused a connection: %1, none of them idle").arg(why));
    // Until a client leaves, new ones wait in the listen queue.
    if (noDescriptors)
        setAccepting(false);
    return false;
}

ClientConnection *CompanionServer::longestIdle(bool local) const
{
    ClientConnection *found = nullptr;
    for (auto entry = clients.cbegin(); entry != clients.cend(); ++entry) {
        ClientConnection *client = entry.key();
        if (entry->translating || !entry->pending.isEmpty() || (client->isLocal() && !local))
            continue;
        if (!found || client->idleSince() < found->idleSince())
            found = client;
    }
    return found;
}

void CompanionServer::add(ClientConnection *client)
{
    clients.insert(client, ClientState());
    connect(client, &ClientConnection::messageReceived, this,
            [this, client](const QString &text) { handleMessage(client, text); });
    connect(client, &ClientConnection::oversizedFrame, this, [this, client] {
        enqueue(client, {{}, tooLongText(translationLimit)});
    });
    connect(client, &ClientConnection::drained, this, [this, client] { translateNext(client); });
    connect(client, &ClientConnection::closed, this,
            [this, client](const QString &reason) { drop(client, reason); });
    client->start();
}

void CompanionServer::handleMessage(ClientConnection *client, const QString &text)
{
    if (log)
        log->record(client->peer(), text);

    if (text.startsWith(ServerVocabulary::displayLanguageAnnouncement())) {
        client->send(
            tables.message(text.mid(ServerVocabulary::displayLanguageAnnouncement().size())));
        limitOutput();
        return;
    }
    if (text == ServerVocabulary::limitRequest()) {
        client->send(ServerAnswer::limitMessage(translationLimit));
        limitOutput();
        return;
    }
    const QString targetsSource = text.mid(ServerVocabulary::offlineTargetsRequest().size());
    if (text.startsWith(ServerVocabulary::offlineTargetsRequest()) &&
        TranslationRequest::isLanguageCode(targetsSource)) {
        ClientState &state = clients[client];
        state.targetsSource = targetsSource;
        state.targetsSent.clear();
        sendOfflineTargets(client, state);
        limitOutput();
        return;
    }
    // Asks for no answer, even when it names no pair. "source~target" reads
    // as a request with an empty text.
    if (text.startsWith(ServerVocabulary::prepareRequest())) {
        TranslationRequest pair;
        if (TranslationRequest::parse(text.mid(ServerVocabulary::prepareRequest().size()) +
                                          ServerVocabulary::requestSeparator(),
                                      &pair))
            backend->prepare(pair.source, pair.target);
        return;
    }
    Work work;
    if (!TranslationRequest::parse(text, &work.request)) {
        notices.note(
            QStringLiteral("answered a message that is no request"),
            QStringLiteral("answered a message that is no request, from %1").arg(client->peer()));
        work.notice = notUnderstoodText();
    } else if (work.request.text.size() > translationLimit) {
        work = {{}, tooLongText(translationLimit)};
    }
    enqueue(client, work);
}

void CompanionServer::enqueue(ClientConnection *client, const Work &work)
{
    auto state = clients.find(client);
    if (state == clients.end())
        return;
    state->pending.enqueue(work);
    state->waitingBytes += bytesOf(work.request);
    waitingTotal += bytesOf(work.request);
    translateNext(client);
}

void CompanionServer::translateNext(ClientConnection *client)
{
    for (;;) {
        auto state = clients.find(client);
        if (state == clients.end())
            return;
        if (state->translating || state->pending.isEmpty() || client->outputFull())
            break;
        const Work work = state->pending.dequeue();
        if (!work.notice.isNull()) {
            client->send(ServerAnswer::resultMessage(work.notice));
            continue;
        }
        state->translating = true;
        TranslationRequest request = work.request;
        const QString detected = request.source == QLatin1String("auto") && detector
                                     ? detector->detect(request.text)
                                     : QString();
        if (!detected.isEmpty())
            request.source = detected;
        // One translation at a time per client keeps its answers in the order
        // of its requests and its share of child processes at one.
        backend->translate(
            request.source, request.target, request.text, client,
            [this, client, detected, bytes = bytesOf(request)](const QString &answer) {
                auto current = clients.find(client);
                if (current == clients.end())
                    return;
                current->translating = false;
                current->waitingBytes -= bytes;
                release(bytes);
                if (!detected.isEmpty())
                    client->send(ServerAnswer::detectedLanguageMessage(detected));
                client->send(ServerAnswer::resultMessage(answer));
                translateNext(client);
            });
    }
    updateReading(client);
    limitOutput();
}

void CompanionServer::release(qint64 bytes)
{
    const bool wasFull = waitingTotal >= limits.totalWaitingBytes;
    waitingTotal -= bytes;
    if (!wasFull || waitingTotal >= limits.totalWaitingBytes)
        return;
    for (ClientConnection *client : clients.keys())
        updateReading(client);
}

void CompanionServer::updateReading(ClientConnection *client)
{
    const auto state = clients.constFind(client);
    if (state == clients.cend())
        return;
    const bool idle = state->pending.isEmpty() && !state->translating;
    client->setReading(idle || (state->pending.size() < limits.maxWaiting &&
                                state->waitingBytes < limits.waitingBytes &&
                                waitingTotal < limits.totalWaitingBytes));
}

void CompanionServer::limitOutput()
{
    for (;;) {
        qint64 total = 0;
        ClientConnection *most = nullptr;
        for (ClientConnection *client : clients.keys()) {
            total += client->unreadBytes();
            if (!most || client->unreadBytes() > most->unreadBytes())
                most = client;
        }
        if (total <= limits.totalOutputCap || !most)
            return;
        most->close(QStringLiteral("it left the most of all unread answers, past what the "
                                   "server keeps for all clients"));
    }
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
    auto state = clients.find(client);
    if (state == clients.end())
        return;
    const qint64 bytes = state->waitingBytes;
    clients.erase(state);
    release(bytes);
    notices.note(QStringLiteral("connection ended: ") + reason,
                 QStringLiteral("connection %1 ended: %2").arg(client->peer(), reason));
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
