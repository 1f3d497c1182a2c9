// Generated and damaged config.txt texts: the reader and the dialog's value never crash, hang or disagree.

#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "numbers/int16.h"
#include "settings/config_file.h"

using namespace kestrum;
using ::testing::PrintToString;

// A well-formed file or nothing, then pieces, bytes and numbers spliced in and parts cut out.
static std::string nextText(std::mt19937& rng) {
    // clang-format off
    static const char* const kPieces[] = {" ", "\t", ",", "\r\n", "\n", "\r", "-", "+", ".", "e", "E+", "e-", "0",
        "1", "9.5", "10.5", "32767", "32768", "-32768", "32767.5", "1e3", "1e99", "abc", "\xff\xfe", "\xc3", "\x80",
        "\xEF\xBB\xBF", "0x10", "inf", "nan", "1,2", "9", "-1 ", " 1 ", "\r\n\r\n"};
    // clang-format on
    auto below = [&](std::size_t n) { return std::size_t(rng() % n); };
    std::string s = below(2) ? configText(int(below(4)) - 1, std::to_string(below(2000))) : "";
    for (std::size_t edits = below(12); edits > 0; --edits) {
        const std::size_t kind = below(3), at = below(s.size() + 1), cut = below(4);
        s.replace(at, cut,
                  kind == 0   ? std::string(1, char(below(256)))
                  : kind == 1 ? std::to_string(below(70000)) + std::string(below(8) ? 0 : below(300), '9')
                              : kPieces[below(std::size(kPieces))]);
    }
    if (below(4) == 0) s.resize(below(s.size() + 1)); // no final line end, or cut anywhere
    return s;
}

TEST(ConfigFuzz, ReaderAndDialogHoldTheirPromisesOnAnyText) {
    std::mt19937 rng(20240611);
    int accepted = 0, typedAccepted = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string text = nextText(rng);
        const ConfigReading r = parseConfig(text);
        ASSERT_TRUE(!r.ok || (r.keyboardType && r.handlingPeriod)) << PrintToString(text);
        accepted += r.ok;

        // The same text typed into the one-line box: what the dialog accepts reads back as its value.
        std::string typed = text;
        std::erase_if(typed, [](char c) { return c == '\r' || c == '\n'; });
        const double value = numericValue(typed);
        ASSERT_FALSE(std::isnan(value)) << PrintToString(typed);
        if (!(value > 9) || std::nearbyint(value) > 32767) continue;
        const ConfigReading back = parseConfig(configText(1, typed));
        ASSERT_TRUE(back.ok && back.handlingPeriod == toInt16(value)) << PrintToString(typed);
        ++typedAccepted;
    }
    // Both outcomes must be common, or the properties above test little.
    EXPECT_TRUE(accepted > 10000 && accepted < 90000 && typedAccepted > 10000)
        << accepted << ' ' << typedAccepted;
}
