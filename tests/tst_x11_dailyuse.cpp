// What a daily user meets: a fresh account, Ctrl shortcuts typed in other
// programs, a fetch nested in another, white-space pieces, texts over the
// limit, the keyboard, the names a screen reader reads, and the hotkey that
// must leave the clipboard alone.

#include "mainwindow/mainwindow.h"
#include "net/servervocabulary.h"
#include "platform/controlreleasefilter.h"
#include "support/windowharness.h"
#include "translate/webtranslator.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

namespace {

QByteArray pageOf(const QByteArray &text)
{
    return "<div class=\"result-container\">" + text + "</div>";
}

} // namespace

class TestDailyUse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { harness.stop(); }

    void onlyCleanTapsCount_data();
    void onlyCleanTapsCount();
    void freshAccountKeepsSettings();
    void nestedFetchKeepsFinishedPage();
    void whiteSpacePieceIsNoFailure_data();
    void whiteSpacePieceIsNoFailure();
    void cutIsReported();
    void keyboard_data();
    void keyboard();
    void labelsFollowDisplayLanguage_data();
    void labelsFollowDisplayLanguage();
    void hotkeyReadsPrimaryAndKeepsClipboard();

private:
    MainWindow *openTranslatingWindow();

    WindowHarness harness;
};

MainWindow *TestDailyUse::openTranslatingWindow()
{
    return harness.startPage(pageOf("done")) ? harness.openWindowWithoutServer("en_US") : nullptr;
}

void TestDailyUse::onlyCleanTapsCount_data()
{
    // C is the left Ctrl key, A an Alt key, k any other key; + down, - up.
    QTest::addColumn<QString>("events");
    QTest::addColumn<int>("counted");
    QTest::newRow("two clean taps") << "C+ C- C+ C-" << 2;
    QTest::newRow("Ctrl+A then Ctrl+C") << "C+ k+ k- C- C+ k+ k- C-" << 0;
    QTest::newRow("key let go after Ctrl") << "C+ k+ C- k-" << 0;
    QTest::newRow("shortcut, then a tap") << "C+ k+ k- C- C+ C-" << 1;
    QTest::newRow("held Ctrl repeats") << "C+ C+ C+ C-" << 1;
    QTest::newRow("key held before Ctrl") << "k+ C+ k- C-" << 1;
    QTest::newRow("tap under Alt") << "A+ C+ C- A-" << 0;
    QTest::newRow("release never pressed") << "C-" << 0;
}

void TestDailyUse::onlyCleanTapsCount()
{
    QFETCH(QString, events);
    QFETCH(int, counted);
    const std::map<QChar, unsigned> keys{{'C', 37}, {'A', 64}, {'k', 54}};
    ControlReleaseFilter filter(37, {64, 108});
    for (const QString &event : events.split(' ')) {
        if (event.at(1) == '+')
            filter.keyPressed(keys.at(event.at(0)));
        else
            filter.keyReleased(keys.at(event.at(0)));
    }
    QCOMPARE(filter.takeReleases(), counted);
}

void TestDailyUse::freshAccountKeepsSettings()
{
    QTemporaryDir root;
    const QByteArray home = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", home); });
    qputenv("HOME", QFile::encodeName(root.filePath("new/user")));
    QVERIFY(harness.openWindowWithoutServer("en_US"));
    harness.button("pushButton_Czech")->click();
    QCOMPARE(WindowHarness::dataFile("from_to.db"), QByteArray("2\r\n0\r\n21\r\n"));
}

void TestDailyUse::nestedFetchKeepsFinishedPage()
{
    PageServer pages;
    QVERIFY(pages.listen());
    pages.enqueue(PageServer::Response::page(pageOf("outer"), 200, 50));
    pages.enqueue(PageServer::Response::page(pageOf("inner"), 200, 1500));
    QString inner;
    // The nested fetch starts while the outer one waits, as the hotkey or the
    // link-up welcome would, and ends long after the outer deadline.
    connect(&pages, &PageServer::requestReceived, this, [&] {
        if (pages.requestCount() == 1)
            QTimer::singleShot(
                0, [&] { inner = WebTranslator(pages.url()).translate("b", "en", "de"); });
    });
    WebTranslator outer(pages.url());
    outer.setTimeout(500);
    QCOMPARE(outer.translate("a", "en", "de"), QString("outer"));
    QCOMPARE(inner, QString("inner"));
}

void TestDailyUse::whiteSpacePieceIsNoFailure_data()
{
    const QString failure = WebTranslator::connectionFailureText();
    QTest::addColumn<QString>("piece");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two line breaks") << "\n\n"
                                     << "";
    QTest::newRow("blanks and a tab") << "  \t "
                                      << "";
    QTest::newRow("a word") << "word" << failure;
    QTest::newRow("a letter among blanks") << " x\n" << failure;
}

void TestDailyUse::whiteSpacePieceIsNoFailure()
{
    QFETCH(QString, piece);
    QFETCH(QString, expected);
    QCOMPARE(WebTranslator::extractTranslation(pageOf(""), piece), expected);
}

