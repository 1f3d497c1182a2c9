#pragma once
// The sound server is reached through a plugin of its own (kestrum-sound.so, on libpulse) that the
// game opens on its sound thread after the first frame: the program itself links no sound library,
// so starting it neither maps one nor talks to the server. This is all the two sides share.
//
// The sound thread is the program's. It opens the plugin, makes one SoundOutput with a SoundSource
// (the program's mixer) and calls run(), which returns only after quit(). Inside run() the plugin
// connects to the server, opens one stream at the server's rate and writes what the source renders,
// but only while the source is sounding: in a silence nothing is written and run() sleeps until the
// server, wake() or quit() rouses it. A server that is missing, fails or goes away leaves the source
// closed and is tried again every retry interval. Nothing in run() ever waits for the server, so
// quit() ends it promptly whatever the server does.

#include <cstddef>
#include <cstdint>

namespace kestrum::qt {

// What an output plays. Called only on the thread inside SoundOutput::run().
class SoundSource {
  public:
    // A stream is open at this many frames per second; renders from now on are at that rate. What
    // was asked for while there was none is forgotten (it would be heard late).
    virtual void opened(int rate) = 0;
    // The stream is gone: nothing is heard until the next opened().
    virtual void closed() = 0;
    // At every wake-up before rendering: picks up what the program asked for meanwhile; true while
    // a sound plays or a play waits to start. While false nothing is rendered.
    virtual bool sounding() = 0;
    // The next `frames` frames, stereo, 16-bit, interleaved left and right.
    virtual void render(int16_t* stereo, size_t frames) = 0;

  protected:
    ~SoundSource() = default;
};

// One output, made, run and deleted on the sound thread; wake() and quit() from any thread until
// it is deleted.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Plays the source until quit(), as described above.
    virtual void run() = 0;
    // Never blocks: run() asks the source again at once (a play was asked for, files changed).
    virtual void wake() = 0;
    // Never blocks: run() returns soon, even when called before it started.
    virtual void quit() = 0;
};

// The plugin's entry point: an output for `source` that renders this far ahead of the loudspeaker
// (the longest a play waits to be heard) and tries a failed server again after this long; null when
// it cannot be made at all (the process is out of descriptors or memory).
using OpenSoundOutput = SoundOutput* (*)(SoundSource& source, int bufferMilliseconds, int retryMilliseconds);
inline constexpr char kOpenSoundOutput[] = "kestrum_open_sound_output";
inline constexpr char kSoundPluginFile[] = "kestrum-sound.so";

} // namespace kestrum::qt
