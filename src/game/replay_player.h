#pragma once
// A recorded match played again: its start set up from the header, then tick after tick the recorded
// keys and settings applied before the tick they precede, and every stored hash compared with the
// state the playback reached.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "game/game.h"
#include "replay/replay_file.h"

namespace kestrum {

// An outside world with nothing in it: for checking a replay without a window.
class QuietPlatform : public Platform, public SoundService {
  public:
    void setTickInterval(int milliseconds) override { tickInterval = milliseconds; }
    void setStartInterval(int) override {}
    bool showSettingsDialog(SettingsOccasion) override { return false; }
    void quit(int) override {}
    std::string programFolder() override { return {}; }
    uint32_t clockSeed() override { return 0; }
    std::optional<uint32_t> matchSeed() override { return std::nullopt; }
    void setFile(SoundId, const std::string&) override {}
    void play(SoundId) override {}
    int tickInterval = 0;
};

class ReplayPlayer {
  public:
    // The reading must be Ok. The game is the player's own, driven through the given outside world; it
    // stays the same object for the player's life (a window may keep pointing into it).
    ReplayPlayer(replay::Reading reading, Platform& platform, SoundService& sounds);

    // Plays at full speed without a sound (nothing is drawn meanwhile) until the given round has begun
    // or the recording ends; an earlier round is reached by playing again from the match's start.
    void seekRound(int round);

    // Runs one tick and what the recording holds after it; false once there is nothing more to play.
    bool step();
    bool finished() const { return next_ >= reading_.events.size() || leftAt_.has_value(); }
    // The first tick after which the state differed from the recording's, if any.
    std::optional<uint32_t> leftAt() const { return leftAt_; }
    // The recording ends before its match did (a file cut short, or the program killed).
    bool cutShort() const { return !reading_.ended; }
    uint32_t tick() const { return tick_; }
    // The round being shown (from 1), and the rounds the playback has seen end.
    int round() const { return roundsEnded_ + 1; }
    int roundsEnded() const { return roundsEnded_; }
    uint32_t checks() const { return checks_; }
    const replay::Reading& reading() const { return reading_; }
    Game& game() { return *game_; }

  private:
    // The game's sounds, silent while seeking.
    struct Sounds : SoundService {
        explicit Sounds(SoundService& to) : out(to) {}
        void setFile(SoundId id, const std::string& path) override { out.setFile(id, path); }
        void play(SoundId id) override {
            if (!muted) out.play(id);
        }
        SoundService& out;
        bool muted = false;
    };

    void start();
    void afterTick();

    replay::Reading reading_;
    Platform& platform_;
    Sounds sounds_;
    std::unique_ptr<Game> game_;
    std::size_t next_ = 0;
    uint32_t tick_ = 0, checks_ = 0;
    int roundsEnded_ = 0;
    std::optional<uint32_t> leftAt_;
};

// What `--check-replay` prints and exits with: the replay played as fast as it goes, every hash checked.
struct CheckResult {
    int status = 0; // 0 every hash equal, 1 the playback left the recording, 2 the file was refused
    std::string line;
};
CheckResult checkReplay(const std::string& path);

// The whole file, or nothing when it cannot be read; never more than the largest replay and a byte.
std::optional<std::string> readReplayBytes(const std::string& path, std::string& error);

} // namespace kestrum
