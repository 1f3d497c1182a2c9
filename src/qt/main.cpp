#include <QApplication>

#include "app/game.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"

int main(int argc, char** argv) {
    // The icon lives in the Qt library's resources; a static library needs them pulled in by name.
    Q_INIT_RESOURCE(assets);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrum"));
    // Lets desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(KESTRUM_APP_ID));

    kestrum::qt::QtPlatform platform;
    kestrum::Game game(platform, platform);
    kestrum::qt::MainWindow window(game, platform);

    // config.txt is read (the settings dialog shown alone as long as it cannot be) before the
    // window appears; the start tick then opens the first prompt.
    window.runLoadStep();
    window.show();
    return QApplication::exec();
}
