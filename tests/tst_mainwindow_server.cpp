// The main window's side of the server link, through a real MainWindow, a
// local companion peer and a local page that always fails: what goes over the
// wire when the link comes up, and how every kind of server text is handled.

#include "mainwindow/mainwindow.h"
#include "support/filesizelimit.h"
#include "support/pageserver.h"
#include "support/peerserver.h"
#include "widgets/waitingspinnerwidget.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString announcementEnglish = QStringLiteral("Display language has been changed!=English");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");
const QString welcomeText =
    QStringLiteral("Welcome to Quillora - translations done faster\n\n\n\n");
const QString welcomeRequest = QStringLiteral("auto~de~") + welcomeText;
const QString tableMarker = QStringLiteral("This is display language config file!=");
const QString limitMarker = QStringLiteral("Get Translate Limit Length From Server=");

QString dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString configPath()
{
    return dataDirectory() + QStringLiteral("/config.txt");
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

} // namespace

class TestMainWindowServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void linkUpSendsAnnouncementLimitRequestAndWelcomeText();
    void everyLinkUpRepeatsTheSequence();
    void linkUpKeepsTypedText();
    void limitMessage_data();
    void limitMessage();
    void versionMismatch_data();
    void versionMismatch();
    void connectionClosedIsShownAndStopsTheSpinner();
    void limitRequestComingBackIsShown();
    void displayTableRelabelsWithoutMovingIndices();
    void displayTableIsStoredExactlyAndReadBackWithoutCarriageReturns();
    void everyMarkerIsRemovedFromThePayload();
    void emptyPayloadTruncatesTheTable();
    void failedWriteKeepsThePreviousFile();

private:
    // Starts the window against the two local peers and waits until its first
    // link-up has sent all three texts.
    void startLinkedUp();
    // Sends the texts and then a plain result text, and returns once that
    // result is shown: everything sent before it has been handled by then.
    bool deliver(const QStringList &texts);
    QPlainTextEdit *resultBox() const;
    QPlainTextEdit *sourceBox() const;

    std::unique_ptr<PageServer> page;
    std::unique_ptr<PeerServer> peer;
    std::unique_ptr<MainWindow> window;
    int deliveries = 0;
};

void TestMainWindowServer::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowServer::init()
{
    // The window makes its data directory one level deep, as the program does
    // on a desktop where the parent always exists.
    QDir(dataDirectory()).removeRecursively();
    QVERIFY(QDir().mkpath(QFileInfo(dataDirectory()).path()));
    page = std::make_unique<PageServer>();
    QVERIFY(page->listen());
    // A page without a translation counts as no page: the request goes to the
    // server. (A dropped connection would make the network stack ask twice.)
    page->setDefaultResponse(PageServer::Response::page("<html><body>busy</body></html>"));
    peer = std::make_unique<PeerServer>();
    QVERIFY(peer->listen());
}

void TestMainWindowServer::cleanup()
{
    window.reset();
    peer.reset();
    page.reset();
    QDir(dataDirectory()).removeRecursively();
}

void TestMainWindowServer::startLinkedUp()
{
    Endpoints endpoints;
    endpoints.webPage = page->url();
    endpoints.serverHost = peer->host();
    endpoints.serverPort = QString::number(peer->port());
    window = std::make_unique<MainWindow>(QStringLiteral("de_DE"), nullptr, endpoints);
    QVERIFY(peer->waitForTexts(3));
}

bool TestMainWindowServer::deliver(const QStringList &texts)
{
    const QString done = QStringLiteral("delivered %1").arg(++deliveries);
    peer->sendTexts(texts + QStringList{done});
    return QTest::qWaitFor([&] { return resultBox()->toPlainText() == done; }, 5000);
}

QPlainTextEdit *TestMainWindowServer::resultBox() const
{
    return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_translate"));
}

QPlainTextEdit *TestMainWindowServer::sourceBox() const
{
    return window->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit_source"));
}

