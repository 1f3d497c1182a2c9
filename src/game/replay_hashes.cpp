#include "game/replay_hashes.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace kestrum {

namespace {

// One multiply a value (FNV-1a over 64-bit words, in four lanes that the processor runs side by side): a
// check runs every hundred ticks and must cost next to nothing beside them. It finds a difference, which
// is all a replay asks of it.
struct Hash {
    uint64_t a = 0xCBF29CE484222325ull, b = 0x84222325CBF29CE4ull, c = 0x9E3779B97F4A7C15ull,
             d = 0xBF58476D1CE4E5B9ull;
    void add(uint64_t v) {
        const uint64_t next = (a ^ v) * 0x100000001B3ull;
        a = b, b = c, c = d, d = next; // the lanes take turns
    }
    uint64_t value() const {
        uint64_t h = 0;
        for (uint64_t l : {a, b, c, d})
            h = (h ^ l ^ (l >> 29)) * 0xBF58476D1CE4E5B9ull;
        return h;
    }
    void add(int64_t v) { add(uint64_t(v)); }
    void add(int v) { add(uint64_t(int64_t(v))); }
    void add(int16_t v) { add(uint64_t(int64_t(v))); }
    void add(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        add(bits);
    }
    void add(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        add(uint64_t(bits));
    }
    // Bytes eight at a time.
    void add(const void* bytes, std::size_t size) {
        const char* at = static_cast<const char*>(bytes);
        std::size_t i = 0;
        for (uint64_t word; i + 8 <= size; i += 8) // a whole word is copied inline, never a library call
            std::memcpy(&word, at + i, 8), add(word);
        if (i < size) {
            uint64_t word = 0;
            std::memcpy(&word, at + i, size - i);
            add(word);
        }
    }
    void add(const std::string& s) { add(uint64_t(s.size())), add(s.data(), s.size()); }
    void add(const Rect& r) { add(r.left), add(r.top), add(r.width), add(r.height); }
};

// Every label, then every panel of the screen, in the one order replay files number them in.
template <class S, class OnLabel, class OnPanel> void forEachPart(S& s, OnLabel&& label, OnPanel&& panel) {
    auto all = [](auto& items, auto&& visit) {
        for (auto& item : items)
            visit(item);
    };
    // The second argument tells the labels whose text, colour or place the game changes during a match
    // from those it only shows and hides.
    auto fixed = [&](auto& l) { label(l, false); };
    auto written = [&](auto& l) { label(l, true); };
    all(s.statusCaptions, fixed), all(s.statusUnits, fixed), all(s.statusValues, written);
    all(s.modeCaptions, written), all(s.statusSlot, written), all(s.score, written);
    all(s.panelSlots, written), all(s.panelValues, written), all(s.shellCaptions, fixed);
    all(s.panelUnits, fixed), all(s.rocketCaptions, fixed), all(s.cursorDigits, written);
    all(s.slotLabels, written);
    for (auto* l : {&s.modeFrame, &s.shellChoice, &s.rocketChoice, &s.modeQuestion, &s.airQuestion,
                    &s.soundQuestion, &s.restartQuestion, &s.pauseCaption})
        fixed(*l);
    written(s.opponentCaption);
    all(s.inputPanels, panel), all(s.digitCursors, panel);
    panel(s.setupPanel), panel(s.restartPanel);
}

} // namespace

std::vector<Label*> labelsOf(Screen& s) {
    std::vector<Label*> all;
    forEachPart(
        s, [&](Label& l, bool) { all.push_back(&l); }, [](Panel&) {});
    return all;
}

std::vector<Panel*> panelsOf(Screen& s) {
    std::vector<Panel*> all;
    forEachPart(
        s, [](Label&, bool) {}, [&](Panel& p) { all.push_back(&p); });
    return all;
}

