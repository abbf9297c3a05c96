// The window as the user, the stored files and the companion server see it:
// a real MainWindow on a local translation page and a local peer.
#include "mainwindow/translationhistory.h"
#include "net/clientstuff.h"
#include "protocol/localservername.h"
#include "support/windowharness.h"
#include "translate/pagehealth.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QPainter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QtTest>

#include <arpa/inet.h>
#include <csignal>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString welcome = QStringLiteral("Welcome to Quillora - translations done faster\n\n\n\n");
const QString announcement = QStringLiteral("Display language has been changed!=");
const QString limitRequest = QStringLiteral("Get Translate Limit1 Length From Server");
const QString tableMarker = QStringLiteral("This is display language config file!=");
const QString limitMarker = QStringLiteral("Get Translate Limit Length From Server=");
const QString offlineRequest = QStringLiteral("Offline targets for=");
const QString prepare = QStringLiteral("Prepare translation=");
const QString offlineMarker = QStringLiteral("Offline targets=");
const QByteArray noResult = "<html><body>busy</body></html>";
const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80");
const QStringList flagNames = {"English",  "Chinese", "Czech",   "French", "German", "Italian",
                               "Japanese", "Polish",  "Russian", "Slovak", "Spanish"};

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QVERIFY(WindowHarness::resetDataDirectory()); }
    void cleanup() { harness.stop(); }

    void serverLink();
    void translate();
    void features();
    void restore_data();
    void restore();
    void hotkey();
    void failurePaths_data();
    void failurePaths();
    void pageOutage();
    void offlineMarks();
    void stalledDialIsAbandoned();
    void overlappingDialsLinkOnce();
    void failedSavesKeepFiles();
    void pictures_data();
    void pictures();

private:
    void click(const QString &button) { harness.button("pushButton_" + button)->click(); }
    // Clicks and waits until the translation it starts has ended.
    bool translateWith(const QString &button)
    {
        click(button);
        return QTest::qWaitFor([&] { return !harness.spinner()->isSpinning(); }, 5000);
    }
    // Sends the texts, then a plain result; once that shows, all were handled.
    bool deliver(const QStringList &texts);
    bool spinnerCentred() const;
    QString status() const { return harness.window()->statusBar()->currentMessage(); }

    WindowHarness harness;
    int deliveries = 0;
};

bool TestWindow::deliver(const QStringList &texts)
{
    const QString done = QStringLiteral("delivered %1").arg(++deliveries);
    harness.peer()->sendTexts(texts + QStringList{done});
    return QTest::qWaitFor([&] { return harness.resultBox()->toPlainText() == done; }, 5000);
}

bool TestWindow::spinnerCentred() const
{
    const QWidget *spinner = harness.spinner();
    const QSize room = harness.window()->size() - spinner->size();
    return spinner->pos() == QPoint(room.width() / 2, room.height() / 2);
}