void TestMainWindowServer::linkUpSendsAnnouncementLimitRequestAndWelcomeText()
{
    startLinkedUp();
    QCOMPARE(peer->receivedTexts(0),
             (QStringList{announcementEnglish, limitRequest, welcomeRequest}));
    QCOMPARE(sourceBox()->toPlainText(), welcomeText);
    QVERIFY(window->findChild<QPushButton *>(QStringLiteral("pushButton_translate"))->isEnabled());
    // The selection is saved and the display language's flag enlarged.
    QCOMPARE(fileContent(dataDirectory() + QStringLiteral("/from_to.db")),
             QByteArray("0\r\n0\r\n30\r\n"));
    auto *english = window->findChild<QPushButton *>(QStringLiteral("pushButton_English"));
    QCOMPARE(english->minimumSize(), QSize(70, 42));
    QCOMPARE(english->maximumSize(), QSize(70, 42));
    QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("pushButton_Czech"))->maximumSize(),
             QSize(50, 30));
    // The web page was tried first, with the welcome text.
    QCOMPARE(page->requestedTexts(), QStringList{welcomeText});
}

void TestMainWindowServer::everyLinkUpRepeatsTheSequence()
{
    startLinkedUp();
    window->setReconnectInterval(50);
    for (int link = 1; link < 3; ++link) {
        peer->closeConnection(link - 1);
        QVERIFY(peer->waitForTexts(3 * (link + 1)));
    }
    QCOMPARE(peer->connectionCount(), 3);
    for (int link = 0; link < 3; ++link)
        QCOMPARE(peer->receivedTexts(link),
                 (QStringList{announcementEnglish, limitRequest, welcomeRequest}));
    QCOMPARE(window->translationHistory().size(), 3);
}

void TestMainWindowServer::linkUpKeepsTypedText()
{
    startLinkedUp();
    const int pageRequests = page->requestCount();
    const QString typed = QStringLiteral("unsent work\nsecond line");
    sourceBox()->setPlainText(typed);
    window->setReconnectInterval(50);
    peer->closeConnection(0);
    QVERIFY(peer->waitForConnections(2));
    QVERIFY(peer->waitForTexts(5));
    // Whatever the link-up sends has been sent when its texts arrive; a flag
    // click afterwards marks the end of the link-up on the wire.
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("pushButton_Czech")),
                      Qt::LeftButton);
    QVERIFY(peer->waitForTexts(6));
    QCOMPARE(peer->receivedTexts(1),
             (QStringList{announcementEnglish, limitRequest,
                          QStringLiteral("Display language has been changed!=Czech")}));
    QCOMPARE(sourceBox()->toPlainText(), typed);
    QCOMPARE(page->requestCount(), pageRequests);
    QCOMPARE(window->translationHistory().size(), 1);
}

void TestMainWindowServer::limitMessage_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("limit");

    QTest::newRow("1800") << limitMarker + QStringLiteral("1800") << 1800;
    QTest::newRow("0") << limitMarker + QStringLiteral("0") << 50000;
    QTest::newRow("empty") << limitMarker << 50000;
    QTest::newRow("letters") << limitMarker + QStringLiteral("abc") << 50000;
    QTest::newRow("-5") << limitMarker + QStringLiteral("-5") << -5;
    QTest::newRow("marker not at the start")
        << QStringLiteral("7") + limitMarker + QStringLiteral("5") << 75;
    QTest::newRow("marker twice") << limitMarker + QStringLiteral("3") + limitMarker +
                                         QStringLiteral("4")
                                  << 34;
}

void TestMainWindowServer::limitMessage()
{
    QFETCH(QString, message);
    QFETCH(int, limit);

    startLinkedUp();
    // A distinct value first, so that a message that sets the default is seen
    // to have been applied.
    QVERIFY(deliver({limitMarker + QStringLiteral("1234")}));
    QCOMPARE(window->currentTranslationLimit(), 1234);
    QVERIFY(deliver({message}));
    QCOMPARE(window->currentTranslationLimit(), limit);
}

