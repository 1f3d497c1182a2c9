// The window repaints only what changed between frames. Whatever it leaves out stays on screen from
// the frame before, so after every step the screen must equal a full repaint of the same model.
#include <QScreen>

#include "game_harness.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "qt/qt_test_main.h"

using namespace kestrum;

namespace {

struct ShownWindow {
    ShownWindow() {
        folder.write("config.txt", " 1 \r\n10\r\n");
        window.runLoadStep();
        platform.setTickInterval(0); // the test steps the game itself
        platform.setStartInterval(0);
        window.show();
        game.startTick();
        settle();
    }

    // Lets the window paint what it asked for.
    void settle() {
        window.syncFromModel();
        for (int n = 0; n < 5; ++n)
            QCoreApplication::processEvents();
    }

    // What is on screen now (the window's backing store), against everything painted afresh.
    ::testing::AssertionResult screenIsWhole() {
        settle();
        const QImage onScreen =
            window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        game.field().touch(); // the reference composes the battlefield afresh, kept image or not
        const QImage whole = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (onScreen.size() != whole.size()) return ::testing::AssertionFailure() << "sizes differ";
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                if (onScreen.pixel(x, y) != whole.pixel(x, y))
                    return ::testing::AssertionFailure() << "stale pixel at " << x << ", " << y;
        return ::testing::AssertionSuccess();
    }

    kestrum::testing::TempFolder folder;
    qt::QtPlatform platform{folder.str()};
    Game game{platform, platform};
    qt::MainWindow window{game, platform};
};

} // namespace

TEST(PartialRepaint, EveryFrameOfAMatchEqualsAFullRepaint) {
    ShownWindow w;
    ASSERT_TRUE(w.game.screen().selcon.visible);
    EXPECT_TRUE(w.screenIsWhole());
    // The prompts answered one by one: the panel's questions change, then the panel goes.
    w.game.setBoxText(Box::Selw, "1");
    EXPECT_TRUE(w.screenIsWhole());
    w.game.setBoxText(Box::Selr, "n");
    w.game.setBoxText(Box::Sels, "n");
    EXPECT_TRUE(w.screenIsWhole());

    // Volleys fly: trail points, slot numbers that follow the shells, readouts that count.
    MatchState& st = w.game.state();
    for (int player = 0; player < 2; ++player)
        for (int s = 0; s < kSlots; ++s) {
            float* param = st.param[player][s];
            param[0] = 1, param[1] = 120, param[2] = 76 + 2.0f * float(s), param[3] = param[0] / 50;
            st.slot[player] = int16_t(s);
            w.game.keyDown(player == 0 ? vk::X : st.keys2[6], 0);
            ASSERT_EQ(st.state[player][s], 1);
        }
    for (int step = 0; step < 1800; ++step) {
        w.game.tick();
        if (step % 97 == 0)
            ASSERT_TRUE(w.screenIsWhole()) << "after tick " << step;
        else
            w.window.syncFromModel();
    }
    EXPECT_TRUE(w.screenIsWhole());
}

TEST(PartialRepaint, ALabelThatChangesTextColourOrPlaceIsRepaintedWhole) {
    ShownWindow w;
    w.game.setBoxText(Box::Selw, "1");
    w.game.setBoxText(Box::Selr, "n");
    w.game.setBoxText(Box::Sels, "n");
    ASSERT_TRUE(w.screenIsWhole());
    Screen& s = w.game.screen();
    Label& score = s.score[0];
    ASSERT_TRUE(score.visible);
    score.caption = "8888888888"; // wider: the new text reaches past the old one
    EXPECT_TRUE(w.screenIsWhole());
    score.caption = "1"; // narrower: the old text must go
    EXPECT_TRUE(w.screenIsWhole());
    score.foreColor = colour::digitBlue;
    EXPECT_TRUE(w.screenIsWhole());
    score.rect.left += 37;
    score.rect.top += 11;
    EXPECT_TRUE(w.screenIsWhole());
    score.visible = false;
    EXPECT_TRUE(w.screenIsWhole());
    // A panel that moves takes its labels along: they change place without changing themselves.
    s.establish[0].rect.left += 20;
    EXPECT_TRUE(w.screenIsWhole());
    s.establish[1].visible = !s.establish[1].visible;
    EXPECT_TRUE(w.screenIsWhole());
    // A picture that appears and moves over the field.
    Battlefield& f = w.game.field();
    f.explosion[3].visible = true;
    EXPECT_TRUE(w.screenIsWhole());
    f.explosion[3].left += 50;
    EXPECT_TRUE(w.screenIsWhole());
}

TEST(PartialRepaint, AtTwiceThePixelsOnlyTheRegionAskedForIsRepaintedAndItSuffices) {
    ShownWindow w;
    w.window.hide(); // painted by hand below, at a device pixel ratio of 2
    // render() puts the region's corner at the offset given: the same place, then.
    auto render = [&](QImage& into, const QRegion& region) {
        w.window.render(&into, region.boundingRect().topLeft(), region);
    };
    QImage screen(QSize(kDesignWidth, kDesignHeight) * 2, QImage::Format_RGB32);
    screen.setDevicePixelRatio(2);
    w.game.setBoxText(Box::Selw, "1");
    w.game.setBoxText(Box::Selr, "n");
    w.game.setBoxText(Box::Sels, "n");
    w.window.syncFromModel();
    render(screen, QRegion(0, 0, kDesignWidth, kDesignHeight));

    MatchState& st = w.game.state();
    for (int s = 0; s < kSlots; ++s) {
        float* param = st.param[0][s];
        param[0] = 1, param[1] = 120, param[2] = 70 + 3.0f * float(s), param[3] = param[0] / 50;
        st.slot[0] = int16_t(s);
        w.game.keyDown(vk::X, 0);
    }
    for (int step = 0; step < 400; ++step) {
        w.game.tick();
        const QRegion asked = w.window.syncFromModel();
        ASSERT_NE(asked.boundingRect(), QRect(0, 0, kDesignWidth, kDesignHeight)) << "a tick repaints a part";
        render(screen, asked);
        if (step % 50 == 0) {
            QImage whole(screen.size(), QImage::Format_RGB32);
            whole.setDevicePixelRatio(2);
            w.game.field().touch(); // composed afresh
            render(whole, QRegion(0, 0, kDesignWidth, kDesignHeight));
            ASSERT_TRUE(whole == screen) << "after tick " << step;
        }
    }
}
