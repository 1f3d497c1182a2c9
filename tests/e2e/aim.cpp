// The scripted first player of the end-to-end play test: it reads the game window (XGetImage),
// presses keys through XTEST and aims by flying the shell as the game does, knowing the battlefield
// only from the window (a pixel's kind sits in the two lowest bits of its red). It never counts on
// time: it holds an adjust key until the blue digit it edits shows the digit it wants, reads the
// value back digit by digit, and knows a round has ended from the score labels.
// e2e_aim WINDOW count X Y W H RRGGBB|dark | sum X Y W H | limit | shoot CHARGE SPEED ANGLE | play

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 792, kHeight = 575; // the client area: the battlefield, pixel for pixel

struct Rect {
    int x, y, w, h;
};
// The score labels are opaque, so no trail shows in them; a slot label flying past could, but its
// projectile then leaves a trail close by.
constexpr Rect kScoreLabels[2] = {{336, 0, 24, 37}, {432, 0, 24, 37}}, kAroundScores{296, 0, 208, 90};
constexpr Rect kSlotNumber{76, 94, 18, 17}, kChargeRow{100, 110, 60, 17};
constexpr int kRowTop[3] = {112, 136, 152}; // the charge, speed and angle rows
constexpr int kPanelCorners[4][2] = {{196, 92}, {196, 212}, {12, 212}, {100, 182}};
struct RoundOver {}; // the base went up: the new round has reset the panel

struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb; // 0xRRGGBB
    uint32_t at(int x, int y) const { return rgb[size_t(y * w + x)]; }
    bool operator==(const Image&) const = default;
};

Display* display = nullptr;
Window window = 0;
int (*fakeKey)(Display*, unsigned, int, unsigned long) = nullptr;
double period = 60;            // milliseconds between two change ticks of the first player, as seen
std::vector<bool> roundScores; // the ink of the score labels as the round began
int row = 0, place = 0;

double since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}
// How long a key may take to show on screen before the player gives up: generous, for a busy machine.
double timeout() {
    return std::max(30000.0, 40 * period);
}
// Polls `done` every millisecond for up to `ms`.
template <typename F> bool waitFor(double ms, F done) {
    for (const auto start = Clock::now(); since(start) < ms;)
        if (usleep(1000), done()) return true;
    return false;
}

// The X server runs at depth 24, so a pixel value is 0xRRGGBB.
Image grab(Rect r) {
    XImage* img = XGetImage(display, window, r.x, r.y, unsigned(r.w), unsigned(r.h), AllPlanes, ZPixmap);
    if (!img) throw std::string("cannot read the game window (has the program ended?)");
    Image out{r.w, r.h, std::vector<uint32_t>(size_t(r.w * r.h))};
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x)
            out.rgb[size_t(y * r.w + x)] = uint32_t(XGetPixel(img, x, y)) & 0xFFFFFF;
    XDestroyImage(img);
    return out;
}

template <typename F> long count(Rect r, F keep) {
    const Image img = grab(r);
    return std::count_if(img.rgb.begin(), img.rgb.end(), keep);
}
void key(const char* name, bool down) {
    fakeKey(display, XKeysymToKeycode(display, XStringToKeysym(name)), down, CurrentTime);
    XFlush(display);
}

struct Field {
    Image img;
    int distance = 0, top[2] = {kHeight, kHeight};
    float scale = 0;
    double alt0 = 0;
    int kind(int x, int y) const { return y < 240 ? 3 : int(img.at(x, y) >> 16) & 3; } // only sky above 240
};

