#pragma once
// What a player at the keyboard can read off the main window: the captions of the labels that are on
// screen and the air-resistance answer while the set-up prompts are shown. A hidden label, or one inside
// a hidden panel, reads as empty. This is all the computer opponent is ever given; the game fills it in.

#include <array>
#include <string>

namespace kestrum::computer {

// One player's side of the window.
struct SeatView {
    std::string enemyDistance; // status panel: the enemy base's distance and height
    std::string enemyHeight;
    std::string flightDistance; // status panel: the watched projectile's distance and height
    std::string flightHeight;
    std::string statusSlot; // the slot the status panel shows
    std::string score;
    std::string heading; // the status panel's heading, which names the battle mode
    // Input panels, per battle mode (0 shells, 1 rockets): the selected slot and the parameter rows.
    std::array<std::string, 2> panelSlot;
    std::array<std::array<std::string, 6>, 2> panelValues;
    std::array<std::string, 5> slotLabels; // slot numbers flying with the projectiles
    bool operator==(const SeatView&) const = default;
};

struct ScreenView {
    std::array<SeatView, 2> seats;
    std::string airAnswer; // the air-resistance box, while the prompts are up
    bool operator==(const ScreenView&) const = default;
};

} // namespace kestrum::computer
