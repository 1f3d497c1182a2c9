// The sound output on libpulse, built as the plugin kestrum-sound.so (see qt/audio_output.h). It
// talks to PulseAudio, or to a server that speaks its protocol, as PipeWire does.
//
// Everything runs on the thread inside run(), driven by libpulse's own poll loop: every call into
// libpulse here returns at once, and what the server answers comes back through the callbacks while
// the loop polls. Nothing ever waits for the server, so a server that stops answering holds up
// neither the game nor the end of the program.

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "qt/audio_output.h"

namespace kestrum::qt {

namespace {

class PulseOutput : public SoundOutput {
  public:
    PulseOutput(SoundSource& source, int bufferMilliseconds, int retryMilliseconds)
        : source_(source), bufferMilliseconds_(bufferMilliseconds), retryMilliseconds_(retryMilliseconds) {}

    // False when the loop or its wake-up cannot be made.
    bool make() {
        wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        loop_ = pa_mainloop_new();
        if (wakeFd_ < 0 || !loop_) return false;
        api_ = pa_mainloop_get_api(loop_);
        wakeEvent_ = api_->io_new(api_, wakeFd_, PA_IO_EVENT_INPUT, &PulseOutput::woken, this);
        return wakeEvent_ != nullptr;
    }

    ~PulseOutput() override {
        if (api_) {
            disconnect();
            if (retry_) api_->time_free(retry_);
            if (wakeEvent_) api_->io_free(wakeEvent_);
        }
        if (loop_) pa_mainloop_free(loop_);
        if (wakeFd_ >= 0) ::close(wakeFd_);
    }

    void run() override {
        connect();
        // A wake-up is read inside the poll, before the turn that looks at what it asked for: one
        // that comes while a turn runs keeps the next poll from sleeping, so none is lost.
        while (!quit_.load(std::memory_order_acquire)) {
            if (broken_) {
                // Torn down here rather than inside the callback that reported it.
                broken_ = false;
                disconnect();
                scheduleRetry();
            }
            feed();
            if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) break;
        }
        disconnect();
    }

    void wake() override {
        const uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
    }

    void quit() override {
        quit_.store(true, std::memory_order_release);
        wake();
    }

  private:
    static void woken(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void*) {
        uint64_t count = 0;
        (void)!::read(fd, &count, sizeof count);
    }

    void connect() {
        context_ = pa_context_new(api_, "Kestrum");
        if (!context_) return scheduleRetry();
        pa_context_set_state_callback(context_, &PulseOutput::contextChanged, this);
        // Never spawn a server: that would wait for it to start.
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) broken_ = true;
    }

    void disconnect() {
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
            if (pa_stream_get_state(stream_) == PA_STREAM_READY) pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            stream_ = nullptr;
            source_.closed();
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }

    void scheduleRetry() {
        if (retry_) return;
        timeval when{};
        pa_timeval_add(pa_gettimeofday(&when), pa_usec_t(retryMilliseconds_) * PA_USEC_PER_MSEC);
        retry_ = api_->time_new(api_, &when, &PulseOutput::retryDue, this);
    }

    static void retryDue(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
        auto* o = static_cast<PulseOutput*>(self);
        api->time_free(event);
        o->retry_ = nullptr;
        o->connect();
    }

