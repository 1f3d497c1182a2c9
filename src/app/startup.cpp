#include <cmath>
#include <string>

#include "app/file_places.h"
#include "app/game.h"
#include "numbers/number_text.h"

namespace kestrum {

void Game::load() {
    // The layout draws from the generator every round.
    const uint32_t seed = platform_.clockSeed();
    rng_.seed(seed);
    opponentSeed_ = seed;

    // Measures of the drawing area and of the pictures.
    st_.scrw = float(Battlefield::kWidth);
    st_.groundy = int16_t(Battlefield::kHeight);
    st_.jimenw = int16_t(field_.jimen.width);
    st_.jimenh = int16_t(field_.jimen.height);
    for (int p = 0; p < 2; ++p)
        st_.groundh[p] = int16_t(field_.ground[p].height);

    // Top of the digit cursor per editable row.
    const int16_t shellRows[5] = {24, 48, 64, 0, 0};
    for (int r = 0; r < 5; ++r) {
        st_.rowtop[0][r] = shellRows[r];
        st_.rowtop[1][r] = int16_t(16 * r + 24);
    }

    // Largest values and the highest digit place per row.
    const float largest[2][5] = {{150, 1200, 90, 0, 0}, {350, 9999, 9999, 5100, 90}};
    for (int m = 0; m < 2; ++m) {
        st_.maxplace[m][0] = 0;
        for (int r = 0; r < 5; ++r) {
            st_.maxval[m][r] = largest[m][r];
            st_.maxplace[m][r + 1] = int16_t(singleText(largest[m][r]).size() - 1);
        }
    }

    // Slot labels of the ten projectiles.
    for (int m = 0; m < 2; ++m)
        for (int r = 0; r < 5; ++r) {
            Label& l = screen_.orbitnumber[5 * m + r];
            l.font.points = 8;
            l.caption = std::to_string(r + 1);
            l.transparent = true;
        }

    // How far a slot label stands off its projectile, for the display's resolution.
    st_.lblw = float(std::floor(160.0 / platform_.twipsPerPixelX()));
    st_.lblh = int16_t(std::floor(160.0 / platform_.twipsPerPixelY()));
    st_.lbld =
        int16_t(std::floor(std::sqrt(double(st_.lblh) * st_.lblh + double(st_.lblw) * st_.lblw) * 0.4));

    // Colours: everything the game writes counts as air.
    screen_.backColor = colour::screenCyan;
    auto onCyan = [](Label& l) {
        l.foreColor = colour::text;
        l.backColor = colour::screenCyan;
    };
    for (Label& l : screen_.normal)
        onCyan(l);
    for (Label& l : screen_.unit)
        onCyan(l);
    for (Label& l : screen_.value)
        onCyan(l);
    for (Label& l : screen_.changetitle)
        onCyan(l);
    for (Label& l : screen_.number)
        onCyan(l);
    for (Label& l : screen_.score)
        onCyan(l);
    for (Panel& e : screen_.establish)
        e.backColor = colour::white;
    for (Label& l : screen_.inputvalue) {
        l.foreColor = colour::digitBlue;
        l.backColor = colour::white;
    }
    auto onWhite = [](Label& l) {
        l.foreColor = colour::text;
        l.backColor = colour::white;
    };
    for (Label& l : screen_.label1)
        onWhite(l);
    for (Label& l : screen_.label2)
        onWhite(l);
    for (Label& l : screen_.estavalue)
        onWhite(l);
    for (Label& l : screen_.label3)
        onWhite(l);
    for (Label& l : screen_.orbitnumber)
        l.foreColor = colour::text;

    // Both players' refresh counters start together.
    st_.phase[0] = st_.phase[1] = 0;

    // Files beside the program, or where an installed game keeps them.
    st_.cfgpath = settingsFile(platform_);
    sounds_.setFile(SoundId::Ban, soundFile(platform_, "BAN.WAV"));
    sounds_.setFile(SoundId::BigBan, soundFile(platform_, "BIGBAN.WAV"));

    // No readable settings: the dialog, again and again, until a reading succeeds. Closing it
    // without saving is the way out when no save can succeed: the program ends, as "n" at the
    // restart prompt ends it.
    while (!configp()) {
        if (!platform_.showSettingsDialog(SettingsOccasion::FirstRun)) {
            platform_.quit(0);
            return;
        }
    }
    applyOpponent();

    // The start tick comes right after the window has been shown.
    platform_.setStartInterval(1);
}

void Game::syokika1() {
    for (int i = 0; i < 10; ++i) {
        Sprite& e = field_.explosion[i];
        e.bitmap = &field_.origin;
        e.width = e.height = field_.origin.width;
    }
}

void Game::startTick() {
    syokika1();
    openPrompts();
    platform_.setStartInterval(0);
    st_.turn = 0;
}

} // namespace kestrum