Field survey(const Image& img) {
    Field f{img};
    int right[2] = {-1, -1};
    for (int y = 240; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int k = f.kind(x, y);
            if (k < 2 && (k == 0 ? x < 170 : x >= kWidth - 170)) // a base is at most 158 wide
                f.top[k] = std::min(f.top[k], y), right[k] = std::max(right[k], x + 1);
        }
    // Which columns repeat between the bases tells how far the ground strip (633 for 3000 m) spreads.
    int bestScore = -1;
    std::vector<int> best;
    for (int d = 500; d <= 2999; ++d) {
        const float s = float(kWidth) / float(d);
        if (int(std::floor(double(s) * 100.0)) != right[0]) continue;
        const int64_t w = int64_t(std::floor(double(s) * 3000.0));
        int score = int(std::floor(float(d) * s)) == right[1];
        for (int x = right[0] + 2; x < right[1] - right[0] - 3; ++x) { // the bases are alike
            bool same = true;
            for (int y = kHeight - 16; y < kHeight; ++y)
                same = same && img.at(x, y) == img.at(x - 1, y);
            score += 2 * ((x * 633 / w == (x - 1) * 633 / w) == same);
        }
        if (score > bestScore) best.clear(), bestScore = score;
        if (score == bestScore) best.push_back(d);
    }
    if (best.empty()) throw std::string("no bases, or the distance does not fit them");
    f.distance = best[best.size() / 2];
    f.scale = float(kWidth) / float(f.distance);
    f.alt0 = (kHeight - f.top[0] + 0.5) / double(f.scale); // the middle of the altitudes on that row
    return f;
}

// A shell of the left player without air: what it hits (0/1 a base, 2 ground) and where, in metres
// from the right base's outer edge.
std::pair<int, double> fly(const Field& f, int charge, int speed, int angle) {
    constexpr float step = 0.03f, gravity = 9.8f, degree = 0.017453292f;
    double px = 55, vx = 0;
    float py = float(f.alt0 - 10), vy = 0, ay = 0, loading = float(charge) / 50;
    for (int n = 1; n < 40000; ++n) {
        if (loading <= 0)
            ay = -gravity;
        else if ((loading -= step) <= 0)
            vx = double(speed) * std::cos(double(float(angle) * degree)),
            vy = float(double(speed) * std::sin(double(float(angle) * degree)));
        px = px + vx * double(step), vy = vy + ay * step, py = py + vy * step;
        const double x = std::floor(double(f.scale) * px), y = kHeight - std::floor(double(py * f.scale));
        const int k = x < 0 || y < 0 || x >= kWidth || y >= kHeight ? 3 : f.kind(int(x), int(y));
        if (k != 3 || py < 0) return {k == 3 ? 2 : k, f.distance - px};
    }
    return {3, 0};
}

using Slot = std::array<int, 3>; // charge, speed, angle

// Each slot's angle and burst, in metres from the base's outer edge: three 39 m blasts of the
// largest charge cover the base, two more stand by. Then the speed that comes nearest.
constexpr int kCharge = 150, kAngles[5] = {45, 55, 50, 45, 55};
constexpr double kTargets[5] = {80, 52, 27, 66, 40};
Slot aimAt(const Field& f, int slot) {
    const double column = kTargets[slot], guess = std::sqrt(9.8 * (f.distance - column));
    Slot best{};
    for (double v = guess * 0.7, bestCost = 1e9; v <= guess * 1.5; ++v) {
        const auto [kind, at] = fly(f, kCharge, int(v), kAngles[slot]);
        if (kind == 1 && std::abs(at - column) < bestCost)
            best = {kCharge, int(v), kAngles[slot]}, bestCost = std::abs(at - column);
    }
    if (best[1] == 0)
        throw std::string("no launch reaches the right base near " + std::to_string(int(column)));
    return best;
}
bool dark(uint32_t c) {
    return std::max({c >> 16, c >> 8 & 255, c & 255}) < 96;
}
bool yellow(uint32_t c) {
    return c == 0xFFFF00;
}
std::vector<bool> scoreInk() {
    std::vector<bool> ink;
    for (const Rect& r : kScoreLabels)
        for (uint32_t c : grab(r).rgb)
            ink.push_back(dark(c));
    return ink;
}
bool restartPrompt() {
    return count({296, 260, 201, 17}, [](uint32_t c) { return c == 0x80FFFF; }) > 1000;
}
// A changed score ends the round, once no trail near the labels could mean a slot label in front; the
// last round also brings the restart prompt (and its trails stay).
void checkRound() {
    if (scoreInk() == roundScores) return;
    if (restartPrompt()) throw RoundOver{};
    if (count(kAroundScores, yellow) > 0) return;
    usleep(100000);
    if (scoreInk() != roundScores && count(kAroundScores, yellow) == 0) throw RoundOver{};
}
bool panelVisible() { // white at the input panel's four corners
    for (const auto& p : kPanelCorners)
        if (grab({p[0], p[1], 1, 1}).rgb[0] != 0xFFFFFF) return false;
    return true;
}

