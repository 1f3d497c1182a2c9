#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>
#include <QMessageBox>

#include "game/game.h"
#include "game/replay_hashes.h"
#include "game/replay_player.h"
#include "qt/display_guard.h"
#include "qt/main_window.h"
#include "qt/program_folder.h"
#include "qt/qt_platform.h"

int main(int argc, char** argv) {
    // A replay checked without a window: every stored hash against the playback, as fast as it goes.
    if (argc == 3 && std::string(argv[1]) == "--check-replay") {
        const kestrum::CheckResult result = kestrum::checkReplay(argv[2]);
        std::fprintf(result.status == 0 ? stdout : stderr, "%s\n", result.line.c_str());
        return result.status;
    }
    // config.txt and the sounds live beside the binary; without that folder there is nothing to run.
    std::string error;
    const std::optional<std::string> folder = kestrum::qt::findProgramFolder(error);
    if (!folder) {
        std::fprintf(stderr, "kestrum: the program's folder cannot be found (%s)\n", error.c_str());
        return 1;
    }

    // The icon lives in the Qt library's resources; a static library needs them pulled in by name.
    Q_INIT_RESOURCE(assets);
    std::unique_ptr<QApplication> app;
    {
        const kestrum::qt::DisplayGuard guard;
        app = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setApplicationName(QStringLiteral("Kestrum"));
    // Lets desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KESTRUM_APP_ID));

    kestrum::qt::QtPlatform platform(*folder);

    // A recorded match shown in the window: `kestrum --replay FILE`, or `kestrum FILE` as the desktop
    // opens a replay.
    const char* replayFile = argc == 3 && std::string(argv[1]) == "--replay" ? argv[2]
                             : argc == 2 && argv[1][0] != '-'                ? argv[1]
                                                                             : nullptr;
    if (replayFile) {
        std::string problem;
        std::optional<kestrum::replay::Reading> reading;
        if (const std::optional<std::string> bytes = kestrum::readReplayBytes(replayFile, problem)) {
            reading = kestrum::replay::readReplay(*bytes, kestrum::kSimulationVersion);
            problem = reading->problem;
        }
        if (!reading || reading->status != kestrum::replay::Reading::Status::Ok) {
            std::fprintf(stderr, "kestrum: %s: %s\n", replayFile, problem.c_str());
            QMessageBox::critical(nullptr, QStringLiteral("Kestrum"),
                                  QString::fromStdString(std::string(replayFile) + "\n\n" + problem));
            return 2;
        }
        kestrum::ReplayPlayer player(std::move(*reading), platform, platform);
        kestrum::qt::MainWindow window(player.game(), platform);
        window.showReplay(player);
        window.show();
        return QApplication::exec();
    }

    kestrum::Game game(platform, platform);
    kestrum::qt::MainWindow window(game, platform);

    // config.txt is read (the settings dialog shown alone as long as it cannot be) before the
    // window appears; the start tick then opens the first prompt.
    window.runLoadStep();
    window.show();
    return QApplication::exec();
}
