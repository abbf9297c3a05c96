// The main window's side of the server link, through a real MainWindow, a
// local companion peer and a local page that always fails: what goes over the
// wire when the link comes up, and how every kind of server text is handled.

#include "mainwindow/mainwindow.h"
#include "support/filebytes.h"
#include "support/filesizelimit.h"
#include "support/windowharness.h"
#include "widgets/waitingspinnerwidget.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

namespace {

const QString announcementEnglish = QStringLiteral("Display language has been changed!=English");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");
const QString welcomeText =
    QStringLiteral("Welcome to Quillora - translations done faster\n\n\n\n");
const QString welcomeRequest = QStringLiteral("auto~de~") + welcomeText;
const QString tableMarker = QStringLiteral("This is display language config file!=");
const QString limitMarker = QStringLiteral("Get Translate Limit Length From Server=");

QString configPath()
{
    return WindowHarness::dataDirectory() + QStringLiteral("/config.txt");
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

    WindowHarness harness;
    int deliveries = 0;
};

void TestMainWindowServer::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowServer::init()
{
    QVERIFY(WindowHarness::resetDataDirectory());
    // A page without a translation counts as no page: the request goes to the
    // server. (A dropped connection would make the network stack ask twice.)
    QVERIFY(harness.startPage("<html><body>busy</body></html>"));
    QVERIFY(harness.startPeer());
}

void TestMainWindowServer::cleanup()
{
    harness.stop();
}

void TestMainWindowServer::startLinkedUp()
{
    harness.openWindow(QStringLiteral("de_DE"));
    QVERIFY(harness.peer()->waitForTexts(3));
}

bool TestMainWindowServer::deliver(const QStringList &texts)
{
    const QString done = QStringLiteral("delivered %1").arg(++deliveries);
    harness.peer()->sendTexts(texts + QStringList{done});
    return QTest::qWaitFor([&] { return harness.resultBox()->toPlainText() == done; }, 5000);
}

void TestMainWindowServer::linkUpSendsAnnouncementLimitRequestAndWelcomeText()
{
    startLinkedUp();
    QCOMPARE(harness.peer()->receivedTexts(0),
             (QStringList{announcementEnglish, limitRequest, welcomeRequest}));
    QCOMPARE(harness.sourceBox()->toPlainText(), welcomeText);
    QVERIFY(harness.button(QStringLiteral("pushButton_translate"))->isEnabled());
    // The selection is saved and the display language's flag enlarged.
    QCOMPARE(FileBytes::read(WindowHarness::dataDirectory() + QStringLiteral("/from_to.db")),
             QByteArray("0\r\n0\r\n30\r\n"));
    auto *english = harness.button(QStringLiteral("pushButton_English"));
    QCOMPARE(english->minimumSize(), QSize(70, 42));
    QCOMPARE(english->maximumSize(), QSize(70, 42));
    QCOMPARE(harness.button(QStringLiteral("pushButton_Czech"))->maximumSize(), QSize(50, 30));
    // The web page was tried first, with the welcome text.
    QCOMPARE(harness.page()->requestedTexts(), QStringList{welcomeText});
}

void TestMainWindowServer::everyLinkUpRepeatsTheSequence()
{
    startLinkedUp();
    harness.window()->setReconnectInterval(50);
    for (int link = 1; link < 3; ++link) {
        harness.peer()->closeConnection(link - 1);
        QVERIFY(harness.peer()->waitForTexts(3 * (link + 1)));
    }
    QCOMPARE(harness.peer()->connectionCount(), 3);
    for (int link = 0; link < 3; ++link)
        QCOMPARE(harness.peer()->receivedTexts(link),
                 (QStringList{announcementEnglish, limitRequest, welcomeRequest}));
    QCOMPARE(harness.window()->translationHistory().size(), 3);
}

void TestMainWindowServer::linkUpKeepsTypedText()
{
    startLinkedUp();
    const int pageRequests = harness.page()->requestCount();
    const QString typed = QStringLiteral("unsent work\nsecond line");
    harness.sourceBox()->setPlainText(typed);
    harness.window()->setReconnectInterval(50);
    harness.peer()->closeConnection(0);
    QVERIFY(harness.peer()->waitForConnections(2));
    QVERIFY(harness.peer()->waitForTexts(5));
    // Whatever the link-up sends has been sent when its texts arrive; a flag
    // click afterwards marks the end of the link-up on the wire.
    QTest::mouseClick(harness.button(QStringLiteral("pushButton_Czech")), Qt::LeftButton);
    QVERIFY(harness.peer()->waitForTexts(6));
    QCOMPARE(harness.peer()->receivedTexts(1),
             (QStringList{announcementEnglish, limitRequest,
                          QStringLiteral("Display language has been changed!=Czech")}));
    QCOMPARE(harness.sourceBox()->toPlainText(), typed);
    QCOMPARE(harness.page()->requestCount(), pageRequests);
    QCOMPARE(harness.window()->translationHistory().size(), 1);
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
    QCOMPARE(harness.window()->currentTranslationLimit(), 1234);
    QVERIFY(deliver({message}));
    QCOMPARE(harness.window()->currentTranslationLimit(), limit);
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
    harness.peer()->sendText(message);
    QTRY_COMPARE(harness.resultBox()->toPlainText(), shown);
    QCOMPARE(harness.window()->currentTranslationLimit(), 50000);
}

void TestMainWindowServer::connectionClosedIsShownAndStopsTheSpinner()
{
    startLinkedUp();
    auto *spinner = harness.spinner();
    QVERIFY(spinner);
    // The welcome text went to the peer, which has not answered: the spinner
    // still turns.
    QVERIFY(spinner->isSpinning());
    harness.peer()->sendText(QStringLiteral("0"));
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("Connection closed"));
    QVERIFY(!spinner->isSpinning());
    QTRY_VERIFY(!harness.peer()->isOpen(0));
}