void TestMainWindowServer::versionMismatch_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    const QString mismatch = QStringLiteral("Client version is different from server!");
    QTest::newRow("exactly") << mismatch << QString();
    QTest::newRow("text after") << mismatch + QLatin1Char(' ') << mismatch + QLatin1Char(' ');
    QTest::newRow("text before") << QStringLiteral("x") + mismatch
                                 << QStringLiteral("x") + mismatch;
}

void TestMainWindowServer::versionMismatch()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);

    startLinkedUp();
    QVERIFY(deliver({}));
    peer->sendText(message);
    QTRY_COMPARE(resultBox()->toPlainText(), shown);
    QCOMPARE(window->currentTranslationLimit(), 50000);
}

void TestMainWindowServer::connectionClosedIsShownAndStopsTheSpinner()
{
    startLinkedUp();
    auto *spinner = window->findChild<WaitingSpinnerWidget *>();
    QVERIFY(spinner);
    // The welcome text went to the peer, which has not answered: the spinner
    // still turns.
    QVERIFY(spinner->isSpinning());
    peer->sendText(QStringLiteral("0"));
    QTRY_COMPARE(resultBox()->toPlainText(), QStringLiteral("Connection closed"));
    QVERIFY(!spinner->isSpinning());
    QTRY_VERIFY(!peer->isOpen(0));
}

void TestMainWindowServer::limitRequestComingBackIsShown()
{
    startLinkedUp();
    QVERIFY(deliver({limitMarker + QStringLiteral("1234")}));
    peer->sendText(limitRequest);
    QTRY_COMPARE(resultBox()->toPlainText(), limitRequest);
    QCOMPARE(window->currentTranslationLimit(), 1234);
}

void TestMainWindowServer::displayTableRelabelsWithoutMovingIndices()
{
    startLinkedUp();
    auto *from = window->findChild<QComboBox *>(QStringLiteral("comboBoxFrom"));
    auto *to = window->findChild<QComboBox *>(QStringLiteral("comboBoxTo"));
    const int czechFrom = from->findText(QStringLiteral("Czech"));
    const int czechTo = to->findText(QStringLiteral("Czech"));
    QVERIFY(czechFrom > 0);
    QCOMPARE(czechTo, 18);
    to->setCurrentIndex(czechTo);
    const int fromCount = from->count();
    const int toCount = to->count();

    QVERIFY(deliver({tableMarker + QStringLiteral("app_name1=Titel\nclear=Leeren\ntranslate="
                                                  "\u00dcbersetzen\nHelp=Hilfe\nCzech=Tschechisch\n"
                                                  "Detect language=Erkennen\n")}));

    QCOMPARE(window->windowTitle(), QStringLiteral("Titel"));
    QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("pushButton_clear"))->text(),
             QStringLiteral("Leeren"));
    QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("pushButton_translate"))->text(),
             QStringLiteral("\u00dcbersetzen"));
    auto *toolButton = window->findChild<QToolButton *>(QStringLiteral("toolButton"));
    QVERIFY(toolButton && toolButton->menu());
    QCOMPARE(toolButton->menu()->actions().value(0)->text(), QStringLiteral("Hilfe"));
    QCOMPARE(from->itemText(czechFrom), QStringLiteral("Tschechisch"));
    QCOMPARE(to->itemText(czechTo), QStringLiteral("Tschechisch"));
    QCOMPARE(from->itemText(0), QStringLiteral("Erkennen"));
    QCOMPARE(from->count(), fromCount);
    QCOMPARE(to->count(), toCount);
    QCOMPARE(from->currentIndex(), 0);
    QCOMPARE(to->currentIndex(), czechTo);

    // The codes go by index, not by the shown name.
    sourceBox()->setPlainText(QStringLiteral("Guten Tag"));
    const int before = peer->allReceivedTexts().size();
    QMetaObject::invokeMethod(window.get(), "on_pushButton_translate_clicked");
    QVERIFY(peer->waitForTexts(before + 1));
    QCOMPARE(peer->allReceivedTexts().last(), QStringLiteral("auto~cs~Guten Tag"));
}

