#include "mainwindow/languagecatalogue.h"
#include "support/frameclient.h"
#include "support/serverprocess.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

const QString tableMarker = QStringLiteral("This is display language config file!=");
const QString limitMarker = QStringLiteral("Get Translate Limit Length From Server=");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");
const QString announce = QStringLiteral("Display language has been changed!=");

const QStringList interfaceKeys = {QStringLiteral("app_name1"), QStringLiteral("clear"),
                                   QStringLiteral("translate"), QStringLiteral("Help"),
                                   QStringLiteral("welcome1"),  QStringLiteral("welcome2"),
                                   QStringLiteral("welcome3"),  QStringLiteral("welcome4")};

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, reinterpret_cast<uchar *>(bytes.data()));
    return bytes;
}

// key -> value of a table as the server sends it; keys in order of the lines.
struct Table
{
    QStringList keys;
    QHash<QString, QString> values;
    bool wellFormed = true;
};

Table parseTable(const QString &payload)
{
    Table table;
    if (!payload.endsWith(QLatin1Char('\n')))
        table.wellFormed = false;
    const QStringList lines = payload.chopped(1).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            table.wellFormed = false;
            continue;
        }
        table.keys.append(line.left(equals));
        table.values.insert(line.left(equals), line.mid(equals + 1));
    }
    return table;
}

bool apertiumInstalled()
{
    return !QStandardPaths::findExecutable(QStringLiteral("apertium")).isEmpty();
}

// Long enough that Apertium needs far longer for it than the server needs
// to answer a limit request.
QString longEnglishText()
{
    QString text;
    while (text.size() < 20000)
        text += QStringLiteral("The quick brown fox jumps over the lazy dog near the river bank. ");
    return text;
}

} // namespace

class tst_Server : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void helpListsTheOptions();
    void displayTables_data();
    void displayTables();
    void namesComeFromCldr_data();
    void namesComeFromCldr();
    void unknownDisplayLanguageGetsEnglish();
    void limit_data();
    void limit();
    void echoTranslation_data();
    void echoTranslation();
    void apertiumTranslation_data();
    void apertiumTranslation();
    void clientsDoNotWaitForEachOther();
    void brokenFramesCloseOnlyTheirLink_data();
    void brokenFramesCloseOnlyTheirLink();
    void unknownMessagesAreIgnored_data();
    void unknownMessagesAreIgnored();
    void logShowsReceivedMessages();
    void signalsEndTheServerCleanly_data();
    void signalsEndTheServerCleanly();

private:
    QString request(ServerProcess &server, const QString &text);
    QStringList logLines() const;

    QTemporaryDir tempDir;
    QString logPath;
    ServerProcess echoServer;
    std::unique_ptr<ServerProcess> apertiumServer;
    const LanguageCatalogue catalogue;
};

void tst_Server::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(tempDir.isValid());
    logPath = tempDir.filePath(QStringLiteral("messages.log"));
    QString error;
    QVERIFY2(echoServer.start({QStringLiteral("--backend"), QStringLiteral("echo"),
                               QStringLiteral("--log"), logPath},
                              &error),
             qPrintable(error));
    if (apertiumInstalled()) {
        apertiumServer = std::make_unique<ServerProcess>();
        QVERIFY2(apertiumServer->start({QStringLiteral("--backend"), QStringLiteral("apertium")},
                                       &error),
                 qPrintable(error));
    }
}

QString tst_Server::request(ServerProcess &server, const QString &text)
{
    FrameClient client;
    if (!client.connectTo(server.port()))
        return QStringLiteral("<no connection>");
    client.send(text);
    QString answer;
    if (!client.receive(&answer, 120000))
        return QStringLiteral("<no answer>");
    return answer;
}