namespace {

// The match alone: what its rules decide.
void addMatch(Hash& h, const Match& m) {
    h.add(int(m.mode)), h.add(m.air), h.add(m.sound), h.add(m.turn), h.add(m.direction),
        h.add(int(m.roundEnd)), h.add(uint64_t(m.paused));
    h.add(m.settings.keyboardType), h.add(m.settings.handlingPeriod), h.add(m.settings.opponent);
    for (const Player& p : m.players) {
        const InputPanel& i = p.panel;
        h.add(i.slot), h.add(i.cursor), h.add(i.place), h.add(i.step), h.add(i.shownSlot), h.add(i.editedRow);
        for (const Projectile& s : p.projectiles) {
            h.add(int(s.state)), h.add(int(s.struck));
            h.add(s.params, sizeof s.params), h.add(s.launchCopy, sizeof s.launchCopy);
            // A slot keeps the flight and the fireball it last had, from this match or one before: nothing
            // reads the flight in the rack, nor the fireball before the slot explodes.
            if (s.state == ProjectileState::Exploding) h.add(s.fireball);
            if (s.state == ProjectileState::Idle) continue;
            const physics::Motion& mo = s.motion;
            h.add(mo.x), h.add(mo.y), h.add(mo.vx), h.add(mo.vy), h.add(mo.ax), h.add(mo.ay);
        }
        const Base& b = p.base;
        h.add(b.edge), h.add(b.altitude), h.add(b.left), h.add(b.top), h.add(b.height), h.add(b.damage);
        h.add(b.columns, sizeof b.columns);
        h.add(p.wins), h.add(p.phase);
    }
    // The trail's points show on the battlefield, drawn and erased: its raster hash covers them.
    h.add(m.measures.scale), h.add(m.trail.newest);
}

// The screen's labels, panels and focus: what the match shows of itself.
void addScreen(Hash& h, const Screen& screen) {
    auto corner = [](int a, int b) { return uint64_t(uint32_t(a)) << 32 | uint32_t(b); };
    forEachPart(
        screen,
        [&](const Label& l, bool written) {
            h.add(uint64_t(l.visible));
            if (!written) return;
            h.add(l.caption), h.add(uint64_t(l.foreColor));
            h.add(corner(l.rect.left, l.rect.top)), h.add(corner(l.rect.width, l.rect.height));
        },
        [&](const Panel& p) {
            h.add(uint64_t(p.visible)), h.add(corner(p.rect.left, p.rect.top)),
                h.add(corner(p.rect.width, p.rect.height));
        });
    h.add(screen.focus ? int(*screen.focus) + 1 : 0);
}

} // namespace

uint64_t matchHash(const Match& match) {
    Hash h;
    addMatch(h, match);
    return h.value();
}

uint64_t stateHash(const Match& match, const Screen& screen) {
    Hash h;
    addMatch(h, match);
    addScreen(h, screen);
    return h.value();
}

uint64_t checkHash(const Match& match, const Screen& screen, bool roundEnd, uint16_t format) {
    return roundEnd || format < replay::kFirstFormatWithLightChecks ? stateHash(match, screen)
                                                                    : matchHash(match);
}

uint64_t rasterHash(const Battlefield& field) {
    // What the battlefield shows follows from its drawing surface, its texts and its pictures (the base
    // buffers from their size and craters): their hashes are kept up as they change, not a frame composed.
    Hash h;
    h.add(field.surfaceHash());
    for (const PrintedText& t : field.texts())
        h.add(t.x), h.add(t.y), h.add(t.text), h.add(uint64_t(t.colour));
    field.forEachSprite([&](const Sprite& s) {
        h.add(uint64_t(s.visible));
        if (s.visible)
            h.add(s.left), h.add(s.top), h.add(s.width), h.add(s.height), h.add(uint64_t(s.opaque));
    });
    h.add(field.bufferHash(0)), h.add(field.bufferHash(1));
    return h.value();
}

} // namespace kestrum
