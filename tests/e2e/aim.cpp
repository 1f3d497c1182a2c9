// The scripted first player of the end-to-end play test, and its eyes.
//
// It reads the game window through the X server (XGetImage) and presses keys through the XTEST
// extension, as xdotool does, but fast enough to count: a held adjust key changes a value once per
// 16 ticks, so the player holds the key, watches the panel's digit box change N times and lets go
// at once, and takes back a step that came before the release arrived. It knows the battlefield
// only from what the window shows (the kind of each pixel sits in the two lowest bits of its red),
// and aims by flying the shell the way the game does.
//
//   e2e_aim WINDOW survey                 distance, scale, base altitudes and tops, launch pixel
//   e2e_aim WINDOW count X Y W H COLOUR   pixels of a colour (RRGGBB, or "dark" for text) in a
//                                         rectangle: count minx miny maxx maxy
//   e2e_aim WINDOW save X Y W H FILE      a rectangle of the window as a PPM picture
//   e2e_aim WINDOW shoot CHARGE SPEED ANGLE
//                                         from the slot row at place 0, with the selected slot idle,
//                                         its charge already CHARGE and speed and angle 0: enter the
//                                         speed and angle and launch
//   e2e_aim WINDOW play FOLDER            play a shell match until the restart prompt; a picture of
//                                         each round's battlefield goes to FOLDER
//
// Coordinates are the window's own (its client area), whatever its place on the screen.
// Exit status 0 on success, 1 on failure (with a message), 2 on wrong usage.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 792; // the window's client area: the battlefield, pixel for pixel
constexpr int kHeight = 575;

struct Rect {
    int x, y, w, h;
};

// Window coordinates of what the player looks at (the left shell panel sits at 8, 88).
constexpr int kRowTop[3] = {112, 136, 152}; // the charge, speed and angle rows
constexpr Rect kSlotNumber{76, 94, 18, 17};
constexpr Rect kScores{320, 0, 160, 40};
constexpr Rect kAgainPanel{296, 260, 201, 17};
constexpr int kPanelProbes[4][2] = {{196, 92}, {196, 212}, {12, 212}, {100, 182}};
constexpr uint32_t kWhite = 0xFFFFFF, kPromptBack = 0x80FFFF;
constexpr int kFieldTop = 240; // nothing but sky is ever drawn above this on the battlefield

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what);
}

// The base went up while the player was busy: the new round has reset the panel.
struct RoundOver {};

struct Image {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb; // 0xRRGGBB
    uint32_t at(int x, int y) const { return rgb[size_t(y) * size_t(w) + size_t(x)]; }
    bool operator==(const Image&) const = default;
};

int xError = 0;
int onXError(Display*, XErrorEvent* e) {
    xError = e->error_code;
    return 0;
}