QStringList tst_Server::logLines() const
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void tst_Server::helpListsTheOptions()
{
    QProcess help;
    help.start(QStringLiteral(QUILLORA_SERVER_BIN), {QStringLiteral("--help")});
    QVERIFY(help.waitForFinished(30000));
    QCOMPARE(help.exitCode(), 0);
    const QString usage = QString::fromUtf8(help.readAllStandardOutput());
    for (const char *option : {"--port", "--listen", "--limit", "--log", "--backend", "--help"})
        QVERIFY2(usage.contains(QLatin1String(option)), option);
}

void tst_Server::displayTables_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &name : catalogue.displayLanguageNames())
        QTest::newRow(qPrintable(name)) << name;
}

void tst_Server::displayTables()
{
    QFETCH(QString, language);
    const QString answer = request(echoServer, announce + language);
    QVERIFY2(answer.startsWith(tableMarker), qPrintable(answer.left(80)));
    const Table table = parseTable(answer.mid(tableMarker.size()));
    QVERIFY(table.wellFormed);

    // Every key once, and every key an English name the client looks up.
    QStringList expected = interfaceKeys + catalogue.sourceLanguageNames();
    QStringList keys = table.keys;
    expected.sort();
    keys.sort();
    QCOMPARE(keys, expected);

    QCOMPARE(table.values.value(QStringLiteral("app_name1")), QStringLiteral("Quillora"));
    for (const QString &name : catalogue.sourceLanguageNames())
        QVERIFY2(!table.values.value(name).trimmed().isEmpty(), qPrintable(name));
    for (const QString &key : {QStringLiteral("clear"), QStringLiteral("translate"),
                               QStringLiteral("Help"), QStringLiteral("welcome1")})
        QVERIFY2(!table.values.value(key).isEmpty(), qPrintable(key));
    if (language != QLatin1String("English")) {
        QVERIFY(table.values.value(QStringLiteral("translate")) != QLatin1String("Translate"));
        QVERIFY(table.values.value(QStringLiteral("Detect language")) !=
                QLatin1String("Detect language"));
        QVERIFY(table.values.value(QStringLiteral("German")) != QLatin1String("German"));
    }
}

void tst_Server::namesComeFromCldr_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("line");
    QTest::newRow("German: Czech") << "German"
                                   << "Czech=Tschechisch";
    QTest::newRow("German: clear by hand") << "German"
                                           << "clear=Löschen";
    QTest::newRow("English: welcome") << "English"
                                      << "welcome1=Welcome to Quillora - translations done faster";
    QTest::newRow("English: Chinese (Traditional)")
        << "English"
        << "Chinese (Traditional)=Chinese (Traditional)";
    QTest::newRow("French: German") << "French"
                                    << "German=allemand";
    QTest::newRow("Spanish: German") << "Spanish"
                                     << "German=alemán";
    QTest::newRow("Japanese: German") << "Japanese"
                                      << "German=ドイツ語";
    QTest::newRow("Russian: German") << "Russian"
                                     << "German=немецкий";
    QTest::newRow("Chinese: German") << "Chinese"
                                     << "German=德语";
    QTest::newRow("Slovak: Hebrew from iw") << "Slovak"
                                            << "Hebrew=hebrejčina";
    QTest::newRow("German: Chinese (Simplified)")
        << "German"
        << "Chinese (Simplified)=Chinesisch (Vereinfacht)";
}

void tst_Server::namesComeFromCldr()
{
    QFETCH(QString, language);
    QFETCH(QString, line);
    const QString answer = request(echoServer, announce + language);
    QVERIFY(answer.startsWith(tableMarker));
    const QStringList lines = answer.mid(tableMarker.size()).split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(line), qPrintable(line));
}

void tst_Server::unknownDisplayLanguageGetsEnglish()
{
    const QString english = request(echoServer, announce + QStringLiteral("English"));
    QVERIFY(english.startsWith(tableMarker));
    QCOMPARE(request(echoServer, announce + QStringLiteral("Klingon")), english);
    QCOMPARE(request(echoServer, announce), english);
}

