// The quick-translate hotkey's counting and capture, driven with synthetic
// left-Ctrl releases: offscreen there is no global hook, so the releases are
// handed to the window the way a hook back end hands them over.

#include "mainwindow/mainwindow.h"
#include "support/windowharness.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

namespace {

const QByteArray translatedPage("<div class=\"result-container\">translated</div>");
const QString untouched = QStringLiteral("typed before the link");

void setClipboard(const QString &text)
{
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

} // namespace

class TestMainWindowHotkey : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void releasesThatDoNothing_data();
    void releasesThatDoNothing();
    void twoReleasesCapture_data();
    void twoReleasesCapture();
    void releasesDuringACaptureAreForgotten();
    void ownActiveWindowCopiesFromTheFocusedBox_data();
    void ownActiveWindowCopiesFromTheFocusedBox();
    void captureBringsTheWindowBackFromTheTray();

private:
    void release(int times);

    WindowHarness harness;
    bool firstFocusDone = false;
};

void TestMainWindowHotkey::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindowHotkey::init()
{
    QVERIFY(WindowHarness::resetDataDirectory());
    QVERIFY(harness.startPage(translatedPage));
    QVERIFY(harness.startPeer());
    harness.openWindow(QStringLiteral("de_DE"));
    // The window gives the source box the focus 500 ms after it is built; a
    // timer of the same length started now fires after that step.
    firstFocusDone = false;
    QTimer::singleShot(500, this, [this] { firstFocusDone = true; });
    // Keeps the welcome text out of the page's requests.
    harness.textBox(QStringLiteral("plainTextEdit_source"))->setPlainText(untouched);
    QVERIFY(harness.peer()->waitForTexts(2));
    QCOMPARE(harness.window()->pendingControlReleases(), 0);
}

void TestMainWindowHotkey::cleanup()
{
    harness.stop();
}

void TestMainWindowHotkey::release(int times)
{
    for (int i = 0; i < times; ++i)
        harness.window()->leftControlReleased();
}

void TestMainWindowHotkey::releasesThatDoNothing_data()
{
    QTest::addColumn<int>("releases");
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
    QTest::newRow("five") << 5;
}

void TestMainWindowHotkey::releasesThatDoNothing()
{
    QFETCH(int, releases);

    setClipboard(QStringLiteral("not to be captured"));
    release(releases);
    QCOMPARE(harness.window()->pendingControlReleases(), releases);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window()->pendingControlReleases(), 0, 3000);
    QCOMPARE(harness.textBox(QStringLiteral("plainTextEdit_source"))->toPlainText(), untouched);
    QCOMPARE(harness.page()->requestCount(), 0);
    QVERIFY(!harness.window()->isVisible());
}

void TestMainWindowHotkey::twoReleasesCapture_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("source");

    QTest::newRow("text") << "Hallo Welt\nzweite Zeile"
                          << "Hallo Welt\nzweite Zeile";
    QTest::newRow("file:// at the start") << "file:///tmp/a.txt"
                                          << "";
    QTest::newRow("file:// inside") << "see file:///etc/hosts here"
                                    << "";
    QTest::newRow("file:// on a later line") << "two files\nfile:///b"
                                             << "";
    QTest::newRow("FILE:// is not file://") << "FILE:///tmp/a"
                                            << "FILE:///tmp/a";
    QTest::newRow("file:/ alone") << "file:/tmp/a"
                                  << "file:/tmp/a";
}

