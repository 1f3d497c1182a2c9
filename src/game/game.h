#pragma once
// The game: the match, the screen model and the battlefield raster, changed only through the entry
// points the window calls. The work behind them lives in topic files of this folder:
//   start_up.cpp          the load step and the start tick
//   settings_reading.cpp  reading config.txt into the match
//   keys.cpp              key down and up, launching, abandoning a match, the settings during a match
//   prompts.cpp           the set-up and restart prompts
//   new_match.cpp         a new match: scores, panels and status captions
//   new_round.cpp         a new round's battlefield: distance, bases, scale
//   tick.cpp              the simulation tick and the flight of one slot
//   impacts.cpp           explosions, craters, damage, re-arming, the round and match decisions
//   readouts.cpp          the status and input panels' numbers, and editing with the held keys
//   sounds.cpp            the two explosion sounds
//   screen_view.cpp       what a person (and so the computer) can read off the screen
//   opponent_seat.cpp     (class OpponentSeat) which computer sits on the second seat
//   recording.cpp         every match recorded as it is played, and a recorded one set up to be shown

#include <cstdint>
#include <functional>
#include <random>
#include <string>

#include "field/battlefield.h"
#include "game/match.h"
#include "game/match_recorder.h"
#include "game/opponent_seat.h"
#include "game/platform.h"
#include "game/screen.h"
#include "replay/replay_file.h"

namespace kestrum {

class Game {
  public:
    Game(Platform& platform, SoundService& sounds);
    ~Game() { close(); }
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // ---- Entry points the window calls ----
    void load();      // once, before the window is first shown
    void startTick(); // the one-shot start timer fired
    void tick();      // the simulation timer fired
    // How many of the coming ticks, up to `most`, are sure to change nothing the window shows when no
    // entry point is called in between: a window may run them late, in one go, before the next key.
    // They change only the turn, the phases and the trail ring's place. 0 while anything flies or
    // explodes, an adjust key is held, a round's result is on show, the computer plays or a dialog
    // is open, and until both players' panels have come round to show the last key.
    int quietTicksAhead(int most) const;
    void keyDown(int16_t keyCode, int16_t modifiers);
    void keyUp(int16_t keyCode);
    // The window lost the keyboard (a dialog, another window, minimised): the key-ups will go
    // elsewhere, so every held amount ends as if its key had been let go.
    void releaseAllKeys();
    // A box's text changed (typing, or by code); setting the same text raises nothing.
    void setBoxText(Box box, const std::string& text);
    // A player clicked into a box.
    void focusBox(Box box);
    // The window closes: a match being recorded ends here.
    void close();
    const std::string& boxText(Box box) const { return screen_.box(box).text; }

    // ---- What the window shows (and tests read) ----
    const Screen& screen() const { return screen_; }
    const Battlefield& field() const { return field_; }
    const Match& match() const { return match_; }
    // The computer on the second seat, when the settings give it one.
    const computer::Computer* opponent() const { return opponentSeat_.computer(); }

    // ---- For tests and benchmarks that script a match ----
    Screen& screen() { return screen_; }
    Battlefield& field() { return field_; }
    Match& match() { return match_; }
    // Seeds the generator (the load step seeds it from the clock) and the computer.
    void seed(uint32_t seed);
    // Replaces the generator (tests script the battlefield with it); an empty function restores it.
    void setRandomSource(std::function<float()> source) { randomSource_ = std::move(source); }
    void newRound();

    // ---- Replays ----
    // The recording of the match being played, or of the last one (its whole file).
    const MatchRecorder& recorder() const { return recorder_; }
    // Instead of the load step: sets the game up to show a recorded match. Nothing is read or recorded,
    // no computer takes the second seat (its keys are in the recording), Ctrl+F1 opens no dialog.
    void loadReplay(const replay::Header& header);
    // After the start tick of a replay: the state the match inherited, then the set-up answers.
    void startReplay(const replay::Header& header);
    // The settings as changed with Ctrl+F1 during the recorded match.
    void applySettings(const replay::SeatSettings& settings);

  private:
    // start_up.cpp
    void prepareWindow(double twipsPerPixelX, double twipsPerPixelY);
    void measureField(double twipsPerPixelX, double twipsPerPixelY);
    void makeSlotLabels();
    void colourControls();
    void findFiles();
    void sizeExplosions();
    // settings_reading.cpp
    bool readSettings(); // false when the reading failed
    void runTickTimer(); // the simulation timer at the handling period
    // keys.cpp
    bool seatKeyDown(int player, int16_t keyCode);
    void launch(int player);
    void abandonMatch();
    void pause(bool paused);
    void showOpponent();
    void openSettings();
    // prompts.cpp
    void onModeAnswered();
    void onAirAnswered();
    void onSoundAnswered();
    void onRestartAnswered();
    void openPrompts();
    void clearBattlefield();
    void hideBattlefieldControls();
    // new_match.cpp
    void newMatch();
    // recording.cpp
    void beginRecording();
    void afterTick(RoundEnd ended);
    replay::SeatSettings seatSettings() const;
    // tick.cpp
    void endRound();
    void showRoundResult();
    void moveSlot(int slot);
    void flightForces(int slot);
    void moveAndClassify(int slot);
    void placeSlotLabel(int slot);
    // impacts.cpp
    int16_t explosionSize(int slot) const;
    void groundHit(int slot);
    void baseHit(int slot, int player);
    bool explosionFrame(int slot); // false when a base's large explosion ended the round
    void blowUpBase(int slot, int player);
    void placeFireball(Sprite& sprite, const physics::Motion& motion, int16_t size);
    void rearm(int slot);
    void decideMatch();
    // readouts.cpp
    void readouts(); // the panels of the player in turn
    void flightReadouts(int player, int slot);
    void inputReadouts(int player, int slot);
    void editRow(int player, Projectile& projectile, int row);
    // sounds.cpp
    void explosionSound();
    void baseExplosionSound();

    // The next uniform random number in [0, 1), never 1.
    float random();
    Player& inTurn() { return match_.players[match_.turn]; }
    Projectile& projectileOf(int slot) { return inTurn().projectiles[slot]; }
    const Projectile& projectileOf(int slot) const { return match_.players[match_.turn].projectiles[slot]; }
    const KeyMap& seatKeys(int player) const;
    int mode() const { return int(match_.mode); }

    Platform& platform_;
    SoundService& sounds_;
    Match match_;
    Screen screen_;
    Battlefield field_;
    std::mt19937 rng_;
    uint32_t seed_ = 0, draws_ = 0; // the generator's seed, and the numbers drawn since
    std::function<float()> randomSource_;
    OpponentSeat opponentSeat_;
    MatchRecorder recorder_;
    double twips_[2] = {15, 15}; // the display's twips per pixel the field was measured with
    Screen startScreen_; // the screen as the start tick left it: what a match inherits is told from it
    bool replaying_ = false;
    bool dialogOpen_ = false; // the settings dialog (or one of its message boxes) has the keyboard
    int settledTicks_ = 0;    // ticks in a row that ran with nothing moving and no entry point between
    bool restful() const;     // nothing moves or counts down, nothing held, no computer, no dialog
};

} // namespace kestrum
