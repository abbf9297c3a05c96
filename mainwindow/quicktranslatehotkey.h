#ifndef QUICKTRANSLATEHOTKEY_H
#define QUICKTRANSLATEHOTKEY_H

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class KeyboardHook;
class QWidget;

// Two quick taps of the left Ctrl key, anywhere on the desktop, capture the
// text selected at that moment. A third tap soon after the second cancels,
// and nothing ever sleeps: where the selection must first be copied, the
// capture waits for the clipboard to change, or gives up waiting after a
// while and takes what it holds.
class QuickTranslateHotkey : public QObject
{
    Q_OBJECT

public:
    // The second tap must follow the first within this time.
    static constexpr int doubleTapMs = 500;
    // How long after the second tap a third one still cancels.
    static constexpr int thirdTapMs = 250;
    // How long another application gets to hand its selection over.
    static constexpr int clipboardWaitMs = 500;

    explicit QuickTranslateHotkey(QWidget *window);
    ~QuickTranslateHotkey() override;

    // Called by the hook back end for every clean tap of the left Ctrl key.
    void leftControlReleased();
    // Captures the selection now, as a double tap does; for a desktop
    // shortcut where the hook cannot see the keys.
    void captureSelection();

signals:
    // The captured text; empty when it named files.
    void selectionCaptured(const QString &text);

private slots:
    void doKeyProcess();

private:
    // The hook, installed by the first call.
    KeyboardHook &hook();
    void readSelection();

    QWidget *window;
    std::unique_ptr<KeyboardHook> keyboardHook;
    int ctrlReleaseCount = 0;
    QTimer tapTimer;
    QTimer clipboardTimer;
    QMetaObject::Connection clipboardWatch;
};

#endif
