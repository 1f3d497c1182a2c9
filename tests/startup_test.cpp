// Start-up: the settings dialog on a first run, then the prompt; the main window's controls as created.
#include <gtest/gtest.h>

#include <ranges>
#include <span>
#include <tuple>

#include "game/screen.h"
#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

TEST(Startup, FirstRunShowsTheDialogUntilAReadingSucceedsThenThePrompt) {
    GameHarness h(""); // no config.txt
    h.platform.onDialog = [&] {
        // The first save leaves an unreadable file (a period below 1), the second a good one.
        h.folder.write("config.txt", h.platform.dialogsShown == 1 ? " 1 \r\n0\r\n" : " 0 \r\n25\r\n");
        return true;
    };
    h.game->load();
    EXPECT_EQ(std::tuple(h.platform.dialogsShown, h.platform.lastOccasion, h.platform.quitCalls),
              std::tuple(2, SettingsOccasion::FirstRun, 0));
    const Measures& measures = h.match().measures;
    EXPECT_EQ(std::tuple(measures.labelWidth, measures.labelHeight, measures.labelDistance),
              std::tuple(10.0, 10, 5))
        << "at 15 twips per pixel";
    EXPECT_EQ(h.platform.startInterval, 1) << "armed only after a successful reading";
    const Settings& settings = h.match().settings;
    EXPECT_EQ(std::pair(settings.handlingPeriod, settings.secondSeatKeys.codes[0]),
              std::pair(int16_t(25), int16_t(80)));
    h.game->startTick();
    EXPECT_TRUE(h.screen().setupPanel.visible);
    EXPECT_EQ(std::pair(h.screen().focus, h.platform.startInterval), std::pair(std::optional(Box::Mode), 0));
    EXPECT_EQ(h.game->field().explosion[9].width, 31);
    EXPECT_EQ(h.game->field().explosion[9].bitmap, &h.game->field().explosionBitmap);
}

TEST(Startup, ClosingTheFirstRunDialogWithoutSavingEndsTheProgram) {
    // Where no save can succeed (a read-only folder), closing the dialog is the only way out.
    for (const char* unreadable : {"", "5\r\n", " 1 \r\n-3\r\n"}) {
        GameHarness h(unreadable);
        h.platform.onDialog = [] { return false; };
        h.game->load();
        EXPECT_EQ(h.platform.dialogsShown, 1) << unreadable;
        EXPECT_EQ(h.platform.quitCalls * 10 + h.platform.quitStatus, 10) << "ends at once with status 0";
        EXPECT_EQ(h.platform.startInterval, 120) << "the start tick is never armed";
    }
}

static const Screen s = makeDesignScreen();

// A control's rect in window pixels (the checked controls live in the window or the input panels).
template <class C> static Rect inWindow(const C& x) {
    const Rect o = x.parent == Container::InputPanel    ? s.inputPanels[x.parentIndex].rect
                   : x.parent == Container::DigitCursor ? inWindow(s.digitCursors[x.parentIndex])
                                                        : Rect{};
    return {x.rect.left + o.left, x.rect.top + o.top, x.rect.width, x.rect.height};
}
static bool fits(const Rect& r) {
    return r.left >= 0 && r.top >= 0 && r.left + r.width <= 792 && r.top + r.height <= 575;
}

TEST(DesignScreen, EverythingHiddenAndInsideTheWindow) {
    EXPECT_EQ(s.slotLabels[13].caption + s.statusUnits[14].caption, "7(kg)");
    // Nothing shows at creation; panel contents ride on their hidden panel.
    const std::span<const Label> labels[] = {
        s.statusCaptions, s.statusUnits,  s.statusValues, s.modeCaptions,  s.statusSlot,
        s.score,          s.panelSlots,   s.panelValues,  s.shellCaptions, s.panelUnits,
        s.rocketCaptions, s.cursorDigits, s.slotLabels};
    for (const Label& l : labels | std::views::join)
        EXPECT_TRUE(l.visible == (l.parent != Container::Window) && fits(inWindow(l))) << l.caption;
    const std::span<const Panel> panels[] = {
        s.inputPanels, s.digitCursors, {&s.setupPanel, 1}, {&s.restartPanel, 1}};
    for (const Panel& p : panels | std::views::join)
        EXPECT_TRUE(!p.visible && fits(inWindow(p)));
}
