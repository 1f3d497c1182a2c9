#include "game/replay_player.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>

#include "game/replay_hashes.h"

namespace kestrum {

ReplayPlayer::ReplayPlayer(replay::Reading reading, Platform& platform, SoundService& sounds)
    : reading_(std::move(reading)), platform_(platform), sounds_(sounds),
      game_(std::make_unique<Game>(platform, sounds_)) {
    start();
}

void ReplayPlayer::seekRound(int round) {
    if (round < this->round()) {
        // The same object made afresh, so that whoever points into it sees the new match.
        game_->~Game();
        new (game_.get()) Game(platform_, sounds_);
        next_ = 0, tick_ = checks_ = 0, roundsEnded_ = 0, leftAt_.reset();
        sounds_.muted = true;
        start();
    }
    sounds_.muted = true;
    while (this->round() < round && step()) {
    }
    sounds_.muted = false;
    game_->field().touch();
}

void ReplayPlayer::start() {
    game_->loadReplay(reading_.header);
    game_->startTick();
    game_->startReplay(reading_.header);
    afterTick(); // what came before the first tick
}

bool ReplayPlayer::step() {
    if (finished()) return false;
    game_->tick();
    ++tick_;
    afterTick();
    return true;
}

void ReplayPlayer::afterTick() {
    using replay::EventKind;
    const std::vector<replay::Event>& events = reading_.events;
    for (; next_ < events.size() && events[next_].tick <= tick_ && !leftAt_; ++next_) {
        const replay::Event& e = events[next_];
        switch (e.kind) {
        case EventKind::KeyDown:
            game_->keyDown(e.code, e.modifiers);
            break;
        case EventKind::KeyUp:
            game_->keyUp(e.code);
            break;
        case EventKind::ReleaseAll:
            game_->releaseAllKeys();
            break;
        case EventKind::Settings:
            game_->applySettings(e.settings);
            break;
        case EventKind::Check:
            ++checks_;
            if (e.tick != tick_ ||
                checkHash(game_->match(), game_->screen(), e.roundEnd, reading_.format) != e.stateHash ||
                rasterHash(game_->field()) != e.rasterHash)
                leftAt_ = tick_;
            else if (e.roundEnd)
                ++roundsEnded_;
            break;
        case EventKind::End:
            break;
        }
    }
}

std::optional<std::string> readReplayBytes(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes(replay::kLargestFile + 1, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    if (in.bad()) {
        error = "it cannot be read";
        return std::nullopt;
    }
    bytes.resize(std::size_t(in.gcount()));
    return bytes;
}

CheckResult checkReplay(const std::string& path) {
    std::string error;
    const std::optional<std::string> bytes = readReplayBytes(path, error);
    if (!bytes) return {2, path + ": " + error};
    replay::Reading reading = replay::readReplay(*bytes, kSimulationVersion);
    if (reading.status != replay::Reading::Status::Ok) return {2, path + ": " + reading.problem};

    const auto started = std::chrono::steady_clock::now();
    QuietPlatform quiet;
    ReplayPlayer player(std::move(reading), quiet, quiet);
    while (player.step()) {
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (player.leftAt())
        return {1, path + ": the playback left the recording at tick " + std::to_string(*player.leftAt())};
    const Match& m = player.game().match();
    char line[256];
    std::snprintf(line, sizeof line, "%s: %d round%s, score %d-%d, %u ticks, %u hashes equal, %.3f s%s",
                  path.c_str(), player.roundsEnded(), player.roundsEnded() == 1 ? "" : "s", m.players[0].wins,
                  m.players[1].wins, player.tick(), player.checks(), seconds,
                  player.cutShort() ? " (cut short: played up to the last whole round)" : "");
    return {0, line};
}

} // namespace kestrum
