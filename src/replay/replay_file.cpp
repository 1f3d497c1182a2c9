#include "replay/replay_file.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace kestrum::replay {

namespace {

constexpr std::size_t kMostEntries = 4096; // labels or panels in a header

void putVar(std::string& out, uint32_t v) {
    while (v >= 0x80) {
        out.push_back(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    out.push_back(char(v));
}

template <class T> void put(std::string& out, T v) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    // Little-endian whatever the machine: the bytes of the value from the lowest.
    uint64_t bits = 0;
    std::memcpy(&bits, bytes, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(char((bits >> (8 * i)) & 0xFF));
}

void putText(std::string& out, const std::string& text) {
    const std::string cut = text.substr(0, kLongestText);
    putVar(out, uint32_t(cut.size()));
    out += cut;
}

void putRect(std::string& out, const Rectangle& r) {
    put(out, r.left), put(out, r.top), put(out, r.width), put(out, r.height);
}

void putSettings(std::string& out, const SeatSettings& s) {
    put(out, s.keyboardType), put(out, s.handlingPeriod), put(out, s.opponent);
    for (int16_t code : s.secondSeatKeys)
        put(out, code);
    put(out, uint8_t(s.roundResults));
}

// Reads from a byte string; once anything fails every later read fails too, and `cut` tells whether
// the bytes ran out (a file cut short) rather than held a wrong value.
class Source {
  public:
    explicit Source(const std::string& bytes) : bytes_(bytes) {}
    // The file's format: what its settings hold.
    void setFormat(uint16_t format) { format_ = format; }

    bool ok() const { return ok_; }
    bool cut() const { return cut_; }
    bool atEnd() const { return at_ == bytes_.size(); }
    std::size_t left() const { return bytes_.size() - at_; }
    void fail() { ok_ = false; }

    template <class T> T get() {
        if (!take(sizeof(T))) return T{};
        uint64_t bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits |= uint64_t(uint8_t(bytes_[at_ - sizeof(T) + i])) << (8 * i);
        T v;
        std::memcpy(&v, &bits, sizeof(T));
        return v;
    }
    uint32_t var() {
        uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            const uint8_t b = get<uint8_t>();
            if (!ok_) return 0;
            if (shift == 28 && b > 0x0F) return fail(), 0;
            v |= uint32_t(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        return fail(), 0;
    }
    // A 16-bit value written as a var number.
    int16_t word() {
        const uint32_t v = var();
        if (v > 0xFFFF) fail();
        return int16_t(uint16_t(v));
    }
    std::string text() {
        const uint32_t n = var();
        if (n > kLongestText) fail();
        if (!ok_ || !take(n)) return {};
        return bytes_.substr(at_ - n, n);
    }
    Rectangle rect() {
        Rectangle r;
        r.left = get<int32_t>(), r.top = get<int32_t>(), r.width = get<int32_t>(), r.height = get<int32_t>();
        return r;
    }
    SeatSettings settings() {
        SeatSettings s;
        s.keyboardType = get<int16_t>(), s.handlingPeriod = get<int16_t>(), s.opponent = get<int16_t>();
        for (int16_t& code : s.secondSeatKeys)
            code = get<int16_t>();
        if (format_ >= 2) {
            const uint8_t results = get<uint8_t>();
            if (results > 1) fail();
            s.roundResults = results == 1;
        }
        return s;
    }

  private:
    uint16_t format_ = kFormatVersion;
    bool take(std::size_t n) {
        if (!ok_) return false;
        if (n > left()) {
            ok_ = false, cut_ = true;
            return false;
        }
        at_ += n;
        return true;
    }

    const std::string& bytes_;
    std::size_t at_ = 0;
    bool ok_ = true, cut_ = false;
};

bool oneOf(char c, const char* allowed) {
    return c != 0 && std::strchr(allowed, c) != nullptr;
}

// What is wrong with a header's values, if anything.
std::optional<std::string> headerProblem(const Header& h) {
    if (!oneOf(h.answers[0], "12") || !oneOf(h.answers[1], "yYnN") || !oneOf(h.answers[2], "yYnN"))
        return "the set-up answers are not ones the game takes";
    auto sane = [](double t) { return std::isfinite(t) && t >= 1 && t <= 160; };
    if (!sane(h.twipsPerPixelX) || !sane(h.twipsPerPixelY)) return "the display resolution is impossible";
    if (h.turn < 0 || h.turn > 1 || h.trailNewest < 0 || h.trailNewest > 20000)
        return "the match's starting state is out of range";
    for (int p = 0; p < 2; ++p)
        if (h.phase[p] < 0 || h.phase[p] > 7 || h.editedRow[p] < 0 || h.editedRow[p] > 5)
            return "the match's starting state is out of range";
    return std::nullopt;
}

Reading refused(Reading::Status status, std::string problem) {
    Reading r;
    r.status = status;
    r.problem = std::move(problem);
    return r;
}

} // namespace

std::string encodeHeader(const Header& h) {
    std::string out(kMagic, sizeof kMagic);
    put(out, kFormatVersion), put(out, h.simulationVersion);
    putText(out, h.gameVersion);
    putSettings(out, h.settings);
    for (char a : h.answers)
        out.push_back(a);
    put(out, h.seed), put(out, h.drawsBefore), put(out, h.twipsPerPixelX), put(out, h.twipsPerPixelY);
    put(out, h.turn), put(out, h.phase[0]), put(out, h.phase[1]), put(out, h.editedRow[0]);
    put(out, h.editedRow[1]), put(out, h.trailNewest);
    putVar(out, uint32_t(h.labels.size()));
    for (const LabelState& l : h.labels) {
        putVar(out, l.index), putText(out, l.caption), put(out, l.foreColor), put(out, l.backColor);
        out.push_back(char(int(l.visible) | int(l.transparent) << 1));
        putRect(out, l.rect);
    }
    putVar(out, uint32_t(h.panels.size()));
    for (const PanelState& p : h.panels) {
        putVar(out, p.index), out.push_back(char(p.visible)), put(out, p.backColor), putRect(out, p.rect);
    }
    return out;
}

void appendEvent(std::string& out, const Event& e, uint32_t previousTick) {
    out.push_back(char(e.kind));
    putVar(out, e.tick - previousTick);
    switch (e.kind) {
    case EventKind::KeyDown:
        putVar(out, uint16_t(e.code)), putVar(out, uint16_t(e.modifiers));
        break;
    case EventKind::KeyUp:
        putVar(out, uint16_t(e.code));
        break;
    case EventKind::ReleaseAll:
        break;
    case EventKind::Settings:
        putSettings(out, e.settings);
        break;
    case EventKind::Check:
        put(out, e.stateHash), put(out, e.rasterHash), out.push_back(char(e.roundEnd));
        break;
    case EventKind::End:
        out.push_back(char(e.reason));
        break;
    }
}

Reading readReplay(const std::string& bytes, uint16_t simulationVersion) {
    using Status = Reading::Status;
    if (bytes.size() > kLargestFile)
        return refused(Status::TooLarge, "the file is larger than any recorded match (" +
                                             std::to_string(bytes.size()) + " bytes)");
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return refused(Status::NotAReplay, "this is not a Kestrum replay");
    Source in(bytes);
    for (std::size_t i = 0; i < sizeof kMagic; ++i)
        in.get<char>();
    const uint16_t format = in.get<uint16_t>();
    in.setFormat(format);
    if (in.ok() && (format < kOldestFormat || format > kFormatVersion))
        return refused(Status::OtherFormat, "the replay file's format " + std::to_string(format) +
                                                " is not this game's (" + std::to_string(kFormatVersion) +
                                                ")");
    Reading r;
    r.format = format;
    Header& h = r.header;
    h.simulationVersion = in.get<uint16_t>();
    if (in.ok() && h.simulationVersion != simulationVersion)
        return refused(Status::OtherSimulation,
                       "the replay was recorded by a game with other rules (simulation version " +
                           std::to_string(h.simulationVersion) + "; this game plays version " +
                           std::to_string(simulationVersion) + ")");
    h.gameVersion = in.text();
    h.settings = in.settings();
    for (char& a : h.answers)
        a = in.get<char>();
    h.seed = in.get<uint32_t>(), h.drawsBefore = in.get<uint32_t>();
    h.twipsPerPixelX = in.get<double>(), h.twipsPerPixelY = in.get<double>();
    h.turn = in.get<int16_t>(), h.phase[0] = in.get<int16_t>(), h.phase[1] = in.get<int16_t>();
    h.editedRow[0] = in.get<int16_t>(), h.editedRow[1] = in.get<int16_t>(), h.trailNewest = in.get<int16_t>();
    // Each entry takes some bytes: a count larger than the bytes left is a lie, refused before reserving.
    const uint32_t labels = in.var();
    if (labels > kMostEntries || labels > in.left()) in.fail();
    for (uint32_t i = 0; i < labels && in.ok(); ++i) {
        LabelState l;
        l.index = in.var(), l.caption = in.text(), l.foreColor = in.get<uint32_t>();
        l.backColor = in.get<uint32_t>();
        const uint8_t flags = in.get<uint8_t>();
        l.visible = flags & 1, l.transparent = flags & 2;
        l.rect = in.rect();
        h.labels.push_back(std::move(l));
    }
    const uint32_t panels = in.ok() ? in.var() : 0;
    if (panels > kMostEntries || panels > in.left()) in.fail();
    for (uint32_t i = 0; i < panels && in.ok(); ++i) {
        PanelState p;
        p.index = in.var(), p.visible = in.get<uint8_t>() != 0, p.backColor = in.get<uint32_t>();
        p.rect = in.rect();
        h.panels.push_back(p);
    }
    if (!in.ok()) return refused(Status::Damaged, "the replay's header is cut short or damaged");
    if (const auto problem = headerProblem(h))
        return refused(Status::Damaged, "the replay is damaged: " + *problem);

    // Events. A stored hash is due every kCheckEvery ticks: a stream that skips one is damaged, which
    // also bounds how long a playback can run on the bytes given.
    uint64_t tick = 0;
    uint32_t due = kCheckEvery;
    r.status = Status::Ok;
    while (!in.atEnd() && !r.ended) {
        Event e;
        e.kind = EventKind(in.get<uint8_t>());
        tick += in.var();
        e.tick = uint32_t(tick);
        switch (e.kind) {
        case EventKind::KeyDown:
            e.code = in.word(), e.modifiers = in.word();
            break;
        case EventKind::KeyUp:
            e.code = in.word();
            break;
        case EventKind::ReleaseAll:
            break;
        case EventKind::Settings:
            e.settings = in.settings();
            break;
        case EventKind::Check: {
            e.stateHash = in.get<uint64_t>(), e.rasterHash = in.get<uint64_t>();
            const uint8_t roundEnd = in.get<uint8_t>();
            if (roundEnd > 1) in.fail();
            e.roundEnd = roundEnd;
            break;
        }
        case EventKind::End: {
            const uint8_t reason = in.get<uint8_t>();
            if (reason > uint8_t(EndReason::Closed)) in.fail();
            e.reason = EndReason(reason);
            break;
        }
        default:
            in.fail();
        }
        if (in.cut()) break; // cut short: the whole events before the cut stand
        if (!in.ok() || tick > kLongestMatch || tick > due) {
            r.status = Status::Damaged;
            r.problem = "the replay is damaged after tick " +
                        std::to_string(r.events.empty() ? 0 : r.events.back().tick);
            return r;
        }
        if (e.kind == EventKind::Check && tick == due) due += kCheckEvery;
        r.ended = e.kind == EventKind::End;
        r.events.push_back(e);
    }
    if (r.ended && !in.atEnd()) {
        r.status = Status::Damaged;
        r.problem = "the replay has bytes after its end";
    }
    return r;
}

} // namespace kestrum::replay
