// Wave files as the program folder may hold them (good, odd and hostile), and the mixer that plays
// the decoded sounds.

#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "game_harness.h"
#include "sound/mixer.h"
#include "sound/wave.h"

namespace kestrum::sound {
namespace {

using Bytes = std::vector<unsigned char>;

// The bytes of a value as this (little-endian) machine and a wave file lay them out.
template <class T> void putRaw(Bytes& b, T x) {
    unsigned char c[sizeof x];
    std::memcpy(c, &x, sizeof x), b.insert(b.end(), c, c + sizeof x);
}

void tag(Bytes& b, const char* t) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(t[i]));
}
void put16(Bytes& b, unsigned v) {
    putRaw(b, uint16_t(v));
}

// (Reserved up front: GCC 12 warns wrongly about growing a byte vector from empty.)
Bytes chunk(const char* name, const Bytes& body, uint32_t claimed = 0xFFFFFFFF) {
    Bytes b;
    b.reserve(body.size() + 9);
    tag(b, name);
    putRaw(b, claimed == 0xFFFFFFFF ? uint32_t(body.size()) : claimed);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

Bytes fmtChunk(unsigned format, unsigned channels, uint32_t rate, unsigned bits) {
    Bytes b;
    b.reserve(16);
    put16(b, format), put16(b, channels), putRaw(b, rate), putRaw(b, rate * channels * bits / 8);
    put16(b, channels * bits / 8), put16(b, bits);
    return chunk("fmt ", b);
}

Bytes riff(const std::vector<Bytes>& chunks) {
    Bytes b;
    b.reserve(1024);
    tag(b, "RIFF");
    size_t size = 4;
    for (const auto& c : chunks)
        size += c.size();
    putRaw(b, uint32_t(size));
    tag(b, "WAVE");
    for (const auto& c : chunks)
        b.insert(b.end(), c.begin(), c.end());
    return b;
}

Bytes samples16(const std::vector<int16_t>& s) {
    Bytes b;
    for (int16_t v : s)
        put16(b, uint16_t(v));
    return b;
}

// One sample of v / 32768 in each encoding a wave file may hold.
using Encoder = void (*)(Bytes&, int16_t);
const Encoder asInt8 = [](Bytes& b, int16_t v) { b.push_back(uint8_t((v >> 8) + 128)); }; // unsigned
const Encoder asInt16 = [](Bytes& b, int16_t v) { putRaw(b, v); };
const Encoder asInt24 = [](Bytes& b, int16_t v) { b.push_back(0x7F), putRaw(b, v); }; // low byte dropped
const Encoder asInt32 = [](Bytes& b, int16_t v) { putRaw(b, int32_t(v) * 65536 + 0x7FFF); };
const Encoder asFloat = [](Bytes& b, int16_t v) { putRaw(b, float(v) / 32768.0f); };
const Encoder asDouble = [](Bytes& b, int16_t v) { putRaw(b, double(v) / 32768.0); };

// The extensible form of a format chunk: the real format in the sub-format's first two bytes.
Bytes extensible(unsigned format, unsigned channels, uint32_t rate, unsigned bits) {
    Bytes b = {0xFE, 0xFF};
    put16(b, channels), putRaw(b, rate), putRaw(b, rate * channels * bits / 8), put16(b, channels * bits / 8);
    put16(b, bits), put16(b, 22), put16(b, bits), putRaw(b, uint32_t(channels == 1 ? 0x4 : 0x3)),
        put16(b, format);
    b.insert(b.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
    return chunk("fmt ", b);
}

TEST(Wave, DecodesEveryEncodingInStereoToTheSameSixteenBits) {
    // Left and right apart, so that a sample read from the wrong place within a frame shows.
    const std::vector<int16_t> frames = {0, -256, 16384, 256, -32768, 32512, 32512, -16384, -512, 4096};
    const std::tuple<Bytes, Encoder, uint32_t> cases[] = {
        {fmtChunk(1, 2, 8000, 8), asInt8, 8000},       {fmtChunk(1, 2, 22050, 16), asInt16, 22050},
        {fmtChunk(1, 2, 44100, 24), asInt24, 44100},   {fmtChunk(1, 2, 48000, 32), asInt32, 48000},
        {fmtChunk(3, 2, 32000, 32), asFloat, 32000},   {fmtChunk(3, 2, 96000, 64), asDouble, 96000},
        {extensible(1, 2, 11025, 24), asInt24, 11025}, {extensible(3, 2, 16000, 32), asFloat, 16000}};
    for (const auto& [fmt, encode, rate] : cases) {
        Bytes data;
        for (int16_t v : frames)
            encode(data, v);
        const auto pcm = decodeWave(riff({fmt, chunk("data", data)}));
        ASSERT_TRUE(pcm) << rate;
        EXPECT_EQ(std::tuple(pcm->rate, pcm->channels, pcm->samples), std::tuple(int(rate), 2, frames))
            << rate;
    }
    // Float beyond full scale is clipped, and NaN is silence.
    Bytes loud;
    for (float f : {2.0f, -2.0f, std::nanf("")})
        putRaw(loud, f);
    const auto pcm = decodeWave(riff({fmtChunk(3, 1, 48000, 32), chunk("data", loud)}));
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->samples, (std::vector<int16_t>{32767, -32768, 0}));
}

TEST(Wave, ReadsTheLayoutsRealFilesHave) {
    const Bytes data = samples16({1, 2, 3, 4});
    // Stereo stays stereo; odd-sized chunks before the data are skipped with their padding byte;
    // the format may follow the data.
    auto pcm = decodeWave(riff({chunk("LIST", {1, 2, 3}), chunk("data", data), fmtChunk(1, 2, 22050, 16)}));
    ASSERT_TRUE(pcm);
    EXPECT_EQ(std::pair(pcm->channels, pcm->frames()), std::pair(2, size_t(2)));
    // Extensible format with the PCM sub-format; four channels are mixed down to one.
    pcm = decodeWave(riff({extensible(1, 4, 22050, 16), chunk("data", samples16({100, 200, 300, 400}))}));
    ASSERT_TRUE(pcm);
    EXPECT_EQ(std::pair(pcm->channels, pcm->samples), std::pair(1, std::vector<int16_t>{250}));
    // A data chunk that claims more than the file holds plays what is there, whole frames only.
    Bytes cut = riff({fmtChunk(1, 1, 22050, 16), chunk("data", samples16({5, 6, 7}), 1000000)});
    cut.push_back(0x42); // half a frame
    pcm = decodeWave(cut);
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->samples, (std::vector<int16_t>{5, 6, 7}));
}

