// The audio output on Qt Multimedia, built as the plugin kestrum-sound.so (see qt/audio_output.h).

#include <memory>
#include <type_traits>

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include "qt/audio_output.h"

namespace kestrum::qt {

namespace {

// 16-bit or float output at the device's own rate, so the server has nothing to convert.
QAudioFormat outputFormat(const QAudioDevice& device) {
    const QAudioFormat preferred = device.preferredFormat();
    QAudioFormat format;
    const int rate = preferred.sampleRate();
    format.setSampleRate(rate >= 8000 && rate <= 192000 ? rate : 48000);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(format)) return format;
    if (preferred.sampleFormat() == QAudioFormat::Int16 || preferred.sampleFormat() == QAudioFormat::Float)
        return preferred;
    return {};
}

class SinkOutput : public AudioOutput {
  public:
    SinkOutput(const QAudioDevice& device, const QAudioFormat& format)
        : format_(format), sink_(std::make_unique<QAudioSink>(device, format)) {}
    ~SinkOutput() override {
        if (sink_) sink_->stop();
    }

    bool start(int bufferMilliseconds) {
        sink_->setBufferSize(format_.bytesForDuration(qint64(bufferMilliseconds) * 1000));
        device_ = sink_->start();
        return device_ && sink_->error() == QAudio::NoError;
    }

    AudioFormat format() const override {
        return {format_.sampleRate(), format_.channelCount(), format_.bytesPerSample(),
                format_.sampleFormat() == QAudioFormat::Float};
    }
    long long bytesFree() const override { return sink_->bytesFree(); }
    long long write(const char* data, long long bytes) override { return device_->write(data, bytes); }

  private:
    QAudioFormat format_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr; // owned by the sink
};

} // namespace

} // namespace kestrum::qt

extern "C" __attribute__((visibility("default"))) kestrum::qt::AudioOutput*
kestrum_open_audio_output(int bufferMilliseconds) {
    using namespace kestrum::qt;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return nullptr; // no output: every play is silent
    const QAudioFormat format = outputFormat(device);
    if (!format.isValid()) return nullptr;
    auto output = std::make_unique<SinkOutput>(device, format);
    if (!output->start(bufferMilliseconds)) return nullptr;
    return output.release();
}

static_assert(std::is_same_v<decltype(&kestrum_open_audio_output), kestrum::qt::OpenAudioOutput>);
