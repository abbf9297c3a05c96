#ifndef SERVERSESSION_H
#define SERVERSESSION_H

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class ClientStuff;
struct TranslationRequest;

// The conversation with the companion server: keeps the link up (dialling
// again every few seconds while it is down), sends the client's messages and
// sorts the server's answers into one signal per kind.
class ServerSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int reconnectPeriodMs = 3500;

    ServerSession(const QString &host, quint16 port, QObject *parent = nullptr);

    // Dials now, and again whenever the link is down when the period ends.
    void start();
    // Dials at once when the link is down, between the periodic attempts.
    void dialIfDown();
    bool isLinked() const;
    const QString &host() const { return serverHost; }
    quint16 port() const { return serverPort; }

    // Writes one frame if the link is up; a message for a link that is down
    // is dropped, as a link still connecting would otherwise deliver it late.
    void sendMessage(const QString &text);
    void announceDisplayLanguage(const QString &languageName);
    void requestLimit();
    void requestTranslation(const TranslationRequest &request);
    void requestOfflineTargets(const QString &sourceCode);
    void prepareTranslation(const QString &sourceCode, const QString &targetCode);

signals:
    void linkChanged(bool up);
    // A dial that found no server of this user: refused, unreachable,
    // unresolved, or another user's.
    void dialFailed();
    void displayTableArrived(const QString &table);
    // Zero or an unreadable number stands for the default limit.
    void limitArrived(int limit);
    // Any text that is no command: a translation, or a notice to show as one.
    void translationArrived(const QString &text);
    void versionMismatched();
    void offlineTargetsArrived(const QString &sourceCode, const QStringList &targetCodes);
    // The language the server found in a text sent with "auto" as source.
    void languageDetected(const QString &code);
    // The server that answered belongs to another user and was sent nothing.
    void foreignServerRefused();

public slots:
    void receivedSomething(QString msg);

private:
    ClientStuff *client;
    QString serverHost;
    quint16 serverPort;
    QTimer reconnectTimer;
};

#endif
