#pragma once
// The two explosion sounds: both files decoded once and mixed into one stream that a thread of its
// own hands to the sound server. Playing only marks the sound as asked for and wakes that thread,
// so nothing on the game's thread ever waits for the sound system.
//
// The thread never waits for the server either (see qt/audio_output.h): it sleeps until the server,
// a play or the end of the program wakes it, and writes only while something plays, so a silence
// costs no wake-ups. A server that is missing, stops answering or goes away leaves the game silent,
// never stuck: it is tried again every few seconds until the sound comes back, and the end of the
// program does not wait for it.
//
// The thread starts after the window's first frame (or at the first play) and opens the output from
// a plugin there: start-up never waits for the sound system, nor loads it.

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <QObject>

#include "game/platform.h"
#include "sound/mixer.h"

class QWidget;

namespace kestrum::qt {

class SoundOutput;

class SoundPlayer : public QObject {
    Q_OBJECT
  public:
    // How far ahead of the loudspeaker the mixer renders while a sound plays: a play asked for then
    // is heard this much later at most.
    static constexpr int kBufferMilliseconds = 45;
    // How long after a failed or lost connection the next try comes.
    static constexpr int kRetryMilliseconds = 3000;
    // How long the end of the program waits for the sound thread.
    static constexpr int kShutdownMilliseconds = 1000;

    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // The file of a sound; read when the thread starts, or at once if it runs.
    void setFile(SoundId id, const std::string& path);
    // Never blocks. A play asked for while no output runs is dropped rather than played late.
    void play(SoundId id);

    // Where the sound plugin is, for a program that does not live beside it or where it is
    // installed (tests, benchmarks); before start().
    void setPluginPath(std::string path) { pluginPath_ = std::move(path); }
    // Starts the sound thread; later calls do nothing.
    void start();
    // Calls start() this long after the window has painted its first frame.
    static constexpr int kStartAfterFirstFrameMilliseconds = 200;
    void startAfterFirstPaint(QWidget* window);
    // Ends the sound thread, waiting kShutdownMilliseconds at most (it is left behind after that).
    void shutdown();

    // True while the output is open and plays are heard.
    bool running() const { return shared_->running.load(std::memory_order_acquire); }

    // What the game's thread and the sound thread share; the sound thread holds it too, so that a
    // thread left behind at the end never reads freed memory.
    struct Shared {
        sound::Mixer mixer;
        std::mutex mutex;
        std::array<std::string, sound::Mixer::kSounds> files; // guarded by mutex
        bool filesChanged = false;                            // guarded by mutex
        bool quit = false;                                    // guarded by mutex
        bool finished = false;                                // guarded by mutex
        SoundOutput* output = nullptr;                        // guarded by mutex: the output while it runs
        std::condition_variable ended;
        std::atomic<bool> running{false};
    };

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::thread thread_;
    std::string pluginPath_;
    bool started_ = false;
};

} // namespace kestrum::qt
