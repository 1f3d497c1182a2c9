// Start-up: the settings dialog on a first run, then the prompt.
#include <gtest/gtest.h>

#include <tuple>

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
    EXPECT_EQ(h.platform.startInterval, 1) << "armed only after a successful reading";
    const Settings& settings = h.match().settings;
    EXPECT_EQ(std::pair(settings.handlingPeriod, settings.secondSeatKeys.codes[0]),
              std::pair(int16_t(25), int16_t(80)));
    h.game->startTick();
    EXPECT_TRUE(h.screen().setupPanel.visible);
    EXPECT_EQ(std::pair(h.screen().focus, h.platform.startInterval), std::pair(std::optional(Box::Mode), 0));
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
