#pragma once
// The outside world of the game on Qt: the two timers, the settings dialog, the end of the program,
// the program folder, the clock and the two explosion sounds.

#include <functional>
#include <memory>
#include <string>

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "game/platform.h"
#include "qt/sound_player.h"
#include "qt/tick_timer.h"

namespace kestrum::qt {

class QtPlatform : public Platform, public SoundService {
  public:
    // The simulation timer already runs at its design period when the window is created.
    static constexpr int kDesignTickInterval = 720;

    // The program folder is the binary's own unless one is given (tests run in a temporary one).
    // Ends the program with status 1 when the binary's folder cannot be found.
    explicit QtPlatform(std::string programFolder = {});
    ~QtPlatform() override;

    // Platform
    void setTickInterval(int milliseconds) override;
    void setStartInterval(int milliseconds) override;
    bool showSettingsDialog(SettingsOccasion occasion) override;
    void quit(int status) override;
    std::string programFolder() override;
    uint32_t clockSeed() override;
    std::string dataFolder() override;
    std::string userConfigFolder() override;
    std::string userDataFolder() override;
    void warn(const std::string& message) override;
    bool folderWritable(const std::string& folder) override;

    // SoundService
    void setFile(SoundId id, const std::string& path) override;
    void play(SoundId id) override;

    TickTimer& tickTimer() { return tick_; }
    QTimer& startTimer() { return start_; }
    SoundPlayer& soundPlayer() { return sounds_; }

    // The dialog is shown over this window once it is on screen.
    void setMainWindow(QWidget* window) {
        mainWindow_ = window;
        sounds_.startAfterFirstPaint(window);
    }
    // Where the dialog reads and writes the settings (the game decides the path).
    void setSettingsPath(std::function<std::string()> path) { settingsPath_ = std::move(path); }
    // True once the program has been told to end: no event may reach the game any more.
    bool quitting() const { return quitting_; }

  private:
    TickTimer tick_;
    QTimer start_;
    QPointer<QWidget> mainWindow_;
    std::function<std::string()> settingsPath_;
    std::string programFolder_;
    SoundPlayer sounds_;
    bool quitting_ = false;
};

} // namespace kestrum::qt
