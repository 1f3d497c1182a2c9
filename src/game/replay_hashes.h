#pragma once
// What a replay checks the playback against: the simulation's version, and hashes of the match with
// the screen's texts and of the battlefield as shown.

#include <cstdint>
#include <vector>

#include "field/battlefield.h"
#include "game/match.h"
#include "game/screen.h"
#include "replay/replay_file.h"

namespace kestrum {

// Raise it with every change to a rule or a number of the match: replays of another version are refused,
// as they would leave the recording at their first shot.
constexpr uint16_t kSimulationVersion = 1;

// The screen's labels and panels in one fixed order, the order replay files number them in.
std::vector<Label*> labelsOf(Screen& screen);
std::vector<Panel*> panelsOf(Screen& screen);

// A check between two round ends hashes the match alone (it costs a few hundred words, next to nothing
// beside a hundred ticks); a round end's check also hashes every label and panel of the screen, so a
// playback that shows a match otherwise than it was shown is caught by the end of the round at the latest.
uint64_t matchHash(const Match& match);
uint64_t stateHash(const Match& match, const Screen& screen);
// The state hash a check stores, as a file of this format hashes it (formats before the light checks
// hashed the screen at every check).
uint64_t checkHash(const Match& match, const Screen& screen, bool roundEnd,
                   uint16_t format = replay::kFormatVersion);
uint64_t rasterHash(const Battlefield& field);

} // namespace kestrum