void TestWindow::serverLink()
{
    QVERIFY(harness.startPage(noResult));
    QVERIFY(harness.startPeer());
    MainWindow *window = harness.openWindow("de_DE");
    QVERIFY(harness.peer()->waitForTexts(5));
    // Link-up: ask what the source reaches offline and ready the pair,
    // announce, ask for the limit, and translate the welcome text, which the
    // page cannot, so the server gets it.
    QCOMPARE(harness.peer()->receivedTexts(),
             (QStringList{offlineRequest + "auto", prepare + "auto~de", announcement + "English",
                          limitRequest, "auto~de~" + welcome}));
    QCOMPARE(WindowHarness::dataFile("from_to.db"), QByteArray("0\r\n0\r\n30\r\n"));
    QVERIFY(harness.spinner()->isSpinning());
    QVERIFY(spinnerCentred());

    // The flags stand left to right in the order of the display languages. A
    // flag announces its language, is saved and grows; chosen again, it also
    // moves the target box to its language.
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QStringList leftToRight = flagNames;
    std::sort(leftToRight.begin(), leftToRight.end(), [&](const QString &a, const QString &b) {
        return harness.button("pushButton_" + a)->x() < harness.button("pushButton_" + b)->x();
    });
    QCOMPARE(leftToRight, flagNames);
    click("Czech");
    QVERIFY(harness.peer()->waitForTexts(6));
    QCOMPARE(harness.peer()->receivedTexts().last(), announcement + "Czech");
    QCOMPARE(WindowHarness::dataFile("from_to.db"), QByteArray("2\r\n0\r\n30\r\n"));
    QCOMPARE(harness.button("pushButton_Czech")->maximumSize(), QSize(70, 42));
    QCOMPARE(harness.button("pushButton_English")->minimumSize(), QSize(50, 30));
    click("Czech");
    QCOMPARE(harness.comboBox("comboBoxTo")->currentIndex(), 18);
    QCOMPARE(WindowHarness::dataFile("from_to.db"), QByteArray("2\r\n0\r\n18\r\n"));

    QVERIFY(deliver({limitMarker + "0"}));
    QCOMPARE(window->currentTranslationLimit(), 50000);
    QVERIFY(!harness.spinner()->isSpinning());
    QVERIFY(deliver({limitMarker + "7"}));
    harness.sourceBox()->setPlainText("abcdef" + pair + "hij"); // a cut never splits a pair
    click("translate");
    QVERIFY(harness.peer()->waitForTexts(9));
    QCOMPARE(harness.peer()->receivedTexts().mid(6),
             (QStringList{prepare + "auto~cs", announcement + "Czech", "auto~cs~abcdef"}));
    QCOMPARE(status(), QStringLiteral("Only the first 6 of 11 characters were translated."));

    // A display table is stored as sent, markers removed, and relabels the
    // window: the first line with the exact key counts, every "key=" and line
    // break goes from the value, and an empty value stays empty.
    const QString rows = "app_name1x=no\nApp_name1=no\napp_name1=Titel\r\napp_name1=no\n"
                         "German=Deu\rtsch\nclear=clear=\n";
    QVERIFY(deliver({tableMarker + rows + tableMarker}));
    QCOMPARE(status(),
             "Only the first 6 of 11 characters were translated. Translated offline: Czech");
    QCOMPARE(WindowHarness::dataFile("config.txt"), rows.toUtf8());
    QCOMPARE(window->windowTitle(), QStringLiteral("Titel"));
    QCOMPARE(harness.comboBox("comboBoxTo")->itemText(30), QStringLiteral("Deutsch"));
    QCOMPARE(harness.button("pushButton_clear")->text(), QString());
    QCOMPARE(harness.button("pushButton_translate")->text(), QStringLiteral("Translate"));
    QCOMPARE(harness.comboBox("comboBoxTo")->currentIndex(), 18);
    harness.peer()->sendText("Client version is different from server!");
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QString());

    // "0" ends the link; the window dials again on its own, keeps typed text,
    // and repeats only the pair's requests, the announcement and the limit's.
    harness.sourceBox()->setPlainText("typed");
    harness.peer()->sendText("0");
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("Connection closed"));
    QTRY_VERIFY(!harness.peer()->isOpen(0));
    QVERIFY(harness.peer()->waitForConnections(2, 6000));
    QTRY_COMPARE(harness.peer()->receivedTexts(1).size(), 4);
    QCOMPARE(harness.sourceBox()->toPlainText(), QStringLiteral("typed"));

    // Bytes that are no frame end the link.
    harness.peer()->sendRaw(QByteArray::fromHex("00000003 000000"));
    QTRY_VERIFY(!harness.peer()->isOpen(1));
}

