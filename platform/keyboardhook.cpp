#include "platform/keyboardhook.h"

KeyboardHook::~KeyboardHook() = default;