// One repaint may reach the screen in pieces: a changed picture counts once it holds still.
Image settled(Rect r, Image now) {
    Image again;
    for (int i = 0; i < 20 && (usleep(2000), !((again = grab(r)) == now)); ++i)
        now = std::move(again);
    return now;
}

// The edited digit shows in blue at its place; a cursor or place key moves it at the next change tick.
// Once it has moved, every key pressed before has taken effect, so the digit shown there is the value's.
Rect digitBox(int r, int p) {
    return {144 - 8 * p, kRowTop[r], 8, 13};
}
bool blue(uint32_t c) {
    return (c >> 16) < 128 && ((c >> 8) & 0xFF) < 128 && (c & 0xFF) > 128;
}
void act(const char* name, int r, int p) {
    key(name, true), key(name, false);
    const Rect b = digitBox(r, p);
    if (!waitFor(timeout(), [&] { return checkRound(), count({b.x + 1, b.y + 1, 6, 11}, blue) >= 3; }))
        throw std::string("the key ") + name + " did not move the blue digit";
    row = r, place = p;
    settled(b, grab(b));
}

// The pictures of the ten digits as the edited digit shows them, learnt while a held key steps them.
std::vector<std::pair<Image, int>> glyphs;
int digitOf(const Image& img) {
    for (const auto& [g, d] : glyphs)
        if (g == img) return d;
    return -1;
}
void learn(const Image& img, int digit) {
    if (const int known = digitOf(img); known >= 0 && known != digit)
        throw std::string("the digit ") + std::to_string(known) + " looks like " + std::to_string(digit);
    if (digitOf(img) < 0) glyphs.emplace_back(img, digit);
}
int shown() {
    return digitOf(settled(digitBox(row, place), grab(digitBox(row, place))));
}

// Reads the value of the current row, moving the blue digit over every place up to `top`.
int readValue(int top) {
    int digits[4] = {-1, -1, -1, -1}, value = 0;
    if (place == top) act("e", row, top - 1);
    for (int p = place + 1; p <= top; ++p)
        act("q", row, p), digits[p] = shown();
    for (int p = top - 1; p >= 0; --p)
        act("e", row, p), digits[p] = shown();
    for (int p = top; p >= 0; --p) {
        if (digits[p] < 0) throw std::string("a digit the player has not learnt");
        value = 10 * value + digits[p];
    }
    return value;
}

// On a row at place 0 whose units are known to be 0: holds an adjust key and watches the units go
// round. A round seen whole between two zeros (nine pictures, all different) names the nine other
// digits; a round with a step missed (a busy machine paints late) has fewer and teaches nothing.
// At the row's limit the other key takes over. Returns the row's value then.
int learnDigits(int top) {
    const Rect b = digitBox(row, place);
    const Image zero = settled(b, grab(b));
    learn(zero, 0);
    std::vector<Image> round;
    const char* name = "d";
    key(name, true);
    for (auto change = Clock::now(); glyphs.size() < 10;) {
        checkRound();
        if (Image now = grab(b); !(now == (round.empty() ? zero : round.back()))) {
            now = settled(b, now);
            period = 0.9 * period + 0.1 * std::min(since(change), 1000.0), change = Clock::now();
            if (!(now == zero)) {
                round.push_back(now);
                continue;
            }
            const bool whole =
                round.size() == 9 && std::all_of(round.begin(), round.end(), [&](const Image& g) {
                    return std::count(round.begin(), round.end(), g) == 1;
                });
            for (int i = 0; whole && i < 9; ++i)
                learn(round[size_t(i)], name[0] == 'd' ? i + 1 : 9 - i);
            round.clear();
        } else if (since(change) > std::max(3000.0, 30 * period)) { // at a limit, or the game is slow
            key(name, false), key(name = name[0] == 'd' ? "a" : "d", true);
            round.clear(), change = Clock::now();
        }
    }
    key(name, false);
    return readValue(top);
}

