#include "dictionary/dictclient.h"

#include <QRegularExpression>
#include <QTcpSocket>

DictClient::DictClient(const QString &serverHost, quint16 serverPort, int timeoutMs,
                       QObject *parent)
    : QObject(parent), host(serverHost), port(serverPort), socket(new QTcpSocket(this))
{
    deadline.setSingleShot(true);
    deadline.setInterval(timeoutMs);
    connect(&deadline, &QTimer::timeout, this, [this] { finish(false); });
    connect(socket, &QTcpSocket::readyRead, this, &DictClient::readLines);
    connect(socket, &QTcpSocket::disconnected, this, [this] { finish(false); });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this] { finish(false); });
}

QByteArray DictClient::quoted(const QString &word)
{
    QString escaped = word;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return '"' + escaped.toUtf8() + '"';
}

void DictClient::start(bool listDatabases, const QString &word, const QStringList &databases)
{
    if (listDatabases) {
        commands += "SHOW DB\r\n";
        ++unanswered;
    }
    for (const QString &database : databases) {
        commands += "DEFINE " + database.toUtf8() + ' ' + quoted(word) + "\r\n";
        ++unanswered;
    }
    if (unanswered == 0) {
        // Finished on the next turn of the event loop, as every other answer.
        QTimer::singleShot(0, this, [this] { finish(true); });
        return;
    }
    deadline.start();
    socket->connectToHost(host, port);
}

void DictClient::readLines()
{
    while (!done && socket->canReadLine()) {
        QByteArray line = socket->readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (!take(QString::fromUtf8(line)))
            return;
    }
}

bool DictClient::take(const QString &line)
{
    if (text != Text::None) {
        if (line == QLatin1String(".")) {
            text = Text::None;
            return true;
        }
        // A leading dot of a text line is doubled on the wire.
        const QString content = line.startsWith(QLatin1String("..")) ? line.mid(1) : line;
        if (text == Text::Databases) {
            const int space = content.indexOf(QLatin1Char(' '));
            QString description = content.mid(space + 1).trimmed();
            if (description.size() >= 2 && description.startsWith(QLatin1Char('"')))
                description = description.mid(1, description.size() - 2);
            reply.databases.append({content.left(space), description});
        } else {
            QString &definition = reply.definitions.last().text;
            definition += (definition.isEmpty() ? QString() : QStringLiteral("\n")) + content;
        }
        return true;
    }

    const int code = line.left(3).toInt();
    if (!greeted) {
        greeted = code == 220;
        if (!greeted) {
            finish(false);
            return false;
        }
        socket->write(commands + "QUIT\r\n");
        return true;
    }
    static const QRegularExpression heading(
        QStringLiteral(R"re(^151 "((?:[^"\\]|\\.)*)" (\S+))re"));
    switch (code) {
    case 110:
        text = Text::Databases;
        return true;
    case 150:
        return true;
    case 151: {
        const QRegularExpressionMatch match = heading.match(line);
        reply.definitions.append({match.captured(1), match.captured(2), QString()});
        text = Text::Definition;
        return true;
    }
    // Done with one command: the last of its answer, no match, no such
    // database or no databases at all.
    case 250:
    case 550:
    case 552:
    case 554:
        if (--unanswered == 0) {
            finish(true);
            return false;
        }
        return true;
    default:
        finish(false);
        return false;
    }
}

void DictClient::finish(bool complete)
{
    if (done)
        return;
    done = true;
    deadline.stop();
    reply.complete = complete;
    socket->abort();
    emit finished(reply);
    deleteLater();
}
