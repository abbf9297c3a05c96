#ifndef KEYBOARDHOOK_H
#define KEYBOARDHOOK_H

#include <functional>
#include <memory>

// The global quick-translate hotkey as the desktop offers it: reports every
// clean tap of the left Ctrl key anywhere on the desktop and makes the
// foreground application's selection readable. Which back end is
// built is chosen at configure time; this header stays free of any platform
// and toolkit header.
class KeyboardHook
{
public:
    using ReleaseHandler = std::function<void()>;

    // Installs the hook. Never returns null: where the hook cannot be
    // installed the object does nothing and isInstalled() is false.
    static std::unique_ptr<KeyboardHook> install(ReleaseHandler onLeftControlReleased);

    virtual ~KeyboardHook();

    // Where the selection to translate can be read once
    // copyForegroundSelection() has run.
    enum class SelectionPlace
    {
        Clipboard,
        // The X primary selection, which holds the text selected anywhere on
        // the desktop without any copy, so the clipboard keeps its content.
        PrimarySelection
    };

    virtual bool isInstalled() const = 0;

    virtual SelectionPlace selectionPlace() const = 0;

    // Makes the foreground application's selected text readable at
    // selectionPlace(); where the desktop already publishes it, does nothing.
    virtual void copyForegroundSelection() = 0;

protected:
    KeyboardHook() = default;
    KeyboardHook(const KeyboardHook &) = delete;
    KeyboardHook &operator=(const KeyboardHook &) = delete;
};

#endif
