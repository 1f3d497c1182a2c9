#include "qt/key_translation.h"

#include <array>

#include "app/game.h"

namespace kestrum::qt {

namespace {

// X11 keycodes are evdev codes shifted by 8 (the X protocol reserves 0..7).
constexpr quint32 kX11Offset = 8;

// Windows virtual-key codes used below.
enum : int16_t {
    VkBack = 8,
    VkTab = 9,
    VkReturn = 13,
    VkShift = 16,
    VkControl = 17,
    VkMenu = 18,
    VkPause = 19,
    VkCapital = 20,
    VkConvert = 28,
    VkNonConvert = 29,
    VkEscape = 27,
    VkSpace = 32,
    VkPrior = 33,
    VkNext = 34,
    VkEnd = 35,
    VkHome = 36,
    VkLeft = 37,
    VkUp = 38,
    VkRight = 39,
    VkDown = 40,
    VkSnapshot = 44,
    VkInsert = 45,
    VkDelete = 46,
    VkLWin = 91,
    VkRWin = 92,
    VkNumpad0 = 96,
    VkMultiply = 106,
    VkAdd = 107,
    VkSubtract = 109,
    VkDecimal = 110,
    VkDivide = 111,
    VkF1 = 112,
    VkNumLock = 144,
    VkScroll = 145,
    VkOem1 = 186,    // JIS ':'
    VkOemPlus = 187, // JIS ';'
    VkOemComma = 188,
    VkOemMinus = 189,
    VkOemPeriod = 190,
    VkOem2 = 191,   // '/'
    VkOem3 = 192,   // JIS '@'
    VkOem4 = 219,   // JIS '['
    VkOem5 = 220,   // JIS yen
    VkOem6 = 221,   // JIS ']'
    VkOem7 = 222,   // JIS '^'
    VkOem102 = 226, // JIS '\ _' left of the right Shift
};

// evdev code -> virtual-key code on a Japanese keyboard; 0 = not a key the game can use.
constexpr std::array<int16_t, 128> makeEvdevTable() {
    std::array<int16_t, 128> t{};
    t[1] = VkEscape;
    for (int i = 0; i < 9; ++i)
        t[2 + i] = int16_t('1' + i);
    t[11] = '0';
    t[12] = VkOemMinus;
    t[13] = VkOem7;
    t[14] = VkBack;
    t[15] = VkTab;
    const char top[] = "QWERTYUIOP", home[] = "ASDFGHJKL", bottom[] = "ZXCVBNM";
    for (int i = 0; i < 10; ++i)
        t[16 + i] = int16_t(top[i]);
    t[26] = VkOem3;
    t[27] = VkOem4;
    t[28] = VkReturn;
    t[29] = VkControl;
    for (int i = 0; i < 9; ++i)
        t[30 + i] = int16_t(home[i]);
    t[39] = VkOemPlus;
    t[40] = VkOem1;
    t[42] = VkShift;
    t[43] = VkOem6;
    for (int i = 0; i < 7; ++i)
        t[44 + i] = int16_t(bottom[i]);
    t[51] = VkOemComma;
    t[52] = VkOemPeriod;
    t[53] = VkOem2;
    t[54] = VkShift;
    t[55] = VkMultiply;
    t[56] = VkMenu;
    t[57] = VkSpace;
    t[58] = VkCapital;
    for (int i = 0; i < 10; ++i)
        t[59 + i] = int16_t(VkF1 + i);
    t[69] = VkNumLock;
    t[70] = VkScroll;
    // The keypad by position, whatever NumLock says: with NumLock off X reports Home, Up, ...
    const int keypadDigit[][2] = {{71, 7}, {72, 8}, {73, 9}, {75, 4}, {76, 5},
                                  {77, 6}, {79, 1}, {80, 2}, {81, 3}, {82, 0}};
    for (const auto& kd : keypadDigit)
        t[kd[0]] = int16_t(VkNumpad0 + kd[1]);
    t[74] = VkSubtract;
    t[78] = VkAdd;
    t[83] = VkDecimal;
    t[87] = VkF1 + 10;
    t[88] = VkF1 + 11;
    t[89] = VkOem102; // KEY_RO
    t[92] = VkConvert;
    t[94] = VkNonConvert;
    t[96] = VkReturn; // keypad Enter
    t[97] = VkControl;
    t[98] = VkDivide;
    t[99] = VkSnapshot;
    t[100] = VkMenu;
    t[102] = VkHome;
    t[103] = VkUp;
    t[104] = VkPrior;
    t[105] = VkLeft;
    t[106] = VkRight;
    t[107] = VkEnd;
    t[108] = VkDown;
    t[109] = VkNext;
    t[110] = VkInsert;
    t[111] = VkDelete;
    t[119] = VkPause;
    t[124] = VkOem5; // KEY_YEN
    t[125] = VkLWin;
    t[126] = VkRWin;
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
    {';', VkOemPlus},   {'+', VkOemPlus},   {':', VkOem1},     {'*', VkOem1},
    {'@', VkOem3},      {'`', VkOem3},      {'/', VkOem2},     {'?', VkOem2},
    {'.', VkOemPeriod}, {'>', VkOemPeriod}, {',', VkOemComma}, {'<', VkOemComma},
    {'-', VkOemMinus},  {'=', VkOemMinus},  {'\\', VkOem102},  {'_', VkOem102},
    {'^', VkOem7},      {'~', VkOem7},      {'[', VkOem4},     {'{', VkOem4},
    {']', VkOem6},      {'}', VkOem6},      {'|', VkOem5},     {Qt::Key_yen, VkOem5},
    {'!', '1'},         {'"', '2'},         {'#', '3'},        {'$', '4'},
    {'%', '5'},         {'&', '6'},         {'\'', '7'},       {'(', '8'},
    {')', '9'},
};

// Keypad keys as Qt names them with NumLock off: back to the digit keys they are.
constexpr KeyCode kKeypad[] = {
    {Qt::Key_Insert, VkNumpad0},
    {Qt::Key_End, VkNumpad0 + 1},
    {Qt::Key_Down, VkNumpad0 + 2},
    {Qt::Key_PageDown, VkNumpad0 + 3},
    {Qt::Key_Left, VkNumpad0 + 4},
    {Qt::Key_Clear, VkNumpad0 + 5},
    {Qt::Key_Right, VkNumpad0 + 6},
    {Qt::Key_Home, VkNumpad0 + 7},
    {Qt::Key_Up, VkNumpad0 + 8},
    {Qt::Key_PageUp, VkNumpad0 + 9},
    {Qt::Key_Delete, VkDecimal},
    {'.', VkDecimal},
    {'/', VkDivide},
    {'*', VkMultiply},
    {'-', VkSubtract},
    {'+', VkAdd},
    {Qt::Key_Enter, VkReturn},
};

constexpr KeyCode kNamed[] = {
    {Qt::Key_Left, VkLeft},       {Qt::Key_Up, VkUp},          {Qt::Key_Right, VkRight},
    {Qt::Key_Down, VkDown},       {Qt::Key_Home, VkHome},      {Qt::Key_End, VkEnd},
    {Qt::Key_PageUp, VkPrior},    {Qt::Key_PageDown, VkNext},  {Qt::Key_Insert, VkInsert},
    {Qt::Key_Delete, VkDelete},   {Qt::Key_Return, VkReturn},  {Qt::Key_Enter, VkReturn},
    {Qt::Key_Escape, VkEscape},   {Qt::Key_Space, VkSpace},    {Qt::Key_Tab, VkTab},
    {Qt::Key_Backtab, VkTab},     {Qt::Key_Backspace, VkBack}, {Qt::Key_Shift, VkShift},
    {Qt::Key_Control, VkControl}, {Qt::Key_Alt, VkMenu},
};

} // namespace

int16_t virtualKeyForScanCode(quint32 nativeScanCode) {
    if (nativeScanCode < kX11Offset) return 0;
    const quint32 evdev = nativeScanCode - kX11Offset;
    return evdev < kEvdev.size() ? kEvdev[evdev] : 0;
}

int16_t virtualKeyForQtKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return int16_t(VkNumpad0 + (key - Qt::Key_0));
        if (const int16_t vk = lookUp(kKeypad, key)) return vk;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return int16_t(key); // Qt's letters are upper-case ASCII
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return int16_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return int16_t(VkF1 + (key - Qt::Key_F1));
    if (const int16_t vk = lookUp(kNamed, key)) return vk;
    return lookUp(kSymbols, key);
}

int16_t translateKey(quint32 nativeScanCode, int qtKey, Qt::KeyboardModifiers modifiers) {
    if (const int16_t vk = virtualKeyForScanCode(nativeScanCode)) return vk;
    return virtualKeyForQtKey(qtKey, modifiers);
}

int16_t shiftMask(Qt::KeyboardModifiers modifiers) {
    int16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= kShiftMask;
    if (modifiers & Qt::ControlModifier) mask |= kCtrlMask;
    if (modifiers & Qt::AltModifier) mask |= kAltMask;
    return mask;
}

} // namespace kestrum::qt
