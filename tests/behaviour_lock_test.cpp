// The behaviour lock: scripted matches played through the entry points the window calls, with a hash of
// the screen model, the printed texts, the sounds asked for, the timers and the whole battlefield raster
// folded in after every tick. Checkpoints of that running hash sit in tests/data/behaviour_lock.txt; any
// change to what a player sees or hears, at any tick, changes every checkpoint after it.
//
// A change that means to alter what the player gets rewrites the file on purpose:
//   KESTRUM_WRITE_LOCK=1 build/tests/behaviour_lock_test
// A change that only reshapes the code must pass with the file untouched.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game_harness.h"
#include "keyboard/key_map.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

constexpr uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Feeds values in a fixed order; the order is part of the stored hashes, so the visit below must keep
// it whatever the screen model's members come to be called.
struct Hasher {
    uint64_t h = 0x6A09E667F3BCC908ull;
    void add(uint64_t v) { h = mix(h ^ v); }
    void add(const std::string& s) {
        add(s.size());
        for (unsigned char c : s)
            add(uint64_t(c));
    }
    void add(double d) {
        uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        add(bits);
    }
    void add(const Rect& r) {
        add(uint64_t(int64_t(r.left))), add(uint64_t(int64_t(r.top))), add(uint64_t(r.width)),
            add(uint64_t(r.height));
    }
    void add(const Font& f) { add(uint64_t(f.face)), add(f.points), add(uint64_t(f.bold)); }
    void add(const Label& l) {
        add(l.caption), add(uint64_t(l.foreColor)), add(uint64_t(l.transparent)), add(uint64_t(l.backColor));
        add(uint64_t(l.visible)), add(l.rect), add(l.font), add(uint64_t(l.align)), add(uint64_t(l.autoSize));
        add(uint64_t(l.parent)), add(uint64_t(l.parentIndex));
    }
    void add(const Panel& p) {
        add(uint64_t(p.visible)), add(p.rect), add(uint64_t(p.backColor)), add(uint64_t(p.parent));
        add(uint64_t(p.parentIndex));
    }
    void add(const TextBox& t) { add(t.text), add(t.rect), add(t.font), add(uint64_t(t.parent)); }
    template <class T, size_t N> void add(const T (&items)[N]) {
        for (const T& item : items)
            add(item);
    }
};

uint64_t screenHash(const Screen& s) {
    Hasher h;
    h.add(s.title), h.add(uint64_t(s.backColor));
    h.add(s.statusCaptions), h.add(s.statusUnits), h.add(s.statusValues), h.add(s.modeCaptions);
    h.add(s.statusSlot), h.add(s.score);
    h.add(s.inputPanels), h.add(s.panelSlots), h.add(s.panelValues);
    h.add(s.shellCaptions), h.add(s.panelUnits), h.add(s.rocketCaptions);
    h.add(s.digitCursors), h.add(s.cursorDigits), h.add(s.slotLabels);
    h.add(s.setupPanel), h.add(s.modeFrame), h.add(s.shellChoice), h.add(s.rocketChoice);
    h.add(s.modeQuestion), h.add(s.airQuestion), h.add(s.soundQuestion);
    h.add(s.modeBox), h.add(s.airBox), h.add(s.soundBox);
    h.add(s.restartPanel), h.add(s.restartQuestion), h.add(s.restartBox);
    // No focus hashes as 0, then the boxes in their order from 1.
    h.add(s.focus ? uint64_t(*s.focus) + 1 : 0);
    return h.h;
}

// The composed battlefield, kept up to date from the field's own change list and a sum of per-pixel
// hashes, so that a tick costs what it changed rather than a whole frame.
class RasterMirror {
  public:
    explicit RasterMirror(Battlefield& field) : field_(field) { recompose(); }

    uint64_t update() {
        std::vector<uint32_t> changed;
        if (field_.takeChanges(changed)) return recompose(), sum_;
        for (uint32_t i : changed)
            repaint(int(i % Battlefield::kWidth), int(i / Battlefield::kWidth));
        const std::vector<const Sprite*> now = sprites();
        for (size_t k = 0; k < now.size(); ++k) {
            if (*now[k] == sprites_[k]) continue;
            repaintRect(sprites_[k]), repaintRect(*now[k]);
            sprites_[k] = *now[k];
        }
        return sum_;
    }

    // The mirror against a fresh composition: guards the mirror itself.
    bool matchesField() const {
        std::vector<uint32_t> fresh;
        field_.compose(fresh);
        return fresh == pixels_;
    }