void tst_Server::limit_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default") << QStringList() << limitMarker + "50000";
    QTest::newRow("--limit 1800") << QStringList{"--limit", "1800"} << limitMarker + "1800";
}

void tst_Server::limit()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    ServerProcess server;
    QString error;
    QVERIFY2(server.start(QStringList{"--backend", "echo"} + arguments, &error), qPrintable(error));
    QCOMPARE(request(server, limitRequest), expected);
}

void tst_Server::echoTranslation_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "en~de~Hello"
                           << "[de] Hello";
    QTest::newRow("tilde in the text") << "en~de~a~b~~c"
                                       << "[de] a~b~~c";
    QTest::newRow("empty text") << "auto~zh-CN~"
                                << "[zh-CN] ";
    QTest::newRow("table marker removed") << "en~de~This is display language config file!=x"
                                          << "[de] x";
    QTest::newRow("limit marker removed") << "en~de~Get Translate Limit Length From Server=5"
                                          << "[de] 5";
    QTest::newRow("marker hidden inside another")
        << "en~de~This is display language Get Translate Limit Length From Server=config file!=y"
        << "[de] y";
}

void tst_Server::echoTranslation()
{
    QFETCH(QString, message);
    QFETCH(QString, expected);
    QCOMPARE(request(echoServer, message), expected);
}

void tst_Server::apertiumTranslation_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("mustContain");
    QTest::addColumn<QString>("mustEqual");
    const QString spanish =
        QStringLiteral("Hola mundo, esto es una prueba de detección de idioma en español.");
    QTest::newRow("en to es") << "en~es~hello world"
                              << "hola" << QString();
    QTest::newRow("es to en") << "es~en~el gato negro"
                              << "cat" << QString();
    QTest::newRow("auto, already in the target language")
        << "auto~es~" + spanish << QString() << spanish;
    QTest::newRow("auto, English detected")
        << "auto~es~The weather is very nice today and I want to go to the beach with my friends."
        << "playa" << QString();
    QTest::newRow("pair not installed")
        << "en~de~hello"
        << "no offline translation is available for english to german" << QString();
    QTest::newRow("a bare 0 is no close command") << "en~es~0" << QString() << "0 ";
    QTest::newRow("unknown code") << "en~xx~hello"
                                  << "no offline translation" << QString();
}

void tst_Server::apertiumTranslation()
{
    if (!apertiumServer)
        QSKIP("Apertium is not installed (apt-get install apertium apertium-en-es)");
    QFETCH(QString, message);
    QFETCH(QString, mustContain);
    QFETCH(QString, mustEqual);
    const QString answer = request(*apertiumServer, message);
    if (!mustContain.isNull())
        QVERIFY2(answer.contains(mustContain, Qt::CaseInsensitive), qPrintable(answer));
    if (!mustEqual.isNull())
        QCOMPARE(answer, mustEqual);
}

void tst_Server::clientsDoNotWaitForEachOther()
{
    if (!apertiumServer)
        QSKIP("Apertium is not installed (apt-get install apertium apertium-en-es)");
    FrameClient slow;
    FrameClient silent;
    FrameClient quick;
    QVERIFY(slow.connectTo(apertiumServer->port()));
    QVERIFY(silent.connectTo(apertiumServer->port()));
    QVERIFY(quick.connectTo(apertiumServer->port()));

    slow.send(QStringLiteral("en~es~") + longEnglishText());
    // Half a length field, and then nothing.
    silent.sendRaw(QByteArray("\0\0", 2));
    quick.send(limitRequest);
    quick.send(announce + QStringLiteral("German"));

    QString answer;
    QVERIFY(quick.receive(&answer));
    QCOMPARE(answer, limitMarker + "50000");
    QVERIFY(quick.receive(&answer));
    QVERIFY(answer.startsWith(tableMarker));
    QCOMPARE(slow.pendingCount(), 0);

    QVERIFY(slow.receive(&answer, 300000));
    QVERIFY2(answer.contains(QStringLiteral("zorro"), Qt::CaseInsensitive),
             qPrintable(answer.left(200)));
    QVERIFY(silent.isConnected());
}