void TestMainWindowServer::limitRequestComingBackIsShown()
{
    startLinkedUp();
    QVERIFY(deliver({limitMarker + QStringLiteral("1234")}));
    harness.peer()->sendText(limitRequest);
    QTRY_COMPARE(harness.resultBox()->toPlainText(), limitRequest);
    QCOMPARE(harness.window()->currentTranslationLimit(), 1234);
}

void TestMainWindowServer::displayTableRelabelsWithoutMovingIndices()
{
    startLinkedUp();
    auto *from = harness.comboBox(QStringLiteral("comboBoxFrom"));
    auto *to = harness.comboBox(QStringLiteral("comboBoxTo"));
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

    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("Titel"));
    QCOMPARE(harness.button(QStringLiteral("pushButton_clear"))->text(), QStringLiteral("Leeren"));
    QCOMPARE(harness.button(QStringLiteral("pushButton_translate"))->text(),
             QStringLiteral("\u00dcbersetzen"));
    auto *toolButton = harness.window()->findChild<QToolButton *>(QStringLiteral("toolButton"));
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
    harness.sourceBox()->setPlainText(QStringLiteral("Guten Tag"));
    const int before = harness.peer()->allReceivedTexts().size();
    QMetaObject::invokeMethod(harness.window(), "on_pushButton_translate_clicked");
    QVERIFY(harness.peer()->waitForTexts(before + 1));
    QCOMPARE(harness.peer()->allReceivedTexts().last(), QStringLiteral("auto~cs~Guten Tag"));
}

void TestMainWindowServer::displayTableIsStoredExactlyAndReadBackWithoutCarriageReturns()
{
    startLinkedUp();
    const QString payload =
        QStringLiteral("app_name1=\u010ce\u0161tina \u4e2d\u6587\r\nclear=Vymazat\r\n\r\nlast");
    QVERIFY(deliver({tableMarker + payload}));
    QCOMPARE(FileBytes::read(configPath()), payload.toUtf8());
    QCOMPARE(harness.window()->displayTextTable().lines(),
             (QStringList{QStringLiteral("app_name1=\u010ce\u0161tina \u4e2d\u6587"),
                          QStringLiteral("clear=Vymazat"), QString(), QStringLiteral("last")}));
    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("\u010ce\u0161tina \u4e2d\u6587"));
}

void TestMainWindowServer::everyMarkerIsRemovedFromThePayload()
{
    startLinkedUp();
    QVERIFY(
        deliver({QStringLiteral("head ") + tableMarker + QStringLiteral("app_name1=A") +
                 tableMarker + QStringLiteral("B\nclear=") + tableMarker + QStringLiteral("\n")}));
    QCOMPARE(FileBytes::read(configPath()), QByteArray("head app_name1=AB\nclear=\n"));
    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("Quillora Pro"));
    QCOMPARE(harness.button(QStringLiteral("pushButton_clear"))->text(), QString());
}

void TestMainWindowServer::emptyPayloadTruncatesTheTable()
{
    startLinkedUp();
    QVERIFY(deliver({tableMarker + QStringLiteral("app_name1=Titel\nclear=Leeren\n")}));
    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("Titel"));

    QVERIFY(deliver({tableMarker}));
    QVERIFY(QFile::exists(configPath()));
    QCOMPARE(FileBytes::read(configPath()), QByteArray());
    QVERIFY(harness.window()->displayTextTable().lines().isEmpty());
    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("Quillora Pro"));
    QCOMPARE(harness.button(QStringLiteral("pushButton_clear"))->text(), QStringLiteral("clear"));
}

void TestMainWindowServer::failedWriteKeepsThePreviousFile()
{
    startLinkedUp();
    QVERIFY(deliver({tableMarker + QStringLiteral("app_name1=Old\n")}));
    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("Old"));
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

    QCOMPARE(FileBytes::read(configPath()), onDisk);
    QCOMPARE(harness.window()->displayTextTable().lines(),
             (QStringList{QStringLiteral("app_name1=Disk"), QStringLiteral("clear=Keep")}));
    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("Disk"));
    // No half-written table is left beside it.
    QCOMPARE(
        QDir(WindowHarness::dataDirectory()).entryList(QDir::Files | QDir::Hidden | QDir::System),
        (QStringList{QStringLiteral("config.txt"), QStringLiteral("from_to.db")}));
}

QTEST_MAIN(TestMainWindowServer)
#include "tst_mainwindow_server.moc"