void TestWindow::translate()
{
    QVERIFY(harness.startPage("<div class=result-container>Hallo</div>"));
    QVERIFY(harness.startPeer());
    MainWindow *window = harness.openWindow("de_DE");
    QVERIFY(harness.peer()->waitForTexts(2));
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("Hallo"));

    // The page gets the codes of the chosen boxes and the text exactly as typed.
    harness.comboBox("comboBoxFrom")->setCurrentIndex(22);
    harness.comboBox("comboBoxTo")->setCurrentIndex(31);
    harness.sourceBox()->setPlainText("a+b%25 ~");
    harness.resultBox()->clear();
    QVERIFY(translateWith("translate"));
    QCOMPARE(harness.resultBox()->toPlainText(), QStringLiteral("Hallo"));
    QVERIFY2(harness.page()->requestLines().last().contains("sl=en&tl=el&q=a%2Bb%2525"),
             qPrintable(harness.page()->requestLines().last()));
    // Long text goes in pieces of up to 1800 units, a pair never split.
    harness.sourceBox()->setPlainText(QString(1799, 'a') + pair + "b");
    harness.page()->enqueue(PageServer::Response::page("<div class=result-container>Eins</div>"));
    harness.page()->enqueue(PageServer::Response::page("<div class=result-container>Zwei</div>"));
    QVERIFY(translateWith("translate"));
    QCOMPARE(harness.page()->requestedTexts().mid(2),
             (QStringList{QString(1799, 'a'), pair + "b"}));
    QCOMPARE(harness.resultBox()->toPlainText(), QStringLiteral("EinsZwei"));

    // Without a page the server translates, while the spinner turns mid-window.
    harness.page()->enqueue(PageServer::Response::page(noResult));
    harness.sourceBox()->setPlainText("Hund");
    click("translate");
    QVERIFY(harness.peer()->waitForTexts(8));
    QCOMPARE(harness.peer()->receivedTexts().last(), QStringLiteral("en~el~Hund"));
    QVERIFY(harness.spinner()->isSpinning());
    QVERIFY(spinnerCentred());
    QVERIFY(deliver({}));
    QVERIFY(!harness.spinner()->isSpinning() && harness.spinner()->isHidden());

    // A step back replays the previous entry with its boxes; the welcome
    // text and blank texts are no entries.
    for (const QString blank : {"", " \n\t"}) {
        harness.sourceBox()->setPlainText(blank);
        QVERIFY(translateWith("translate"));
    }
    QVERIFY(translateWith("prev"));
    QCOMPARE(harness.sourceBox()->toPlainText(), QString(1799, 'a') + pair + "b");
    harness.comboBox("comboBoxTo")->setCurrentIndex(5);
    QVERIFY(translateWith("prev"));
    QVERIFY(translateWith("prev"));
    QCOMPARE(harness.sourceBox()->toPlainText(), QStringLiteral("a+b%25 ~"));
    QCOMPARE(harness.comboBox("comboBoxTo")->currentIndex(), 31);
    QVERIFY(translateWith("next"));
    QCOMPARE(harness.page()->requestCount(), 11);
    // A hundred entries are kept; the oldest goes first.
    for (int i = 0; i < 97; ++i) {
        harness.sourceBox()->setPlainText(QString::number(i));
        QVERIFY(translateWith("translate"));
    }
    QCOMPARE(window->translationHistory().size(), 100);
    QCOMPARE(window->translationHistory().text(0), QStringLiteral("a+b%25 ~"));
    click("play");
    QCOMPARE(window->translationHistory().text(0), QString(1799, 'a') + pair + "b");
}

