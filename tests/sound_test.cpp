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

void put16(Bytes& b, unsigned v) {
    b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF), put16(b, v >> 16);
}
void tag(Bytes& b, const char* t) {
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(t[i]));
}

// (Reserved up front: GCC 12 warns wrongly about growing a byte vector from empty.)
Bytes chunk(const char* name, const Bytes& body, uint32_t claimed = 0xFFFFFFFF) {
    Bytes b;
    b.reserve(body.size() + 9);
    tag(b, name);
    put32(b, claimed == 0xFFFFFFFF ? uint32_t(body.size()) : claimed);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

Bytes fmtChunk(unsigned format, unsigned channels, uint32_t rate, unsigned bits) {
    Bytes b;
    b.reserve(16);
    put16(b, format), put16(b, channels), put32(b, rate), put32(b, rate * channels * bits / 8);
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
    put32(b, uint32_t(size));
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

TEST(Wave, DecodesEveryPlainEncodingToTheSameSixteenBits) {
    const std::vector<int16_t> expected = {0, 16384, -32768, 32767, -256};
    Bytes b24, bf;
    for (int16_t v : expected) // 24 bit: the top two bytes
        b24.push_back(0x7F), put16(b24, uint16_t(v));
    for (float f : {0.0f, 0.5f, -1.0f, 2.0f, std::nanf("")}) { // float: clipped, NaN as silence
        uint32_t u;
        std::memcpy(&u, &f, 4), put32(bf, u);
    }
    const std::tuple<Bytes, Bytes, std::vector<int16_t>> cases[] = {
        {fmtChunk(1, 1, 22050, 16), samples16(expected), expected},
        {fmtChunk(1, 1, 8000, 8), {128, 192, 0, 255, 127}, {0, 16384, -32768, 32512, -256}}, // unsigned
        {fmtChunk(1, 1, 44100, 24), b24, expected},
        {fmtChunk(3, 1, 48000, 32), bf, {0, 16384, -32768, 32767, 0}}};
    for (const auto& [fmt, data, samples] : cases) {
        const auto pcm = decodeWave(riff({fmt, chunk("data", data)}));
        ASSERT_TRUE(pcm);
        EXPECT_EQ(std::pair(pcm->channels, pcm->samples), std::pair(1, samples));
    }
}

TEST(Wave, ReadsTheLayoutsRealFilesHave) {
    const Bytes data = samples16({1, 2, 3, 4});
    // Stereo stays stereo; odd-sized chunks before the data are skipped with their padding byte;
    // the format may follow the data.
    auto pcm = decodeWave(riff({chunk("LIST", {1, 2, 3}), chunk("data", data), fmtChunk(1, 2, 22050, 16)}));
    ASSERT_TRUE(pcm);
    EXPECT_EQ(std::pair(pcm->channels, pcm->frames()), std::pair(2, size_t(2)));
    // Extensible format with the PCM sub-format; four channels are mixed down to one.
    Bytes ext = {0xFE, 0xFF, 4, 0};
    put32(ext, 22050), put32(ext, 22050 * 8), put16(ext, 8), put16(ext, 16), put16(ext, 22), put16(ext, 16);
    put32(ext, 0x33);
    ext.insert(ext.end(), {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71}); // PCM
    pcm = decodeWave(riff({chunk("fmt ", ext), chunk("data", samples16({100, 200, 300, 400}))}));
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
}

std::shared_ptr<const Pcm> mono(int rate, std::vector<int16_t> samples) {
    return std::make_shared<Pcm>(Pcm{rate, 1, std::move(samples)});
}

std::vector<int16_t> render(Mixer& m, size_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    m.render(out.data(), frames);
    return out;
}

TEST(Mixer, PlaysEachSoundWholeMixesRepeatsAndClips) {
    Mixer m(1000);
    using S = std::vector<int16_t>;
    m.setSound(0, mono(1000, {100, 200, 300}));
    m.setSound(1, mono(1000, {30000, -30000}));
    EXPECT_EQ(render(m, 2), S(4, 0)); // silence while nothing plays
    m.play(0);
    EXPECT_EQ(render(m, 2), (S{100, 100, 200, 200}));
    m.play(0); // again while it plays: starts afresh beside the first, which runs to its end
    EXPECT_EQ(render(m, 3), (S{400, 400, 200, 200, 300, 300}));
    EXPECT_EQ(m.playing(), 0u);
    m.play(1), m.play(1); // too loud together: clipped, not wrapped
    EXPECT_EQ(render(m, 2), (S{32767, 32767, -32768, -32768}));
    // Plays asked for while the output was not running are dropped, not played late; a slot without
    // a sound (missing file) is silent.
    m.play(0), m.play(0);
    m.dropPending();
    m.setSound(1, nullptr);
    m.play(1);
    EXPECT_EQ(render(m, 1), S(2, 0));
}

TEST(Mixer, ResamplesToTheOutputRateKeepingTheLength) {
    // 22050 Hz into 48000 Hz: the sound lasts as long, every source sample reached, the last one
    // fading out rather than cut.
    Mixer m(48000);
    std::vector<int16_t> ramp(2205);
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
