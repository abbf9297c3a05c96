#include "net/serversession.h"

#include "net/clientstuff.h"
#include "protocol/framecodec.h"
#include "protocol/serveranswer.h"
#include "protocol/servervocabulary.h"
#include "protocol/translationrequest.h"

#include <QTcpSocket>

ServerSession::ServerSession(const QString &host, quint16 port, QObject *parent)
    : QObject(parent), client(new ClientStuff(this)), serverHost(host), serverPort(port)
{
    reconnectTimer.setInterval(reconnectPeriodMs);
    reconnectTimer.setTimerType(Qt::CoarseTimer);
    connect(&reconnectTimer, &QTimer::timeout, this, &ServerSession::dialIfDown);
    connect(client, &ClientStuff::hasReadSome, this, &ServerSession::receivedSomething);
    connect(client, &ClientStuff::statusChanged, this, &ServerSession::linkChanged);
    connect(client, &ClientStuff::foreignServerRefused, this, &ServerSession::foreignServerRefused);
    connect(client, &ClientStuff::foreignServerRefused, this, &ServerSession::dialFailed);
    connect(client, &ClientStuff::socketError, this, [this] {
        if (!isLinked())
            emit dialFailed();
    });
}

void ServerSession::start()
{
    dialIfDown();
    reconnectTimer.start();
}

bool ServerSession::isLinked() const
{
    return client->getStatus();
}

void ServerSession::dialIfDown()
{
    // A dial under way gets its own time-out; a second one would only fail.
    if (!client->getStatus() && client->tcpSocket->state() == QAbstractSocket::UnconnectedState)
        client->connect2host(serverHost, serverPort);
}

void ServerSession::sendMessage(const QString &text)
{
    client->write(FrameCodec::encode(text));
}

void ServerSession::announceDisplayLanguage(const QString &languageName)
{
    sendMessage(ServerVocabulary::displayLanguageAnnouncement() + languageName);
}

void ServerSession::requestLimit()
{
    sendMessage(ServerVocabulary::limitRequest());
}

void ServerSession::requestTranslation(const TranslationRequest &request)
{
    sendMessage(request.toMessage());
}

void ServerSession::requestOfflineTargets(const QString &sourceCode)
{
    sendMessage(ServerVocabulary::offlineTargetsRequest() + sourceCode);
}

void ServerSession::prepareTranslation(const QString &sourceCode, const QString &targetCode)
{
    sendMessage(ServerVocabulary::prepareRequest() + sourceCode +
                ServerVocabulary::requestSeparator() + targetCode);
}

void ServerSession::receivedSomething(QString msg)
{
    const ServerAnswer answer = ServerAnswer::parse(msg);
    switch (answer.kind) {
    case ServerAnswer::Kind::VersionMismatch:
        emit versionMismatched();
        break;
    case ServerAnswer::Kind::DisplayTable:
        emit displayTableArrived(answer.text);
        break;
    case ServerAnswer::Kind::Limit:
        emit limitArrived(answer.limit);
        break;
    case ServerAnswer::Kind::OfflineTargets:
        emit offlineTargetsArrived(answer.language, answer.targets);
        break;
    case ServerAnswer::Kind::DetectedLanguage:
        emit languageDetected(answer.language);
        break;
    case ServerAnswer::Kind::Result:
        emit translationArrived(answer.text);
        break;
    }
}
