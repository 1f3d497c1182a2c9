// Every match recorded as it is played (its start, the keys and settings before each tick, hashes of
// the state along the way), and a recorded match set up again to be shown or checked.

#include "game/file_places.h"
#include "game/game.h"
#include "game/replay_hashes.h"

#ifndef KESTRUM_VERSION
#define KESTRUM_VERSION "unknown"
#endif

namespace kestrum {

namespace {

replay::Rectangle rectangle(const Rect& r) {
    return {r.left, r.top, r.width, r.height};
}
Rect rect(const replay::Rectangle& r) {
    return {r.left, r.top, r.width, r.height};
}

} // namespace

replay::SeatSettings Game::seatSettings() const {
    const Settings& s = match_.settings;
    replay::SeatSettings out{s.keyboardType, s.handlingPeriod, s.opponent, {}, s.roundResults};
    for (int k = 0; k < kSeatKeys; ++k)
        out.secondSeatKeys[k] = s.secondSeatKeys.codes[size_t(k)];
    return out;
}

// The sound answer was given: a match starts from what the window holds now and a fresh seed.
void Game::beginRecording() {
    if (replaying_) return;
    if (const std::optional<uint32_t> seed = platform_.matchSeed()) this->seed(*seed);

    replay::Header h;
    h.simulationVersion = kSimulationVersion;
    h.gameVersion = KESTRUM_VERSION;
    h.settings = seatSettings();
    const std::string& sound = screen_.soundBox.text;
    h.answers[0] = match_.mode == BattleMode::Shells ? '1' : '2';
    h.answers[1] = match_.air ? 'y' : 'n';
    h.answers[2] = sound == "y" || sound == "Y" ? 'y' : 'n';
    h.seed = seed_, h.drawsBefore = draws_;
    h.twipsPerPixelX = twips_[0], h.twipsPerPixelY = twips_[1];
    h.turn = match_.turn, h.trailNewest = match_.trail.newest;
    for (int p = 0; p < kPlayers; ++p)
        h.phase[p] = match_.players[p].phase, h.editedRow[p] = match_.players[p].panel.editedRow;
    const std::vector<Label*> labels = labelsOf(screen_), startLabels = labelsOf(startScreen_);
    for (size_t i = 0; i < labels.size(); ++i) {
        const Label& l = *labels[i];
        if (l == *startLabels[i]) continue;
        h.labels.push_back(
            {uint32_t(i), l.caption, l.foreColor, l.backColor, l.visible, l.transparent, rectangle(l.rect)});
    }
    const std::vector<Panel*> panels = panelsOf(screen_), startPanels = panelsOf(startScreen_);
    for (size_t i = 0; i < panels.size(); ++i) {
        const Panel& p = *panels[i];
        if (p == *startPanels[i]) continue;
        h.panels.push_back({uint32_t(i), p.visible, p.backColor, rectangle(p.rect)});
    }
    recorder_.begin(h, replaysFolder(platform_, match_.settingsPath), platform_);
}

void Game::afterTick(RoundEnd ended) {
    const bool roundEnded = ended != RoundEnd::None;
    if (!recorder_.tickDone(roundEnded)) return;
    recorder_.check(checkHash(match_, screen_, roundEnded), rasterHash(field_), roundEnded);
    if (ended == RoundEnd::MatchOver) recorder_.end(replay::EndReason::MatchOver);
}

void Game::close() {
    recorder_.end(replay::EndReason::Closed);
}

void Game::loadReplay(const replay::Header& h) {
    replaying_ = true;
    seed(h.seed);
    rng_.discard(h.drawsBefore);
    draws_ = h.drawsBefore;
    prepareWindow(h.twipsPerPixelX, h.twipsPerPixelY);
    applySettings(h.settings);
}

void Game::startReplay(const replay::Header& h) {
    settledTicks_ = 0;
    match_.turn = h.turn;
    match_.trail.newest = h.trailNewest;
    for (int p = 0; p < kPlayers; ++p)
        match_.players[p].phase = h.phase[p], match_.players[p].panel.editedRow = h.editedRow[p];
    const std::vector<Label*> labels = labelsOf(screen_);
    for (const replay::LabelState& s : h.labels) {
        if (s.index >= labels.size()) continue;
        Label& l = *labels[s.index];
        l.caption = s.caption, l.foreColor = s.foreColor, l.backColor = s.backColor;
        l.visible = s.visible, l.transparent = s.transparent, l.rect = rect(s.rect);
    }
    const std::vector<Panel*> panels = panelsOf(screen_);
    for (const replay::PanelState& s : h.panels) {
        if (s.index >= panels.size()) continue;
        Panel& p = *panels[s.index];
        p.visible = s.visible, p.backColor = s.backColor, p.rect = rect(s.rect);
    }
    setBoxText(Box::Mode, std::string(1, h.answers[0]));
    setBoxText(Box::Air, std::string(1, h.answers[1]));
    setBoxText(Box::Sound, std::string(1, h.answers[2]));
}

void Game::applySettings(const replay::SeatSettings& s) {
    releaseAllKeys();
    Settings& settings = match_.settings;
    settings.keyboardType = s.keyboardType;
    settings.handlingPeriod = s.handlingPeriod;
    settings.opponent = s.opponent;
    settings.roundResults = s.roundResults;
    for (int k = 0; k < kSeatKeys; ++k)
        settings.secondSeatKeys.codes[size_t(k)] = s.secondSeatKeys[k];
    showOpponent();
    runTickTimer();
}

} // namespace kestrum
