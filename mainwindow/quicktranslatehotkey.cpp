#include "mainwindow/quicktranslatehotkey.h"

#include "platform/keyboardhook.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QWidget>

QuickTranslateHotkey::QuickTranslateHotkey(QWidget *mainWindow)
    : QObject(mainWindow), window(mainWindow)
{
    tapTimer.setSingleShot(true);
    connect(&tapTimer, &QTimer::timeout, this, &QuickTranslateHotkey::doKeyProcess);
    clipboardTimer.setSingleShot(true);
    clipboardTimer.setInterval(clipboardWaitMs);
    connect(&clipboardTimer, &QTimer::timeout, this, &QuickTranslateHotkey::readSelection);
    // Installed once the event loop runs: the window is then on screen, and
    // the hook's own connections to the desktop and their round trips no
    // longer hold it back.
    QTimer::singleShot(0, this, [this] { hook(); });
}

KeyboardHook &QuickTranslateHotkey::hook()
{
    if (!keyboardHook)
        keyboardHook = KeyboardHook::install([this] { leftControlReleased(); });
    return *keyboardHook;
}

QuickTranslateHotkey::~QuickTranslateHotkey() = default;

void QuickTranslateHotkey::leftControlReleased()
{
    ++ctrlReleaseCount;
    if (ctrlReleaseCount == 1)
        tapTimer.start(doubleTapMs);
    else if (ctrlReleaseCount == 2)
        tapTimer.start(thirdTapMs);
}

void QuickTranslateHotkey::doKeyProcess()
{
    const bool doubleTap = ctrlReleaseCount == 2;
    ctrlReleaseCount = 0;
    if (doubleTap)
        captureSelection();
}

void QuickTranslateHotkey::captureSelection()
{
    if (clipboardTimer.isActive())
        return;

    const bool fromPrimary =
        hook().selectionPlace() == KeyboardHook::SelectionPlace::PrimarySelection;
    if (window->isActiveWindow()) {
        // The primary selection already holds what is selected in the window.
        if (!fromPrimary) {
            if (auto *box = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget()))
                box->copy();
        }
        readSelection();
        return;
    }
    if (fromPrimary) {
        readSelection();
        return;
    }
    clipboardWatch = connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
                             &QuickTranslateHotkey::readSelection);
    clipboardTimer.start();
    hook().copyForegroundSelection();
}

void QuickTranslateHotkey::readSelection()
{
    clipboardTimer.stop();
    disconnect(clipboardWatch);
    const bool fromPrimary =
        hook().selectionPlace() == KeyboardHook::SelectionPlace::PrimarySelection;
    QString text = QApplication::clipboard()->text(fromPrimary ? QClipboard::Selection
                                                               : QClipboard::Clipboard);
    if (text.contains(QLatin1String("file://")))
        text.clear();
    emit selectionCaptured(text);
}
