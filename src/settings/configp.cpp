#include <algorithm>

#include "app/game.h"
#include "settings/config_file.h"

namespace kestrum {

bool Game::configp() {
    const ConfigReading reading = readConfig(st_.cfgpath);
    // A first number read before the failure is kept, as the reading stores it as it goes.
    if (reading.first) st_.kbtype = *reading.first;
    if (!reading.ok) return false;
    st_.opeval = *reading.second;
    st_.opponent = reading.opponent;
    // Other keyboard types leave the second player's keys as they were.
    if (const auto table = keyTableFor(st_.kbtype)) std::copy(table->begin(), table->end(), st_.keys2);
    return true;
}

} // namespace kestrum
