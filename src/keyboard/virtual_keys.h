#pragma once
// Virtual-key codes: the numbers the game knows keys by, those of a Japanese keyboard. The window
// translates every physical key into the code the same key has there.

#include <cstdint>

namespace kestrum::vk {

constexpr int16_t Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Pause = 19,
                  Capital = 20, Convert = 28, NonConvert = 29, Escape = 27, Space = 32;
constexpr int16_t Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40;
constexpr int16_t Snapshot = 44, Insert = 45, Delete = 46, LWin = 91, RWin = 92;
// Digits and letters are their upper-case ASCII codes.
constexpr int16_t A = 'A', C = 'C', D = 'D', E = 'E', L = 'L', O = 'O', P = 'P', Q = 'Q', S = 'S', W = 'W',
                  X = 'X', Z = 'Z';
constexpr int16_t Numpad0 = 96, Numpad1 = 97, Numpad2 = 98, Numpad3 = 99, Numpad4 = 100, Numpad5 = 101,
                  Numpad6 = 102, Numpad7 = 103, Numpad8 = 104, Numpad9 = 105;
constexpr int16_t Multiply = 106, Add = 107, Subtract = 109, Decimal = 110, Divide = 111;
constexpr int16_t F1 = 112, F2 = 113;
constexpr int16_t NumLock = 144, Scroll = 145;
constexpr int16_t Oem1 = 186;    // JIS ':'
constexpr int16_t OemPlus = 187; // JIS ';'
constexpr int16_t OemComma = 188, OemMinus = 189, OemPeriod = 190;
constexpr int16_t Oem2 = 191;   // '/'
constexpr int16_t Oem3 = 192;   // JIS '@'
constexpr int16_t Oem4 = 219;   // JIS '['
constexpr int16_t Oem5 = 220;   // JIS yen
constexpr int16_t Oem6 = 221;   // JIS ']'
constexpr int16_t Oem7 = 222;   // JIS '^'
constexpr int16_t Oem102 = 226; // JIS '\ _' left of the right Shift

} // namespace kestrum::vk

namespace kestrum {
// The shift mask of a key-down: which modifiers were held.
constexpr int16_t kShiftMask = 1, kCtrlMask = 2, kAltMask = 4;
} // namespace kestrum