TEST(Wave, RefusesWhatIsNotAPlayableWave) {
    const Bytes data = chunk("data", samples16({1, 2}));
    Bytes badAlign = fmtChunk(1, 2, 22050, 16);
    badAlign[8 + 12] = 3; // block align that does not fit the channels and width
    const Bytes cases[] = {{},
                           {'R', 'I', 'F', 'F'},
                           riff({data}),                                         // no format
                           riff({fmtChunk(1, 1, 22050, 16)}),                    // no data
                           riff({fmtChunk(1, 1, 22050, 16), chunk("data", {})}), // nothing to play
                           riff({fmtChunk(2, 1, 22050, 4), data}),               // ADPCM
                           riff({fmtChunk(1, 0, 22050, 16), data}),              // no channel
                           riff({fmtChunk(1, 9, 22050, 16), data}),              // too many
                           riff({fmtChunk(1, 1, 0, 16), data}),                  // no rate
                           riff({fmtChunk(1, 1, 4000000, 16), data}),            // absurd rate
                           riff({fmtChunk(1, 1, 22050, 12), data}),              // odd width
                           riff({badAlign, data}),
                           riff({chunk("fmt ", {1, 0, 1, 0}), data})};
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_FALSE(decodeWave(cases[i])) << i;
}

TEST(Wave, SurvivesEveryCorruptionOfARealFile) {
    // Under the sanitizers a read past the end or an overflow fails this at once.
    Bytes good = riff({fmtChunk(1, 2, 22050, 16), chunk("data", samples16({1, -1, 300, -300, 7, 8}))});
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        Bytes b = good;
        for (int i = 0, changes = 1 + int(rng() % 4); i < changes; ++i)
            b[rng() % b.size()] = uint8_t(rng());
        if (rng() % 4 == 0) b.resize(rng() % b.size());
        const auto pcm = decodeWave(b);
        EXPECT_TRUE(!pcm || (pcm->frames() > 0 && pcm->samples.size() <= b.size()));
    }
}

