#pragma once
// The sound system's audio output lives in a plugin of its own (kestrum-sound.so, on Qt Multimedia)
// that the game opens on its audio thread after the first frame: the program itself does not link
// Qt Multimedia, so starting it neither maps the sound libraries nor talks to the sound server.
// This is all the two sides share.

namespace kestrum::qt {

// How the output takes its samples: interleaved, 16-bit integers or 32-bit floats.
struct AudioFormat {
    int rate = 0;
    int channels = 0;
    int bytesPerSample = 0;
    bool isFloat = false;
    int bytesPerFrame() const { return channels * bytesPerSample; }
};

// One open output on the default device, made, used and deleted on one thread.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    virtual AudioFormat format() const = 0;
    // What the output takes now without waiting.
    virtual long long bytesFree() const = 0;
    // Returns how much it took.
    virtual long long write(const char* data, long long bytes) = 0;
};

// The plugin's entry point: the default output opened with this much buffer, or null where there is
// none (no device, no usable format, no server).
using OpenAudioOutput = AudioOutput* (*)(int bufferMilliseconds);
inline constexpr char kOpenAudioOutput[] = "kestrum_open_audio_output";
inline constexpr char kSoundPluginFile[] = "kestrum-sound.so";

} // namespace kestrum::qt
