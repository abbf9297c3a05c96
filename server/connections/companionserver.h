#ifndef COMPANIONSERVER_H
#define COMPANIONSERVER_H

#include "protocol/translationrequest.h"
#include "server/connections/clientconnection.h"
#include "server/connections/logthrottle.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QString>

class DisplayTables;
class LanguageDetector;
class MessageLog;
class QLocalServer;
class QTcpServer;
class TranslatorBackend;

// Serves any number of clients at once on the framed text channel: display
// tables for announced display languages, the translation limit, and
// translations through the chosen back end. Nothing here blocks: a client
// that is slow, silent or waiting for a long translation holds up only itself.
//
// Every request gets one answer, in the order of the client's requests: a
// text past the limit, or a message the server does not understand, gets a
// plain notice without reaching the back end. A client with as many requests
// or bytes waiting as it may have, or any client while all clients together
// have as many bytes waiting as the server keeps, is not read from until
// its work shrinks (its next request waits in the system's buffers); every
// client may always have one request in hand. When all together leave more
// answers unread than the server keeps, the one leaving the most is closed.
// At the connection cap, or when descriptors run short, the connection idle
// longest gives way to a newcomer; a newcomer on TCP never pushes out one on
// the user's local socket.
class CompanionServer : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int maxConnections = 500;
        int maxWaiting = 100;
        int waitingBytes = 1 << 20;
        int totalWaitingBytes = 32 << 20;
        int outputCap = 4 << 20;
        int totalOutputCap = 64 << 20;
        int stallMs = 30000;
        int logIntervalMs = 10000;
        // Descriptors kept for the pipelines, the log and the server's own use.
        int reservedDescriptors = 256;
    };

    CompanionServer(const DisplayTables &tables, TranslatorBackend *backend, int translationLimit,
                    const Limits &limits, MessageLog *log, QObject *parent = nullptr);
    ~CompanionServer() override;

    // Starts listening on one more address; false with *error set on failure,
    // *errorCode telling why.
    bool listen(const QHostAddress &address, quint16 port, QString *error,
                QAbstractSocket::SocketError *errorCode);
    // Starts listening on a local socket, replacing a stale socket file.
    bool listenLocal(const QString &path, QString *error);

    // "address:port" of every listening TCP socket, and the local socket's path.
    QStringList listeningOn() const;

    // Resolves the source "auto" before the back end sees a request, and
    // tells the client what it found just before the translation.
    void setLanguageDetector(const LanguageDetector *languageDetector)
    {
        detector = languageDetector;
    }

private:
    struct Work
    {
        TranslationRequest request;
        // Set when the request is answered without the back end; sent in turn.
        QString notice;
    };
    struct ClientState
    {
        QQueue<Work> pending;
        // The texts of the pending requests and of the one in translation.
        qint64 waitingBytes = 0;
        bool translating = false;
        // The source of the last offline targets asked for, and the answer
        // sent, which is sent again when the language data changes it.
        QString targetsSource;
        QString targetsSent;
    };

    void accept(QTcpServer *server);
    void acceptLocal(QLocalServer *server);
    bool makeRoom(qintptr descriptor, bool local);
    ClientConnection *longestIdle(bool local) const;
    void add(ClientConnection *client);
    void handleMessage(ClientConnection *client, const QString &text);
    void enqueue(ClientConnection *client, const Work &work);
    void translateNext(ClientConnection *client);
    void sendOfflineTargets(ClientConnection *client, ClientState &state);
    // Takes bytes off the total, letting clients read again once it has room.
    void release(qint64 bytes);
    void updateReading(ClientConnection *client);
    void limitOutput();
    void drop(ClientConnection *client, const QString &reason);
    void setAccepting(bool on);

    const DisplayTables &tables;
    TranslatorBackend *backend;
    const int translationLimit;
    const Limits limits;
    const ClientConnection::Bounds bounds;
    MessageLog *log;
    const LanguageDetector *detector = nullptr;
    const qintptr ceiling;
    LogThrottle notices;
    QList<QTcpServer *> servers;
    QLocalServer *localServer = nullptr;
    QHash<ClientConnection *, ClientState> clients;
    qint64 waitingTotal = 0;
};

#endif