void TestMainWindowHotkey::twoReleasesCapture()
{
    QFETCH(QString, clipboard);
    QFETCH(QString, source);

    setClipboard(clipboard);
    release(2);
    QCOMPARE(harness.window()->pendingControlReleases(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window()->pendingControlReleases(), 0, 5000);

    QCOMPARE(harness.textBox(QStringLiteral("plainTextEdit_source"))->toPlainText(), source);
    QVERIFY(harness.window()->isVisible());
    QCOMPARE(harness.window()->translationHistory().size(), 1);
    QCOMPARE(harness.window()->translationHistory().text(0), source);
    if (!source.isEmpty()) {
        QCOMPARE(harness.page()->requestedTexts(), QStringList{source});
        QCOMPARE(harness.textBox(QStringLiteral("plainTextEdit_translate"))->toPlainText(),
                 QStringLiteral("translated"));
    }
}

void TestMainWindowHotkey::releasesDuringACaptureAreForgotten()
{
    // The capture's translation waits on a slow page; two more releases come
    // in meanwhile, as they would while the user keeps tapping.
    harness.page()->enqueue(PageServer::Response::page(translatedPage, 200, 1200));
    int countDuringCapture = -1;
    const QMetaObject::Connection duringCapture =
        connect(harness.page(), &PageServer::requestReceived, this, [&] {
            if (countDuringCapture >= 0)
                return;
            release(2);
            countDuringCapture = harness.window()->pendingControlReleases();
        });
    const auto disconnectAtEnd = qScopeGuard([&] { disconnect(duringCapture); });

    setClipboard(QStringLiteral("first"));
    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window()->pendingControlReleases(), 0, 5000);
    QCOMPARE(countDuringCapture, 4);
    QCOMPARE(harness.textBox(QStringLiteral("plainTextEdit_source"))->toPlainText(),
             QStringLiteral("first"));

    // A capture armed by the forgotten releases would have fired during the
    // slow page or shortly after; a fresh capture shows what was requested.
    setClipboard(QStringLiteral("second"));
    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window()->pendingControlReleases(), 0, 5000);
    QCOMPARE(harness.page()->requestedTexts(), (QStringList{"first", "second"}));
    QCOMPARE(harness.window()->translationHistory().size(), 2);
}

void TestMainWindowHotkey::ownActiveWindowCopiesFromTheFocusedBox_data()
{
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("captured");

    QTest::newRow("result box") << "plainTextEdit_translate"
                                << "selected part";
    QTest::newRow("source box") << "plainTextEdit_source"
                                << "selected part";
    QTest::newRow("neither box") << "pushButton_clear"
                                 << "on the clipboard";
}

void TestMainWindowHotkey::ownActiveWindowCopiesFromTheFocusedBox()
{
    QFETCH(QString, focused);
    QFETCH(QString, captured);

    harness.window()->show();
    harness.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(harness.window()));
    if (!harness.window()->isActiveWindow())
        QSKIP("the platform cannot make the window active");
    QTRY_VERIFY(firstFocusDone);

    for (QPlainTextEdit *edit : {harness.textBox(QStringLiteral("plainTextEdit_source")),
                                 harness.textBox(QStringLiteral("plainTextEdit_translate"))}) {
        edit->setPlainText(QStringLiteral("before selected part after"));
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(7);
        cursor.setPosition(20, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
    }
    auto *target = harness.window()->findChild<QWidget *>(focused);
    QVERIFY(target);
    target->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(target->hasFocus());
    setClipboard(QStringLiteral("on the clipboard"));

    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window()->pendingControlReleases(), 0, 5000);
    QCOMPARE(harness.textBox(QStringLiteral("plainTextEdit_source"))->toPlainText(), captured);
    QCOMPARE(harness.page()->requestedTexts(), QStringList{captured});
    QVERIFY(harness.textBox(QStringLiteral("plainTextEdit_source"))->hasFocus());
}

void TestMainWindowHotkey::captureBringsTheWindowBackFromTheTray()
{
    harness.window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(harness.window()));
    harness.window()->close();
    QVERIFY(!harness.window()->isVisible());
    QVERIFY(harness.window()->systemTrayIcon()->isVisible());

    setClipboard(QStringLiteral("from the tray"));
    release(2);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window()->pendingControlReleases(), 0, 5000);
    QVERIFY(harness.window()->isVisible());
    QVERIFY(!harness.window()->isMinimized());
    QVERIFY(!harness.window()->systemTrayIcon()->isVisible());
    QCOMPARE(harness.textBox(QStringLiteral("plainTextEdit_source"))->toPlainText(),
             QStringLiteral("from the tray"));
}

QTEST_MAIN(TestMainWindowHotkey)
#include "tst_mainwindow_hotkey.moc"
