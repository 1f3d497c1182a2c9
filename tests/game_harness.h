#pragma once
// A game in a temporary program folder with a valid config.txt.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "fake_platform.h"

namespace kestrum::testing {

// A fresh empty folder under the system's temporary directory, removed at the end of the test.
class TempFolder {
  public:
    TempFolder() { std::filesystem::remove_all(path_), std::filesystem::create_directories(path_); }
    ~TempFolder() { std::filesystem::remove_all(path_, ec_); }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void write(const std::string& name, const std::string& contents) const {
        std::ofstream(path_ / name, std::ios::binary) << contents;
    }

  private:
    inline static int counter_ = 0;
    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() /
        ("kestrum-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::error_code ec_;
};

// The whole contents of a file as bytes; empty when it cannot be read.
inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct GameHarness {
    explicit GameHarness(const std::string& config = " 1 \r\n10\r\n") {
        if (!config.empty()) folder.write("config.txt", config);
        platform.folder = folder.str();
        game = std::make_unique<Game>(platform, sound);
    }
    // Load step and start tick, as the window does at start-up.
    void start() { game->load(), game->startTick(); }
    // The three set-up prompts: mode "1"/"2", air and sound "y"/"n".
    void answer(const std::string& mode, const std::string& air, const std::string& snd) {
        game->setBoxText(Box::Mode, mode), game->setBoxText(Box::Air, air), game->setBoxText(Box::Sound, snd);
    }
    Match& match() { return game->match(); }
    Player& player(int p) { return game->match().players[p]; }
    Projectile& projectile(int p, int s) { return game->match().players[p].projectiles[s]; }
    Screen& screen() { return game->screen(); }

    TempFolder folder;
    FakePlatform platform;
    FakeSound sound;
    std::unique_ptr<Game> game;
};

} // namespace kestrum::testing