// Holds an adjust key until the blue digit shows `digit`, or has passed it (a step seen too late).
void holdTo(const char* name, int from, int digit) {
    const bool up = name[0] == 'd';
    bool left = false; // the digit it started from, or the way round past it
    auto beyond = [&](int d) {
        left = left || (d >= 0 && d != from);
        return d >= 0 && ((up ? d >= digit || d < from : d <= digit || d > from) || (left && d == from));
    };
    key(name, true);
    const Rect b = digitBox(row, place);
    const bool done = waitFor(timeout(), [&] { return checkRound(), beyond(digitOf(grab(b))); });
    key(name, false);
    if (!done) throw std::string("a held key did not bring the digit ") + std::to_string(digit);
}

// Digit by digit, the lowering ones first, so that every value on the way stays in range; then the
// value is read back, and whatever a late step changed is put right.
int setValue(int from, int to, int top) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        for (int pass = 0; pass < 2 && from != to; ++pass)
            for (int p = top, p10 = int(std::pow(10, p)); p >= 0; --p, p10 /= 10) {
                const int a = from / p10 % 10, b = to / p10 % 10;
                if (a == b || (b < a) != (pass == 0)) continue;
                while (place != p)
                    place < p ? act("q", row, place + 1) : act("e", row, place - 1);
                holdTo(b > a ? "d" : "a", a, b);
            }
        if ((from = readValue(top)) == to) return to;
    }
    throw std::string("could not set the value ") + std::to_string(to);
}

// From the slot row at place 0 with the selected slot idle: enter the values, launch.
void enterAndLaunch(const Slot& from, const Slot& to) {
    for (int r = 0; r < 3; ++r) { // the angle has two places
        act("s", r, std::min(place, r == 2 ? 1 : 2));
        int value = from[size_t(r)];
        if (glyphs.size() < 10 && value % 10 == 0) { // the charge row: 0 in a new match, 100 after "limit"
            while (place > 0)
                act("e", r, place - 1);
            value = learnDigits(r == 2 ? 1 : 2);
        }
        setValue(value, to[size_t(r)], r == 2 ? 1 : 2);
    }
    key("x", true), key("x", false);
    if (!waitFor(timeout(), [] { return !panelVisible(); }))
        throw std::string("the launch key did not launch the slot");
    row = place = 0;
}

// A freshly drawn slot turns its number blue at the next change tick.
void settleSlotRow() {
    const Image drawn = grab(kSlotNumber);
    if (waitFor(1.5 * period + 20, [&] { return !(grab(kSlotNumber) == drawn); }))
        settled(kSlotNumber, grab(kSlotNumber));
    checkRound();
}

// Holds an adjust key on the slot row until an idle slot shows its panel (slots stop at 1 and 5).
bool seekIdleSlot(const char* name, double ms) {
    key(name, true);
    const bool found = waitFor(ms, [] { return checkRound(), panelVisible(); });
    key(name, false);
    return found && (settleSlotRow(), true);
}

