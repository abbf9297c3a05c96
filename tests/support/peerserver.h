#ifndef PEERSERVER_H
#define PEERSERVER_H

#include "protocol/framecodec.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>

#include <memory>
#include <vector>

class QTcpSocket;

// A companion server in the test's own process, on 127.0.0.1 and a free port,
// speaking frames. It keeps every accepted link, numbered from 0 in order of
// arrival; a link number of -1 means the newest.
class PeerServer : public QObject
{
    Q_OBJECT

public:
    explicit PeerServer(QObject *parent = nullptr);
    ~PeerServer() override;

    bool listen();
    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return server.serverPort(); }

    int connectionCount() const { return int(links.size()); }
    bool isOpen(int link = -1) const { return linkAt(link) && linkAt(link)->open; }

    QStringList receivedTexts(int link = -1) const
    {
        return linkAt(link) ? linkAt(link)->texts : QStringList();
    }

    void sendText(const QString &text, int link = -1) { sendRaw(FrameCodec::encode(text), link); }
    void sendTexts(const QStringList &texts, int link = -1);
    void sendRaw(const QByteArray &bytes, int link = -1);
    void closeLink(int link = -1);

    bool waitForConnections(int count, int timeoutMs = 5000);
    bool waitForTexts(int count, int timeoutMs = 5000);

private:
    struct Link
    {
        QTcpSocket *socket = nullptr;
        FrameCodec decoder;
        QStringList texts;
        bool open = true;
    };

    void acceptPending();
    void readFrom(int link);
    Link *linkAt(int link) const;

    QTcpServer server;
    std::vector<std::unique_ptr<Link>> links;
    QStringList allTexts;
};

#endif