void TestWindow::features()
{
    QVERIFY(harness.startPage(noResult));
    QVERIFY(harness.startPeer());
    MainWindow *window = harness.openWindow("de_DE");
    QVERIFY(harness.peer()->waitForTexts(5));
    QVERIFY(deliver({}));
    QPushButton *swap = harness.button("pushButton_swap");
    QPushButton *copy = harness.button("pushButton_copy");
    QLabel *detected = window->findChild<QLabel *>("label_detected");
    QVERIFY(!swap->isEnabled()); // "Detect language" has found nothing yet

    // The server names the language it found before its result; the window
    // shows it, and swapping puts it into the target box.
    harness.sourceBox()->setPlainText("Bonjour");
    click("translate");
    QVERIFY(harness.peer()->waitForTexts(6));
    QVERIFY(deliver({"Detected language=fr", "Hallo"}));
    QCOMPARE(detected->text(), QStringLiteral("(French)"));
    QVERIFY(swap->isEnabled());
    swap->click();
    QCOMPARE(harness.comboBox("comboBoxFrom")->currentIndex(), 31);
    QCOMPARE(harness.comboBox("comboBoxTo")->currentIndex(), 26);
    QCOMPARE(harness.sourceBox()->toPlainText() + '|' + harness.resultBox()->toPlainText(),
             QStringLiteral("delivered %1|Bonjour").arg(deliveries));
    QCOMPARE(WindowHarness::dataFile("from_to.db"), QByteArray("0\r\n31\r\n26\r\n"));
    QCOMPARE(detected->text(), QString());

    // Copy takes the whole result to the clipboard and says so.
    copy->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Bonjour"));
    QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("Translation copied"));
    harness.resultBox()->clear();
    QVERIFY(!copy->isEnabled());

    // A step back takes the entry's display language as the current one, so
    // the English flag, not current then, leaves the target box alone.
    click("Russian");
    harness.sourceBox()->setPlainText("Hund");
    click("translate");
    click("English");
    harness.sourceBox()->setPlainText("Katze");
    click("translate");
    click("prev");
    QCOMPARE(window->currentDisplayLanguage(), 8);
    click("English");
    QCOMPARE(harness.comboBox("comboBoxTo")->currentIndex(), 26);

    // The history outlives the window, in a file of the user's alone, and
    // finds an entry by any words of it.
    harness.openWindow("de_DE");
    QCOMPARE(harness.window()->translationHistory().size(), 3);
    QCOMPARE(harness.window()->translationHistory().text(2), QStringLiteral("Katze"));
    QCOMPARE(QFileInfo(WindowHarness::dataDirectory() + "/history.json").permissions() & 0x0077,
             QFile::Permissions());
    auto *field = harness.window()->findChild<QLineEdit *>("lineEdit_history");
    QAction *clear = field->actions().value(0);
    QVERIFY(clear && !clear->isEnabled());
    // Nothing to clear, nothing drawn: the field keeps the room it needs.
    const QImage idle = clear->icon().pixmap(16, QIcon::Disabled).toImage();
    QVERIFY(!idle.isNull());
    for (int y = 0; y < idle.height(); ++y)
        for (int x = 0; x < idle.width(); ++x)
            QCOMPARE(qAlpha(idle.pixel(x, y)), 0);
    QVERIFY(qAlpha(clear->icon().pixmap(16).toImage().pixel(8, 8)) > 0);
    field->setText("ONJ");
    QVERIFY(clear->isEnabled());
    clear->trigger();
    QCOMPARE(field->text(), QString());
    // The closed box is sized without measuring every name, the open list
    // is as wide as the longest.
    QComboBox *to = harness.comboBox("comboBoxTo");
    to->addItem(QString(60, 'x'));
    to->showPopup();
    const int longest = to->fontMetrics().horizontalAdvance(QString(60, 'x'));
    QVERIFY(to->view()->width() > longest);
    QVERIFY(to->sizeHint().width() < longest);
    to->hidePopup();
    QCompleter *search = field->completer();
    search->setCompletionPrefix("ONJ");
    search->complete();
    QCOMPARE(search->completionCount(), 1);
    search->popup()->setCurrentIndex(search->completionModel()->index(0, 0));
    QTest::keyClick(search->popup(), Qt::Key_Return);
    QCOMPARE(harness.sourceBox()->toPlainText(), QStringLiteral("Bonjour"));
    QCOMPARE(harness.window()->translationHistory().position(), 0);
    QCOMPARE(harness.window()->translationHistory().size(), 3);
}

void TestWindow::restore_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("display");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");

    const auto row = [](const char *locale, const char *file, int display, int from, int to) {
        QTest::addRow("%s %s", locale, QByteArray(file).toPercentEncoding().constData())
            << QString(locale) << QByteArray(file) << display << from << to;
    };
    row("en_US", nullptr, 0, 0, 21);
    row("pt_BR", nullptr, 0, 0, 74);
    row("zh_CN", nullptr, 0, 0, 15); // the one locale that keeps its country
    row("zh_TW", nullptr, 0, 0, 20);
    row("nb_NO", nullptr, 0, 0, 20);
    row("C", nullptr, 0, 0, 20);
    row("de_DE", "2\r\n5\r\n8\r\n", 2, 5, 8);
    row("de_DE", "3\r\n0\r\n0\r\n", 3, 0, 30); // 0 and 0 leave both boxes alone
    row("de_DE", "0\n0\n5\n", 0, 0, 5);
    row("de_DE", "12\n200\n7\n", 0, 0, 7);
    row("de_DE", "x\n1x\n4", 0, 0, 4);
}

