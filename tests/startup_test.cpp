#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

TEST(Startup, LoadStepFillsTheConstantTables) {
    GameHarness h;
    h.game->load();
    const MatchState& st = h.st();
    const int16_t maxplace[2][6] = {{0, 2, 3, 1, 0, 0}, {0, 2, 3, 3, 3, 1}};
    const int16_t rowtop[2][5] = {{24, 48, 64, 0, 0}, {24, 40, 56, 72, 88}};
    const float maxval[2][5] = {{150, 1200, 90, 0, 0}, {350, 9999, 9999, 5100, 90}};
    for (int m = 0; m < 2; ++m) {
        for (int r = 0; r < 6; ++r) EXPECT_EQ(st.maxplace[m][r], maxplace[m][r]) << m << r;
        for (int r = 0; r < 5; ++r) {
            EXPECT_EQ(st.rowtop[m][r], rowtop[m][r]);
            EXPECT_EQ(st.maxval[m][r], maxval[m][r]);
        }
    }
    EXPECT_EQ(st.scrw, 792.0f);
    EXPECT_EQ(st.groundy, 575);
    EXPECT_EQ(st.jimenw, 633);
    EXPECT_EQ(st.jimenh, 15);
    EXPECT_EQ(st.groundh[0], 30);
    EXPECT_EQ(st.groundh[1], 30);
    EXPECT_EQ(st.lblw, 10.0f);
    EXPECT_EQ(st.lblh, 10);
    EXPECT_EQ(st.lbld, 5);
    EXPECT_EQ(st.cfgpath, h.folder.file("config.txt"));
    EXPECT_EQ(h.sound.banFile, h.folder.file("BAN.WAV"));
    EXPECT_EQ(h.sound.bigbanFile, h.folder.file("BIGBAN.WAV"));
    EXPECT_EQ(h.platform.startInterval, 1);
    EXPECT_EQ(h.platform.dialogsShown, 0);
    EXPECT_EQ(h.screen().backColor, colour::screenCyan);

    const char* captions[14] = {"1", "2", "3", "4", "5", "1", "2", "3", "4", "5", "4", "5", "6", "7"};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(h.screen().orbitnumber[i].caption, captions[i]) << i;
        EXPECT_FALSE(h.screen().orbitnumber[i].visible);
    }
    EXPECT_EQ(h.screen().orbitnumber[3].font.points, 8);
}

TEST(Startup, LabelAllowancesFollowTheDisplayResolution) {
    GameHarness h;
    h.platform.tppX = h.platform.tppY = 12;
    h.game->load();
    EXPECT_EQ(h.st().lblw, 13.0f);
    EXPECT_EQ(h.st().lblh, 13);
    EXPECT_EQ(h.st().lbld, 7);
}

TEST(Startup, StartTickOpensTheModePrompt) {
    GameHarness h;
    h.start();
    EXPECT_TRUE(h.screen().selcon.visible);
    EXPECT_EQ(h.screen().focus, Focus::Selw);
    EXPECT_EQ(h.platform.startInterval, 0);
    EXPECT_EQ(h.st().turn, 0);
    for (int i = 0; i < 10; ++i) {
        const Sprite& e = h.game->field().explosion[i];
        EXPECT_EQ(e.bitmap, &h.game->field().origin);
        EXPECT_EQ(e.width, 31);
        EXPECT_FALSE(e.visible);
    }
    EXPECT_EQ(h.game->field().explosion[12].bitmap, nullptr);
}

TEST(Startup, FirstRunShowsTheDialogUntilAReadingSucceeds) {
    GameHarness h(""); // no config.txt
    std::vector<bool> fileAtDialog;
    h.platform.onDialog = [&] {
        fileAtDialog.push_back(std::ifstream(h.folder.file("config.txt")).good());
        // The first two closes save nothing (close box); the third saves a readable file.
        if (h.platform.dialogsShown == 2) h.folder.write("config.txt", "5\r\n"); // one number: unreadable
        if (h.platform.dialogsShown == 3) h.folder.write("config.txt", " 0 \r\n25\r\n");
    };
    h.game->load();
    EXPECT_EQ(h.platform.dialogsShown, 3);
    EXPECT_EQ(h.platform.startInterval, 1) << "armed only after a successful reading";
    EXPECT_EQ(h.st().kbtype, 0);
    EXPECT_EQ(h.st().opeval, 25);
    EXPECT_EQ(h.st().keys2[0], 80);
    h.game->startTick();
    EXPECT_EQ(h.screen().focus, Focus::Selw);
}