void play() {
    Slot slots[5] = {}; // what each slot holds
    for (int round = 1;; ++round) {
        usleep(300000); // the new round's panel redraw and its change tick
        if (restartPrompt()) return;
        if (round > 9) throw std::string("no end of the match after nine rounds");
        // A key pressed as the last round ended may have moved the cursor or chosen or launched
        // another slot: back to the slot row, hold A long enough to reach slot 1, await its shell.
        for (int i = 0; i < 3; ++i)
            key("w", true), key("w", false);
        key("a", true);
        usleep(useconds_t(8000 * period + 100000));
        key("a", false);
        if (!waitFor(30000, panelVisible))
            throw std::string("the first slot stays busy at the start of a round");
        usleep(300000);
        roundScores = scoreInk(), row = place = 0;
        const Field field = survey(grab({0, 0, kWidth, kHeight}));
        std::printf("round %d: distance %d m\n", round, field.distance);
        const auto roundStart = Clock::now();
        try { // aim each slot at its part of the base, then fire whichever slot is back in its rack
            for (auto [s, direction, shots] = std::tuple{0, "d", 0};;) {
                checkRound();
                if (panelVisible() && ++shots > 40) throw std::string("the right base outlived 40 shells");
                if (panelVisible() && s < 5) {
                    const Slot next = aimAt(field, s);
                    enterAndLaunch(slots[s], next);
                    slots[s++] = next;
                } else if (panelVisible()) {
                    settleSlotRow();
                    key("x", true), key("x", false);
                    waitFor(timeout(), [] { return !panelVisible(); });
                } else if (!seekIdleSlot(direction, s < 5 ? 4 * timeout() : 14 * period)) {
                    if (s < 5) throw std::string("the next slot did not come up");
                    direction = direction[0] == 'a' ? "d" : "a";
                }
            }
        } catch (const RoundOver&) {
            key("a", false), key("d", false);
            std::printf("  base destroyed after %.1f s\n", since(roundStart) / 1000);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 2 ? argv[2] : "";
    auto arg = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };
    int status = 0;
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // a round at a time, also when the test gives up
    try {
        window = Window(std::strtoul(argc > 1 ? argv[1] : "0", nullptr, 0));
        if (!(display = XOpenDisplay(nullptr))) throw std::string("cannot open the X display");
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        if (void* lib = dlopen("libXtst.so.6", RTLD_NOW)) // comes with xdotool; no headers needed
            fakeKey = reinterpret_cast<decltype(fakeKey)>(dlsym(lib, "XTestFakeKeyEvent"));
        if (!fakeKey) throw std::string("the XTEST library libXtst.so.6 is missing");
        // A held key must not repeat: a repeat after the round's reset would start a new step.
        if (command == "shoot" || command == "play" || command == "limit") XAutoRepeatOff(display);
        roundScores = scoreInk();
        if (command == "count" && argc == 8) { // pixels of a colour, or dark ones (text)
            const bool dark = std::string(argv[7]) == "dark";
            const uint32_t colour = uint32_t(std::strtoul(argv[7], nullptr, 16));
            auto keep = [&](uint32_t c) {
                return dark ? std::max({c >> 16, c >> 8 & 255, c & 255}) < 96 : c == colour;
            };
            std::printf("%ld\n", count({arg(3), arg(4), arg(5), arg(6)}, keep));
        } else if (command == "sum" && argc == 7) { // a checksum of a rectangle, to compare pictures
            uint64_t sum = 14695981039346656037u;
            for (uint32_t c : grab({arg(3), arg(4), arg(5), arg(6)}).rgb)
                sum = (sum ^ c) * 1099511628211u;
            std::printf("%016llx\n", static_cast<unsigned long long>(sum));
        } else if (command == "limit") { // shell battle, slot row: the charge stops at its limit of 150
            act("s", 0, 0), act("q", 0, 1), act("q", 0, 2);
            const Image before = settled(kChargeRow, grab(kChargeRow));
            key("d", true); // 100 at the first change; 200 would pass the limit
            if (!waitFor(timeout(), [&] { return !(grab(kChargeRow) == before); }))
                throw std::string("holding D did not change the charge");
            const Image changed = settled(kChargeRow, grab(kChargeRow));
            act("e", 0, 1); // a change tick with D still held
            key("d", false);
            act("q", 0, 2);
            if (!(settled(kChargeRow, grab(kChargeRow)) == changed))
                throw std::string("the charge went past its limit of 150");
        } else if (command == "shoot" && argc == 6) { // from the slot row, place 0, an idle slot
            key("w", true), key("w", false);          // from any row to the slot row, where no digit is blue
            for (int r = 0; r < 3; ++r)
                if (!waitFor(timeout(), [&] { return count({90, kRowTop[r], 60, 13}, blue) == 0; }))
                    throw std::string("the key w did not leave the row");
            const Field f = survey(grab({0, 0, kWidth, kHeight})); // its scale, top row, launch column
            std::printf("%.6f %d %d\n", double(f.scale), f.top[0], int(std::floor(double(f.scale) * 55)));
            enterAndLaunch({arg(3), 0, 0}, {arg(3), arg(4), arg(5)});
        } else if (command == "play") { // a shell match up to the restart prompt
            play();
        } else {
            throw std::string("usage: e2e_aim WINDOW count|sum|limit|shoot|play [ARGUMENTS]");
        }
    } catch (const std::string& what) {
        std::fprintf(stderr, "e2e_aim: %s\n", what.c_str());
        status = 1;
    }
    if (display) XAutoRepeatOn(display), XCloseDisplay(display);
    return status;
}