void TestWindow::restore()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, file);
    QFETCH(int, display);
    QFETCH(int, from);
    QFETCH(int, to);
    // Stored files in place before the window starts; nothing in the table
    // counts after a zero byte.
    QVERIFY(QDir().mkpath(WindowHarness::dataDirectory()));
    const auto store = [](const QString &name, const QByteArray &bytes) {
        QFile stored(WindowHarness::dataDirectory() + '/' + name);
        return stored.open(QIODevice::WriteOnly) && stored.write(bytes) == bytes.size();
    };
    QVERIFY(file.isNull() || store("from_to.db", file));
    QVERIFY(store("config.txt", QByteArray("app_name1=Quill\0x\r\n", 19)));
    MainWindow *window = harness.openWindowWithoutServer(locale);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Quill"));
    QCOMPARE(window->currentDisplayLanguage(), display);
    QVERIFY(harness.button("pushButton_" + flagNames[display])->isChecked());
    QCOMPARE(harness.comboBox("comboBoxFrom")->currentIndex(), from);
    QCOMPARE(harness.comboBox("comboBoxTo")->currentIndex(), to);
    QCOMPARE(WindowHarness::dataFile("from_to.db"),
             file.isNull() ? QByteArray("<unreadable>") : file);
}

void TestWindow::hotkey()
{
    // Two Ctrl releases over the active window copy the focused box's
    // selection into the source box and translate it, file names excepted.
    QVERIFY(harness.startPage(noResult));
    MainWindow *window = harness.openWindowWithoutServer("de_DE");
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_VERIFY(harness.sourceBox()->hasFocus()); // the window's own first focus step
    for (const QString selected : {"Hund", "file:///home/a.txt"}) {
        harness.resultBox()->setPlainText(selected);
        harness.resultBox()->selectAll();
        harness.resultBox()->setFocus();
        window->quickTranslateHotkey()->leftControlReleased();
        window->quickTranslateHotkey()->leftControlReleased();
        QTRY_COMPARE(harness.sourceBox()->toPlainText(), selected.contains(':') ? "" : selected);
        QTRY_VERIFY(!harness.spinner()->isSpinning());
    }
    QCOMPARE(harness.page()->requestedTexts(), QStringList{"Hund"});

    // A third tap right after the second cancels the capture.
    QSignalSpy captured(window->quickTranslateHotkey(), &QuickTranslateHotkey::selectionCaptured);
    for (int tap = 0; tap < 3; ++tap)
        window->quickTranslateHotkey()->leftControlReleased();
    QVERIFY(!captured.wait(QuickTranslateHotkey::doubleTapMs + 200));
}

void TestWindow::failurePaths_data()
{
    // How the page and the server behave | characters | whether the server
    // gets the text | what the result box shows once the spinner stops.
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("handedOver");
    QTest::addColumn<QString>("shown");
    const QString failure = QStringLiteral("Can't connect to google translate!!!!");
    QTest::newRow("page silent") << "silent"
                                 << "answers" << 4 << true << "served";
    QTest::newRow("second piece fails") << "fails second"
                                        << "answers" << 1801 << true << "served";
    QTest::newRow("link drops") << "fails"
                                << "drops" << 4 << true << failure;
    QTest::newRow("server silent") << "fails"
                                   << "silent" << 4 << true << failure;
    QTest::newRow("no page, no server") << "silent"
                                        << "none" << 4 << false << failure;
}

