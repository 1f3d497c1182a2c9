#pragma once
// config.txt: two lines, the keyboard type and the handling period (milliseconds per tick).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrum {

// Result of reading config.txt with the list-input rules. On failure `keyboardType` may still hold the
// first number if it was read before the failure.
// The computer's strengths a settings file can name: 1 weak .. 4 strongest.
constexpr int kComputerStrengths = 4;

struct ConfigReading {
    bool ok = false;
    std::optional<int16_t> keyboardType;
    std::optional<int16_t> handlingPeriod; // milliseconds per tick
    // Who plays the second seat, from an optional third line: 1..4 the computer's strength; 0 (a
    // person) when the line is missing or holds anything else. It never makes a reading fail.
    int16_t opponent = 0;
    // Whether a round's end is shown for a while, from an optional fourth line: 1 on, anything else off.
    bool roundResults = false;
};

// Reads the two numbers. Never throws; the file is always released.
ConfigReading readConfig(const std::string& path);
// The same rules applied to text already in memory.
ConfigReading parseConfig(std::string_view text);

// The numeric value of a text: its longest leading part that reads as a number, 0 if none.
double numericValue(std::string_view text);

// The file's text for these settings: line 1 in the number-printing form, line 2 as typed, CRLF;
// a third line in the number-printing form only when the computer (1..4) plays the second seat, so
// that with a person the file is exactly the two lines it always was.
// With round results on, a fourth line 1 follows (and a third line 0 when a person plays).
std::string configText(int keyboardType, const std::string& periodText, int opponent = 0,
                       bool roundResults = false);

// Writes config.txt atomically, keeping the old file's permissions, making its missing folders
// first (private ones), through a symbolic link of this user or root to its target (another user's
// link is refused), and in place where only the file (not its folder) may be written. Temporary
// files that earlier saves left behind are removed. On failure returns false and puts the reason of
// the step that failed in `error`.
bool writeConfig(const std::string& path, const std::string& contents, std::string& error);

} // namespace kestrum
