#pragma once
// Key events to the virtual-key codes the game knows, by physical key.
//
// The game's key tables are written for a Japanese 106/109 keyboard. Both players need their 3 x 3
// blocks where they are whatever layout the desktop uses, so a key is identified by its scan code
// first and only falls back to the symbol it typed when the scan code is unknown.

#include <cstdint>

#include <Qt>

namespace kestrum::qt {

// The virtual-key code of the physical key behind an X11 / evdev scan code (X11 keycode = evdev + 8),
// as a Japanese keyboard reports it; 0 when the scan code is not one we know.
int16_t virtualKeyForScanCode(quint32 nativeScanCode);

// The virtual-key code for a Qt key when no scan code is known (offscreen platform, synthesized
// events); punctuation takes the code of the key that carries the symbol on a Japanese keyboard.
int16_t virtualKeyForQtKey(int qtKey, Qt::KeyboardModifiers modifiers);

// Scan code first, then the Qt key; 0 when neither is known.
int16_t translateKey(quint32 nativeScanCode, int qtKey, Qt::KeyboardModifiers modifiers);

// The modifier mask the game's key-down takes: 1 Shift, 2 Ctrl, 4 Alt.
int16_t modifierMask(Qt::KeyboardModifiers modifiers);

} // namespace kestrum::qt