void TestWindow::failurePaths()
{
    QFETCH(QString, page);
    QFETCH(QString, server);
    QFETCH(int, length);
    QFETCH(bool, handedOver);
    QFETCH(QString, shown);
    harness.pageTimeoutMs = 1000;
    // Long enough for a run that waits on nothing to stand out.
    harness.serverTimeoutMs = server == "silent" ? 1000 : 10000;
    QVERIFY(harness.startPage(noResult));
    if (server == "none") {
        QVERIFY(harness.openWindowWithoutServer("de_DE"));
    } else {
        QVERIFY(harness.startPeer());
        harness.openWindow("de_DE");
        QVERIFY(harness.peer()->waitForTexts(5)); // the welcome text, which the page failed
        QVERIFY(deliver({}));
    }
    if (page == "silent")
        harness.page()->setDefaultResponse(PageServer::Response::page("", 200, -1));
    if (page == "fails second")
        harness.page()->enqueue(PageServer::Response::page("<p class=result-container>x"));
    const QString text(length, 'a');
    harness.sourceBox()->setPlainText(text);
    click("translate");
    if (handedOver) {
        QVERIFY(harness.peer()->waitForTexts(6));
        QCOMPARE(harness.peer()->receivedTexts().last(), "auto~de~" + text);
        if (server == "answers")
            harness.peer()->sendText("served");
        if (server == "drops")
            harness.peer()->closeLink();
    }
    QTRY_VERIFY(!harness.spinner()->isSpinning());
    QCOMPARE(harness.resultBox()->toPlainText(), shown);
    if (server == "drops") {
        // Once the link is back, a run takes the first answer: none is still
        // owed from the link that dropped.
        QVERIFY(harness.peer()->waitForConnections(2, 6000));
        QTRY_COMPARE(harness.peer()->receivedTexts(1).size(), 4);
        click("translate");
        QTRY_COMPARE(harness.peer()->receivedTexts(1).size(), 5);
        QVERIFY(deliver({}));
    }
    if (server != "none")
        return;
    // Nothing to hand over to: a page known to be down fails at once, and is probed.
    click("translate");
    QVERIFY(!harness.spinner()->isSpinning());
    QCOMPARE(harness.resultBox()->toPlainText(), shown);
    QTRY_COMPARE(harness.page()->requestedTexts(), (QStringList{text, ""}));
}

void TestWindow::pageOutage()
{
    // A page that takes connections and never answers costs its time-out
    // once: later texts go to the server at once, what is typed meanwhile
    // stays, and the page is used again once a probe finds it back.
    harness.pageTimeoutMs = 500;
    harness.pageProbeMs = 100;
    QVERIFY(harness.startPage("<p class=result-container>Hallo"));
    QVERIFY(harness.startPeer());
    harness.openWindow("de_DE")->show();
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QStringLiteral("Hallo"));
    QCOMPARE(status(), QStringLiteral("Translated by the web page"));
    harness.page()->setDefaultResponse(PageServer::Response::page("", 200, -1));
    harness.sourceBox()->setPlainText("eins");
    click("translate");
    QVERIFY(harness.spinner()->isSpinning());
    harness.sourceBox()->moveCursor(QTextCursor::End);
    QTest::keyClicks(harness.sourceBox(), " EXTRA"); // while the page keeps the run waiting
    QVERIFY(
        harness.window()->findChild<WebTranslator *>({}, Qt::FindDirectChildrenOnly)->isFetching());
    QVERIFY(harness.peer()->waitForTexts(5));
    QVERIFY(deliver({}));
    click("translate"); // what was typed goes to the server at once
    QVERIFY(harness.peer()->waitForTexts(6));
    QCOMPARE(harness.peer()->receivedTexts().mid(4),
             (QStringList{"auto~de~eins", "auto~de~eins EXTRA"}));
    QCOMPARE(harness.page()->requestedTexts().filter("eins"), QStringList{"eins"});
    QVERIFY(deliver({"Detected language=fr"}));
    QCOMPARE(status(), QString::fromUtf8("Translated offline: French \u2192 German"));
    // A newer run drops the older: the answer still owed to the older one is
    // not taken for the newer.
    for (const char *text : {"alt", "neu"}) {
        harness.sourceBox()->setPlainText(text);
        click("translate");
    }
    QVERIFY(harness.peer()->waitForTexts(8));
    harness.peer()->sendText("for alt");
    QVERIFY(deliver({}));
    harness.page()->setDefaultResponse(PageServer::Response::page("<p class=result-container>da"));
    QTRY_VERIFY(!harness.window()->findChild<PageHealth *>()->isDown());
    QVERIFY(translateWith("translate"));
    QCOMPARE(harness.resultBox()->toPlainText(), QStringLiteral("da"));
    QCOMPARE(status(), QStringLiteral("Translated by the web page"));
}

