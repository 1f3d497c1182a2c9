// The settings file read into the match, and the tick timer run at its handling period.

#include "game/game.h"
#include "settings/config_file.h"

namespace kestrum {

bool Game::readSettings() {
    Settings& settings = match_.settings;
    const ConfigReading reading = readConfig(match_.settingsPath);
    // A first number read before the failure is kept, as the reading stores it as it goes.
    if (reading.keyboardType) settings.keyboardType = *reading.keyboardType;
    if (!reading.ok) return false;
    settings.handlingPeriod = *reading.handlingPeriod;
    settings.opponent = reading.opponent;
    settings.roundResults = reading.roundResults;
    // Other keyboard types leave the second player's keys as they were.
    if (const auto keys = secondSeatKeys(settings.keyboardType)) settings.secondSeatKeys = *keys;
    return true;
}

void Game::runTickTimer() {
    // Period 0 would stop the timer, and only a hand-edited config.txt can hold a period below 1 ms:
    // such a match runs as fast as a timer can.
    const int16_t period = match_.settings.handlingPeriod;
    platform_.setTickInterval(match_.paused ? 0 : period < 1 ? 1 : period);
}

} // namespace kestrum