int shiftOf(unsigned long mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

// The X side: one display connection, the game window, XTEST for the keys.
class GameWindow {
  public:
    explicit GameWindow(Window window) : window_(window) {
        display_ = XOpenDisplay(nullptr);
        if (!display_) fail("cannot open the X display");
        XSetErrorHandler(onXError);
        // XTEST comes with xdotool's own dependencies; there is no need for its headers.
        void* lib = dlopen("libXtst.so.6", RTLD_NOW);
        if (lib) fakeKey_ = reinterpret_cast<FakeKey>(dlsym(lib, "XTestFakeKeyEvent"));
    }
    ~GameWindow() {
        if (repeatOff_) autoRepeat(true);
        XCloseDisplay(display_);
    }
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    Image grab(Rect r) {
        xError = 0;
        XImage* img =
            XGetImage(display_, window_, r.x, r.y, unsigned(r.w), unsigned(r.h), AllPlanes, ZPixmap);
        if (!img)
            fail("cannot read the game window (X error " + std::to_string(xError) +
                 "; has the program ended?)");
        Image out{r.w, r.h, std::vector<uint32_t>(size_t(r.w) * size_t(r.h))};
        const int rs = shiftOf(img->red_mask), gs = shiftOf(img->green_mask), bs = shiftOf(img->blue_mask);
        for (int y = 0; y < r.h; ++y)
            for (int x = 0; x < r.w; ++x) {
                const unsigned long p = XGetPixel(img, x, y);
                const uint32_t red = uint32_t((p & img->red_mask) >> rs) & 0xFF;
                const uint32_t green = uint32_t((p & img->green_mask) >> gs) & 0xFF;
                const uint32_t blue = uint32_t((p & img->blue_mask) >> bs) & 0xFF;
                out.rgb[size_t(y) * size_t(r.w) + size_t(x)] = red << 16 | green << 8 | blue;
            }
        XDestroyImage(img);
        return out;
    }
    Image grabWindow() { return grab({0, 0, kWidth, kHeight}); }

    void key(const char* name, bool down) {
        if (!fakeKey_) fail("the XTEST library libXtst.so.6 is missing");
        const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(name));
        if (!code) fail(std::string("no key code for ") + name);
        fakeKey_(display_, code, down, CurrentTime);
        XFlush(display_);
    }
    void tap(const char* name) {
        key(name, true);
        key(name, false);
    }

    // A held key must not repeat: a repeated press would start a new step after the round has
    // reset the held amount.
    void autoRepeat(bool on) {
        XKeyboardControl control{};
        control.auto_repeat_mode = on ? AutoRepeatModeOn : AutoRepeatModeOff;
        XChangeKeyboardControl(display_, KBAutoRepeatMode, &control);
        XFlush(display_);
        repeatOff_ = !on;
    }

  private:
    using FakeKey = int (*)(Display*, unsigned int, int, unsigned long);
    Display* display_ = nullptr;
    Window window_;
    FakeKey fakeKey_ = nullptr;
    bool repeatOff_ = false;
};

bool debug() {
    static const bool on = std::getenv("E2E_AIM_DEBUG") != nullptr;
    return on;
}

void pause(double ms) {
    std::this_thread::sleep_for(std::chrono::microseconds(int64_t(ms * 1000)));
}