  private:
    static uint64_t pixelHash(size_t i, uint32_t c) { return mix((uint64_t(i) << 32) | c); }

    std::vector<const Sprite*> sprites() const {
        std::vector<const Sprite*> all{&field_.groundStrip, &field_.ground[0], &field_.ground[1],
                                       &field_.base[0], &field_.base[1]};
        for (const Sprite& e : field_.explosion)
            all.push_back(&e);
        return all;
    }

    void recompose() {
        field_.compose(pixels_);
        sum_ = 0;
        for (size_t i = 0; i < pixels_.size(); ++i)
            sum_ += pixelHash(i, pixels_[i]);
        sprites_.clear();
        for (const Sprite* s : sprites())
            sprites_.push_back(*s);
    }

    void repaint(int x, int y) {
        const size_t i = size_t(y) * Battlefield::kWidth + size_t(x);
        const uint32_t c = uint32_t(field_.point(x, y));
        sum_ += pixelHash(i, c) - pixelHash(i, pixels_[i]);
        pixels_[i] = c;
    }

    void repaintRect(const Sprite& s) {
        const int x0 = std::max(0, s.left), x1 = std::min(Battlefield::kWidth, s.left + s.width);
        const int y0 = std::max(0, s.top), y1 = std::min(Battlefield::kHeight, s.top + s.height);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                repaint(x, y);
    }

    Battlefield& field_;
    std::vector<uint32_t> pixels_;
    std::vector<Sprite> sprites_;
    uint64_t sum_ = 0;
};

// A person at one seat who presses keys at random: holds the adjust keys for a while, moves the cursor
// and the place, and launches whatever the panel holds.
class Masher {
  public:
    explicit Masher(uint32_t seed) : rng_(seed) {}

    void step(Game& game, const KeyMap& keys) {
        if (held_ >= 0 && --holdFor_ <= 0) game.keyUp(keys.codes[size_t(held_)]), held_ = -1;
        if (held_ >= 0 || rng_() % 12 != 0) return;
        // Weights: up, down, place up, place down, decrease, increase, three launches.
        static constexpr int kWeights[9] = {2, 3, 2, 1, 1, 5, 1, 1, 1};
        int pick = int(rng_() % 17);
        int key = 0;
        while (pick >= kWeights[key])
            pick -= kWeights[key++];
        game.keyDown(keys.codes[size_t(key)], 0);
        if (key == 4 || key == 5)
            held_ = key, holdFor_ = int(rng_() % 80) + 1;
        else
            game.keyUp(keys.codes[size_t(key)]);
    }

  private:
    std::mt19937 rng_;
    int held_ = -1;
    int holdFor_ = 0;
};

// One scripted session: the driver ticks whenever the tick timer runs, as the window's timer would.
struct Session {
    explicit Session(const std::string& config) : h(config), raster(h.game->field()) { h.start(); }

    // One timer period: the people at the keyboard act, then the tick runs if its timer does.
    void period(bool secondSeatIsAPerson) {
        const bool playing = !h.screen().focus && h.platform.tickInterval > 0;
        if (playing) {
            first.step(*h.game, kFirstSeatKeys);
            if (secondSeatIsAPerson) second.step(*h.game, *secondSeatKeys(keyboardType));
        }
        if (h.platform.tickInterval > 0) h.game->tick();
        fold();
    }

    void fold() {
        Hasher x;
        x.add(screenHash(h.screen()));
        x.add(raster.update());
        for (const PrintedText& t : h.game->field().texts())
            x.add(uint64_t(int64_t(t.x))), x.add(uint64_t(int64_t(t.y))), x.add(t.text), x.add(t.points),
                x.add(uint64_t(t.colour));
        x.add(uint64_t(h.sound.played.size()));
        for (SoundId id : h.sound.played)
            x.add(uint64_t(id));
        h.sound.played.clear();
        x.add(uint64_t(int64_t(h.platform.tickInterval))), x.add(uint64_t(int64_t(h.platform.quitStatus)));
        chain = mix(chain ^ x.h);
        if (++folds % 50 == 0) checkpoint("");
    }

    void checkpoint(const std::string& what) {
        std::ostringstream line;
        line << folds << ' ' << std::hex << chain << (what.empty() ? "" : " " + what);
        lines.push_back(line.str());
        if (folds % 1000 == 0 || !what.empty()) {
            EXPECT_TRUE(raster.matchesField()) << "mirror at " << folds;
        }
    }

