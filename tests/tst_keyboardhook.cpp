#include "platform/keyboardhook.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

// Runs on the offscreen platform, where no back end can watch a desktop:
// the hook must report that it is not installed and leave the clipboard be.
class KeyboardHookTest : public QObject
{
    Q_OBJECT

private slots:
    void withoutDesktopNothingIsInstalled();
};

void KeyboardHookTest::withoutDesktopNothingIsInstalled()
{
    int calls = 0;
    const auto hook = KeyboardHook::install([&calls] { ++calls; });
    QVERIFY(hook != nullptr);
    QVERIFY(!hook->isInstalled());

    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("kept"), QClipboard::Clipboard);
    hook->copyForegroundSelection();
    QCOMPARE(clipboard->text(QClipboard::Clipboard), QStringLiteral("kept"));
    QCOMPARE(calls, 0);
}

QTEST_MAIN(KeyboardHookTest)

#include "tst_keyboardhook.moc"
