#pragma once
// Mixes the explosion sounds into one stereo 16-bit stream at the output's rate. Plays are asked
// for from the game's thread and rendered on the audio thread; asking never waits for anything.
//
// A sound asked for while the same one still plays starts afresh beside it: both are heard, the
// earlier one runs to its end.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/wave.h"

namespace kestrum::sound {

class Mixer {
  public:
    static constexpr int kSounds = 2;
    // Beyond this many sounds at once the oldest is let go: it is the least audible.
    static constexpr size_t kMaxVoices = 32;

    explicit Mixer(int outputRate = 48000);

    // Audio thread, before rendering: frames per second of the output.
    void setOutputRate(int rate) { outputRate_ = rate > 0 ? rate : 48000; }
    int outputRate() const { return outputRate_; }

    // Audio thread. The sound of a slot; null for none (plays of it are then silent).
    void setSound(int slot, std::shared_ptr<const Pcm> pcm);

    // Any thread, never blocks: the next render starts the sound from its first sample.
    void play(int slot);

    // Audio thread. Forgets plays asked for before now: the output was not running to play them
    // on time, and a late explosion is worse than a silent one.
    void dropPending();

    // Audio thread. The next `frames` stereo frames, interleaved left, right.
    void render(int16_t* out, size_t frames);

    // Audio thread. Sounds still playing.
    size_t playing() const { return voices_.size(); }
    // Audio thread. Nothing plays and no play waits to start: a render would give only silence.
    bool silent() const;

  private:
    struct Voice {
        std::shared_ptr<const Pcm> pcm;
        uint64_t position = 0; // source frames, 32.32 fixed point
        uint64_t step = 0;
    };

    int outputRate_;
    std::array<std::shared_ptr<const Pcm>, kSounds> sounds_;
    std::array<std::atomic<uint32_t>, kSounds> asked_{};
    std::array<uint32_t, kSounds> started_{};
    std::vector<Voice> voices_;
    std::vector<int32_t> sum_;
};

} // namespace kestrum::sound
