#include "sound/mixer.h"

#include <algorithm>

namespace kestrum::sound {

Mixer::Mixer(int outputRate) : outputRate_(outputRate > 0 ? outputRate : 48000) {
    voices_.reserve(kMaxVoices);
}

void Mixer::setSound(int slot, std::shared_ptr<const Pcm> pcm) {
    if (slot < 0 || slot >= kSounds) return;
    if (pcm && (pcm->frames() == 0 || pcm->rate <= 0 || pcm->channels < 1 || pcm->channels > 2))
        pcm = nullptr;
    sounds_[size_t(slot)] = std::move(pcm);
}

void Mixer::play(int slot) {
    if (slot < 0 || slot >= kSounds) return;
    asked_[size_t(slot)].fetch_add(1, std::memory_order_release);
}

void Mixer::dropPending() {
    for (size_t s = 0; s < kSounds; ++s)
        started_[s] = asked_[s].load(std::memory_order_acquire);
}

bool Mixer::silent() const {
    for (size_t s = 0; s < kSounds; ++s)
        if (asked_[s].load(std::memory_order_acquire) != started_[s]) return false;
    return voices_.empty();
}

void Mixer::render(int16_t* out, size_t frames) {
    for (size_t s = 0; s < kSounds; ++s) {
        const uint32_t asked = asked_[s].load(std::memory_order_acquire);
        for (; started_[s] != asked; ++started_[s]) {
            if (!sounds_[s]) continue;
            if (voices_.size() == kMaxVoices) voices_.erase(voices_.begin());
            const uint64_t step = (uint64_t(sounds_[s]->rate) << 32) / uint64_t(outputRate_);
            voices_.push_back({sounds_[s], 0, step});
        }
    }

    sum_.assign(frames * 2, 0);
    for (Voice& v : voices_) {
        const Pcm& pcm = *v.pcm;
        const size_t length = pcm.frames();
        const int16_t* s = pcm.samples.data();
        const bool stereo = pcm.channels == 2;
        for (size_t f = 0; f < frames; ++f, v.position += v.step) {
            const size_t i = size_t(v.position >> 32);
            if (i >= length) break;
            // Linear interpolation towards the next frame; past the last one the sound fades to 0.
            const int64_t frac = int64_t(v.position & 0xFFFFFFFFu);
            const bool last = i + 1 >= length;
            const int l0 = s[i * pcm.channels], r0 = s[i * pcm.channels + (stereo ? 1 : 0)];
            const int l1 = last ? 0 : s[(i + 1) * pcm.channels];
            const int r1 = last ? 0 : s[(i + 1) * pcm.channels + (stereo ? 1 : 0)];
            sum_[2 * f] += l0 + int32_t(((l1 - l0) * frac) >> 32);
            sum_[2 * f + 1] += r0 + int32_t(((r1 - r0) * frac) >> 32);
        }
    }
    std::erase_if(voices_, [](const Voice& v) { return (v.position >> 32) >= v.pcm->frames(); });

    for (size_t i = 0; i < frames * 2; ++i)
        out[i] = int16_t(std::clamp(sum_[i], -32768, 32767));
}

} // namespace kestrum::sound