double since(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// ---- The battlefield as the window shows it ------------------------------------------------------

struct Field {
    int distance = 0;
    float scale = 0;
    double alt[2] = {0, 0};
    int top[2] = {0, 0};
    std::vector<uint8_t> kind; // what the game's colour test reads at each pixel
    int kindAt(int x, int y) const {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return 3;
        return kind[size_t(y) * kWidth + size_t(x)];
    }
};

// The median of the whole numbers v in [lo, hi] for which keep(v) holds.
template <typename Keep> int middleOf(int lo, int hi, Keep keep) {
    std::vector<int> found;
    for (int v = lo; v <= hi; ++v)
        if (keep(v)) found.push_back(v);
    if (found.empty()) return -1;
    return found[found.size() / 2];
}

Field survey(const Image& img) {
    Field f;
    f.kind.assign(size_t(kWidth) * kHeight, 3);
    int top[2] = {kHeight, kHeight}, right[2] = {-1, -1}, left1 = kWidth;
    for (int y = kFieldTop; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int k = int(img.at(x, y) >> 16) & 3;
            f.kind[size_t(y) * kWidth + size_t(x)] = uint8_t(k);
            // A base is at most 158 pixels wide (at the shortest distance, 500 m).
            if (k == 0 && x < 170) {
                top[0] = std::min(top[0], y);
                right[0] = std::max(right[0], x + 1);
            } else if (k == 1 && x >= kWidth - 170) {
                top[1] = std::min(top[1], y);
                right[1] = std::max(right[1], x + 1);
                left1 = std::min(left1, x);
            }
        }
    if (right[0] < 0 || right[1] < 0) fail("no bases on the battlefield");
    const int baseWidth = right[0]; // the left base starts at x 0

    // The ground strip stands for 3000 m and is stretched from 633 columns: which neighbouring
    // columns repeat tells its width in pixels, and so the scale. The bottom rows between the two
    // ground pieces show nothing else.
    const int x0 = baseWidth + 2, x1 = left1 - 2;
    std::vector<char> repeated(kWidth, 0);
    for (int x = x0; x < x1; ++x) {
        bool same = true;
        for (int y = kHeight - 16; y < kHeight; ++y)
            same = same && img.at(x, y) == img.at(x - 1, y);
        repeated[size_t(x)] = same;
    }
    auto scaleOf = [](int d) { return float(kWidth) / float(d); };
    auto fits = [&](int d, bool strict) {
        const float s = scaleOf(d);
        if (int(std::floor(double(s) * 100.0)) != baseWidth) return false;
        return !strict || int(std::floor(float(d) * s)) == right[1];
    };
    int bestScore = -1;
    std::vector<int> best;
    for (bool strict : {true, false}) {
        for (int d = 500; d <= 2999; ++d) {
            if (!fits(d, strict)) continue;
            const int64_t w = int64_t(std::floor(double(scaleOf(d)) * 3000.0));
            int score = 0;
            for (int x = x0; x < x1; ++x)
                score += (x * 633 / w == (x - 1) * 633 / w) == bool(repeated[size_t(x)]);
            if (score > bestScore) best.clear(), bestScore = score;
            if (score == bestScore) best.push_back(d);
        }
        if (!best.empty()) break;
    }
    if (best.empty()) fail("the distance does not fit the pictures");
    f.distance = best[best.size() / 2];
    f.scale = scaleOf(f.distance);

    for (int p = 0; p < 2; ++p) {
        f.top[p] = top[p];
        const int a = middleOf(
            0, 2000, [&](int b) { return kHeight - int(std::floor(double(b) * double(f.scale))) == top[p]; });
        if (a < 0) fail("no altitude fits the top of a base");
        f.alt[p] = a;
    }
    return f;
}

// ---- Flight, as the game flies a shell of the left player without air ----------------------------

struct Flight {
    int kind = 3;      // what it hit: 0/1 a base, 2 ground
    double column = 0; // metres from the right base's outer edge, where it hit
    int steps = 0;
};

Flight fly(const Field& f, int charge, int speed, int angle) {
    constexpr float step = 0.03f, gravity = 9.8f, degree = 0.017453292f;
    double px = 55, vx = 0;
    float py = float(f.alt[0] - 10), vy = 0, ay = 0;
    float loading = float(charge) / 50;
    Flight out;
    for (int n = 1; n < 40000; ++n) {
        if (loading > 0) {
            loading = loading - step;
            if (loading <= 0) {
                loading = 0;
                const float theta = float(angle) * degree;
                vx = double(speed) * std::cos(double(theta));
                vy = float(double(speed) * std::sin(double(theta)));
            }
        } else {
            ay = float(-double(gravity));
        }
        px = px + vx * double(step);
        vy = vy + ay * step;
        py = py + vy * step;
        const double sx = std::floor(double(f.scale) * px);
        const double sy = kHeight - std::floor(double(py * f.scale));
        const int k = sx >= -1e6 && sx <= 1e6 && sy >= -1e6 && sy <= 1e6 ? f.kindAt(int(sx), int(sy)) : 3;
        if (k != 3 || py < 0) {
            out.kind = k == 3 ? 2 : k;
            out.column = f.distance - px;
            out.steps = n;
            return out;
        }
    }
    return out;
}

// ---- Entering a value: a held key changes the digit of the current place ---------------------------

// One way to change a value: how many changes at each place, in the order the places are visited.
struct Edit {
    std::vector<std::pair<int, int>> steps; // (place, signed number of changes)
    int cost = 1 << 30;                     // changes plus place moves: each costs one change period
};

// The cheapest way from `from` to `to` on a row whose places 0..top may be used, starting at place
// `place`; every value on the way stays within 0..max, where a step is never undone.
Edit planEdit(int from, int to, int max, int top, int place) {
    Edit best;
    const int range = 15;
    // Every split of the difference into per-place counts of at most `range` changes each.
    std::vector<int> idx(size_t(top) + 1, -range);
    for (;;) {
        int sum = 0, p10 = 1;
        for (int p = 0; p <= top; ++p, p10 *= 10)
            sum += idx[size_t(p)] * p10;
        if (sum == to - from) {
            for (bool down : {true, false}) {
                Edit e;
                e.cost = 0;
                int at = place, value = from;
                bool ok = true;
                for (int i = 0; i <= top && ok; ++i) {
                    const int p = down ? top - i : i;
                    const int n = idx[size_t(p)];
                    if (n == 0) continue;
                    e.cost += std::abs(p - at) + std::abs(n);
                    at = p;
                    value += n * int(std::pow(10, p));
                    ok = value >= 0 && value <= max;
                    e.steps.push_back({p, n});
                }
                if (ok && e.cost < best.cost) best = e;
            }
        }
        int p = 0;
        while (p <= top && ++idx[size_t(p)] > range)
            idx[size_t(p++)] = -range;
        if (p > top) break;
    }
    return best;
}

struct Aim {
    int speed = 0, angle = 0;
    double column = 0;
    int steps = 0;
    double cost = 1e9;
};

// A launch that bursts on the right base near `column` metres from its outer edge, cheap to enter
// from the slot's current values.
Aim aimAt(const Field& f, double column, int charge, int speed, int angle, int speedPlace) {
    // Some columns cannot be reached from some places (the keep and the turret stand in the way):
    // then anything near will do.
    for (double tolerance : {4.0, 8.0, 16.0, 32.0}) {
        Aim best;
        for (int a = 25; a <= 65; ++a) {
            const double guess = std::sqrt(9.8 * (f.distance - column) / std::sin(2 * a * 0.017453292));
            for (int v = int(guess * 0.8); v <= int(guess * 1.25) + 1; ++v) {
                const Flight fl = fly(f, charge, v, a);
                if (fl.kind != 1 || std::abs(fl.column - column) > tolerance) continue;
                const Edit es = planEdit(speed, v, 1200, 2, speedPlace);
                const Edit ea = planEdit(angle, a, 90, 1, 0);
                const double cost = es.cost + ea.cost + fl.steps / 60.0 + std::abs(fl.column - column) * 0.2;
                if (cost < best.cost) best = {v, a, fl.column, fl.steps, cost};
            }
        }
        if (best.cost < 1e9) return best;
    }
    fail("no launch reaches the right base near column " + std::to_string(int(column)));
}

void writePpm(const Image& img, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << img.w << ' ' << img.h << "\n255\n";
    for (uint32_t c : img.rgb) {
        const char px[3] = {char(c >> 16), char(c >> 8), char(c)};
        out.write(px, 3);
    }
}

// The launch values of one slot.
struct Slot {
    int charge = 0, speed = 0, angle = 0;
};

// ---- The player ----------------------------------------------------------------------------------

class Player {
  public:
    explicit Player(GameWindow& screen) : screen_(screen) { newRound(); }

    // The scores of the round being played: when they change the base has gone up.
    void newRound() {
        scores_ = screen_.grab(kScores);
        row_ = place_ = 0;
    }
    bool roundOver() { return !(screen_.grab(kScores) == scores_); }
    bool matchOver() {
        const Image again = screen_.grab(kAgainPanel);
        return std::count(again.rgb.begin(), again.rgb.end(), kPromptBack) > 1000;
    }

    bool panelVisible() {
        for (const auto& p : kPanelProbes)
            if (screen_.grab({p[0], p[1], 1, 1}).rgb[0] != kWhite) return false;
        return true;
    }

    // One repaint may reach the screen in pieces: a changed picture counts once it holds still.
    Image settled(Rect r, Image now) {
        for (int i = 0; i < 20; ++i) {
            pause(2);
            Image again = screen_.grab(r);
            if (again == now) break;
            now = std::move(again);
        }
        return now;
    }

    // Waits until the rectangle differs from `before`; false after `timeoutMs`.
    bool waitChange(Rect r, const Image& before, double timeoutMs) {
        const auto start = Clock::now();
        while (since(start) < timeoutMs) {
            Image now = screen_.grab(r);
            if (!(now == before)) {
                settled(r, std::move(now));
                return true;
            }
            pause(1);
        }
        return false;
    }

    // The digit box of the panel: it shows the digit of the place being edited, in blue, over the
    // value of the row being edited. Only a step changes its digit; a redraw of the panel (when
    // another slot comes back to its rack) recolours the values but leaves the box alone.
    static Rect digitBox(int row, int place) { return {144 - 8 * place, kRowTop[row], 9, 13}; }
    bool boxAt(int row, int place) {
        // The middle of the box only: the box one place to the right reaches a pixel into it.
        const Rect r = digitBox(row, place);
        const Image img = screen_.grab({r.x + 1, r.y + 1, r.w - 3, r.h - 2});
        return std::count_if(img.rgb.begin(), img.rgb.end(), [](uint32_t c) {
                   return (c >> 16) < 128 && ((c >> 8) & 0xFF) < 128 && (c & 0xFF) > 128;
               }) >= 3;
    }

    // A cursor or place key: its effect shows at the next change tick, with the digit box moved.
    void act(const char* key, int row, int place) {
        screen_.tap(key);
        const auto start = Clock::now();
        while (!boxAt(row, place)) {
            if (roundOver()) throw RoundOver{};
            if (since(start) > timeout()) fail(std::string("the key ") + key + " did not move the digit box");
            pause(1);
        }
        row_ = row;
        place_ = place;
        settled(digitBox(row, place), screen_.grab(digitBox(row, place)));
    }

    // Holds an adjust key until the watched digit box has changed n times; returns the changes
    // seen, also those that came after the release.
    int hold(const char* key, int n, Rect watch) {
        Image last = screen_.grab(watch);
        screen_.key(key, true);
        int seen = 0;
        auto previous = Clock::now();
        while (seen < n) {
            Image now = screen_.grab(watch);
            if (!(now == last)) {
                if (debug())
                    std::printf("      %s change %d after %.1f ms\n", key, seen + 1, since(previous));
                if (seen > 0) learnPeriod(since(previous));
                previous = Clock::now();
                // Let go first: the next change tick comes one period after this one.
                if (++seen == n) break;
                last = settled(watch, std::move(now));
                continue;
            }
            if (roundOver()) {
                screen_.key(key, false);
                throw RoundOver{};
            }
            if (since(previous) > timeout()) break;
            pause(0.5);
        }
        screen_.key(key, false);
        if (seen == n) last = settled(watch, screen_.grab(watch));
        // A change until well past the next change tick means the release came late.
        auto quiet = Clock::now();
        while (since(quiet) < std::max(40.0, 1.6 * period_)) {
            Image now = screen_.grab(watch);
            if (!(now == last)) {
                if (debug())
                    std::printf("      %s late change %.1f ms after the release\n", key, since(quiet));
                last = settled(watch, std::move(now));
                ++seen;
                quiet = Clock::now();
            }
            pause(1);
        }
        return seen;
    }

    // Changes the value of a row by n steps at the current place, taking back an overshoot.
    void count(int n, Rect watch) {
        for (int tries = 0; n != 0 && tries < 8; ++tries) {
            const int seen = hold(n > 0 ? "d" : "a", std::abs(n), watch);
            if (seen == 0) fail("a held adjust key changed nothing");
            if (seen != std::abs(n)) std::printf("    (%d changes instead of %d)\n", seen, std::abs(n));
            n = n > 0 ? n - seen : n + seen;
        }
        if (n != 0) fail("could not count the changes of a held key");
    }

    void movePlace(int to) {
        while (place_ < to)
            act("q", row_, place_ + 1);
        while (place_ > to)
            act("e", row_, place_ - 1);
    }

    void runEdit(const Edit& e) {
        for (const auto& [p, n] : e.steps) {
            movePlace(p);
            count(n, digitBox(row_, place_));
        }
    }

    // From the slot row at place 0 with the selected slot idle: enter the values, launch.
    void enterAndLaunch(const Slot& from, const Slot& to) {
        act("s", 0, 0); // charge
        if (to.charge != from.charge) runEdit(planEdit(from.charge, to.charge, 150, 2, place_));
        act("s", 1, place_); // speed
        runEdit(planEdit(from.speed, to.speed, 1200, 2, place_));
        act("s", 2, std::min(place_, 1)); // angle: it has two places
        runEdit(planEdit(from.angle, to.angle, 90, 1, place_));
        screen_.tap("x");
        // A launched slot's panel gives way to its flight readouts.
        if (!waitHidden()) fail("the launch key did not launch the slot");
        row_ = place_ = 0;
    }

    bool waitHidden() {
        const auto start = Clock::now();
        while (panelVisible()) {
            if (since(start) > timeout()) return false;
            pause(0.5);
        }
        return true;
    }

    // Holds an adjust key on the slot row until an idle slot shows its panel; false when none did
    // in `ms` (the slot stops at 1 and 5).
    bool seekIdleSlot(const char* key, double ms) {
        screen_.key(key, true);
        const auto start = Clock::now();
        bool found = false;
        while (!(found = panelVisible()) && since(start) < ms) {
            if (roundOver()) break;
            pause(0.5);
        }
        screen_.key(key, false);
        if (roundOver()) throw RoundOver{};
        if (found) settleSlotRow();
        return found;
    }

    // Holds the slot-down key until the panel has been still for a few change ticks: the slot
    // stops at the first one.
    void firstSlot() {
        constexpr Rect panel{8, 88, 194, 130};
        Image last = screen_.grab(panel);
        screen_.key("a", true);
        const auto start = Clock::now();
        auto quiet = start;
        while (since(quiet) < 3 * period_ + 20 && since(start) < 2000) {
            Image now = screen_.grab(panel);
            if (!(now == last)) {
                last = std::move(now);
                quiet = Clock::now();
            }
            pause(1);
        }
        screen_.key("a", false);
    }

    // A freshly drawn slot turns its number blue at the next change tick.
    void settleSlotRow() {
        const Image drawn = screen_.grab(kSlotNumber);
        waitChange(kSlotNumber, drawn, 1.5 * period_ + 20);
    }

    double timeout() const { return std::max(1500.0, 12 * period_); }
    void learnPeriod(double ms) { period_ = 0.7 * period_ + 0.3 * ms; }
    double period() const { return period_; }

  private:
    GameWindow& screen_;
    Image scores_;
    int row_ = 0, place_ = 0;
    double period_ = 60; // milliseconds between two change ticks of the first player
};

// Where in the base each slot's shell should burst, in metres from its outer edge: three blasts of
// 39 m cover the base between them, two more stand by.
constexpr double kTargets[5] = {80, 52, 27, 66, 40};
constexpr int kCharge = 150; // the largest charge: a 39 m blast

// Plays rounds until the restart prompt shows; returns the number of rounds played.
int play(GameWindow& screen, const std::string& folder) {
    Player player(screen);
    screen.autoRepeat(false);
    Slot slots[5];
    const auto matchStart = Clock::now();
    for (int round = 1;; ++round) {
        if (since(matchStart) > 400000) fail("the match takes too long");
        pause(300); // the new round's panel redraw and its change tick
        if (player.matchOver()) return round - 1;
        if (round > 9) fail("no end of the match after nine rounds");
        // A key pressed as the last round ended may reach the game in this one: an adjust key
        // would have chosen another slot, a launch key launched the first. Back to the first slot,
        // and wait for its shell to come down, which also keeps its label out of the survey.
        player.firstSlot();
        const auto waitStart = Clock::now();
        while (!player.panelVisible()) {
            if (since(waitStart) > 30000) fail("the first slot stays busy at the start of a round");
            pause(5);
        }
        if (since(waitStart) > 10) pause(300);
        player.newRound();
        const Image picture = screen.grabWindow();
        writePpm(picture, folder + "/round-" + std::to_string(round) + ".ppm");
        const Field field = survey(picture);
        std::printf("round %d: distance %d m, bases at %g m and %g m\n", round, field.distance, field.alt[0],
                    field.alt[1]);
        std::fflush(stdout);
        const auto roundStart = Clock::now();
        try {
            // The first volley: every slot aimed at its own part of the base.
            for (int s = 0; s < 5; ++s) {
                Slot& slot = slots[s];
                const int speedPlace = slot.charge == kCharge ? 0 : 1; // a charge edit ends at place 1
                const Aim aim = aimAt(field, kTargets[s], kCharge, slot.speed, slot.angle, speedPlace);
                std::printf("  slot %d: %d m/s at %d degrees, bursts %.0f m from the edge after %d steps\n",
                            s + 1, aim.speed, aim.angle, aim.column, aim.steps);
                std::fflush(stdout);
                const Slot next{kCharge, aim.speed, aim.angle};
                player.enterAndLaunch(slot, next);
                slot = next;
                if (s < 4 && !player.seekIdleSlot("d", 4 * player.timeout()))
                    fail("the next slot did not come up");
            }
            // Until the base goes up: fire whichever slot is back in its rack.
            const char* direction = "a";
            for (;;) {
                if (player.roundOver()) throw RoundOver{};
                if (since(roundStart) > 60000) fail("the right base outlived a minute of fire");
                if (player.panelVisible()) {
                    player.settleSlotRow();
                    if (player.roundOver()) throw RoundOver{};
                    screen.tap("x");
                    player.waitHidden();
                    continue;
                }
                if (!player.seekIdleSlot(direction, 14 * player.period()))
                    direction = direction[0] == 'a' ? "d" : "a";
            }
        } catch (const RoundOver&) {
            std::printf("  base destroyed after %.1f s\n", since(roundStart) / 1000);
            std::fflush(stdout);
        }
    }
}

// From a fresh panel whose slot already holds the charge: speed and angle, then the launch.
void shoot(GameWindow& screen, int charge, int speed, int angle) {
    Player player(screen);
    screen.autoRepeat(false);
    player.enterAndLaunch({charge, 0, 0}, {charge, speed, angle});
}

int usage() {
    std::fprintf(stderr, "usage: e2e_aim WINDOW survey | count X Y W H COLOUR | save X Y W H FILE | "
                         "shoot CHARGE SPEED ANGLE | play FOLDER\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string command = argv[2];
    auto arg = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };
    try {
        GameWindow screen(Window(std::strtoul(argv[1], nullptr, 0)));
        if (command == "survey") {
            const Image img = screen.grabWindow();
            const Field f = survey(img);
            std::printf("distance=%d scale=%.6f alt0=%g alt1=%g top0=%d top1=%d launchx=%d launchy=%d\n",
                        f.distance, double(f.scale), f.alt[0], f.alt[1], f.top[0], f.top[1],
                        int(std::floor(double(f.scale) * 55)),
                        kHeight - int(std::floor(double(float(f.alt[0] - 10) * f.scale))));
        } else if (command == "count" && argc == 8) {
            const Image img = screen.grab({arg(3), arg(4), arg(5), arg(6)});
            const bool dark = std::string(argv[7]) == "dark";
            const uint32_t colour = uint32_t(std::strtoul(argv[7], nullptr, 16));
            auto counts = [&](uint32_t c) {
                if (!dark) return c == colour;
                return (c >> 16) < 96 && ((c >> 8) & 0xFF) < 96 && (c & 0xFF) < 96;
            };
            int n = 0, x0 = img.w, y0 = img.h, x1 = -1, y1 = -1;
            for (int y = 0; y < img.h; ++y)
                for (int x = 0; x < img.w; ++x)
                    if (counts(img.at(x, y))) {
                        ++n;
                        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x),
                        y1 = std::max(y1, y);
                    }
            if (n == 0)
                std::printf("0 -1 -1 -1 -1\n");
            else
                std::printf("%d %d %d %d %d\n", n, x0 + arg(3), y0 + arg(4), x1 + arg(3), y1 + arg(4));
        } else if (command == "save" && argc == 8) {
            writePpm(screen.grab({arg(3), arg(4), arg(5), arg(6)}), argv[7]);
        } else if (command == "shoot" && argc == 6) {
            shoot(screen, arg(3), arg(4), arg(5));
        } else if (command == "play" && argc == 4) {
            const int rounds = play(screen, argv[3]);
            std::printf("match over after %d rounds\n", rounds);
        } else {
            return usage();
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "e2e_aim: %s\n", e.what());
        return 1;
    }
    return 0;
}