    static void contextChanged(pa_context* context, void* self) {
        auto* o = static_cast<PulseOutput*>(self);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            // The stream at the server's own rate, so that it has nothing to convert.
            if (pa_operation* op = pa_context_get_server_info(context, &PulseOutput::serverKnown, self))
                pa_operation_unref(op);
            else
                o->broken_ = true;
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            o->broken_ = true;
            break;
        default:
            break;
        }
    }

    static void serverKnown(pa_context* context, const pa_server_info* info, void* self) {
        auto* o = static_cast<PulseOutput*>(self);
        if (context != o->context_ || o->stream_) return;
        const uint32_t rate = info ? info->sample_spec.rate : 0;
        o->openStream(rate >= 8000 && rate <= 192000 ? rate : 48000);
    }

    void openStream(uint32_t rate) {
        const pa_sample_spec spec{PA_SAMPLE_S16NE, rate, 2};
        stream_ = pa_stream_new(context_, "Explosions", &spec, nullptr);
        if (!stream_) {
            broken_ = true;
            return;
        }
        rate_ = int(rate);
        pa_stream_set_state_callback(stream_, &PulseOutput::streamChanged, this);
        pa_stream_set_write_callback(stream_, &PulseOutput::writable, this);
        pa_stream_set_underflow_callback(stream_, &PulseOutput::ranDry, this);
        dry_ = corked_ = true;
        draining_ = false;
        pa_buffer_attr attr{};
        attr.maxlength = attr.prebuf = attr.minreq = attr.fragsize = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(bufferMilliseconds_) * PA_USEC_PER_MSEC, &spec));
        if (pa_stream_connect_playback(stream_, nullptr, &attr,
                                       pa_stream_flags_t(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY),
                                       nullptr, nullptr) < 0)
            broken_ = true;
    }

    static void streamChanged(pa_stream* stream, void* self) {
        auto* o = static_cast<PulseOutput*>(self);
        switch (pa_stream_get_state(stream)) {
        case PA_STREAM_READY:
            o->source_.opened(o->rate_);
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            o->broken_ = true;
            break;
        default:
            break;
        }
    }

    static void writable(pa_stream*, size_t, void* self) { static_cast<PulseOutput*>(self)->feed(); }
    static void ranDry(pa_stream*, void* self) { static_cast<PulseOutput*>(self)->dry_ = true; }

    // All that was written before a silence has been heard: the stream is paused until the next
    // play, so that the server does not play on through the silence (and then skip the beginning
    // of the next sound to catch up).
    static void drained(pa_stream* stream, int success, void* self) {
        auto* o = static_cast<PulseOutput*>(self);
        if (stream != o->stream_) return; // a stream since torn down
        o->draining_ = false;
        if (success && !o->corked_ && !o->source_.sounding()) {
            o->cork(true);
            o->dry_ = true;
        }
    }

    void cork(bool paused) {
        corked_ = paused;
        if (pa_operation* op = pa_stream_cork(stream_, paused ? 1 : 0, nullptr, nullptr))
            pa_operation_unref(op);
    }

    // Renders as much as the stream takes, but only while something plays: in a silence nothing is
    // written, the stream runs dry and is paused, and nothing wakes this thread until the next play,
    // which then starts at once, the stream being empty.
    void feed() {
        const bool sounding = source_.sounding(); // asked even without a stream: files load now
        if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
        if (!sounding) {
            if (!corked_ && !draining_) {
                draining_ = true;
                if (pa_operation* op = pa_stream_drain(stream_, &PulseOutput::drained, this))
                    pa_operation_unref(op);
            }
            return;
        }
        const size_t bytes = pa_stream_writable_size(stream_);
        const size_t frames = bytes == size_t(-1) ? 0 : bytes / (2 * sizeof(int16_t));
        if (frames == 0) return;
        samples_.assign(frames * 2, 0);
        // After a silence the server fits the stream in ahead of what it has already mixed; the
        // first milliseconds of that may already be on their way out. They get silence rather
        // than the beginning of the sound.
        const size_t lead = dry_ ? std::min(frames, size_t(rate_) * kLeadMilliseconds / 1000) : 0;
        source_.render(samples_.data() + 2 * lead, frames - lead);
        // A stream that ran dry has played on past what was written: the first sound after a
        // silence goes where the server plays now, or its beginning would be skipped.
        const pa_seek_mode_t where = dry_ ? PA_SEEK_RELATIVE_ON_READ : PA_SEEK_RELATIVE;
        dry_ = false;
        if (pa_stream_write(stream_, samples_.data(), frames * 2 * sizeof(int16_t), nullptr, 0, where) < 0)
            broken_ = true;
        else if (corked_)
            cork(false);
    }

    static constexpr int kLeadMilliseconds = 20;

    SoundSource& source_;
    const int bufferMilliseconds_;
    const int retryMilliseconds_;
    int wakeFd_ = -1;
    pa_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_io_event* wakeEvent_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* retry_ = nullptr;
    std::atomic<bool> quit_{false};
    int rate_ = 48000;
    bool broken_ = false;   // the connection or the stream failed: tear down, try again later
    bool dry_ = true;       // the stream has played all it was given
    bool corked_ = true;    // the stream is paused
    bool draining_ = false; // asked to tell when all that was written has been heard
    std::vector<int16_t> samples_;
};

} // namespace

} // namespace kestrum::qt

extern "C" __attribute__((visibility("default"))) kestrum::qt::SoundOutput*
kestrum_open_sound_output(kestrum::qt::SoundSource& source, int bufferMilliseconds, int retryMilliseconds) {
    auto output = std::make_unique<kestrum::qt::PulseOutput>(source, bufferMilliseconds, retryMilliseconds);
    return output->make() ? output.release() : nullptr;
}

static_assert(std::is_same_v<decltype(&kestrum_open_sound_output), kestrum::qt::OpenSoundOutput>);
