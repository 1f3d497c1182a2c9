#pragma once
// A scripted outside world for driving the game through its entry points.

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/game.h"

namespace kestrum::testing {

class FakeSound : public SoundService {
  public:
    void setFile(SoundId id, const std::string& path) override {
        (id == SoundId::Explosion ? explosionFile : baseExplosionFile) = path;
    }
    void play(SoundId id) override { played.push_back(id); }
    std::string explosionFile, baseExplosionFile;
    std::vector<SoundId> played;
};

class FakePlatform : public Platform {
  public:
    void setTickInterval(int ms) override { tickInterval = ms; }
    void setStartInterval(int ms) override { startInterval = ms; }
    bool showSettingsDialog(SettingsOccasion occasion) override {
        // A reading that never succeeds would show the dialog for ever: stop the test instead.
        if (++dialogsShown > 50) throw std::runtime_error("settings dialog shown over and over");
        lastOccasion = occasion;
        return onDialog ? onDialog() : true;
    }
    void quit(int status) override { quitStatus = status, quitCalls++; }
    std::string programFolder() override { return folder; }
    std::string dataFolder() override { return data; }
    std::string userConfigFolder() override { return userFolder; }
    std::string userDataFolder() override { return dataHome; }
    bool folderWritable(const std::string& f) override { return f != folder || programFolderWritable; }
    uint32_t clockSeed() override { return seed; }
    // The scripted matches of the behaviour lock were written when a match drew on from the generator
    // of the one before; they keep that unless a test gives the matches seeds of their own.
    std::optional<uint32_t> matchSeed() override { return matchSeedValue; }
    void warn(const std::string& message) override { warnings.push_back(message); }
    double twipsPerPixelX() override { return tppX; }
    double twipsPerPixelY() override { return tppY; }

    int tickInterval = 720, startInterval = 120; // the timers run from the window's creation
    int dialogsShown = 0, quitStatus = -1, quitCalls = 0;
    // What the player does in the dialog; the result tells whether a save closed it.
    std::function<bool()> onDialog;
    SettingsOccasion lastOccasion{};
    std::string folder = ".";
    std::string data, userFolder, dataHome;
    bool programFolderWritable = true; // tests run as root, who can write anywhere: say it instead
    uint32_t seed = 12345;
    std::optional<uint32_t> matchSeedValue;
    std::vector<std::string> warnings;
    double tppX = 15, tppY = 15;
};

} // namespace kestrum::testing
