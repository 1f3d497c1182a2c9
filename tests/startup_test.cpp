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
    EXPECT_EQ(h.platform.dialogsShown, 2);
    EXPECT_EQ(h.platform.lastOccasion, SettingsOccasion::FirstRun);
    EXPECT_EQ(h.platform.quitCalls, 0);
    EXPECT_EQ(h.st().cfgpath + h.sound.bigbanFile, h.folder.file("config.txt") + h.folder.file("BIGBAN.WAV"));
    EXPECT_EQ(std::tuple(h.st().lblw, h.st().lblh, h.st().lbld), std::tuple(10.0, 10, 5))
        << "at 15 twips per pixel";
    EXPECT_EQ(h.platform.startInterval, 1) << "armed only after a successful reading";
    EXPECT_EQ(std::pair(h.st().opeval, h.st().keys2[0]), std::pair(int16_t(25), int16_t(80)));
    h.game->startTick();
    EXPECT_TRUE(h.screen().selcon.visible);
    EXPECT_EQ(std::pair(h.screen().focus, h.platform.startInterval), std::pair(Focus::Selw, 0));
    EXPECT_EQ(h.game->field().explosion[9].width, 31);
    EXPECT_EQ(h.game->field().explosion[9].bitmap, &h.game->field().origin);
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
