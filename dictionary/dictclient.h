#ifndef DICTCLIENT_H
#define DICTCLIENT_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

class QTcpSocket;

// One conversation with a DICT server (RFC 2229): optionally "SHOW DB", then
// one "DEFINE" per database, all sent at once after the banner. finished()
// comes exactly once: when the last answer is in, or at once when the server
// refuses, drops the link, says something unexpected or stays silent past the
// time-out. The client deletes itself after that.
class DictClient : public QObject
{
    Q_OBJECT

public:
    struct Database
    {
        QString name;
        QString description;
    };
    struct Definition
    {
        QString word;
        QString database;
        QString text;
    };
    struct Reply
    {
        // False when the conversation broke off; what came before stays.
        bool complete = false;
        QVector<Database> databases;
        QVector<Definition> definitions;
    };

    DictClient(const QString &serverHost, quint16 serverPort, int timeoutMs,
               QObject *parent = nullptr);

    void start(bool listDatabases, const QString &word, const QStringList &databases);

    // The word as one DICT argument: quoted, with quotes and backslashes escaped.
    static QByteArray quoted(const QString &word);

signals:
    void finished(const DictClient::Reply &reply);

private:
    void readLines();
    // Takes one line of the server's answer; false ends the conversation.
    bool take(const QString &line);
    void finish(bool complete);

    const QString host;
    const quint16 port;
    QTcpSocket *socket;
    QTimer deadline;
    QByteArray commands;
    int unanswered = 0;
    bool greeted = false;
    enum class Text
    {
        None,
        Databases,
        Definition
    } text = Text::None;
    Reply reply;
    bool done = false;
};

#endif
