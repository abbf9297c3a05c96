#ifndef COMPANIONSERVER_H
#define COMPANIONSERVER_H

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QString>

class ClientConnection;
class DisplayTables;
class MessageLog;
class QTcpServer;
class TranslatorBackend;

// Serves any number of clients at once on the framed text channel: display
// tables for announced display languages, the translation limit, and
// translations through the chosen back end. Nothing here blocks: a client
// that is slow, silent or waiting for a long translation holds up only itself.
class CompanionServer : public QObject
{
    Q_OBJECT

public:
    CompanionServer(const DisplayTables &tables, TranslatorBackend *backend, int translationLimit,
                    MessageLog *log, QObject *parent = nullptr);
    ~CompanionServer() override;

    // Starts listening on one more address; false with *error set on failure,
    // *errorCode telling why.
    bool listen(const QHostAddress &address, quint16 port, QString *error,
                QAbstractSocket::SocketError *errorCode);

    // "address:port" of every listening socket.
    QStringList listeningOn() const;

    // Makes a translation answer safe to send: the client takes an answer that
    // carries a table or limit marker, equals "0" or equals the version text
    // as a command. Markers are removed (repeatedly, since removing one can
    // join the pieces of another); "0" and the version text get a trailing
    // space, which keeps them readable and turns them into plain results.
    static QString sanitizeAnswer(const QString &answer);

private:
    struct Request
    {
        QString source;
        QString target;
        QString text;
    };
    struct ClientState
    {
        QQueue<Request> pending;
        bool translating = false;
    };

    void accept(QTcpServer *server);
    void handleMessage(ClientConnection *client, const QString &text);
    void translateNext(ClientConnection *client);
    void drop(ClientConnection *client, const QString &reason);

    const DisplayTables &tables;
    TranslatorBackend *backend;
    const int translationLimit;
    MessageLog *log;
    QList<QTcpServer *> servers;
    QHash<ClientConnection *, ClientState> clients;
};

#endif
