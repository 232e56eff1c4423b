#pragma once
// Windows virtual-key codes back to Qt keys: the key a chord of the key map stands for,
// as a key press would deliver it (US layout for punctuation; keypad keys carry the
// keypad modifier). The other direction is cmd::virtualKeyFromQt.
#include <Qt>

namespace ui {

struct QtKey {
    int key = 0;   // 0 when the virtual key has no Qt key
    Qt::KeyboardModifiers modifiers;   // Qt::KeypadModifier for keypad keys
};

QtKey qtKeyFromVirtualKey(int vk);

} // namespace ui
