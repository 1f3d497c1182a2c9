#include "qt/sound_player.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QLibrary>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "qt/audio_output.h"
#include "sound/wave.h"

namespace kestrum::qt {

namespace {

int slotOf(SoundId id) {
    return id == SoundId::Explosion ? 0 : 1;
}

// The mixer's stereo 16-bit frames in the output's own sample format and channel count.
void convert(const int16_t* stereo, size_t frames, const AudioFormat& format, char* out) {
    const int channels = format.channels;
    const int sampleBytes = format.bytesPerSample;
    const bool isFloat = format.isFloat;
    for (size_t f = 0; f < frames; ++f) {
        const int l = stereo[2 * f], r = stereo[2 * f + 1];
        for (int c = 0; c < channels; ++c, out += sampleBytes) {
            // Mono gets both sides; channels beyond the first two stay silent.
            const int v = channels == 1 ? (l + r) / 2 : c == 0 ? l : c == 1 ? r : 0;
            if (isFloat) {
                const float x = float(v) / 32768.0f;
                std::memcpy(out, &x, sizeof x);
            } else {
                const int16_t x = int16_t(v);
                std::memcpy(out, &x, sizeof x);
            }
        }
    }
}

// The first of these files that loads and has the entry point opens the output.
OpenAudioOutput loadPlugin(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        QLibrary plugin(QString::fromStdString(path)); // stays loaded: the output's code lives there
        if (!plugin.load()) continue;
        if (auto open = reinterpret_cast<OpenAudioOutput>(plugin.resolve(kOpenAudioOutput))) return open;
        plugin.unload();
    }
    return nullptr;
}

} // namespace

// Lives on the audio thread: the decoded files, the output and what it pulls.
class SoundOutput : public QObject {
  public:
    explicit SoundOutput(std::shared_ptr<SoundPlayer::Shared> shared) : shared_(std::move(shared)) {}

    void loadFiles() {
        for (int slot = 0; slot < sound::Mixer::kSounds; ++slot) {
            auto pcm = sound::loadWave(shared_->file(slot));
            shared_->mixer.setSound(slot,
                                    pcm ? std::make_shared<const sound::Pcm>(std::move(*pcm)) : nullptr);
        }
    }

    void open(const std::vector<std::string>& plugins) {
        loadFiles();
        const OpenAudioOutput openOutput = loadPlugin(plugins);
        if (!openOutput) return; // no sound system: every play is silent
        output_.reset(openOutput(SoundPlayer::kBufferMilliseconds));
        if (!output_) return;
        format_ = output_->format();
        if (format_.channels <= 0 || format_.bytesPerSample != (format_.isFloat ? 4 : 2)) {
            output_.reset(); // a format the mixer cannot fill: silent
            return;
        }
        shared_->mixer.setOutputRate(format_.rate);
        // Rendered only as far ahead as the output takes, a little at a time, so that a play is
        // heard one buffer after it was asked for at most.
        shared_->mixer.dropPending();
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { feed(); });
        timer_.start(kFeedMilliseconds);
        feed();
        shared_->running.store(true, std::memory_order_release);
    }

  private:
    static constexpr int kFeedMilliseconds = 3;

    void feed() {
        const long long frameBytes = format_.bytesPerFrame();
        if (pending_.empty()) {
            const long long free = output_->bytesFree();
            const size_t frames = size_t(std::max<long long>(0, free / frameBytes));
            if (frames == 0) return;
            stereo_.resize(frames * 2);
            shared_->mixer.render(stereo_.data(), frames);
            pending_.resize(frames * size_t(frameBytes));
            convert(stereo_.data(), frames, format_, pending_.data());
        }
        // What the output did not take now goes first next time: nothing is lost or reordered.
        const long long written = output_->write(pending_.data(), static_cast<long long>(pending_.size()));
        if (written > 0) pending_.erase(pending_.begin(), pending_.begin() + written);
    }

    std::shared_ptr<SoundPlayer::Shared> shared_;
    AudioFormat format_;
    std::unique_ptr<AudioOutput> output_;
    QTimer timer_;
    std::vector<int16_t> stereo_;
    std::vector<char> pending_;
};

// The output holds only a few tens of milliseconds, so a busy machine must not keep this thread
// waiting longer than that: ask for a real-time slot below the sound server's own, as sound servers
// do (the sound system's own threads, started from this one, inherit it); where that is not
// allowed, a better nice level; where neither is, run as we are.
void keepUpWhenBusy() {
    sched_param param{};
    param.sched_priority = std::min(3, sched_get_priority_max(SCHED_RR));
    if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0) return;
    (void)setpriority(PRIO_PROCESS, id_t(gettid()), -11);
}

class AudioThread : public QThread {
  public:
    AudioThread(std::shared_ptr<SoundPlayer::Shared> shared, std::vector<std::string> plugins)
        : shared_(std::move(shared)), plugins_(std::move(plugins)) {
        setObjectName("kestrum-sound");
    }

  protected:
    void run() override {
        keepUpWhenBusy();
        {
            SoundOutput output(shared_);
            {
                std::lock_guard lock(shared_->mutex);
                shared_->output = &output;
            }
            output.open(plugins_);
            if (!isInterruptionRequested()) exec();
            std::lock_guard lock(shared_->mutex);
            shared_->output = nullptr;
        }
        shared_->running.store(false, std::memory_order_release);
    }

  private:
    std::shared_ptr<SoundPlayer::Shared> shared_;
    std::vector<std::string> plugins_;
};

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() {
    shutdown();
}

std::string SoundPlayer::Shared::file(int slot) {
    std::lock_guard lock(mutex);
    return files[size_t(slot)];
}

void SoundPlayer::setFile(SoundId id, const std::string& path) {
    std::lock_guard lock(shared_->mutex);
    shared_->files[size_t(slotOf(id))] = path;
    if (SoundOutput* out = shared_->output) QMetaObject::invokeMethod(out, [out] { out->loadFiles(); });
}

void SoundPlayer::play(SoundId id) {
    if (!started_) start();
    shared_->mixer.play(slotOf(id));
}

void SoundPlayer::start() {
    if (started_) return;
    started_ = true;
    // Beside the binary (as built), or where it is installed relative to it; or as set.
    std::vector<std::string> plugins{pluginPath_};
    if (plugins.front().empty()) {
        const std::string folder = QCoreApplication::applicationDirPath().toStdString();
        plugins = {folder + "/" + kSoundPluginFile,
                   folder + "/" KESTRUM_PLUGIN_FROM_BINARY "/" + kSoundPluginFile};
    }
    thread_ = std::make_unique<AudioThread>(shared_, std::move(plugins));
    thread_->start();
}

void SoundPlayer::startAfterFirstPaint(QWidget* window) {
    if (window && !started_) window->installEventFilter(this);
}

bool SoundPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // A moment after this frame is on screen: the sound system's libraries are loaded and its
        // server contacted once the window has settled, not while it is still being shown.
        QTimer::singleShot(kStartAfterFirstFrameMilliseconds, this, &SoundPlayer::start);
    }
    return false;
}

void SoundPlayer::shutdown() {
    if (!thread_) return;
    thread_->requestInterruption();
    thread_->quit();
    if (!thread_->wait(QDeadlineTimer(2000))) {
        // Still inside the sound system: leave the thread to the end of the process.
        (void)thread_.release();
        return;
    }
    thread_.reset();
}

} // namespace kestrum::qt
