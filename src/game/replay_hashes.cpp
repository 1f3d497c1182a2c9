#include "game/replay_hashes.h"

#include <cstring>
#include <string>

namespace kestrum {

namespace {

struct Hash {
    uint64_t h = 0x243F6A8885A308D3ull;
    void add(uint64_t v) {
        h ^= v + 0x9E3779B97F4A7C15ull;
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        h ^= h >> 31;
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
    void add(const std::string& s) {
        add(uint64_t(s.size()));
        for (unsigned char c : s)
            add(uint64_t(c));
    }
    void add(const Rect& r) { add(r.left), add(r.top), add(r.width), add(r.height); }
};

template <class T, std::size_t N> void collect(std::vector<T*>& out, T (&items)[N]) {
    for (T& item : items)
        out.push_back(&item);
}

} // namespace

std::vector<Label*> labelsOf(Screen& s) {
    std::vector<Label*> all;
    collect(all, s.statusCaptions), collect(all, s.statusUnits), collect(all, s.statusValues);
    collect(all, s.modeCaptions), collect(all, s.statusSlot), collect(all, s.score);
    collect(all, s.panelSlots), collect(all, s.panelValues), collect(all, s.shellCaptions);
    collect(all, s.panelUnits), collect(all, s.rocketCaptions), collect(all, s.cursorDigits);
    collect(all, s.slotLabels);
    for (Label* l : {&s.modeFrame, &s.shellChoice, &s.rocketChoice, &s.modeQuestion, &s.airQuestion,
                     &s.soundQuestion, &s.restartQuestion})
        all.push_back(l);
    return all;
}

std::vector<Panel*> panelsOf(Screen& s) {
    std::vector<Panel*> all;
    collect(all, s.inputPanels), collect(all, s.digitCursors);
    all.push_back(&s.setupPanel), all.push_back(&s.restartPanel);
    return all;
}

uint64_t stateHash(const Match& m, Screen& screen) {
    Hash h;
    h.add(int(m.mode)), h.add(m.air), h.add(m.sound), h.add(m.turn), h.add(m.direction),
        h.add(int(m.roundEnd));
    h.add(m.settings.keyboardType), h.add(m.settings.handlingPeriod), h.add(m.settings.opponent);
    for (const Player& p : m.players) {
        const InputPanel& i = p.panel;
        h.add(i.slot), h.add(i.cursor), h.add(i.place), h.add(i.step), h.add(i.shownSlot), h.add(i.editedRow);
        for (const Projectile& s : p.projectiles) {
            h.add(int(s.state)), h.add(int(s.struck));
            for (int k = 0; k < kParams; ++k)
                h.add(s.params[k]), h.add(s.launchCopy[k]);
            // A slot keeps the flight and the fireball it last had, from this match or one before: nothing
            // reads the flight in the rack, nor the fireball before the slot explodes.
            if (s.state == ProjectileState::Exploding) h.add(s.fireball);
            if (s.state == ProjectileState::Idle) continue;
            const physics::Motion& mo = s.motion;
            h.add(mo.x), h.add(mo.y), h.add(mo.vx), h.add(mo.vy), h.add(mo.ax), h.add(mo.ay);
        }
        const Base& b = p.base;
        h.add(b.edge), h.add(b.altitude), h.add(b.left), h.add(b.top), h.add(b.height), h.add(b.damage);
        for (int16_t c : b.columns)
            h.add(c);
        h.add(p.wins), h.add(p.phase);
    }
    h.add(m.measures.scale), h.add(m.trail.newest);
    for (int i = 0; i < kTrailSize; ++i)
        h.add(m.trail.x[i]), h.add(m.trail.y[i]);
    for (const Label* l : labelsOf(screen))
        h.add(l->caption), h.add(uint64_t(l->foreColor)), h.add(uint64_t(l->visible)), h.add(l->rect);
    for (const Panel* p : panelsOf(screen))
        h.add(uint64_t(p->visible)), h.add(p->rect);
    h.add(screen.focus ? int(*screen.focus) + 1 : 0);
    return h.h;
}

uint64_t rasterHash(const Battlefield& field) {
    std::vector<uint32_t> pixels;
    field.compose(pixels);
    // One multiply per pixel: the raster is hashed every hundred ticks and must stay cheap.
    uint64_t sum = 0;
    for (uint32_t p : pixels)
        sum = (sum + p + 1) * 0x100000001B3ull;
    Hash h;
    h.add(sum);
    for (const PrintedText& t : field.texts())
        h.add(t.x), h.add(t.y), h.add(t.text), h.add(uint64_t(t.colour));
    return h.h;
}

} // namespace kestrum
