#include "support/pageserver.h"
#include "translate/webtranslator.h"

#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTcpServer>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

#include <sys/resource.h>

namespace {

const QString failure = QStringLiteral("Can't connect to google translate!!!!");

QByteArray page(const QByteArray &body)
{
    return "<!DOCTYPE html><html><head><title>Google Translate</title></head><body>" + body +
           "</body></html>";
}

QByteArray savedPage(const QString &name)
{
    QFile file(QStringLiteral(QUILLORA_TESTDATA_DIR "/pages/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 processCpuMicroseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (qint64(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

// Records key presses together with whether a fetch was running at the time.
class KeyWindow : public QWindow
{
public:
    bool fetchRunning = false;
    int pressesDuringFetch = 0;
    int pressesAfterFetch = 0;

protected:
    void keyPressEvent(QKeyEvent *) override
    {
        ++(fetchRunning ? pressesDuringFetch : pressesAfterFetch);
    }
};

} // namespace

class TestWebTranslator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestLine_data();
    void requestLine();
    void eachCallIsOneRequestOnItsOwnConnection();
    void answers_data();
    void answers();
    void redirectIsNotFollowed();
    void refusedConnectionGivesFailure();
    void silentServerTimesOut();
    void defaultTimeout();
    void waitKeepsTimersRunningAndHoldsUserInput();

private:
    PageServer *server = nullptr;
};

void TestWebTranslator::init()
{
    server = new PageServer(this);
    QVERIFY(server->listen());
}

void TestWebTranslator::cleanup()
{
    delete server;
    server = nullptr;
}

void TestWebTranslator::requestLine_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("sourceCode");
    QTest::addColumn<QString>("targetCode");
    QTest::addColumn<QString>("expectedLine");

    QTest::newRow("plain") << "Hello"
                           << "en"
                           << "de"
                           << "GET /m?sl=en&tl=de&q=Hello HTTP/1.1";
    QTest::newRow("detection code sent as is")
        << "Hello world!"
        << "auto"
        << "zh-CN"
        << "GET /m?sl=auto&tl=zh-CN&q=Hello%20world! HTTP/1.1";
    // The page reads a bare "+" as a space, so "C++" would arrive as "C  ".
    QTest::newRow("plus encoded") << "1+1 = 2"
                                  << "en"
                                  << "fr"
                                  << "GET /m?sl=en&tl=fr&q=1%2B1%20%3D%202 HTTP/1.1";
    QTest::newRow("ampersand") << "Tom & Jerry"
                               << "en"
                               << "es"
                               << "GET /m?sl=en&tl=es&q=Tom%20%26%20Jerry HTTP/1.1";
    QTest::newRow("hash") << "#1 hit"
                          << "en"
                          << "it"
                          << "GET /m?sl=en&tl=it&q=%231%20hit HTTP/1.1";
    QTest::newRow("line breaks kept") << "one\ntwo\r\nthree "
                                      << "en"
                                      << "de"
                                      << "GET /m?sl=en&tl=de&q=one%0Atwo%0D%0Athree%20 HTTP/1.1";
    QTest::newRow("non-ascii as utf-8")
        << QStringLiteral("Grüße, 世界") << "de"
        << "en"
        << "GET /m?sl=de&tl=en&q=Gr%C3%BC%C3%9Fe,%20%E4%B8%96%E7%95%8C "
           "HTTP/1.1";
    QTest::newRow("percent sign") << "100%"
                                  << "en"
                                  << "de"
                                  << "GET /m?sl=en&tl=de&q=100%25 HTTP/1.1";
    // Text that looks like an escape is the user's text, not an escape.
    QTest::newRow("percent before hex digits") << "100%7E %41b"
                                               << "en"
                                               << "de"
                                               << "GET /m?sl=en&tl=de&q=100%257E%20%2541b HTTP/1.1";
    QTest::newRow("empty piece") << ""
                                 << "en"
                                 << "de"
                                 << "GET /m?sl=en&tl=de&q= HTTP/1.1";
}

void TestWebTranslator::requestLine()
{
    QFETCH(QString, piece);
    QFETCH(QString, sourceCode);
    QFETCH(QString, targetCode);
    QFETCH(QString, expectedLine);

    server->setDefaultResponse(
        PageServer::Response::page(page("<div class=\"result-container\">translated</div>")));
    const WebTranslator translator(server->url());
    QCOMPARE(translator.translate(piece, sourceCode, targetCode), QStringLiteral("translated"));
    QCOMPARE(server->requestLines(), QStringList{expectedLine});
    QCOMPARE(server->requestedTexts(), QStringList{piece});
}

void TestWebTranslator::eachCallIsOneRequestOnItsOwnConnection()
{
    server->enqueue(PageServer::Response::page(page("<div class=result-container>eins</div>")));
    server->enqueue(PageServer::Response::page(page("<div class=result-container>zwei</div>")));
    const WebTranslator translator(server->url());
    QCOMPARE(translator.translate("one", "en", "de"), QStringLiteral("eins"));
    QCOMPARE(translator.translate("one", "en", "de"), QStringLiteral("zwei"));
    QCOMPARE(server->requestedTexts(), (QStringList{"one", "one"}));
}

void TestWebTranslator::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first of several containers")
        << 200
        << page("<div class='result-container'>first</div><div class=result-container>second</div>")
        << "x"
        << "first";
    QTest::newRow("container among other classes in capitals")
        << 200 << page("<div class='a RESULT-CONTAINER b'>found</div>") << "x"
        << "found";
    QTest::newRow("text broken by br")
        << 200 << page("<div class=result-container>line one<br>line two<b>bold</b></div>") << "x"
        << "line oneline two";
    QTest::newRow("character references")
        << 200 << page("<div class=result-container>You &amp; Me</div>") << "x"
        << "You & Me";
    QTest::newRow("empty body") << 200 << QByteArray() << "x" << failure;
    QTest::newRow("page without container (consent)")
        << 200
        << page("<form action=\"https://consent.google.com/save\">Before you continue</form>")
        << "x" << failure;
    QTest::newRow("rate limited") << 429 << page("<p>Our systems have detected unusual traffic</p>")
                                  << "x" << failure;
    QTest::newRow("error status with a result still counts")
        << 500 << page("<div class=result-container>trotzdem</div>") << "x"
        << "trotzdem";
    QTest::newRow("empty result for a piece")
        << 200 << savedPage("chatbotai-test__mock_error500_empty_result_container.html") << "Hello"
        << failure;
    QTest::newRow("whitespace-only result for a piece")
        << 200 << page("<div class=result-container>\n  </div>") << "Hello" << failure;
    QTest::newRow("empty result for an empty piece")
        << 200 << page("<div class=result-container></div>") << ""
        << "";
    QTest::newRow("saved real page")
        << 200 << savedPage("libtranslate-rust__mobile_hl-en_auto-zh-CN_body.html")
        << "Hello world!" << QStringLiteral("你好世界！");
    QTest::newRow("saved legacy page") << 200
                                       << savedPage("pygtranslate__legacy2017_hl-fr_en-fr_t0_no-"
                                                    "result-container.html")
                                       << "Hello" << failure;
}