    void answer(const std::string& mode, const std::string& air, const std::string& snd) {
        h.answer(mode, air, snd), fold();
        checkpoint("answered " + mode + air + snd);
    }
    void chord(int16_t key, const std::string& what) {
        h.game->keyDown(key, kCtrlMask), fold();
        checkpoint(what);
    }

    GameHarness h;
    RasterMirror raster;
    Masher first{1001}, second{2002};
    int16_t keyboardType = 1;
    uint64_t chain = 0;
    long folds = 0;
    std::vector<std::string> lines;
};

std::string lockFile() {
    return std::string(KESTRUM_SOURCE_DIR) + "/tests/data/behaviour_lock.txt";
}

// The stored checkpoints per scenario, or the new ones written when asked to.
void compareWithStored(const std::string& scenario, const std::vector<std::string>& lines) {
    std::map<std::string, std::vector<std::string>> stored;
    {
        std::ifstream in(lockFile());
        std::string line, name;
        while (std::getline(in, line)) {
            if (line.rfind("# ", 0) == 0)
                name = line.substr(2);
            else if (!line.empty())
                stored[name].push_back(line);
        }
    }
    if (std::getenv("KESTRUM_WRITE_LOCK")) {
        stored[scenario] = lines;
        std::ofstream out(lockFile(), std::ios::trunc);
        for (const auto& [name, rows] : stored) {
            out << "# " << name << '\n';
            for (const std::string& row : rows)
                out << row << '\n';
        }
        return;
    }
    const std::vector<std::string>& want = stored[scenario];
    ASSERT_FALSE(want.empty()) << "no stored checkpoints for " << scenario;
    for (size_t i = 0; i < std::max(want.size(), lines.size()); ++i) {
        const std::string got = i < lines.size() ? lines[i] : "(ended)";
        const std::string expected = i < want.size() ? want[i] : "(ended)";
        ASSERT_EQ(got, expected) << scenario << ": the play left the recording before this checkpoint"
                                 << (i > 0 ? " (the one before, " + want[i - 1] + ", still matched)" : "");
    }
}

} // namespace

// Two people: shells without air, the settings changed mid-match (the second seat moves to the letter
// block, the period to 20 ms), abandoned with Ctrl+F2, then rockets with air, abandoned again, shells.
TEST(BehaviourLock, TwoPeopleThroughBothBattleModes) {
    Session s(" 1 \r\n10\r\n");
    s.h.platform.onDialog = [&] {
        s.h.folder.write("config.txt", " 0 \r\n20\r\n");
        s.keyboardType = 0;
        return true;
    };
    for (int i = 0; i < 3; ++i) // the tick timer runs from the window's creation, prompts up
        s.period(true);
    s.answer("1", "n", "y");
    for (int i = 0; i < 4000; ++i) {
        if (i == 2000) s.chord(vk::F1, "settings");
        s.period(true);
    }
    s.chord(vk::F2, "abandoned");
    s.answer("2", "y", "n");
    for (int i = 0; i < 4000; ++i)
        s.period(true);
    s.chord(vk::F2, "abandoned");
    s.answer("1", "y", "y");
    for (int i = 0; i < 1000; ++i)
        s.period(true);
    compareWithStored("two people", s.lines);
}

// The computer on the second seat: a whole shell match with air to the restart prompt (the period changed
// mid-match), then "y" and a rocket match without air that is abandoned.
TEST(BehaviourLock, ComputerSeatedWholeMatch) {
    Session s(" 1 \r\n10\r\n 4 \r\n");
    s.h.platform.onDialog = [&] {
        s.h.folder.write("config.txt", " 1 \r\n15\r\n 4 \r\n");
        return true;
    };
    s.period(false);
    s.answer("1", "y", "y");
    long i = 0;
    for (; i < 200000 && !s.h.screen().restartPanel.visible; ++i) {
        if (i == 2000) s.chord(vk::F1, "settings");
        s.period(false);
    }
    ASSERT_TRUE(s.h.screen().restartPanel.visible) << "the match never ended";
    s.checkpoint("match over");
    s.h.game->setBoxText(Box::Restart, "y"), s.fold();
    s.answer("2", "n", "n");
    for (int k = 0; k < 3000; ++k)
        s.period(false);
    s.chord(vk::F2, "abandoned");
    compareWithStored("computer", s.lines);
}
