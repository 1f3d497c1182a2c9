#include "qt/sound_player.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLibrary>
#include <QTimer>
#include <QWidget>

#include "qt/audio_output.h"
#include "sound/wave.h"

namespace kestrum::qt {

namespace {

int slotOf(SoundId id) {
    return id == SoundId::Explosion ? 0 : 1;
}

// The first of these files that loads and has the entry point makes the output.
OpenSoundOutput loadPlugin(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        QLibrary plugin(QString::fromStdString(path)); // stays loaded: the output's code lives there
        if (!plugin.load()) continue;
        if (auto open = reinterpret_cast<OpenSoundOutput>(plugin.resolve(kOpenSoundOutput))) return open;
        plugin.unload();
    }
    return nullptr;
}

// The mixer as the output sees it, on the sound thread.
class MixerSource final : public SoundSource {
  public:
    explicit MixerSource(SoundPlayer::Shared& shared) : shared_(shared) {}

    void loadFiles() {
        for (int slot = 0; slot < sound::Mixer::kSounds; ++slot) {
            std::string path;
            {
                std::lock_guard lock(shared_.mutex);
                path = shared_.files[size_t(slot)];
            }
            auto pcm = sound::loadWave(path);
            shared_.mixer.setSound(slot, pcm ? std::make_shared<const sound::Pcm>(std::move(*pcm)) : nullptr);
        }
    }

    void opened(int rate) override {
        shared_.mixer.setOutputRate(rate);
        shared_.mixer.dropPending();
        shared_.running.store(true, std::memory_order_release);
    }
    void closed() override { shared_.running.store(false, std::memory_order_release); }
    bool sounding() override {
        bool reload = false;
        {
            std::lock_guard lock(shared_.mutex);
            reload = std::exchange(shared_.filesChanged, false);
        }
        if (reload) loadFiles();
        return !shared_.mixer.silent();
    }
    void render(int16_t* stereo, size_t frames) override { shared_.mixer.render(stereo, frames); }

  private:
    SoundPlayer::Shared& shared_;
};

// The output holds only a few tens of milliseconds, so a busy machine must not keep this thread
// waiting longer than that: ask for a real-time slot below the sound server's own, as sound servers
// do; where that is not allowed, a better nice level; where neither is, run as we are.
void keepUpWhenBusy() {
    sched_param param{};
    param.sched_priority = std::min(3, sched_get_priority_max(SCHED_RR));
    if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0) return;
    (void)setpriority(PRIO_PROCESS, id_t(gettid()), -11);
}

void runSoundThread(SoundPlayer::Shared& shared, const std::vector<std::string>& plugins) {
    pthread_setname_np(pthread_self(), "kestrum-sound");
    // A server gone mid-write must not end the program: the write fails instead.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    keepUpWhenBusy();

    MixerSource source(shared);
    {
        std::lock_guard lock(shared.mutex);
        shared.filesChanged = false;
    }
    source.loadFiles();
    const OpenSoundOutput open = loadPlugin(plugins);
    // Without the plugin, or an output, every play is silent.
    std::unique_ptr<SoundOutput> output(
        open ? open(source, SoundPlayer::kBufferMilliseconds, SoundPlayer::kRetryMilliseconds) : nullptr);
    if (!output) return;
    {
        std::lock_guard lock(shared.mutex);
        if (shared.quit) return;
        shared.output = output.get();
    }
    output->run();
    std::lock_guard lock(shared.mutex);
    shared.output = nullptr;
}

} // namespace

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() {
    shutdown();
}

void SoundPlayer::setFile(SoundId id, const std::string& path) {
    std::lock_guard lock(shared_->mutex);
    shared_->files[size_t(slotOf(id))] = path;
    shared_->filesChanged = true;
    if (shared_->output) shared_->output->wake();
}

void SoundPlayer::play(SoundId id) {
    if (!started_) start();
    shared_->mixer.play(slotOf(id));
    std::lock_guard lock(shared_->mutex);
    if (shared_->output) shared_->output->wake();
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
    thread_ = std::thread([shared = shared_, plugins = std::move(plugins)] {
        runSoundThread(*shared, plugins);
        std::lock_guard lock(shared->mutex);
        shared->finished = true;
        shared->ended.notify_all();
    });
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
    if (!thread_.joinable()) return;
    std::unique_lock lock(shared_->mutex);
    shared_->quit = true;
    if (shared_->output) shared_->output->quit();
    if (shared_->ended.wait_for(lock, std::chrono::milliseconds(kShutdownMilliseconds),
                                [&] { return shared_->finished; })) {
        lock.unlock();
        thread_.join();
    } else {
        // Not expected (the thread never waits for the server, but loading the plugin or a file
        // might), and the end of the program must not hang on it: it is left to the end of the
        // process, holding what it shares with us.
        lock.unlock();
        thread_.detach();
    }
}

} // namespace kestrum::qt