void TestWindow::offlineMarks()
{
    // The server's word on what a source reaches offline marks the target
    // list; a welcome text that it then cannot translate shows untranslated.
    QVERIFY(harness.startPage(noResult));
    QVERIFY(harness.startPeer());
    harness.openWindow("de_DE");
    QVERIFY(harness.peer()->waitForTexts(5));
    QComboBox *to = harness.comboBox("comboBoxTo");
    const auto marked = [to] {
        QStringList marks;
        for (int i = 0; i < to->count(); ++i)
            marks << (to->itemIcon(i).isNull()
                          ? QString()
                          : QString::number(i) + '=' + to->itemData(i, Qt::ToolTipRole).toString());
        return marks.join(' ').simplified();
    };
    harness.peer()->sendTexts({offlineMarker + "auto~en,es", "Keine Übersetzung"});
    QTRY_COMPARE(harness.resultBox()->toPlainText(), welcome);
    QCOMPARE(status(), QString());
    QCOMPARE(marked(), QStringLiteral("21=Available offline 88=Available offline"));

    // A new source asks again; an answer for the old one comes too late.
    harness.comboBox("comboBoxFrom")->setCurrentIndex(27);
    QCOMPARE(marked(), QString());
    QVERIFY(harness.peer()->waitForTexts(7));
    QCOMPARE(harness.peer()->receivedTexts().mid(5),
             (QStringList{offlineRequest + "fr", prepare + "fr~de"}));
    QVERIFY(deliver({offlineMarker + "fr~de,es", offlineMarker + "auto~en",
                     tableMarker + "offline_mark=Offline\n"}));
    QCOMPARE(marked(), QStringLiteral("30=Offline 88=Offline"));
    harness.sourceBox()->setPlainText("Bonjour");
    click("translate");
    QVERIFY(harness.peer()->waitForTexts(8));
    QVERIFY(deliver({}));
    QCOMPARE(status(), QString::fromUtf8("Translated offline: French \u2192 German"));
    to->setCurrentIndex(21); // a pair the server said it cannot translate
    click("translate");
    QVERIFY(harness.peer()->waitForTexts(10));
    QVERIFY(deliver({}));
    QCOMPARE(status(), QString());
    harness.peer()->closeLink();
    QTRY_COMPARE(marked(), QString());
}

namespace {

// A loopback listener whose queue is full takes no more handshakes, so a dial
// to it neither connects nor fails on its own until a place is freed.
struct StalledListener
{
    StalledListener()
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) != 0 || ::listen(fd, 0) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            return;
        port = ntohs(address.sin_port);
        filler.connectToHost(QHostAddress::LocalHost, port);
        if (!filler.waitForConnected(2000))
            port = 0;
    }
    ~StalledListener() { ::close(fd); }

    // Takes the next dial from the queue, waiting for it; -1 when none comes.
    int accept(int timeoutMs) const
    {
        pollfd waiting = {fd, POLLIN, 0};
        return ::poll(&waiting, 1, timeoutMs) == 1 ? ::accept(fd, nullptr, nullptr) : -1;
    }

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    quint16 port = 0;
    QTcpSocket filler;
};

} // namespace

void TestWindow::stalledDialIsAbandoned()
{
    const StalledListener listener;
    QVERIFY(listener.port != 0);
    ClientStuff client;
    client.connect2host("127.0.0.1", listener.port);
    const QPointer<QTcpSocket> dial = client.tcpSocket;
    QCOMPARE(dial->state(), QAbstractSocket::ConnectingState);
    QTRY_VERIFY_WITH_TIMEOUT(!dial || dial->state() == QAbstractSocket::UnconnectedState, 6000);
    QVERIFY(!client.getStatus());
}

