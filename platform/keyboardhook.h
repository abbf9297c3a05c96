#ifndef KEYBOARDHOOK_H
#define KEYBOARDHOOK_H

#include <functional>
#include <memory>

// The global quick-translate hotkey as the desktop offers it: reports every
// release of the left Ctrl key anywhere on the desktop and copies the
// foreground application's selection to the clipboard. Which back end is
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

    virtual bool isInstalled() const = 0;

    // Puts the foreground application's selected text on the clipboard.
    virtual void copyForegroundSelection() = 0;

protected:
    KeyboardHook() = default;
    KeyboardHook(const KeyboardHook &) = delete;
    KeyboardHook &operator=(const KeyboardHook &) = delete;
};

#endif
