#include "platform/controlreleasefilter.h"
#include "platform/keyboardhook.h"

#include <utility>
#include <windows.h>

namespace {

class WindowsKeyboardHook;

// A low-level hook procedure gets no user data, so the process-wide pointer
// is its only way to the installed hook. It is written before the hook is
// installed and cleared after it is removed; the system calls the procedure
// on the installing thread, so it needs no lock.
WindowsKeyboardHook *hookWindow = nullptr;

class WindowsKeyboardHook final : public KeyboardHook
{
public:
    explicit WindowsKeyboardHook(ReleaseHandler onLeftControlReleased);
    ~WindowsKeyboardHook() override;

    bool isInstalled() const override { return keyboardHook != nullptr; }
    SelectionPlace selectionPlace() const override { return SelectionPlace::Clipboard; }
    void copyForegroundSelection() override;

    void keyEvent(WPARAM message, DWORD virtualKey);

private:
    ReleaseHandler onLeftControlReleased;
    ControlReleaseFilter filter{VK_LCONTROL, {VK_LMENU, VK_RMENU}};
    HHOOK keyboardHook = nullptr;
};

// The system holds every keystroke of the desktop until this returns, so it
// only feeds the filter and leaves all work to the event loop. It never
// swallows a key.
LRESULT CALLBACK keyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION && hookWindow != nullptr)
        hookWindow->keyEvent(wParam, reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam)->vkCode);
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void WindowsKeyboardHook::keyEvent(WPARAM message, DWORD virtualKey)
{
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        filter.keyPressed(virtualKey);
    else if (message == WM_KEYUP || message == WM_SYSKEYUP)
        filter.keyReleased(virtualKey);
    for (int releases = filter.takeReleases(); releases > 0; --releases)
        onLeftControlReleased();
}

WindowsKeyboardHook::WindowsKeyboardHook(ReleaseHandler onLeftControlReleased)
    : onLeftControlReleased(std::move(onLeftControlReleased))
{
    // One hook per process: the procedure can reach only one object.
    if (hookWindow != nullptr)
        return;
    hookWindow = this;
    keyboardHook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHookProc, nullptr, 0);
    if (keyboardHook == nullptr)
        hookWindow = nullptr;
}

WindowsKeyboardHook::~WindowsKeyboardHook()
{
    if (keyboardHook == nullptr)
        return;
    UnhookWindowsHookEx(keyboardHook);
    hookWindow = nullptr;
}

void sendKey(WORD virtualKey, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = 0;
    input.ki.dwFlags = flags;
    input.ki.time = 0;
    input.ki.dwExtraInfo = 0;
    SendInput(1, &input, sizeof(INPUT));
}

// Failed injections go unnoticed: the clipboard then keeps its older content,
// which is what gets translated.
void WindowsKeyboardHook::copyForegroundSelection()
{
    sendKey(VK_CONTROL, 0);
    sendKey('C', 0);
    sendKey('C', KEYEVENTF_KEYUP);
    sendKey(VK_CONTROL, KEYEVENTF_KEYUP);
}

} // namespace

std::unique_ptr<KeyboardHook> KeyboardHook::install(ReleaseHandler onLeftControlReleased)
{
    return std::make_unique<WindowsKeyboardHook>(std::move(onLeftControlReleased));
}
