#include "support/endtoendsession.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTest>

namespace {

// Undoes the server log's escapes: \\, \n, \r, \t and \uXXXX.
QString unescape(const QString &text)
{
    QString result;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            result += c;
            continue;
        }
        const QChar next = text.at(++i);
        if (next == QLatin1Char('n'))
            result += QLatin1Char('\n');
        else if (next == QLatin1Char('r'))
            result += QLatin1Char('\r');
        else if (next == QLatin1Char('t'))
            result += QLatin1Char('\t');
        else if (next == QLatin1Char('u') && i + 4 < text.size()) {
            result += QChar(text.mid(i + 1, 4).toUShort(nullptr, 16));
            i += 4;
        } else
            result += next;
    }
    return result;
}

} // namespace

EndToEndSession::EndToEndSession()
{
    logPath = root.filePath(QStringLiteral("server.log"));
    server.setProcessChannelMode(QProcess::MergedChannels);
    client.setProcessChannelMode(QProcess::MergedChannels);
}

EndToEndSession::~EndToEndSession()
{
    end(client);
    end(server);
}

void EndToEndSession::end(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

bool EndToEndSession::startServer(QString *error)
{
    if (!root.isValid()) {
        *error = QStringLiteral("cannot create a temporary directory");
        return false;
    }
    // Another copy of these tests, run from another build directory, may hold
    // the port for a while; anything else holding it longer is an error.
    QString probeError;
    const bool portFree = QTest::qWaitFor(
        [&] {
            QTcpServer probe;
            if (probe.listen(QHostAddress(QHostAddress::LocalHost), serverPort))
                return true;
            probeError = probe.errorString();
            return false;
        },
        60000);
    if (!portFree) {
        *error = QStringLiteral("port %1 on 127.0.0.1 is taken by another program (%2); the "
                                "client always dials localhost:%1, so this test needs it")
                     .arg(serverPort)
                     .arg(probeError);
        return false;
    }
    server.start(QStringLiteral(QUILLORA_SERVER_BIN),
                 {QStringLiteral("--port"), QString::number(serverPort),
                  QStringLiteral("--backend"), QStringLiteral("echo"), QStringLiteral("--log"),
                  logPath});
    QByteArray output;
    const bool listening = QTest::qWaitFor(
        [&] {
            output += server.readAll();
            return output.contains("listening on") || server.state() == QProcess::NotRunning;
        },
        10000);
    if (!listening || !output.contains("listening on")) {
        *error = QStringLiteral("the companion server did not come up: ") +
                 QString::fromLocal8Bit(output + server.readAll());
        return false;
    }
    return true;
}

bool EndToEndSession::startClient(const QString &locale, QString *error)
{
    const QStringList directories = {QStringLiteral("home"), QStringLiteral("data"),
                                     QStringLiteral("config"), QStringLiteral("tmp")};
    for (const QString &directory : directories) {
        if (!QDir(root.path()).mkpath(directory)) {
            *error = QStringLiteral("cannot create %1").arg(root.filePath(directory));
            return false;
        }
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("TMPDIR"), root.filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("LANG"), locale);
    environment.insert(QStringLiteral("LC_ALL"), locale);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    client.setProcessEnvironment(environment);
    client.start(QStringLiteral(QUILLORA_CLIENT_BIN), QStringList());
    if (!client.waitForStarted(10000)) {
        *error = QStringLiteral("the client did not start: ") + client.errorString();
        return false;
    }
    return true;
}

QString EndToEndSession::clientDataDirectory() const
{
    return root.filePath(QStringLiteral("data/quillora"));
}

QStringList EndToEndSession::loggedTexts() const
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList texts;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        // Time stamp, peer address, then the text.
        texts.append(unescape(QString::fromUtf8(line).section(QLatin1Char(' '), 2)));
    }
    return texts;
}

bool EndToEndSession::waitForLoggedTexts(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return loggedTexts().size() >= count; }, timeoutMs);
}

QString EndToEndSession::rawLog() const
{
    QFile file(logPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString EndToEndSession::clientOutput()
{
    clientLog += client.readAll();
    return QString::fromLocal8Bit(clientLog);
}

QString EndToEndSession::run(const QString &program, const QStringList &arguments, int *exitCode)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForStarted(5000) && process.waitForFinished(10000);
    if (!finished)
        process.kill();
    if (exitCode != nullptr)
        *exitCode =
            finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QStringList EndToEndSession::windowsNamed(const QString &pattern)
{
    return run(QStringLiteral("xdotool"),
               {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                pattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
