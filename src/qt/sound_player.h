#pragma once
// The two explosion sounds on Qt: both files decoded once and mixed into one audio output that
// lives on a thread of its own. Playing only marks the sound as asked for; the audio thread starts
// it at the next block it renders, so nothing on the game's thread ever waits for the sound system.
//
// The output is opened lazily (after the window's first frame, or at the first play), on the audio
// thread, from a plugin (qt/audio_output.h): start-up never waits for the sound system, nor loads it.

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include <QObject>

#include "game/platform.h"
#include "sound/mixer.h"

class QWidget;

namespace kestrum::qt {

class SoundOutput;
class AudioThread;

class SoundPlayer : public QObject {
    Q_OBJECT
  public:
    // How far ahead of the loudspeaker the mixer renders: a play is heard this much later at most.
    static constexpr int kBufferMilliseconds = 45;

    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // The file of a sound; read when the output opens (or at once if it is open).
    void setFile(SoundId id, const std::string& path);
    // Never blocks. A play asked for before the output runs is dropped rather than played late.
    void play(SoundId id);

    // Where the sound plugin is, for a program that does not live beside it or where it is
    // installed (tests, benchmarks); before start().
    void setPluginPath(std::string path) { pluginPath_ = std::move(path); }
    // Opens the output on the audio thread; later calls do nothing.
    void start();
    // Calls start() this long after the window has painted its first frame.
    static constexpr int kStartAfterFirstFrameMilliseconds = 200;
    void startAfterFirstPaint(QWidget* window);
    // Ends the audio thread. Waits a moment at most: a sound server that does not answer is left
    // behind rather than holding up the end of the program.
    void shutdown();

    // True once the output has started and plays are heard.
    bool running() const { return shared_->running.load(std::memory_order_acquire); }

    // What the game's thread and the audio thread share; the audio thread holds it too, so that a
    // thread left behind at the end never reads freed memory.
    struct Shared {
        sound::Mixer mixer;
        std::mutex mutex;
        std::array<std::string, sound::Mixer::kSounds> files; // guarded by mutex
        SoundOutput* output = nullptr;                        // guarded by mutex
        std::atomic<bool> running{false};
        std::string file(int slot);
    };

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::unique_ptr<AudioThread> thread_;
    std::string pluginPath_;
    bool started_ = false;
};

} // namespace kestrum::qt
