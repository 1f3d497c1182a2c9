#pragma once
// The recording of the match being played: kept whole in memory, and appended to its file at every
// round end and at the match's end, so that a kill loses at most the round being played.

#include <cstdint>
#include <string>

#include "game/platform.h"
#include "replay/replay_file.h"

namespace kestrum {

// How many replay files a replays folder keeps; the oldest go first.
constexpr int kReplaysKept = 50;
constexpr const char* kReplayExtension = ".kestrum-replay";

class MatchRecorder {
  public:
    // A new match: the header is the file's start. An empty folder records in memory only.
    void begin(const replay::Header& header, const std::string& folder, Platform& platform);
    bool recording() const { return recording_; }
    // An event before the next tick.
    void add(replay::Event event);
    // A tick has run; true when the hashes of the state after it are due.
    bool tickDone(bool roundEnded);
    void check(uint64_t stateHash, uint64_t rasterHash, bool roundEnded);
    void end(replay::EndReason reason);

    const std::string& bytes() const { return bytes_; }
    const std::string& path() const { return path_; }
    uint32_t ticks() const { return ticks_; }

  private:
    void write();

    Platform* platform_ = nullptr;
    std::string bytes_, path_;
    std::size_t written_ = 0;
    uint32_t ticks_ = 0, lastTick_ = 0;
    bool recording_ = false;
};

} // namespace kestrum
