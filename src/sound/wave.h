#pragma once
// Wave files decoded once into 16-bit samples. The files come from the program folder and may be
// anything a user or a disk put there, so every field is checked before it is trusted.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrum::sound {

// A decoded sound: interleaved 16-bit samples, one or two channels.
struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;
    size_t frames() const { return channels > 0 ? samples.size() / size_t(channels) : 0; }
};

// Larger files are not explosion sounds: they are refused rather than read into memory.
constexpr size_t kMaxWaveBytes = 32u << 20;

// A RIFF WAVE file in memory: integer PCM of 8, 16, 24 or 32 bits or 32/64-bit float, plain or
// extensible, 1 to 8 channels (more than two are mixed down to one). Nothing for anything else,
// and nothing for a file without a single whole frame. A data chunk that claims more than the
// file holds plays what is there.
std::optional<Pcm> decodeWave(std::span<const unsigned char> bytes);

// Reads and decodes a wave file. Only a regular file is read (a pipe, a device or a folder of that
// name means no sound, as a missing file does), and opening never waits for a writer.
std::optional<Pcm> loadWave(const std::string& path);

} // namespace kestrum::sound
