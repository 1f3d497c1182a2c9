#pragma once
// The outside world as the game sees it. The Qt shell implements it; tests use a fake.

#include <cstdint>
#include <optional>
#include <string>

namespace kestrum {

// The small explosion of a projectile, and the large one of a base blowing up.
enum class SoundId { Explosion, BaseExplosion };

// Why the settings dialog is shown: at start-up there is no readable config.txt yet, and the game
// cannot go on without one; during a match the dialog only changes the settings.
enum class SettingsOccasion { FirstRun, DuringMatch };

// Plays the two explosion sounds. Playing never blocks and never fails loudly.
class SoundService {
  public:
    virtual ~SoundService() = default;
    virtual void setFile(SoundId id, const std::string& path) = 0;
    virtual void play(SoundId id) = 0;
};

class Platform {
  public:
    virtual ~Platform() = default;
    // The simulation tick timer; 0 stops it.
    virtual void setTickInterval(int milliseconds) = 0;
    // The one-shot start timer; 0 stops it.
    virtual void setStartInterval(int milliseconds) = 0;
    // Shows the settings dialog modally and returns when it has been closed: true when a save closed
    // it, false when the player closed it without saving.
    virtual bool showSettingsDialog(SettingsOccasion occasion) = 0;
    // Ends the program at once with this exit status.
    virtual void quit(int status) = 0;
    // The folder holding the binary, config.txt and the sounds (no trailing separator).
    virtual std::string programFolder() = 0;
    // Where an installed game keeps its sounds; empty when there is no such folder.
    virtual std::string dataFolder() { return {}; }
    // This user's folder for the game's settings ($XDG_CONFIG_HOME/kestrum); empty when unknown.
    virtual std::string userConfigFolder() { return {}; }
    // Whether the program may create files in this folder.
    virtual bool folderWritable(const std::string& /*folder*/) { return true; }
    // Seed for the random generator, taken from the clock.
    virtual uint32_t clockSeed() = 0;
    // The seed a new match starts the generator from, so that no match depends on the ones before it
    // in the same run; nothing keeps the generator running on from the match before.
    virtual std::optional<uint32_t> matchSeed() { return clockSeed(); }
    // This user's folder for the game's data ($XDG_DATA_HOME/kestrum); empty when unknown.
    virtual std::string userDataFolder() { return {}; }
    // Something went wrong that must not stop the game (a replay that cannot be written): one line.
    virtual void warn(const std::string& /*message*/) {}
    // Display resolution, for the slot label allowances.
    virtual double twipsPerPixelX() { return 15.0; }
    virtual double twipsPerPixelY() { return 15.0; }
};

} // namespace kestrum
