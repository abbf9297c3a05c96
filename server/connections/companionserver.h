#ifndef COMPANIONSERVER_H
#define COMPANIONSERVER_H

#include "protocol/translationrequest.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QString>

class ClientConnection;
class DisplayTables;
class LanguageDetector;
class MessageLog;
class QTcpServer;
class TranslatorBackend;

// Serves any number of clients at once on the framed text channel: display
// tables for announced display languages, the translation limit, and
// translations through the chosen back end. Nothing here blocks: a client
// that is slow, silent or waiting for a long translation holds up only itself,
// and one that floods, stalls or never reads is closed before it can take
// more than its share.
class CompanionServer : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int maxConnections = 500;
        int maxWaiting = 100;
        qint64 outputCap = 32 * 1024 * 1024;
        int stallMs = 30000;
    };

    CompanionServer(const DisplayTables &tables, TranslatorBackend *backend, int translationLimit,
                    const Limits &limits, MessageLog *log, QObject *parent = nullptr);
    ~CompanionServer() override;

    // Starts listening on one more address; false with *error set on failure,
    // *errorCode telling why.
    bool listen(const QHostAddress &address, quint16 port, QString *error,
                QAbstractSocket::SocketError *errorCode);

    // "address:port" of every listening socket.
    QStringList listeningOn() const;

    // Resolves the source "auto" before the back end sees a request, and
    // tells the client what it found just before the translation.
    void setLanguageDetector(const LanguageDetector *languageDetector)
    {
        detector = languageDetector;
    }

private:
    struct ClientState
    {
        QQueue<TranslationRequest> pending;
        bool translating = false;
        // The source of the last offline targets asked for, and the answer
        // sent, which is sent again when the language data changes it.
        QString targetsSource;
        QString targetsSent;
    };

    void accept(QTcpServer *server);
    void handleMessage(ClientConnection *client, const QString &text);
    void translateNext(ClientConnection *client);
    void sendOfflineTargets(ClientConnection *client, ClientState &state);
    void drop(ClientConnection *client, const QString &reason);
    void setAccepting(bool on);

    const DisplayTables &tables;
    TranslatorBackend *backend;
    const int translationLimit;
    const Limits limits;
    MessageLog *log;
    const LanguageDetector *detector = nullptr;
    const qintptr ceiling;
    QList<QTcpServer *> servers;
    QHash<ClientConnection *, ClientState> clients;
};

#endif
