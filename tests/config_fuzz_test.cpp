// Generated and mutated config.txt contents and dialog texts: the reader and the dialog's numeric
// value must never crash, hang or disagree with each other.

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game_harness.h"
#include "settings/config_file.h"
#include "ui/number_text.h"

namespace kestrum {
namespace {

class Generator {
  public:
    explicit Generator(uint32_t seed) : rng_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return below(100) < percent; }

    // A piece that a config file or a typed box plausibly holds, or something hostile.
    std::string piece() {
        static const char* const kPieces[] = {
            " ",      "\t",     ",",   "\r\n", "\n",  "\r",   "-",    "+",    ".",    "e",
            "E",      "e+",     "e-",  "0",    "1",   "9",    "10",   "9.5",  "10.5", "32767",
            "32768",  "-32768", "-1 ", " 1 ",  "abc", "\xff", "\xfe", "\xc3", "\x80", "\xEF\xBB\xBF",
            "\0",     "\"",     "1e3", "1e9",  ".5",  "5.",   "0x10", "inf",  "nan",  "65535",
            "-32769", "1,2",
        };
        switch (below(6)) {
        case 0:
            return kPieces[below(sizeof kPieces / sizeof *kPieces)];
        case 1:
            return std::string(1, char(below(256)));
        case 2:
            return std::to_string(below(70000) - 35000);
        case 3:
            return digits(1 + below(chance(5) ? 2000 : 30));
        case 4:
            return std::string(1 + below(5), " \r\n,"[below(4)]);
        default:
            return std::to_string(below(100)) + "." + std::to_string(below(100)) + (chance(30) ? "e" : "") +
                   (chance(30) ? std::to_string(below(400) - 200) : "");
        }
    }

    std::string digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += char('0' + below(10));
        return s;
    }

    std::string generated() {
        std::string s;
        const int pieces = below(12);
        for (int i = 0; i < pieces; ++i)
            s += piece();
        return s;
    }

    // A well-formed file, then damaged: bytes changed, inserted or removed, pieces spliced in.
    std::string mutated() {
        std::string s = configText(below(4) - 1, chance(50) ? std::to_string(below(2000)) : generated());
        if (chance(30)) s.resize(below(int(s.size()) + 1)); // no final line end, or cut anywhere
        const int edits = below(4);
        for (int i = 0; i < edits && !s.empty(); ++i) {
            const std::size_t at = below(int(s.size()));
            switch (below(4)) {
            case 0:
                s[at] = char(below(256));
                break;
            case 1:
                s.insert(at, piece());
                break;
            case 2:
                s.erase(at, 1 + below(3));
                break;
            default:
                s.insert(at, std::string(1, "\r\n ,"[below(4)]));
                break;
            }
        }
        return s;
    }

    std::string randomBytes() {
        std::string s(below(64), '\0');
        for (char& c : s)
            c = char(below(256));
        return s;
    }

    std::string next() {
        switch (below(3)) {
        case 0:
            return generated();
        case 1:
            return mutated();
        default:
            return randomBytes();
        }
    }

  private:
    std::mt19937 rng_;
};

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

bool sameReading(const ConfigReading& a, const ConfigReading& b) {
    return a.ok == b.ok && a.first == b.first && (!a.ok || a.second == b.second);
}

std::string show(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7f && c != '\\')
            out += char(c);
        else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

TEST(ConfigFuzz, ReaderHoldsItsPromisesOnAnyText) {
    Generator gen(20240611);
    int accepted = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string text = gen.next();
        const ConfigReading r = parseConfig(text);
        ASSERT_TRUE(!r.ok || (r.first && r.second)) << show(text);
        ASSERT_TRUE(r.first || !r.second) << show(text);
        accepted += r.ok;

        // CR LF, LF and CR alone are the same line end.
        ASSERT_TRUE(sameReading(r, parseConfig(replaceAll(text, "\r\n", "\n")))) << show(text);
        ASSERT_TRUE(sameReading(r, parseConfig(replaceAll(text, "\r\n", "\r")))) << show(text);

        // Once both numbers have ended at a line end, nothing after them matters.
        if (r.ok && text.ends_with("\r\n")) {
            ASSERT_TRUE(sameReading(r, parseConfig(text + gen.randomBytes()))) << show(text);
        }

        const double value = numericValue(text);
        ASSERT_FALSE(std::isnan(value)) << show(text);
    }
    // The generator must reach both outcomes often, or the properties above test little.
    EXPECT_GT(accepted, 10000);
    EXPECT_LT(accepted, 90000);
}

TEST(ConfigFuzz, WhatTheDialogAcceptsReadsBackAsItsValue) {
    Generator gen(7);
    int checked = 0;
    for (int i = 0; i < 50000; ++i) {
        std::string typed = gen.chance(50) ? gen.generated() : gen.randomBytes();
        // A one-line box cannot hold a line end.
        std::erase_if(typed, [](char c) { return c == '\r' || c == '\n'; });
        const double value = numericValue(typed);
        if (!(value > 9) || std::nearbyint(value) > 32767) continue;
        const ConfigReading r = parseConfig(configText(gen.below(2), typed));
        ASSERT_TRUE(r.ok) << show(typed);
        ASSERT_EQ(r.second, toInt16(value)) << show(typed);
        ++checked;
    }
    EXPECT_GT(checked, 1000);
}

TEST(ConfigFuzz, FilesReadLikeTheirText) {
    testing::TempFolder folder;
    Generator gen(99);
    const std::string path = folder.file("config.txt");
    for (int i = 0; i < 300; ++i) {
        const std::string text = gen.next();
        std::string error;
        ASSERT_TRUE(writeConfig(path, text, error)) << error;
        ASSERT_TRUE(sameReading(readConfig(path), parseConfig(text))) << show(text);
    }
}

} // namespace
} // namespace kestrum