TEST(Wave, OnlyARegularFileIsRead) {
    testing::TempFolder folder;
    const Bytes good = riff({fmtChunk(1, 1, 22050, 16), chunk("data", samples16({1, 2, 3}))});
    folder.write("BAN.WAV", std::string(good.begin(), good.end()));
    folder.write("NOISE.WAV", "not a wave file at all");
    EXPECT_TRUE(loadWave(folder.file("BAN.WAV")));
    // A pipe with no writer: opening it must not wait, and it is no sound.
    ASSERT_EQ(::mkfifo(folder.file("FIFO.WAV").c_str(), 0600), 0);
    ::mkdir(folder.file("DIR.WAV").c_str(), 0700);
    for (const std::string& path :
         {folder.file("missing.wav"), std::string(), folder.file("FIFO.WAV"), folder.file("DIR.WAV"),
          std::string("/dev/zero"), folder.file("NOISE.WAV")})
        EXPECT_FALSE(loadWave(path)) << path;
    // Up to the size limit a file is read whole; one byte more and it is refused unread.
    for (const size_t size : {kMaxWaveBytes, kMaxWaveBytes + 1}) {
        const Bytes head = riff({fmtChunk(1, 1, 22050, 16), chunk("data", {}, uint32_t(size))});
        folder.write("BIG.WAV", std::string(head.begin(), head.end()));
        std::filesystem::resize_file(folder.file("BIG.WAV"), size); // silence to the end
        const auto pcm = loadWave(folder.file("BIG.WAV"));
        EXPECT_EQ(pcm ? pcm->frames() : 0, size == kMaxWaveBytes ? (size - head.size()) / 2 : 0);
    }
}

std::shared_ptr<const Pcm> mono(int rate, std::vector<int16_t> samples) {
    return std::make_shared<Pcm>(Pcm{rate, 1, std::move(samples)});
}

std::vector<int16_t> render(Mixer& m, size_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    m.render(out.data(), frames);
    return out;
}

using Samples = std::vector<int16_t>;

TEST(Mixer, PlaysEachSoundWholeMixesRepeatsAndClips) {
    Mixer m(1000);
    m.setSound(0, mono(1000, {100, 200, 300}));
    m.setSound(1, mono(1000, {30000, -30000}));
    // Plays of either sound asked for while the output was not running are dropped, not played late.
    m.play(0), m.play(1), m.play(1);
    EXPECT_FALSE(m.silent()) << "plays wait to start";
    m.dropPending();
    EXPECT_TRUE(m.silent());
    EXPECT_EQ(render(m, 2), Samples(4, 0));
    m.play(0);
    EXPECT_FALSE(m.silent()) << "a play waits to start";
    EXPECT_EQ(render(m, 2), (Samples{100, 100, 200, 200}));
    EXPECT_FALSE(m.silent()) << "a sound plays";
    m.play(0); // again while it plays: starts afresh beside the first, which runs to its end
    EXPECT_EQ(render(m, 3), (Samples{400, 400, 200, 200, 300, 300}));
    EXPECT_TRUE(m.silent() && m.playing() == 0);
    m.play(1), m.play(1); // too loud together: clipped, not wrapped
    EXPECT_EQ(render(m, 2), (Samples{32767, 32767, -32768, -32768}));
    m.setSound(1, nullptr); // a slot without a sound (missing file) is silent
    m.play(1);
    EXPECT_EQ(render(m, 1), Samples(2, 0));
}

TEST(Mixer, AtTheVoiceLimitTheOldestSoundGoes) {
    Mixer m(1000);
    m.setSound(0, mono(1000, Samples(100, 1000)));
    m.setSound(1, mono(1000, Samples(100, 1)));
    m.play(0);
    render(m, 1);
    for (size_t i = 0; i < Mixer::kMaxVoices; ++i)
        m.play(1);
    EXPECT_EQ(render(m, 1), Samples(2, int16_t(Mixer::kMaxVoices))) << "every new one heard, the first gone";
    EXPECT_EQ(m.playing(), Mixer::kMaxVoices);
}

TEST(Mixer, ResamplesToTheOutputRateKeepingTheLengthAndEachSide) {
    // 1000 Hz into 2000 Hz: every other output frame lies halfway between two source frames, and past
    // the last one each side fades to 0 on its own.
    Mixer m(2000);
    m.setSound(0, std::make_shared<Pcm>(Pcm{1000, 2, {100, -50, 300, 1000}}));
    m.play(0);
    EXPECT_EQ(render(m, 5), (Samples{100, -50, 200, 475, 300, 1000, 150, 500, 0, 0}));
    // 22050 Hz into 48000 Hz: the sound lasts as long, every source sample reached.
    m.setOutputRate(48000);
    Samples ramp(2205);
    std::iota(ramp.begin(), ramp.end(), int16_t(0));
    m.setSound(0, mono(22050, ramp));
    m.play(0);
    const auto out = render(m, 4900);
    EXPECT_NE(out[2 * 4797], 0); // 100 ms
    EXPECT_EQ(out[2 * 4803], 0);
    EXPECT_EQ(out[2 * 2400], 1102); // halfway: halfway up the ramp
    EXPECT_EQ(m.playing(), 0u);
}

} // namespace
} // namespace kestrum::sound