void tst_Server::brokenFramesCloseOnlyTheirLink_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("body over 16 MiB") << bigEndian32(16u * 1024u * 1024u + 1u);
    QTest::newRow("body too short for a string") << bigEndian32(2) + QByteArray(2, '\0');
    QTest::newRow("odd string length") << bigEndian32(5) + bigEndian32(1) + QByteArray("A");
    QTest::newRow("string length disagrees with body")
        << bigEndian32(8) + bigEndian32(2) + QByteArray("\0A\0B", 4);
}

void tst_Server::brokenFramesCloseOnlyTheirLink()
{
    QFETCH(QByteArray, bytes);
    FrameClient broken;
    FrameClient bystander;
    QVERIFY(broken.connectTo(echoServer.port()));
    QVERIFY(bystander.connectTo(echoServer.port()));

    broken.send(limitRequest);
    QString answer;
    QVERIFY(broken.receive(&answer));
    broken.sendRaw(bytes);
    QVERIFY(broken.waitForClose());

    bystander.send(limitRequest);
    QVERIFY(bystander.receive(&answer));
    QCOMPARE(answer, limitMarker + "50000");
    QVERIFY(bystander.isConnected());
}

void tst_Server::unknownMessagesAreIgnored_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("free text") << "hello there";
    QTest::newRow("the answer's own limit marker") << limitMarker + "5";
    QTest::newRow("the table marker") << tableMarker + "clear=x";
    QTest::newRow("codes that are no codes") << "not a code~de~text";
    QTest::newRow("one tilde only") << "en~text";
    QTest::newRow("close text") << "0";
    QTest::newRow("empty") << "";
}

void tst_Server::unknownMessagesAreIgnored()
{
    QFETCH(QString, message);
    FrameClient client;
    QVERIFY(client.connectTo(echoServer.port()));
    client.send(message);
    client.send(limitRequest);
    QString answer;
    QVERIFY(client.receive(&answer));
    // The first answer belongs to the limit request: nothing came back for
    // the unknown text.
    QCOMPARE(answer, limitMarker + "50000");
    QVERIFY(client.isConnected());
    const QRegularExpression line(
        QStringLiteral(":%1 %2$").arg(client.localPort()).arg(QRegularExpression::escape(message)));
    QTRY_COMPARE(logLines().filter(line).size(), 1);
}

void tst_Server::logShowsReceivedMessages()
{
    FrameClient client;
    QVERIFY(client.connectTo(echoServer.port()));
    const QString message = QStringLiteral("en~de~line1\nline2\r\ttab\\x\x01y");
    client.send(message);
    QString answer;
    QVERIFY(client.receive(&answer));
    QCOMPARE(answer, QStringLiteral("[de] line1\nline2\r\ttab\\x\x01y"));

    const QRegularExpression line(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z 127\\.0\\.0\\.1:%1 "
                       "en~de~line1\\\\nline2\\\\r\\\\ttab\\\\\\\\x\\\\u0001y$")
            .arg(client.localPort()));
    QTRY_COMPARE(logLines().filter(line).size(), 1);
}

void tst_Server::signalsEndTheServerCleanly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void tst_Server::signalsEndTheServerCleanly()
{
    QFETCH(int, signalNumber);
    ServerProcess server;
    QString error;
    QVERIFY2(server.start({QStringLiteral("--backend"), QStringLiteral("echo")}, &error),
             qPrintable(error));
    FrameClient client;
    QVERIFY(client.connectTo(server.port()));
    QCOMPARE(::kill(pid_t(server.process().processId()), signalNumber), 0);
    QVERIFY(server.process().waitForFinished(30000));
    QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process().exitCode(), 0);
    QVERIFY(client.waitForClose());
}

QTEST_GUILESS_MAIN(tst_Server)
#include "tst_server.moc"
