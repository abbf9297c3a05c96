#include "platform/keyboardhook.h"

namespace {

// For desktops without a global keyboard hook: the hotkey has no effect,
// just as when installing a hook fails.
class UnavailableKeyboardHook final : public KeyboardHook
{
public:
    bool isInstalled() const override { return false; }
    SelectionPlace selectionPlace() const override { return SelectionPlace::Clipboard; }
    void copyForegroundSelection() override {}
};

} // namespace

std::unique_ptr<KeyboardHook> KeyboardHook::install(ReleaseHandler)
{
    return std::make_unique<UnavailableKeyboardHook>();
}
