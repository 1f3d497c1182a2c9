#pragma once
// Matches set up for measuring: a fixed battlefield 2000 m wide and volleys of shells on steep arcs
// that stay inside the picture for about 1600 timer ticks.

#include <filesystem>
#include <string>
#include <utility>

#include <QApplication>

#include "game/game.h"
#include "game_harness.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"

namespace kestrum::bench {

// Every round gets the same field: 2000 m between the bases, base tops at fixed heights.
inline void fixBattlefield(Game& game) {
    game.setRandomSource([n = 0]() mutable {
        static constexpr float kDraws[3] = {float((2000 - 500 + 0.5) / 2500.0), 0.2f, 0.3f};
        return kDraws[n++ % 3];
    });
}

// Fills all five slots of a player and launches each with the player's launch key. Shells of charge
// 1 at 120 m/s and 76..84 degrees fly for about 790 steps of their player and land mid-field.
// Returns false if a slot did not take off.
inline bool launchVolley(Game& game, int player) {
    Match& match = game.match();
    InputPanel& panel = match.players[player].panel;
    const int16_t launchKey = player == 0 ? vk::X : match.settings.secondSeatKeys.codes[6];
    for (int s = 0; s < kSlots; ++s) {
        Projectile& shell = match.players[player].projectiles[s];
        float* param = shell.params;
        param[0] = 1;                    // charge
        param[1] = 120;                  // launch speed
        param[2] = 76 + 2.0f * float(s); // elevation, fanned out so no two arcs share pixels
        param[3] = param[0] / 50;        // loading time
        panel.slot = int16_t(s);
        game.keyDown(launchKey, 0);
        if (shell.state != ProjectileState::Loading) return false;
    }
    panel.slot = 0;
    return true;
}

// A shell match in the core alone (no Qt), on the fixed field, waiting for launches.
struct CoreMatch : testing::GameHarness {
    CoreMatch() {
        start();
        fixBattlefield(*game);
        answer("1", "n", "n");
    }
};

// A program folder as the build leaves it: the two sounds, and a config.txt that sets the tick period.
struct ProgramFolder : testing::TempFolder {
    explicit ProgramFolder(int period) {
        write("config.txt", " 1 \r\n" + std::to_string(period) + "\r\n");
        for (const char* sound : {"BAN.WAV", "BIGBAN.WAV"})
            std::filesystem::copy_file(std::string(KESTRUM_SOUNDS_FOLDER) + "/" + sound, file(sound));
    }
};

// The game as the program runs it (Qt platform, game, main window) with a shell match on screen:
// prompts answered, ten shells launched (or, quiet, none). The window is not shown; show() it to get
// repaints.
struct QtMatch {
    explicit QtMatch(int period = 10, bool launch = true) : folder(period), platform(folder.str()) {
        platform.soundPlayer().setPluginPath(KESTRUM_SOUND_PLUGIN);
        window.runLoadStep();
        game.startTick();
        fixBattlefield(game);
        for (auto [box, text] : {std::pair{Box::Mode, "1"}, {Box::Air, "n"}, {Box::Sound, "n"}})
            game.setBoxText(box, text);
        launched = launch && launchVolley(game, 0) && launchVolley(game, 1);
        window.syncFromModel();
    }

    ProgramFolder folder;
    qt::QtPlatform platform;
    Game game{platform, platform};
    qt::MainWindow window{game, platform};
    bool launched = false;
};

} // namespace kestrum::bench