void TestMainWindowServer::displayTableIsStoredExactlyAndReadBackWithoutCarriageReturns()
{
    startLinkedUp();
    const QString payload =
        QStringLiteral("app_name1=\u010ce\u0161tina \u4e2d\u6587\r\nclear=Vymazat\r\n\r\nlast");
    QVERIFY(deliver({tableMarker + payload}));
    QCOMPARE(fileContent(configPath()), payload.toUtf8());
    QCOMPARE(window->displayTextTable().lines(),
             (QStringList{QStringLiteral("app_name1=\u010ce\u0161tina \u4e2d\u6587"),
                          QStringLiteral("clear=Vymazat"), QString(), QStringLiteral("last")}));
    QCOMPARE(window->windowTitle(), QStringLiteral("\u010ce\u0161tina \u4e2d\u6587"));
}

void TestMainWindowServer::everyMarkerIsRemovedFromThePayload()
{
    startLinkedUp();
    QVERIFY(
        deliver({QStringLiteral("head ") + tableMarker + QStringLiteral("app_name1=A") +
                 tableMarker + QStringLiteral("B\nclear=") + tableMarker + QStringLiteral("\n")}));
    QCOMPARE(fileContent(configPath()), QByteArray("head app_name1=AB\nclear=\n"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillora Pro"));
    QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("pushButton_clear"))->text(),
             QString());
}

void TestMainWindowServer::emptyPayloadTruncatesTheTable()
{
    startLinkedUp();
    QVERIFY(deliver({tableMarker + QStringLiteral("app_name1=Titel\nclear=Leeren\n")}));
    QCOMPARE(window->windowTitle(), QStringLiteral("Titel"));

    QVERIFY(deliver({tableMarker}));
    QVERIFY(QFile::exists(configPath()));
    QCOMPARE(fileContent(configPath()), QByteArray());
    QVERIFY(window->displayTextTable().lines().isEmpty());
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillora Pro"));
    QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("pushButton_clear"))->text(),
             QStringLiteral("clear"));
}

void TestMainWindowServer::failedWriteKeepsThePreviousFile()
{
    startLinkedUp();
    QVERIFY(deliver({tableMarker + QStringLiteral("app_name1=Old\n")}));
    QCOMPARE(window->windowTitle(), QStringLiteral("Old"));
    // Changed behind the window's back, so that the title shows whether the
    // file was read again after the failed write.
    const QByteArray onDisk("app_name1=Disk\r\nclear=Keep\n");
    {
        QFile file(configPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(onDisk), qint64(onDisk.size()));
    }

    // Permission bits do not stop root; a cap on the size of written files
    // does, and it makes the new table fail part-way.
    {
        FileSizeLimit limit(64);
        QVERIFY(limit.isActive());
        const QString large =
            QStringLiteral("app_name1=New\n") + QString(4096, QLatin1Char('x')) + QLatin1Char('\n');
        QVERIFY(deliver({tableMarker + large}));
    }

    QCOMPARE(fileContent(configPath()), onDisk);
    QCOMPARE(window->displayTextTable().lines(),
             (QStringList{QStringLiteral("app_name1=Disk"), QStringLiteral("clear=Keep")}));
    QCOMPARE(window->windowTitle(), QStringLiteral("Disk"));
    // No half-written table is left beside it.
    QCOMPARE(QDir(dataDirectory()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             (QStringList{QStringLiteral("config.txt"), QStringLiteral("from_to.db")}));
}

QTEST_MAIN(TestMainWindowServer)
#include "tst_mainwindow_server.moc"
