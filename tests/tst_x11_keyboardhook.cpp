#include "platform/keyboardhook.h"
#include "support/controlreleasecounter.h"
#include "support/fakekeyboard.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {

const QString leftTap = QStringLiteral("+Control_L -Control_L");

} // namespace

class X11KeyboardHookTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void reportsLeftControlReleases_data();
    void reportsLeftControlReleases();
    void keysStillReachTheFocusedWindow();
    void removedHookReportsNothing();
    void copiesPrimarySelectionToClipboard_data();
    void copiesPrimarySelectionToClipboard();

private:
    std::unique_ptr<FakeKeyboard> keyboard;
};

void X11KeyboardHookTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("No X display: run this test under xvfb-run with QT_QPA_PLATFORM=xcb");
    QStandardPaths::setTestModeEnabled(true);
    keyboard = std::make_unique<FakeKeyboard>();
    QVERIFY(keyboard->isOpen());
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty(),
             "xclip is missing; scripts/install-deps installs it");
}

void X11KeyboardHookTest::reportsLeftControlReleases_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("reports");

    QTest::newRow("one tap") << leftTap << 1;
    QTest::newRow("two taps") << leftTap + QLatin1Char(' ') + leftTap << 2;
    QTest::newRow("three taps") << leftTap + QLatin1Char(' ') + leftTap + QLatin1Char(' ') + leftTap
                                << 3;
    QTest::newRow("right ctrl taps") << "+Control_R -Control_R +Control_R -Control_R" << 0;
    QTest::newRow("both ctrl keys") << "+Control_R +Control_L -Control_R -Control_L" << 1;
    QTest::newRow("other keys") << "+Shift_L -Shift_L abc +F5 -F5 +Alt_L -Alt_L" << 0;
    QTest::newRow("ctrl+c with left ctrl") << "+Control_L c -Control_L" << 1;
    QTest::newRow("ctrl+c with right ctrl") << "+Control_R c -Control_R" << 0;
    QTest::newRow("left ctrl released while alt is held")
        << "+Alt_L +Control_L -Control_L -Alt_L" << 0;
    QTest::newRow("left ctrl released after alt") << "+Alt_L +Control_L -Alt_L -Control_L" << 1;
}

void X11KeyboardHookTest::reportsLeftControlReleases()
{
    QFETCH(QString, script);
    QFETCH(int, reports);

    int calls = 0;
    const auto hook = KeyboardHook::install([&calls] { ++calls; });
    QVERIFY(hook->isInstalled());

    // The recorded events arrive in order, so once the closing tap is
    // reported every earlier event has been seen: a surplus shows up here.
    QVERIFY(keyboard->play(script + QLatin1Char(' ') + leftTap));
    QTRY_COMPARE(calls, reports + 1);
}

void X11KeyboardHookTest::keysStillReachTheFocusedWindow()
{
    int calls = 0;
    const auto hook = KeyboardHook::install([&calls] { ++calls; });
    QVERIFY(hook->isInstalled());

    QLineEdit edit;
    ControlReleaseCounter counter;
    edit.installEventFilter(&counter);
    edit.show();
    edit.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&edit));
    edit.setFocus();

    QVERIFY(keyboard->play(QStringLiteral("quillora ") + leftTap + QLatin1Char(' ') + leftTap));

    QTRY_COMPARE(edit.text(), QStringLiteral("quillora"));
    QTRY_COMPARE(counter.releases, 2);
    QTRY_COMPARE(calls, 2);
}

void X11KeyboardHookTest::removedHookReportsNothing()
{
    int removedCalls = 0;
    int remainingCalls = 0;
    auto removed = KeyboardHook::install([&removedCalls] { ++removedCalls; });
    const auto remaining = KeyboardHook::install([&remainingCalls] { ++remainingCalls; });
    QVERIFY(removed->isInstalled());
    QVERIFY(remaining->isInstalled());

    QVERIFY(keyboard->play(leftTap));
    QTRY_COMPARE(removedCalls, 1);
    QTRY_COMPARE(remainingCalls, 1);

    removed.reset();
    QVERIFY(keyboard->play(leftTap + QLatin1Char(' ') + leftTap));
    QTRY_COMPARE(remainingCalls, 3);
    QCOMPARE(removedCalls, 1);
}

void X11KeyboardHookTest::copiesPrimarySelectionToClipboard_data()
{
    QTest::addColumn<bool>("otherClientSelects");
    QTest::addColumn<QString>("clipboardAfter");

    QTest::newRow("selection in another client")
        << true << QStringLiteral("Grüße aus einem anderen Fenster\nzweite Zeile");
    QTest::newRow("no selection anywhere") << false << QStringLiteral("older clipboard text");
}

void X11KeyboardHookTest::copiesPrimarySelectionToClipboard()
{
    QFETCH(bool, otherClientSelects);
    QFETCH(QString, clipboardAfter);

    const auto hook = KeyboardHook::install([] {});
    QVERIFY(hook->isInstalled());
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear(QClipboard::Selection);
    clipboard->setText(QStringLiteral("older clipboard text"), QClipboard::Clipboard);

    // xclip keeps serving PRIMARY in the foreground until it is killed.
    QProcess selectionOwner;
    if (otherClientSelects) {
        selectionOwner.start(QStringLiteral("xclip"), {"-quiet", "-selection", "primary", "-i"});
        QVERIFY(selectionOwner.waitForStarted());
        selectionOwner.write(clipboardAfter.toUtf8());
        selectionOwner.closeWriteChannel();
        QTRY_COMPARE(clipboard->text(QClipboard::Selection), clipboardAfter);
    } else {
        QVERIFY(clipboard->text(QClipboard::Selection).isEmpty());
    }

    hook->copyForegroundSelection();
    QCOMPARE(clipboard->text(QClipboard::Clipboard), clipboardAfter);

    // What other clients get when they paste, served by this process.
    QProcess reader;
    reader.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"});
    QTRY_COMPARE_WITH_TIMEOUT(reader.state(), QProcess::NotRunning, 10000);
    QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()), clipboardAfter);

    selectionOwner.kill();
    selectionOwner.waitForFinished();
}

int main(int argc, char *argv[])
{
    // Without an X server the xcb platform aborts at start; run offscreen
    // instead so that the test skips with its message.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    X11KeyboardHookTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11_keyboardhook.moc"