void TestDailyUse::cutIsReported()
{
    MainWindow *window = openTranslatingWindow();
    QVERIFY(window);
    window->receivedSomething(ServerVocabulary::limitMarker() + "5");
    harness.sourceBox()->setPlainText("abcdefgh");
    harness.button("pushButton_translate")->click();
    QCOMPARE(harness.page()->requestedTexts(), QStringList{"abcde"});
    QCOMPARE(harness.resultBox()->toPlainText(), QString("done"));
    QCOMPARE(window->statusBar()->currentMessage(),
             QString("Only the first 5 of 8 characters were translated."));
    harness.sourceBox()->setPlainText("abc");
    harness.button("pushButton_translate")->click();
    QCOMPARE(window->statusBar()->currentMessage(), QString());
}

void TestDailyUse::keyboard_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<QString>("sourceAfter");
    QTest::addColumn<QString>("resultAfter");
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Tab leaves the source box")
        << "plainTextEdit_source" << int(Qt::Key_Tab) << 0 << "pushButton_clear"
        << "typed"
        << "";
    QTest::newRow("Tab leaves the result box")
        << "plainTextEdit_translate" << int(Qt::Key_Tab) << 0 << "toolButton"
        << "typed"
        << "";
    QTest::newRow("Ctrl+Return in the source box")
        << "plainTextEdit_source" << int(Qt::Key_Return) << ctrl << "plainTextEdit_source"
        << "typed"
        << "done";
    QTest::newRow("Ctrl+Return on a flag")
        << "pushButton_French" << int(Qt::Key_Return) << ctrl << "pushButton_French"
        << "typed"
        << "done";
    QTest::newRow("Return on Clear")
        << "pushButton_clear" << int(Qt::Key_Return) << 0 << "pushButton_clear"
        << ""
        << "";
    QTest::newRow("Return on play")
        << "pushButton_play" << int(Qt::Key_Return) << 0 << "pushButton_play"
        << "typed"
        << "done";
}

void TestDailyUse::keyboard()
{
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    MainWindow *window = openTranslatingWindow();
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The window puts the cursor into the source box shortly after it opens.
    QTRY_VERIFY(harness.sourceBox()->hasFocus());
    harness.sourceBox()->setPlainText("typed");
    window->findChild<QWidget *>(focused)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTEST(QApplication::focusWidget()->objectName(), "focusAfter");
    QTEST(harness.sourceBox()->toPlainText(), "sourceAfter");
    QTEST(harness.resultBox()->toPlainText(), "resultAfter");
}

void TestDailyUse::labelsFollowDisplayLanguage_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("label");
    QTest::newRow("previous, from the table") << "pushButton_prev"
                                              << "Zurück";
    QTest::newRow("flag, from the table") << "pushButton_English"
                                          << "Englisch";
    QTest::newRow("next, in English") << "pushButton_next"
                                      << "Next translation";
    QTest::newRow("flag, in English") << "pushButton_Chinese"
                                      << "Chinese (Simplified)";
    QTest::newRow("play") << "pushButton_play"
                          << "Übersetzen";
    QTest::newRow("help") << "toolButton"
                          << "Help";
    QTest::newRow("source box") << "plainTextEdit_source"
                                << "Text to translate";
    QTest::newRow("result box") << "plainTextEdit_translate"
                                << "Translation";
}

void TestDailyUse::labelsFollowDisplayLanguage()
{
    QFETCH(QString, control);
    QFETCH(QString, label);
    MainWindow *window = harness.openWindowWithoutServer("en_US");
    QVERIFY(window);
    window->receivedSomething(ServerVocabulary::displayTableMarker() +
                              "previous=Zurück\nEnglish=Englisch\ntranslate=Übersetzen\n"
                              "restore=&Wiederherstellen\n");
    const QWidget *widget = window->findChild<QWidget *>(control);
    QCOMPARE(widget->accessibleName(), label);
    QCOMPARE(widget->toolTip(), label);
    const QList<QAction *> trayActions = window->systemTrayIcon()->contextMenu()->actions();
    QCOMPARE(trayActions.value(0)->text(), QString("&Wiederherstellen"));
    QCOMPARE(trayActions.value(1)->text(), QString("&Quit      "));
}

void TestDailyUse::hotkeyReadsPrimaryAndKeepsClipboard()
{
    MainWindow *window = openTranslatingWindow();
    QVERIFY(window);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText("kept on the clipboard", QClipboard::Clipboard);
    clipboard->setText("selected", QClipboard::Selection);
    window->leftControlReleased();
    window->leftControlReleased();
    QTRY_COMPARE(harness.resultBox()->toPlainText(), QString("done"));
    QCOMPARE(harness.page()->requestedTexts(), QStringList{"selected"});
    QCOMPARE(clipboard->text(QClipboard::Clipboard), QString("kept on the clipboard"));
}

QTEST_MAIN(TestDailyUse)
#include "tst_x11_dailyuse.moc"
