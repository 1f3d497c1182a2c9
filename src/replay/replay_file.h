#pragma once
// A recorded match as a file: a header that sets the match up, then the input stream. Plain data and
// bytes only; what the values mean to a match is the game's business.
//
// Layout (little-endian; "var" is an unsigned LEB128 number of at most 5 bytes):
//   "KESTRUMR"  u16 file-format version  u16 simulation version
//   header:     var-length game version text; keyboard type, handling period, opponent (i16 each);
//               the second seat's nine key codes (i16); from format 2 on, round results (one byte); the three
//               set-up answers (one byte each); seed and numbers drawn from it before the match (u32 each);
//               the display's twips per pixel across and down (f64); the turn, both players' phases and last
//               edited rows and the trail's newest entry (i16 each); the screen's labels and panels that
//               differ from a freshly started window (var count, then var index and the fields of each)
//   events:     one kind byte, a var count of ticks since the previous event, then the kind's fields
//               (a key's code and modifiers as var numbers of their 16 bits)
// A file cut short keeps every whole event before the cut.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrum::replay {

constexpr char kMagic[8] = {'K', 'E', 'S', 'T', 'R', 'U', 'M', 'R'};
constexpr uint16_t kFormatVersion = 3;
constexpr uint16_t kOldestFormat = 1; // format 1 had no round results: they were off
// From format 3 on, a check that is not a round end's hashes the match without the screen (formats 1 and 2
// hashed the screen at every check); the bytes are laid out alike.
constexpr uint16_t kFirstFormatWithLightChecks = 3;
constexpr int kCheckEvery = 100;                // ticks between two state hashes
constexpr std::size_t kLargestFile = 4u << 20;  // bytes (hours of play); a longer file is refused unread
constexpr uint32_t kLongestMatch = 25'000'000u; // ticks (more than the largest file holds); more is refused
constexpr std::size_t kLongestText = 256;       // bytes of a caption or of the game version

struct SeatSettings {
    int16_t keyboardType = 0;
    int16_t handlingPeriod = 0;
    int16_t opponent = 0;
    int16_t secondSeatKeys[9] = {};
    bool roundResults = false;
    bool operator==(const SeatSettings&) const = default;
};

struct Rectangle {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Rectangle&) const = default;
};

// A label of the screen, numbered in the screen's own order, as the match found it.
struct LabelState {
    uint32_t index = 0;
    std::string caption;
    uint32_t foreColor = 0, backColor = 0;
    bool visible = false, transparent = false;
    Rectangle rect;
    bool operator==(const LabelState&) const = default;
};

struct PanelState {
    uint32_t index = 0;
    bool visible = false;
    uint32_t backColor = 0;
    Rectangle rect;
    bool operator==(const PanelState&) const = default;
};

struct Header {
    uint16_t simulationVersion = 0;
    std::string gameVersion;
    SeatSettings settings;
    char answers[3] = {'1', 'n', 'n'}; // battle mode, air resistance, explosion sounds as typed
    uint32_t seed = 0;
    uint32_t drawsBefore = 0; // numbers drawn from the seeded generator before the match began
    double twipsPerPixelX = 15, twipsPerPixelY = 15;
    // What the match inherits from the window it started in.
    int16_t turn = 0;
    int16_t phase[2] = {};
    int16_t editedRow[2] = {};
    int16_t trailNewest = 0;
    std::vector<LabelState> labels;
    std::vector<PanelState> panels;
    bool operator==(const Header&) const = default;
};

enum class EventKind : uint8_t { KeyDown = 1, KeyUp = 2, ReleaseAll = 3, Settings = 4, Check = 5, End = 6 };
enum class EndReason : uint8_t { MatchOver = 0, Abandoned = 1, Closed = 2 };

struct Event {
    EventKind kind = EventKind::KeyDown;
    uint32_t tick = 0; // ticks of the match run before it: it comes before tick `tick + 1`
    int16_t code = 0, modifiers = 0;
    SeatSettings settings;
    uint64_t stateHash = 0, rasterHash = 0; // Check
    bool roundEnd = false;                  // Check: taken after a round ended
    EndReason reason = EndReason::MatchOver;
    bool operator==(const Event&) const = default;

    static Event key(bool down, int16_t code, int16_t modifiers = 0) {
        Event e;
        e.kind = down ? EventKind::KeyDown : EventKind::KeyUp;
        e.code = code, e.modifiers = modifiers;
        return e;
    }
    static Event of(EventKind kind) {
        Event e;
        e.kind = kind;
        return e;
    }
};

// The bytes of a header, and of events appended after it (the tick of the one before is `previousTick`).
std::string encodeHeader(const Header& header);
void appendEvent(std::string& out, const Event& event, uint32_t previousTick);

struct Reading {
    enum class Status { Ok, NotAReplay, OtherFormat, OtherSimulation, TooLarge, Damaged };
    Status status = Status::Damaged;
    std::string problem;              // what is wrong, for a person
    uint16_t format = kFormatVersion; // the file's own
    Header header;
    std::vector<Event> events;
    bool ended = false; // the stream closes with an End event (else it was cut short)
};

// Reads a whole file's bytes. Never trusts a count or a length: whatever the bytes, it returns in time
// proportional to their length with memory to match. `simulationVersion` is the one this program runs.
Reading readReplay(const std::string& bytes, uint16_t simulationVersion);

} // namespace kestrum::replay
