#include <gtest/gtest.h>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

TEST(Startup, FirstRunShowsTheDialogUntilAReadingSucceedsThenThePrompt) {
    GameHarness h(""); // no config.txt
    h.platform.onDialog = [&] {
        // The first close saves nothing, the second leaves an unreadable file, the third a good one.
        if (h.platform.dialogsShown == 2) h.folder.write("config.txt", "5\r\n");
        if (h.platform.dialogsShown == 3) h.folder.write("config.txt", " 0 \r\n25\r\n");
    };
    h.game->load();
    EXPECT_EQ(h.platform.dialogsShown, 3);
    EXPECT_EQ(h.st().cfgpath + h.sound.bigbanFile, h.folder.file("config.txt") + h.folder.file("BIGBAN.WAV"));
    EXPECT_EQ(h.st().lblw * 10000 + h.st().lblh * 100 + h.st().lbld, 101005) << "at 15 twips per pixel";
    EXPECT_EQ(h.platform.startInterval, 1) << "armed only after a successful reading";
    EXPECT_EQ(h.st().opeval * 1000 + h.st().keys2[0], 25080);
    h.game->startTick();
    EXPECT_TRUE(h.screen().selcon.visible && h.screen().focus == Focus::Selw &&
                h.platform.startInterval == 0);
    EXPECT_EQ(h.game->field().explosion[9].width, 31);
    EXPECT_EQ(h.game->field().explosion[9].bitmap, &h.game->field().origin);
}