void TestWindow::overlappingDialsLinkOnce()
{
    // A quick redial finds the server's local socket while the TCP dial of
    // the attempt before is still under way: the first way in is the link,
    // and the second, once it connects, is let go.
    const StalledListener listener;
    QVERIFY(listener.port != 0);
    ClientStuff client;
    QSignalSpy changes(&client, &ClientStuff::statusChanged);
    client.connect2host("127.0.0.1", listener.port);
    QTRY_COMPARE(client.tcpSocket->state(), QAbstractSocket::ConnectingState);
    QLocalServer local;
    const QString name = LocalServerName::forPort(listener.port);
    QVERIFY(!name.isEmpty());
    QLocalServer::removeServer(name);
    QVERIFY(local.listen(name));
    client.connect2host("127.0.0.1", listener.port);
    QTRY_COMPARE(changes.count(), 1);

    QVERIFY(::close(listener.accept(0)) == 0); // the filler's place
    const int late = listener.accept(5000);
    QVERIFY(late >= 0);
    const auto closeLate = qScopeGuard([late] { ::close(late); });
    pollfd hungUp = {late, POLLIN, 0};
    char byte = 0;
    QVERIFY(QTest::qWaitFor([&] { return ::poll(&hungUp, 1, 0) == 1; }, 5000));
    QVERIFY(::recv(late, &byte, 1, 0) <= 0);
    QCOMPARE(changes.count(), 1);
    QVERIFY(client.getStatus());
}

void TestWindow::failedSavesKeepFiles()
{
    // Files that cannot be written whole (here: a file-size limit) leave the
    // previous ones as they were, while the window goes on with the new texts.
    QVERIFY(harness.startPeer());
    harness.openWindow("de_DE");
    QVERIFY(harness.peer()->waitForTexts(5));
    QVERIFY(deliver({tableMarker + "app_name1=Alt\n"}));
    const QByteArray table = WindowHarness::dataFile("config.txt");
    const QByteArray selection = WindowHarness::dataFile("from_to.db");
    rlimit saved = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
    const auto restore = qScopeGuard([saved] {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_DFL);
    });
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 4;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &tiny) == 0);

    QVERIFY(deliver({tableMarker + "app_name1=Neu\n"}));
    click("Czech");
    QCOMPARE(harness.window()->windowTitle(), QStringLiteral("Neu"));
    QCOMPARE(WindowHarness::dataFile("config.txt"), table);
    QCOMPARE(WindowHarness::dataFile("from_to.db"), selection);
}

QTEST_MAIN(TestWindow)
void TestWindow::pictures_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("picture"); // none where text covers it
    QTest::addColumn<bool>("lineHigh");
    for (const QString row : {"toolButton=quillora_30_30", "pushButton_prev=left_arrow",
                              "pushButton_play=", "pushButton_next=right_arrow"})
        QTest::newRow(qPrintable(row))
            << row.section('=', 0, 0) << row.section('=', 1) << !row.startsWith("tool");
    for (const QString &flag : flagNames)
        QTest::newRow(qPrintable(flag)) << "pushButton_" + flag << flag << false;
}

// Each picture covers its whole button, and nothing else is drawn there; a
// button whose height the form leaves free stands as high as a line of text.
void TestWindow::pictures()
{
    QFETCH(QString, button);
    QFETCH(QString, picture);
    QFETCH(bool, lineHigh);
    harness.openWindowWithoutServer("de_DE")->show();
    QWidget *shown = harness.window()->findChild<QWidget *>(button);
    if (lineHigh)
        QCOMPARE(shown->height(), shown->fontMetrics().height());
    if (picture.isEmpty())
        return;
    const QImage drawn = shown->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(drawn.size(), QImage::Format_RGB32);
    expected.fill(shown->palette().color(QPalette::Window));
    QPainter(&expected).drawImage(
        0, 0,
        QImage(":/image/image/" + picture + ".png")
            .scaled(drawn.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    // At most 8 levels a colour channel on average: scaling differs a little.
    qint64 difference = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            for (int shift : {0, 8, 16})
                difference += qAbs(int(drawn.pixel(x, y) >> shift & 0xff) -
                                   int(expected.pixel(x, y) >> shift & 0xff));
    QVERIFY2(difference <= 3 * 8 * drawn.width() * drawn.height(), qPrintable(picture));
}

#include "tst_window.moc"
