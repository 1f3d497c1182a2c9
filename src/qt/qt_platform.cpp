#include "qt/qt_platform.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QFile>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

#include "game/file_places.h"
#include "qt/program_folder.h"
#include "qt/settings_dialog.h"

namespace kestrum::qt {

QtPlatform::QtPlatform(std::string programFolder) : programFolder_(std::move(programFolder)) {
    if (programFolder_.empty()) {
        // Never the working folder or the root instead: the settings would be read and written
        // somewhere the player does not expect.
        std::string error;
        const std::optional<std::string> found = findProgramFolder(error);
        if (!found) {
            std::fprintf(stderr, "kestrum: the program's folder cannot be found (%s)\n", error.c_str());
            std::exit(1);
        }
        programFolder_ = *found;
    }
    start_.setTimerType(Qt::PreciseTimer);
    tick_.start(kDesignTickInterval);
}

QtPlatform::~QtPlatform() = default;

namespace {

// Period 0 stops a timer.
template <typename Timer> void setInterval(Timer& timer, int milliseconds) {
    if (milliseconds <= 0)
        timer.stop();
    else
        timer.start(milliseconds);
}

} // namespace

void QtPlatform::setTickInterval(int milliseconds) {
    setInterval(tick_, milliseconds);
}
void QtPlatform::setStartInterval(int milliseconds) {
    setInterval(start_, milliseconds);
}

bool QtPlatform::showSettingsDialog(SettingsOccasion occasion) {
    const std::string path = settingsPath_ ? settingsPath_() : programFolder() + "/config.txt";
    // Before the main window is on screen the dialog stands alone.
    QWidget* parent = mainWindow_ && mainWindow_->isVisible() ? mainWindow_.data() : nullptr;
    SettingsDialog dialog(path, parent);
    // At the first start closing the dialog ends the program, so Escape may do it too.
    dialog.setEscapeCloses(occasion == SettingsOccasion::FirstRun);
    return dialog.exec() == QDialog::Accepted;
}

void QtPlatform::quit(int status) {
    quitting_ = true;
    tick_.stop();
    start_.stop();
    if (mainWindow_) mainWindow_->hide();
    if (QThread::currentThread()->loopLevel() > 0) {
        // Leaves every running event loop; the window ignores whatever was still queued.
        QCoreApplication::exit(status);
        return;
    }
    sounds_.shutdown(); // std::exit skips our destructors
    std::fflush(nullptr);
    std::exit(status);
}

std::string QtPlatform::programFolder() {
    return programFolder_;
}

uint32_t QtPlatform::clockSeed() {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    return uint32_t(uint64_t(ticks) ^ (uint64_t(ticks) >> 32));
}

// Facts for choosing where the files are (the rules are the game's own).

std::string QtPlatform::dataFolder() {
    // Relative to the binary, as installed: the same for /usr, /usr/local and a staging folder.
    return programFolder() + "/" KESTRUM_DATA_FROM_BINARY;
}

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// $HOME, or for a program started without one (a service, env -i) the account's own home.
std::optional<std::string> home() {
    std::optional<std::string> folder = variable("HOME");
    if (!folder || folder->empty() || folder->front() != '/')
        if (const passwd* account = ::getpwuid(::geteuid()); account && account->pw_dir)
            folder = std::string(account->pw_dir);
    return folder;
}

} // namespace

std::string QtPlatform::userConfigFolder() {
    return userConfigFolderFrom(variable("XDG_CONFIG_HOME"), home());
}

std::string QtPlatform::userDataFolder() {
    return userDataFolderFrom(variable("XDG_DATA_HOME"), home());
}

void QtPlatform::warn(const std::string& message) {
    std::fprintf(stderr, "kestrum: %s\n", message.c_str());
}

bool QtPlatform::folderWritable(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

void QtPlatform::setFile(SoundId id, const std::string& path) {
    sounds_.setFile(id, path);
}

void QtPlatform::play(SoundId id) {
    sounds_.play(id);
}

} // namespace kestrum::qt
