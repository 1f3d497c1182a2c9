#include "sound/wave.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrum::sound {

namespace {

uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

enum class Encoding { Integer, Float };

// The tail every extensible sub-format GUID shares after its two-byte format tag.
constexpr unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

int16_t toInt16(double v) {
    v = std::round(v * 32768.0);
    if (!(v >= -32768.0)) return v != v ? 0 : -32768; // NaN is silence
    return v > 32767.0 ? 32767 : int16_t(v);
}

// One sample of `bits` bits at p as 16 bits.
int16_t sampleAt(const unsigned char* p, int bits, Encoding encoding) {
    if (encoding == Encoding::Float) {
        if (bits == 32) {
            float f;
            std::memcpy(&f, p, 4);
            return toInt16(f);
        }
        double d;
        std::memcpy(&d, p, 8);
        return toInt16(d);
    }
    switch (bits) {
    case 8:
        return int16_t((int(p[0]) - 128) * 256); // 8-bit wave samples are unsigned
    case 16:
        return int16_t(le16(p));
    case 24:
        return int16_t(le16(p + 1));
    default:
        return int16_t(le16(p + 2)); // 32
    }
}

} // namespace

std::optional<Pcm> decodeWave(std::span<const unsigned char> bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;

    // Walk every chunk (the format may follow the data); sizes are clamped to what is there.
    std::span<const unsigned char> fmt, data;
    bool haveFmt = false, haveData = false;
    size_t at = 12;
    while (bytes.size() - at >= 8) {
        const unsigned char* head = bytes.data() + at;
        const size_t left = bytes.size() - at - 8;
        const size_t size = std::min<size_t>(le32(head + 4), left);
        const auto body = bytes.subspan(at + 8, size);
        if (!haveFmt && std::memcmp(head, "fmt ", 4) == 0) fmt = body, haveFmt = true;
        if (!haveData && std::memcmp(head, "data", 4) == 0) data = body, haveData = true;
        at += 8 + size;
        if (size % 2 == 1 && at < bytes.size()) ++at; // chunks are padded to even sizes
    }
    if (!haveFmt || !haveData || fmt.size() < 16) return std::nullopt;

    const unsigned tag = le16(fmt.data());
    const int channels = le16(fmt.data() + 2);
    const uint32_t rate = le32(fmt.data() + 4);
    const unsigned blockAlign = le16(fmt.data() + 12);
    const int bits = le16(fmt.data() + 14);
    unsigned format = tag;
    if (tag == 0xFFFE) { // extensible: the real format is the sub-format GUID's first two bytes
        if (fmt.size() < 40 || std::memcmp(fmt.data() + 26, kGuidTail, sizeof kGuidTail) != 0)
            return std::nullopt;
        format = le16(fmt.data() + 24);
    }
    Encoding encoding;
    if (format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32))
        encoding = Encoding::Integer;
    else if (format == 3 && (bits == 32 || bits == 64))
        encoding = Encoding::Float;
    else
        return std::nullopt;
    if (channels < 1 || channels > 8 || rate < 1000 || rate > 384000) return std::nullopt;
    const size_t sampleBytes = size_t(bits) / 8;
    if (blockAlign != sampleBytes * size_t(channels)) return std::nullopt;

    const size_t frames = data.size() / blockAlign;
    if (frames == 0) return std::nullopt;
    Pcm pcm;
    pcm.rate = int(rate);
    pcm.channels = channels <= 2 ? channels : 1;
    pcm.samples.resize(frames * size_t(pcm.channels));
    const unsigned char* p = data.data();
    int16_t* out = pcm.samples.data();
    for (size_t f = 0; f < frames; ++f, p += blockAlign) {
        if (channels <= 2) {
            for (int c = 0; c < channels; ++c)
                *out++ = sampleAt(p + size_t(c) * sampleBytes, bits, encoding);
        } else {
            int sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += sampleAt(p + size_t(c) * sampleBytes, bits, encoding);
            *out++ = int16_t(sum / channels);
        }
    }
    return pcm;
}

std::optional<Pcm> loadWave(const std::string& path) {
    // Checked before opening so that no device is ever opened, and again on what was opened in
    // case the name changed hands meanwhile. O_NONBLOCK: opening a pipe would wait for a writer.
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::vector<unsigned char> bytes;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) <= kMaxWaveBytes;
    if (ok) {
        // Read until the end, whatever the size said: the file may change while it is read.
        bytes.resize(size_t(st.st_size) + 1);
        size_t have = 0;
        for (;;) {
            if (have == bytes.size()) {
                if (bytes.size() > kMaxWaveBytes) {
                    ok = false;
                    break;
                }
                bytes.resize(std::min(bytes.size() * 2, kMaxWaveBytes + 1));
            }
            const ssize_t n = ::read(fd, bytes.data() + have, bytes.size() - have);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) ok = false;
            if (n <= 0) break;
            have += size_t(n);
        }
        bytes.resize(have);
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return decodeWave(bytes);
}

} // namespace kestrum::sound
