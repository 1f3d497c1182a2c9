#include "qt/key_translation.h"

#include <array>

#include "keyboard/virtual_keys.h"

namespace kestrum::qt {

namespace {

// X11 keycodes are evdev codes shifted by 8 (the X protocol reserves 0..7).
constexpr quint32 kX11Offset = 8;

// evdev code -> virtual-key code on a Japanese keyboard; 0 = not a key the game can use.
constexpr std::array<int16_t, 128> makeEvdevTable() {
    std::array<int16_t, 128> t{};
    t[1] = vk::Escape;
    for (int i = 0; i < 9; ++i)
        t[2 + i] = int16_t('1' + i);
    t[11] = '0';
    t[12] = vk::OemMinus;
    t[13] = vk::Oem7;
    t[14] = vk::Back;
    t[15] = vk::Tab;
    const char top[] = "QWERTYUIOP", home[] = "ASDFGHJKL", bottom[] = "ZXCVBNM";
    for (int i = 0; i < 10; ++i)
        t[16 + i] = int16_t(top[i]);
    t[26] = vk::Oem3;
    t[27] = vk::Oem4;
    t[28] = vk::Return;
    t[29] = vk::Control;
    for (int i = 0; i < 9; ++i)
        t[30 + i] = int16_t(home[i]);
    t[39] = vk::OemPlus;
    t[40] = vk::Oem1;
    t[42] = vk::Shift;
    t[43] = vk::Oem6;
    for (int i = 0; i < 7; ++i)
        t[44 + i] = int16_t(bottom[i]);
    t[51] = vk::OemComma;
    t[52] = vk::OemPeriod;
    t[53] = vk::Oem2;
    t[54] = vk::Shift;
    t[55] = vk::Multiply;
    t[56] = vk::Menu;
    t[57] = vk::Space;
    t[58] = vk::Capital;
    for (int i = 0; i < 10; ++i)
        t[59 + i] = int16_t(vk::F1 + i);
    t[69] = vk::NumLock;
    t[70] = vk::Scroll;
    // The keypad by position, whatever NumLock says: with NumLock off X reports Home, Up, ...
    const int keypadDigit[][2] = {{71, 7}, {72, 8}, {73, 9}, {75, 4}, {76, 5},
                                  {77, 6}, {79, 1}, {80, 2}, {81, 3}, {82, 0}};
    for (const auto& kd : keypadDigit)
        t[kd[0]] = int16_t(vk::Numpad0 + kd[1]);
    t[74] = vk::Subtract;
    t[78] = vk::Add;
    t[83] = vk::Decimal;
    t[87] = vk::F1 + 10;
    t[88] = vk::F1 + 11;
    t[89] = vk::Oem102; // KEY_RO
    t[92] = vk::Convert;
    t[94] = vk::NonConvert;
    t[96] = vk::Return; // keypad Enter
    t[97] = vk::Control;
    t[98] = vk::Divide;
    t[99] = vk::Snapshot;
    t[100] = vk::Menu;
    t[102] = vk::Home;
    t[103] = vk::Up;
    t[104] = vk::Prior;
    t[105] = vk::Left;
    t[106] = vk::Right;
    t[107] = vk::End;
    t[108] = vk::Down;
    t[109] = vk::Next;
    t[110] = vk::Insert;
    t[111] = vk::Delete;
    t[119] = vk::Pause;
    t[124] = vk::Oem5; // KEY_YEN
    t[125] = vk::LWin;
    t[126] = vk::RWin;
    return t;
}

constexpr std::array<int16_t, 128> kEvdev = makeEvdevTable();

struct KeyCode {
    int qtKey;
    int16_t vk;
};

template <size_t N> int16_t lookUp(const KeyCode (&table)[N], int key) {
    for (const KeyCode& k : table)
        if (k.qtKey == key) return k.vk;
    return 0;
}

// A symbol typed without a known scan code: the code of the key that carries it on a Japanese
// keyboard, shifted or not.
constexpr KeyCode kSymbols[] = {
    {';', vk::OemPlus},   {'+', vk::OemPlus},   {':', vk::Oem1},     {'*', vk::Oem1},
    {'@', vk::Oem3},      {'`', vk::Oem3},      {'/', vk::Oem2},     {'?', vk::Oem2},
    {'.', vk::OemPeriod}, {'>', vk::OemPeriod}, {',', vk::OemComma}, {'<', vk::OemComma},
    {'-', vk::OemMinus},  {'=', vk::OemMinus},  {'\\', vk::Oem102},  {'_', vk::Oem102},
    {'^', vk::Oem7},      {'~', vk::Oem7},      {'[', vk::Oem4},     {'{', vk::Oem4},
    {']', vk::Oem6},      {'}', vk::Oem6},      {'|', vk::Oem5},     {Qt::Key_yen, vk::Oem5},
    {'!', '1'},           {'"', '2'},           {'#', '3'},          {'$', '4'},
    {'%', '5'},           {'&', '6'},           {'\'', '7'},         {'(', '8'},
    {')', '9'},
};

// Keypad keys as Qt names them with NumLock off: back to the digit keys they are.
constexpr KeyCode kKeypad[] = {
    {Qt::Key_Insert, vk::Numpad0},
    {Qt::Key_End, vk::Numpad0 + 1},
    {Qt::Key_Down, vk::Numpad0 + 2},
    {Qt::Key_PageDown, vk::Numpad0 + 3},
    {Qt::Key_Left, vk::Numpad0 + 4},
    {Qt::Key_Clear, vk::Numpad0 + 5},
    {Qt::Key_Right, vk::Numpad0 + 6},
    {Qt::Key_Home, vk::Numpad0 + 7},
    {Qt::Key_Up, vk::Numpad0 + 8},
    {Qt::Key_PageUp, vk::Numpad0 + 9},
    {Qt::Key_Delete, vk::Decimal},
    {'.', vk::Decimal},
    {'/', vk::Divide},
    {'*', vk::Multiply},
    {'-', vk::Subtract},
    {'+', vk::Add},
    {Qt::Key_Enter, vk::Return},
};

constexpr KeyCode kNamed[] = {
    {Qt::Key_Left, vk::Left},       {Qt::Key_Up, vk::Up},          {Qt::Key_Right, vk::Right},
    {Qt::Key_Down, vk::Down},       {Qt::Key_Home, vk::Home},      {Qt::Key_End, vk::End},
    {Qt::Key_PageUp, vk::Prior},    {Qt::Key_PageDown, vk::Next},  {Qt::Key_Insert, vk::Insert},
    {Qt::Key_Delete, vk::Delete},   {Qt::Key_Return, vk::Return},  {Qt::Key_Enter, vk::Return},
    {Qt::Key_Escape, vk::Escape},   {Qt::Key_Space, vk::Space},    {Qt::Key_Tab, vk::Tab},
    {Qt::Key_Backtab, vk::Tab},     {Qt::Key_Backspace, vk::Back}, {Qt::Key_Shift, vk::Shift},
    {Qt::Key_Control, vk::Control}, {Qt::Key_Alt, vk::Menu},       {Qt::Key_Pause, vk::Pause},
};

} // namespace

int16_t virtualKeyForScanCode(quint32 nativeScanCode) {
    if (nativeScanCode < kX11Offset) return 0;
    const quint32 evdev = nativeScanCode - kX11Offset;
    return evdev < kEvdev.size() ? kEvdev[evdev] : 0;
}

int16_t virtualKeyForQtKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return int16_t(vk::Numpad0 + (key - Qt::Key_0));
        if (const int16_t vk = lookUp(kKeypad, key)) return vk;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return int16_t(key); // Qt's letters are upper-case ASCII
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return int16_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return int16_t(vk::F1 + (key - Qt::Key_F1));
    if (const int16_t vk = lookUp(kNamed, key)) return vk;
    return lookUp(kSymbols, key);
}

int16_t translateKey(quint32 nativeScanCode, int qtKey, Qt::KeyboardModifiers modifiers) {
    if (const int16_t vk = virtualKeyForScanCode(nativeScanCode)) return vk;
    return virtualKeyForQtKey(qtKey, modifiers);
}

int16_t modifierMask(Qt::KeyboardModifiers modifiers) {
    int16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= kShiftMask;
    if (modifiers & Qt::ControlModifier) mask |= kCtrlMask;
    if (modifiers & Qt::AltModifier) mask |= kAltMask;
    return mask;
}

} // namespace kestrum::qt
