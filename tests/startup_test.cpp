#include <gtest/gtest.h>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

TEST(Startup, LoadStepTablesFilesAndLabels) {
    GameHarness h;
    h.game->load();
    const MatchState& st = h.st();
    const int16_t maxplace[2][6] = {{0, 2, 3, 1, 0, 0}, {0, 2, 3, 3, 3, 1}};
    for (int m = 0; m < 2; ++m)
        for (int r = 0; r < 6; ++r) EXPECT_EQ(st.maxplace[m][r], maxplace[m][r]) << m << r;
    EXPECT_EQ(st.rowtop[1][4], 88);
    EXPECT_EQ(st.groundy, 575);
    EXPECT_EQ(st.jimenw * 100 + st.jimenh, 63315);
    EXPECT_EQ(st.cfgpath, h.folder.file("config.txt"));
    EXPECT_EQ(h.sound.bigbanFile, h.folder.file("BIGBAN.WAV"));
    EXPECT_EQ(h.platform.startInterval, 1);
    EXPECT_EQ(h.platform.dialogsShown, 0);
    const char* captions = "12345123454567";
    for (int i = 0; i < 14; ++i) EXPECT_EQ(h.screen().orbitnumber[i].caption, std::string(1, captions[i])) << i;
    // Slot label allowances follow the display: 15 and 12 twips per pixel.
    EXPECT_EQ(st.lblw * 10000 + st.lblh * 100 + st.lbld, 101005);
    GameHarness fine;
    fine.platform.tppX = fine.platform.tppY = 12;
    fine.game->load();
    EXPECT_EQ(fine.st().lblw * 10000 + fine.st().lblh * 100 + fine.st().lbld, 131307);
}

TEST(Startup, FirstRunShowsTheDialogUntilAReadingSucceedsThenThePrompt) {
    GameHarness h(""); // no config.txt
    h.platform.onDialog = [&] {
        // The first close saves nothing, the second leaves an unreadable file, the third a good one.
        if (h.platform.dialogsShown == 2) h.folder.write("config.txt", "5\r\n");
        if (h.platform.dialogsShown == 3) h.folder.write("config.txt", " 0 \r\n25\r\n");
    };
    h.game->load();
    EXPECT_EQ(h.platform.dialogsShown, 3);
    EXPECT_EQ(h.platform.startInterval, 1) << "armed only after a successful reading";
    EXPECT_EQ(h.st().opeval, 25);
    EXPECT_EQ(h.st().keys2[0], 80);
    h.game->startTick();
    EXPECT_TRUE(h.screen().selcon.visible);
    EXPECT_EQ(h.screen().focus, Focus::Selw);
    EXPECT_EQ(h.platform.startInterval, 0);
    EXPECT_EQ(h.game->field().explosion[9].width, 31);
    EXPECT_EQ(h.game->field().explosion[9].bitmap, &h.game->field().origin);
}
