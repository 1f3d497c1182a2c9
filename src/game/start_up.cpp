// The load step before the window is first shown, and the start tick right after it.

#include <cmath>
#include <span>
#include <string>

#include "game/file_places.h"
#include "game/game.h"

namespace kestrum {

void Game::load() {
    settledTicks_ = 0;
    // The layout draws from the generator every round.
    seed(platform_.clockSeed());
    prepareWindow(platform_.twipsPerPixelX(), platform_.twipsPerPixelY());

    // No readable settings: the dialog, again and again, until a reading succeeds. Closing it
    // without saving is the way out when no save can succeed: the program ends, as "n" at the
    // restart prompt ends it.
    while (!readSettings()) {
        if (!platform_.showSettingsDialog(SettingsOccasion::FirstRun)) {
            platform_.quit(0);
            return;
        }
    }
    opponentSeat_.choose(match_.settings.opponent, match_.settings.secondSeatKeys);

    // The start tick comes right after the window has been shown.
    platform_.setStartInterval(1);
}

// What the load step does before the settings are read, for a display of this resolution; a replay
// sets its window up the same way.
void Game::prepareWindow(double twipsPerPixelX, double twipsPerPixelY) {
    measureField(twipsPerPixelX, twipsPerPixelY);
    makeSlotLabels();
    colourControls();
    // Both players' refresh counters start together.
    match_.players[0].phase = match_.players[1].phase = 0;
    findFiles();
}

// Measures of the drawing area and of the pictures, and how far a slot label stands off its
// projectile for the display's resolution.
void Game::measureField(double twipsPerPixelX, double twipsPerPixelY) {
    twips_[0] = twipsPerPixelX, twips_[1] = twipsPerPixelY;
    Measures& m = match_.measures;
    m.fieldWidth = float(Battlefield::kWidth);
    m.groundLine = int16_t(Battlefield::kHeight);
    m.stripWidth = int16_t(field_.groundStripBitmap.width);
    m.stripHeight = int16_t(field_.groundStripBitmap.height);
    for (int p = 0; p < kPlayers; ++p)
        m.groundPieceHeight[p] = int16_t(field_.ground[p].height);

    m.labelWidth = float(std::floor(160.0 / twipsPerPixelX));
    m.labelHeight = int16_t(std::floor(160.0 / twipsPerPixelY));
    m.labelDistance = int16_t(std::floor(
        std::sqrt(double(m.labelHeight) * m.labelHeight + double(m.labelWidth) * m.labelWidth) * 0.4));
}

// The slot labels of the ten projectiles.
void Game::makeSlotLabels() {
    for (int p = 0; p < kPlayers; ++p)
        for (int s = 0; s < kSlots; ++s) {
            Label& l = screen_.slotLabel(p, s);
            l.font.points = 8;
            l.caption = std::to_string(s + 1);
            l.transparent = true;
        }
}

// Everything the game writes counts as air: the window and the status panels are screen cyan.
void Game::colourControls() {
    screen_.backColor = colour::screenCyan;
    auto colour = [](std::span<Label> labels, uint32_t fore, uint32_t back) {
        for (Label& l : labels) {
            l.foreColor = fore;
            l.backColor = back;
        }
    };
    for (std::span<Label> onCyan :
         {std::span<Label>(screen_.statusCaptions), std::span<Label>(screen_.statusUnits),
          std::span<Label>(screen_.statusValues), std::span<Label>(screen_.modeCaptions),
          std::span<Label>(screen_.statusSlot), std::span<Label>(screen_.score)})
        colour(onCyan, colour::text, colour::screenCyan);
    // The input panels are white.
    for (Panel& panel : screen_.inputPanels)
        panel.backColor = colour::white;
    colour(screen_.cursorDigits, colour::digitBlue, colour::white);
    for (std::span<Label> onWhite :
         {std::span<Label>(screen_.shellCaptions), std::span<Label>(screen_.panelUnits),
          std::span<Label>(screen_.panelValues), std::span<Label>(screen_.rocketCaptions)})
        colour(onWhite, colour::text, colour::white);
    for (Label& l : screen_.slotLabels)
        l.foreColor = colour::text;
}

// The files beside the program, or where an installed game keeps them.
void Game::findFiles() {
    match_.settingsPath = settingsFile(platform_);
    sounds_.setFile(SoundId::Explosion, soundFile(platform_, "BAN.WAV"));
    sounds_.setFile(SoundId::BaseExplosion, soundFile(platform_, "BIGBAN.WAV"));
}

void Game::startTick() {
    settledTicks_ = 0;
    sizeExplosions();
    openPrompts();
    platform_.setStartInterval(0);
    match_.turn = 0;
    startScreen_ = screen_;
}

// Every projectile's fireball starts as the explosion picture at its own size.
void Game::sizeExplosions() {
    for (int i = 0; i < kPlayers * kSlots; ++i) {
        Sprite& e = field_.explosion[i];
        e.bitmap = &field_.explosionBitmap;
        e.width = e.height = field_.explosionBitmap.width;
    }
}

} // namespace kestrum
