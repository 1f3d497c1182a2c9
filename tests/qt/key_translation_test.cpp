// Keys go by physical position: both players keep their blocks on any layout, the keypad gives digits.
#include "qt/key_translation.h"
#include "qt/qt_test_main.h"

using namespace kestrum::qt;

TEST(KeyTranslation,
     BothPlayersKeysAreTheSameOnUsAndJapaneseLayoutsAndTheKeypadGivesDigits_ModifierMaskNamesEveryModifier) {
    // evdev codes (X11 adds 8), what each layout types there (US has no key 89), the codes expected.
    const quint32 evdev[] = {17, 31, 16, 18, 30, 32, 45, 44, 46, 25, 39, 24, 26, 38, 40, 53, 52, 89};
    const char jis[] = "WSQEADXZCP;O@L:/.\\", us[] = "WSQEADXZCP;O[L'/.\0";
    const int vk[] = {87, 83, 81, 69, 65, 68, 88, 90, 67, 80, 187, 79, 192, 76, 186, 191, 190, 226};
    for (size_t i = 0; i < std::size(evdev); ++i) {
        EXPECT_EQ(translateKey(evdev[i] + 8, jis[i], Qt::NoModifier), vk[i]) << jis[i];
        EXPECT_EQ(translateKey(evdev[i] + 8, us[i], Qt::NoModifier), vk[i]) << jis[i];
        EXPECT_EQ(translateKey(0, jis[i], Qt::NoModifier), vk[i]) << jis[i]; // no scan code: the symbol
    }
    EXPECT_EQ(translateKey(0, Qt::Key_Launch0, Qt::NoModifier), 0); // no code: not forwarded

    // The keypad gives digits with NumLock off.
    const quint32 pad[] = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73};
    const int navigation[] = {Qt::Key_Insert, Qt::Key_End,   Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left,
                              Qt::Key_Clear,  Qt::Key_Right, Qt::Key_Home, Qt::Key_Up,       Qt::Key_PageUp};
    for (int digit = 0; digit < 10; ++digit)
        EXPECT_EQ(translateKey(pad[digit] + 8, navigation[digit], Qt::KeypadModifier), 96 + digit);
    EXPECT_EQ(translateKey(102 + 8, Qt::Key_Home, Qt::NoModifier), 36); // the Home key itself

    // The modifier mask names every modifier held: Ctrl+Alt+F2 is not Ctrl+F2.
    EXPECT_EQ(std::tuple(modifierMask(Qt::NoModifier), modifierMask(Qt::ControlModifier),
                         modifierMask(Qt::ControlModifier | Qt::AltModifier),
                         modifierMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier)),
              std::tuple(0, 2, 6, 3));
}
