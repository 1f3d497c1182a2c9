// Keys are taken by their physical position: whatever the layout types, both players keep their
// blocks, and the keypad gives digits with NumLock off.
#include "qt/key_translation.h"
#include "qt/qt_test_main.h"

using namespace kestrum::qt;

namespace {

constexpr quint32 x11(quint32 evdev) {
    return evdev + 8;
}

struct PhysicalKey {
    quint32 evdev;
    int jisKey;   // what a Japanese layout types there
    int otherKey; // what a US (or, for the letters, French) layout types there
    int16_t vk;
};

} // namespace

TEST(KeyTranslation, SamePhysicalKeyGivesTheSameCodeOnEveryLayout) {
    const PhysicalKey keys[] = {
        // First player: W S Q E A D X Z C (AZERTY swaps Q/A and W/Z; the position counts).
        {17, Qt::Key_W, Qt::Key_Z, 87},
        {31, Qt::Key_S, Qt::Key_S, 83},
        {16, Qt::Key_Q, Qt::Key_A, 81},
        {18, Qt::Key_E, Qt::Key_E, 69},
        {30, Qt::Key_A, Qt::Key_Q, 65},
        {32, Qt::Key_D, Qt::Key_D, 68},
        {45, Qt::Key_X, Qt::Key_X, 88},
        {44, Qt::Key_Z, Qt::Key_W, 90},
        {46, Qt::Key_C, Qt::Key_C, 67},
        // Second player's letter block, JIS legends against US ones.
        {25, Qt::Key_P, Qt::Key_P, 80},
        {39, Qt::Key_Semicolon, Qt::Key_Semicolon, 187},
        {24, Qt::Key_O, Qt::Key_O, 79},
        {26, Qt::Key_At, Qt::Key_BracketLeft, 192},
        {38, Qt::Key_L, Qt::Key_L, 76},
        {40, Qt::Key_Colon, Qt::Key_Apostrophe, 186},
        {53, Qt::Key_Slash, Qt::Key_Slash, 191},
        {52, Qt::Key_Period, Qt::Key_Period, 190},
        {89, Qt::Key_Backslash, Qt::Key_unknown, 226},
        // Settings and abandon, digits for the prompts.
        {59, Qt::Key_F1, Qt::Key_F1, 112},
        {60, Qt::Key_F2, Qt::Key_F2, 113},
        {88, Qt::Key_F12, Qt::Key_F12, 123},
        {2, Qt::Key_1, Qt::Key_Ampersand, 49},
        {12, Qt::Key_Minus, Qt::Key_Minus, 189},
        {51, Qt::Key_Comma, Qt::Key_Comma, 188},
        {42, Qt::Key_Shift, Qt::Key_Shift, 16},
        {97, Qt::Key_Control, Qt::Key_Control, 17},
        {103, Qt::Key_Up, Qt::Key_Up, 38},
    };
    for (const PhysicalKey& k : keys) {
        SCOPED_TRACE(k.evdev);
        EXPECT_EQ(translateKey(x11(k.evdev), k.jisKey, Qt::NoModifier), k.vk);
        EXPECT_EQ(translateKey(x11(k.evdev), k.otherKey, Qt::NoModifier), k.vk);
    }
}

TEST(KeyTranslation, KeypadGivesDigitsWhateverNumLockSays) {
    // With NumLock off X reports the navigation keys; the scan code still names the digit.
    const struct {
        quint32 evdev;
        int navigation;
        int16_t vk;
    } pad[] = {{82, Qt::Key_Insert, 96},   {79, Qt::Key_End, 97},   {80, Qt::Key_Down, 98},
               {81, Qt::Key_PageDown, 99}, {75, Qt::Key_Left, 100}, {76, Qt::Key_Clear, 101},
               {77, Qt::Key_Right, 102},   {71, Qt::Key_Home, 103}, {72, Qt::Key_Up, 104},
               {73, Qt::Key_PageUp, 105}};
    for (const auto& k : pad) {
        SCOPED_TRACE(k.evdev);
        EXPECT_EQ(translateKey(x11(k.evdev), k.navigation, Qt::KeypadModifier), k.vk);
        EXPECT_EQ(translateKey(x11(k.evdev), Qt::Key_0 + (k.vk - 96), Qt::KeypadModifier), k.vk);
        // Without a scan code the keypad flag is all there is.
        EXPECT_EQ(translateKey(0, k.navigation, Qt::KeypadModifier), k.vk);
    }
    // The same navigation keys off the keypad stay what they are.
    EXPECT_EQ(translateKey(x11(102), Qt::Key_Home, Qt::NoModifier), 36);
    EXPECT_EQ(translateKey(0, Qt::Key_Home, Qt::NoModifier), 36);
}

TEST(KeyTranslation, WithoutScanCodeTheSymbolPicksItsJapaneseKey) {
    const struct {
        int key;
        int16_t vk;
    } symbols[] = {{';', 187},
                   {':', 186},
                   {'@', 192},
                   {'/', 191},
                   {'.', 190},
                   {'\\', 226},
                   {'_', 226},
                   {',', 188},
                   {'-', 189},
                   {'P', 80},
                   {'A', 65},
                   {'5', 53},
                   {Qt::Key_F1, 112},
                   {Qt::Key_F12, 123},
                   {Qt::Key_Return, 13},
                   {Qt::Key_Escape, 27},
                   {Qt::Key_Space, 32}};
    for (const auto& s : symbols) {
        SCOPED_TRACE(s.key);
        EXPECT_EQ(translateKey(0, s.key, Qt::NoModifier), s.vk);
    }
    EXPECT_EQ(translateKey(0, Qt::Key_5, Qt::KeypadModifier), 101);
    // An unknown scan code also falls back to the symbol; a key with neither is no key.
    EXPECT_EQ(translateKey(x11(200), Qt::Key_D, Qt::NoModifier), 68);
    EXPECT_EQ(translateKey(0, Qt::Key_Launch0, Qt::NoModifier), 0);
    EXPECT_EQ(translateKey(0, Qt::Key_unknown, Qt::NoModifier), 0);
}

TEST(KeyTranslation, ShiftMask) {
    EXPECT_EQ(shiftMask(Qt::NoModifier), 0);
    EXPECT_EQ(shiftMask(Qt::ControlModifier), 2);
    EXPECT_EQ(shiftMask(Qt::ControlModifier | Qt::KeypadModifier), 2);
    EXPECT_EQ(shiftMask(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(shiftMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
}

int main(int argc, char** argv) {
    return runQtTests(argc, argv);
}
