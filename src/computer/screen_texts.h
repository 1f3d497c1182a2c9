#pragma once
// What a player at the keyboard can read off the main window: the captions of the labels that are
// on screen and the answer boxes of the set-up prompts while they are shown. A hidden label, or one
// inside a hidden panel, reads as empty. This is all the computer opponent is ever given.

#include <array>
#include <string>

#include "app/screen.h"

namespace kestrum::computer {

struct ScreenTexts {
    std::array<std::string, 20> value;       // status panels: 10 per player
    std::array<std::string, 2> number;       // status panels: the selected slot
    std::array<std::string, 2> score;        // rounds won
    std::array<std::string, 6> changetitle;  // status headings that name the battle mode
    std::array<std::string, 4> estanumber;   // input panels: the selected slot
    std::array<std::string, 20> estavalue;   // input panels: the parameter values
    std::array<std::string, 4> inputvalue;   // input panels: the digit under the cursor box
    std::array<std::string, 10> orbitnumber; // slot numbers flying with the projectiles
    std::string airAnswer;                   // the air-resistance box, while the prompts are up

    bool operator==(const ScreenTexts&) const = default;
};

ScreenTexts screenTexts(const Screen& screen);

} // namespace kestrum::computer
