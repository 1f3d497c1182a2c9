#pragma once
// The game: the match state, the screen model, the battlefield raster and every event handler and
// procedure of the main window. The member functions live in the files of their areas:
//   app/startup.cpp        load step, start tick
//   settings/configp.cpp   reading config.txt into the match
//   input/keys.cpp         key-down, key-up, launch, abandon, settings
//   input/prompts.cpp      set-up prompts, restart prompt, prompt opening, battlefield clearing
//   sim/tick.cpp           the simulation tick and flight
//   sim/impacts.cpp        impacts, damage, explosions, re-arming, match decision
//   ui/readouts.cpp        numeric readouts and held-key editing
//   ui/match_setup.cpp     new match
//   ui/layout.cpp          new round's battlefield
//   sound/sounds.cpp       the two explosion sounds
//   app/opponent_seat.cpp  the computer on the second seat

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "app/match_state.h"
#include "app/platform.h"
#include "app/screen.h"
#include "computer/computer.h"
#include "field/battlefield.h"
#include "input/virtual_keys.h"

namespace kestrum {

enum class Box { Selw, Selr, Sels, Againput };

class Game {
  public:
    Game(Platform& platform, SoundService& sounds);

    MatchState& state() { return st_; }
    const MatchState& state() const { return st_; }
    Screen& screen() { return screen_; }
    const Screen& screen() const { return screen_; }
    Battlefield& field() { return field_; }
    const Battlefield& field() const { return field_; }

    // ---- Entry points the window calls ----
    void load();      // once, before the window is first shown
    void startTick(); // the one-shot start timer fired
    void tick();      // the simulation timer fired
    void keyDown(int16_t keyCode, int16_t shift);
    void keyUp(int16_t keyCode);
    // The window lost the keyboard (a dialog, another window, minimised): the key-ups will go
    // elsewhere, so every held amount ends as if its key had been let go.
    void releaseAllKeys();
    // A box's text changed (typing, or by code); setting the same text raises nothing.
    void setBoxText(Box box, const std::string& text);
    // A player clicked into a box.
    void focusBox(Box box);

    // ---- Procedures ----
    bool configp();          // read config.txt; false when the reading failed
    void syokika1();         // size the explosion pictures
    void syokika2();         // new match
    void syokika3();         // new round's battlefield
    void suutihyouji();      // readouts and held keys of player `turn`
    void setteini(int slot); // re-arm slot of player `turn`
    void ban();
    void bigban();
    void openPrompts();
    void clearBattlefield();

    // The next uniform random number in [0, 1), never 1.
    float rnd();
    void seed(uint32_t seed);
    // Replaces the generator (tests script the battlefield with it); an empty function restores it.
    void setRandomSource(std::function<float()> source) { randomSource_ = std::move(source); }

    // Text of a box as the window shows it.
    const std::string& boxText(Box box) const;

    // The computer on the second seat, when the settings give it one.
    const computer::Computer* opponent() const { return opponent_.get(); }

  private:
    // app/game.cpp
    void runTickTimer(); // the simulation timer at the handling period
    // app/opponent_seat.cpp
    void applyOpponent();
    void driveOpponent();
    // input/keys.cpp
    void launch(int player);
    void abandonMatch();
    void openSettings();
    // input/prompts.cpp
    void onSelwChanged();
    void onSelrChanged();
    void onSelsChanged();
    void onAgainputChanged();
    void hideBattlefieldControls();
    TextBox& box(Box b);
    // sim/tick.cpp
    void moveSlot(int slot);
    void flightForces(int slot);
    void integrateAndClassify(int slot);
    // sim/impacts.cpp
    int16_t explosionSize(int slot) const;
    void groundHit(int slot);
    void baseHit(int slot, int player);
    bool explosionFrame(int slot); // false when a base's large explosion ended (the loop stops)
    void decideMatch();
    // ui/readouts.cpp
    void flightView(int player, int slot);
    void inputView(int player, int slot);

    Platform& platform_;
    SoundService& sounds_;
    MatchState st_;
    Screen screen_;
    Battlefield field_;
    std::mt19937 rng_;
    std::function<float()> randomSource_;
    std::unique_ptr<computer::Computer> opponent_;
    uint32_t opponentSeed_ = 0;
};

} // namespace kestrum
