// The server's side of the wire, without a socket: its options, the limits it
// may tell a client, that every translation reaches the client as a result,
// how it names languages and logs texts, and where a user's own server is.
#include "protocol/framecodec.h"
#include "protocol/localservername.h"
#include "protocol/portowner.h"
#include "protocol/serveranswer.h"
#include "protocol/servervocabulary.h"
#include "server/messagelog.h"
#include "server/offline/languagedetector.h"
#include "server/offline/unavailabletranslator.h"
#include "server/serveroptions.h"
#include "server/tables/servercatalogue.h"

#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestServerWire : public QObject
{
    Q_OBJECT

private slots:
    void options_data();
    void options();
    void results_data();
    void results();
    void additions();
    void languageTags_data();
    void languageTags();
    void languageNames();
    void logLines();
    void ownServer_data();
    void ownServer();
    void portOwner();
};

// A client cuts its text to the limit and sends it after "zh-CN~zh-TW~", the
// longest pair of codes it has: the text must fit in the rest of one frame.
const int largestLimit = FrameCodec::maxTextLength - 12;

void TestServerWire::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    const QString limit = QString::number(largestLimit);
    const QString range = "the limit is 1 to " + limit;
    QTest::newRow("largest limit") << QStringList{"--limit", limit} << "";
    QTest::newRow("one past the largest")
        << QStringList{"--limit", QString::number(largestLimit + 1)} << range;
    QTest::newRow("zero, which clients read as 50000") << QStringList{"--limit", "0"} << range;
    QTest::newRow("negative, which clients never cut at") << QStringList{"--limit", "-5"} << range;
    QTest::newRow("no time to answer")
        << QStringList{"--request-timeout", "0"} << "invalid --request-timeout 0";
    QTest::newRow("under a millisecond")
        << QStringList{"--stall-timeout", "0.0001"} << "invalid --stall-timeout 0.0001";
}

void TestServerWire::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    ServerOptions options;
    QString found;
    QCOMPARE(options.parse(QStringList{"quillora-server"} + arguments, &found), error.isEmpty());
    QVERIFY2(found.contains(error), qPrintable(found));
    if (error.isEmpty())
        QCOMPARE(options.translationLimit, largestLimit);
}

void TestServerWire::results_data()
{
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QString>("shown");
    const QString limit = ServerVocabulary::limitMarker();
    const QString table = ServerVocabulary::displayTableMarker();
    const QString version = ServerVocabulary::versionMismatch();
    const auto row = [](const char *name, const QString &translation, const QString &shown) {
        QTest::newRow(name) << translation << shown;
    };
    row("limit marker", limit + "5", "5");
    row("marker formed by cutting another", limit.left(9) + table + limit.mid(9) + "!", "!");
    row("close-link text", "0", "0 ");
    row("version text", version, version + " ");
    row("version text once a marker is cut", QString(version).insert(6, table), version + " ");
    row("offline targets text", ServerVocabulary::offlineTargetsMarker() + "en~es",
        " " + ServerVocabulary::offlineTargetsMarker() + "en~es");
    row("too long for a frame", QString(FrameCodec::maxTextLength + 1, 'x'),
        "The translation is too long to send.");
}

void TestServerWire::results()
{
    QFETCH(QString, translation);
    QFETCH(QString, shown);
    const ServerAnswer answer = ServerAnswer::parse(ServerAnswer::resultMessage(translation));
    QCOMPARE(int(answer.kind), int(ServerAnswer::Kind::Result));
    QCOMPARE(answer.text, shown);
}

void TestServerWire::additions()
{
    const ServerAnswer targets =
        ServerAnswer::parse(ServerAnswer::offlineTargetsMessage("fr", {"es", "en"}));
    QCOMPARE(int(targets.kind), int(ServerAnswer::Kind::OfflineTargets));
    QCOMPARE(targets.language + ':' + targets.targets.join('/'), QString("fr:es/en"));
    QCOMPARE(ServerAnswer::parse(ServerAnswer::offlineTargetsMessage("eo", {})).targets.size(), 0);
    const ServerAnswer detected = ServerAnswer::parse(ServerAnswer::detectedLanguageMessage("de"));
    QCOMPARE(int(detected.kind), int(ServerAnswer::Kind::DetectedLanguage));
    QCOMPARE(detected.language, QString("de"));
}

void TestServerWire::languageTags_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("code");
    const char *const rows[][3] = {{"a code of the list", "zh-TW", "zh-TW"},
                                   {"script decides", "zh-Hant", "zh-TW"},
                                   {"likely script", "zh", "zh-CN"},
                                   {"tag other than the code", "he", "iw"},
                                   {"not in the list", "tlh", ""}};
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
}

void TestServerWire::languageTags()
{
    QFETCH(QString, tag);
    QFETCH(QString, code);
    QCOMPARE(ServerCatalogue(LanguageList::builtIn()).codeForTag(tag), code);
}

void TestServerWire::languageNames()
{
    const ServerCatalogue catalogue(LanguageList::builtIn());
    const LanguageDetector detector(catalogue);
    QCOMPARE(detector.detect("Le chat est noir et le chien dort dans la maison."), QString("fr"));
    QCOMPARE(detector.detect("ⵜⴰⵎⴰⵣⵉⵖⵜ ⵜⴰⵎⴰⵣⵉⵖⵜ"), QString());
    QCOMPARE(TranslatorBackend::noOfflineTranslation(catalogue, "qq", "iw"),
             QString("No offline translation is available for \"qq\" to Hebrew."));
    UnavailableTranslator unavailable(catalogue);
    QString answer;
    unavailable.translate("fr", "es", "Bonjour", this,
                          [&answer](const QString &text) { answer = text; });
    QTRY_COMPARE(answer, QString("No offline translation is available for French to Spanish."));
}

void TestServerWire::logLines()
{
    QCOMPARE(MessageLog::escape("a\\b\tc\r\nd\x1b[1m\u2028e\u2029f"),
             QString("a\\\\b\\tc\\r\\nd\\u001b[1m\\u2028e\\u2029f"));
}

void TestServerWire::ownServer_data()
{
    QTest::addColumn<int>("runtimeMode");
    QTest::addColumn<bool>("inRuntimeFolder");
    QTest::newRow("private runtime folder") << 0700 << true;
    QTest::newRow("runtime folder others may enter") << 0711 << false;
}

void TestServerWire::ownServer()
{
    QFETCH(int, runtimeMode);
    QFETCH(bool, inRuntimeFolder);
    QTemporaryDir runtime;
    QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), mode_t(runtimeMode)) == 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString socket = LocalServerName::forPort(3030);
    QCOMPARE(socket.startsWith(runtime.path() + "/"), inRuntimeFolder);
    QVERIFY(socket.endsWith("/quillora-server-3030"));
}

void TestServerWire::portOwner()
{
    // A port this process listens on is this user's; one nobody listens on
    // is nobody's this user can vouch for.
    QTcpServer own;
    QVERIFY(own.listen(QHostAddress::LocalHost));
    QCOMPARE(int(PortOwner::of(QHostAddress::LocalHost, own.serverPort())),
             int(PortOwner::Verdict::ThisUser));
    const quint16 port = own.serverPort();
    own.close();
    QCOMPARE(int(PortOwner::of(QHostAddress::LocalHost, port)), int(PortOwner::Verdict::OtherUser));
}

QTEST_GUILESS_MAIN(TestServerWire)
#include "tst_server_wire.moc"
