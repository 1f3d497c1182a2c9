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

    void answer() {
        game.setBoxText(Box::Mode, "1"), game.setBoxText(Box::Air, "n"), game.setBoxText(Box::Sound, "n");
    }
    // Player p's five slots launched steeply, one after the other.
    void volley(int p, float angle, float spread) {
        Match& match = game.match();
        for (int s = 0; s < kSlots; ++s) {
            float* param = match.players[p].projectiles[s].params;
            param[0] = 1, param[1] = 120, param[2] = angle + spread * float(s), param[3] = param[0] / 50;
            match.players[p].panel.slot = int16_t(s);
            game.keyDown(p == 0 ? vk::X : match.settings.secondSeatKeys.codes[6], 0);
        }
    }
    // Lets the window paint what it asked for. The match's own timer is stopped first: a tick of its
    // coming in the last round of events would leave its repaint for later.
    void settle() {
        platform.setTickInterval(0);
        window.syncFromModel();
        for (int n = 0; n < 5; ++n)
            QCoreApplication::processEvents();
    }

    // What is on screen now (the window's backing store), against everything painted afresh.
    bool screenIsWhole() {
        settle();
        const QImage onScreen = window.screen()->grabWindow(window.winId()).toImage();
        game.field().touch(); // the reference composes the battlefield afresh, kept image or not
        return onScreen.convertToFormat(QImage::Format_RGB32) ==
               window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    kestrum::testing::TempFolder folder;
    qt::QtPlatform platform{folder.str()};
    Game game{platform, platform};
    qt::MainWindow window{game, platform};
};

} // namespace

TEST(PartialRepaint, EveryFrameOfAMatchAndEveryLabelOrPictureChangeEqualsAFullRepaint) {
    ShownWindow w;
    ASSERT_TRUE(w.game.screen().setupPanel.visible);
    EXPECT_TRUE(w.screenIsWhole());
    // The prompts answered one by one: the panel's questions change, then the panel goes.
    w.game.setBoxText(Box::Mode, "1");
    EXPECT_TRUE(w.screenIsWhole());
    w.answer();
    EXPECT_TRUE(w.screenIsWhole());

    // Volleys fly: trail points, slot numbers that follow the shells, readouts that count.
    w.volley(0, 76, 2), w.volley(1, 76, 2);
    ASSERT_EQ(w.game.match().players[1].projectiles[4].state, ProjectileState::Loading);
    for (int step = 0; step <= 1800; ++step) {
        w.game.tick();
        if (step % 97 == 0 || step == 1800) {
            ASSERT_TRUE(w.screenIsWhole()) << "after tick " << step;
        }
        w.window.syncFromModel();
    }
    EXPECT_TRUE(w.window.syncFromModel().isEmpty()) << "nothing changed, yet the window asked to repaint";
    Screen& s = w.game.screen();
    Label& score = s.score[0];
    ASSERT_TRUE(score.visible);
    Battlefield& f = w.game.field();
    // Wider text reaching past the old, narrower text, colour, place; a panel that moves takes its labels
    // along without changing them; a picture that appears and moves over the field.
    const std::function<void()> changes[] = {[&] { score.caption = "8888888888"; },
                                             [&] { score.caption = "1"; },
                                             [&] { score.foreColor = colour::digitBlue; },
                                             [&] { score.rect.left += 37, score.rect.top += 11; },
                                             [&] { score.visible = false; },
                                             [&] { s.inputPanels[0].rect.left += 20; },
                                             [&] { s.inputPanels[1].visible = !s.inputPanels[1].visible; },
                                             [&] { f.explosion[3].visible = true; },
                                             [&] { f.explosion[3].left += 50; }};
    for (size_t i = 0; i < std::size(changes); ++i) {
        changes[i]();
        EXPECT_TRUE(w.screenIsWhole()) << "change " << i;
    }
}

TEST(PartialRepaint, AtTwiceThePixelsOnlyTheRegionAskedForIsRepaintedAndItSuffices) {
    ShownWindow w;
    w.window.hide(); // painted by hand below, at a device pixel ratio of 2
    // render() puts the region's corner at the offset given: the same place, then.
    auto render = [&](QImage into, const QRegion& region) {
        w.window.render(&into, region.boundingRect().topLeft(), region);
        return into;
    };
    const QRect all(0, 0, kDesignWidth, kDesignHeight);
    QImage blank(all.size() * 2, QImage::Format_RGB32);
    blank.setDevicePixelRatio(2);
    w.answer();
    w.window.syncFromModel();
    QImage screen = render(blank, all);
    w.volley(0, 70, 3);
    for (int step = 0; step < 400; ++step) {
        w.game.tick();
        const QRegion asked = w.window.syncFromModel();
        ASSERT_NE(asked.boundingRect(), all) << "a tick repaints a part";
        screen = render(screen, asked);
        if (step % 50 == 0) {
            w.game.field().touch(); // composed afresh
            ASSERT_TRUE(render(blank, all) == screen) << "after tick " << step;
        }
    }
}