void TestWebTranslator::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, piece);
    QFETCH(QString, expected);

    server->setDefaultResponse(PageServer::Response::page(body, status));
    const WebTranslator translator(server->url());
    QCOMPARE(translator.translate(piece, "en", "de"), expected);
    QCOMPARE(server->requestCount(), 1);
}

void TestWebTranslator::redirectIsNotFollowed()
{
    const QByteArray target = server->url().toEncoded() + "?sl=en&tl=de&q=elsewhere";
    server->enqueue(PageServer::Response::withHeader(302, "Location", target));
    server->setDefaultResponse(
        PageServer::Response::page(page("<div class=result-container>followed</div>")));
    const WebTranslator translator(server->url());
    QCOMPARE(translator.translate("Hello", "en", "de"), failure);
    QCOMPARE(server->requestedTexts(), QStringList{"Hello"});
}

void TestWebTranslator::refusedConnectionGivesFailure()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/m").arg(closed.serverPort()));
    closed.close();
    QCOMPARE(WebTranslator(url).translate("Hello", "en", "de"), failure);

    // The toolkit resends a request once when a fresh connection closes
    // without an answer, so the server sees it once or twice.
    server->setDefaultResponse(PageServer::Response::closeAtOnce());
    QCOMPARE(WebTranslator(server->url()).translate("Hello", "en", "de"), failure);
    QVERIFY(server->requestCount() >= 1 && server->requestCount() <= 2);
}

void TestWebTranslator::silentServerTimesOut()
{
    server->setDefaultResponse(PageServer::Response::neverAnswer());
    WebTranslator translator(server->url());
    translator.setTimeout(300);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(translator.translate("Hello", "en", "de"), failure);
    QVERIFY2(clock.elapsed() >= 300, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(server->requestCount(), 1);

    // A late answer after the time-out must not be taken for the next one's.
    server->setDefaultResponse(
        PageServer::Response::page(page("<div class=result-container>spät</div>"), 200, 600));
    QCOMPARE(translator.translate("Hello", "en", "de"), failure);
    translator.setTimeout(5000);
    QCOMPARE(translator.translate("Hello", "en", "de"), QStringLiteral("spät"));
}

void TestWebTranslator::defaultTimeout()
{
    QCOMPARE(WebTranslator(QUrl("https://translate.google.com/m")).timeout(), 15000);
}

void TestWebTranslator::waitKeepsTimersRunningAndHoldsUserInput()
{
    KeyWindow window;
    window.resize(200, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    server->setDefaultResponse(
        PageServer::Response::page(page("<div class=result-container>langsam</div>"), 200, 1000));

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    // Injected while the fetch waits, the way the window system delivers it.
    QObject::connect(server, &PageServer::requestReceived, &window, [&window] {
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            &window, QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    });

    const WebTranslator translator(server->url());
    QElapsedTimer clock;
    clock.start();
    const qint64 cpuBefore = processCpuMicroseconds();
    window.fetchRunning = true;
    const QString result = translator.translate("slow", "en", "de");
    window.fetchRunning = false;
    const qint64 cpuUsed = processCpuMicroseconds() - cpuBefore;
    const qint64 wallUsed = clock.nsecsElapsed() / 1000;
    ticker.stop();

    QCOMPARE(result, QStringLiteral("langsam"));
    QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    QVERIFY2(cpuUsed < wallUsed * 15 / 100,
             qPrintable(QStringLiteral("cpu %1 us of %2 us").arg(cpuUsed).arg(wallUsed)));
    QCOMPARE(window.pressesDuringFetch, 0);
    QTRY_COMPARE(window.pressesAfterFetch, 1);
}

QTEST_MAIN(TestWebTranslator)

#include "tst_webtranslator.moc"
