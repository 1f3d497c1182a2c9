// The game's start-up exactly as main() runs it, with a window that reports the first frame showing
// the set-up prompt. The program folder (config.txt and the sounds) is the first argument.

#include <QApplication>

#include "first_frame.h"
#include "game/game.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"

namespace {

class ReportingWindow : public kestrum::qt::MainWindow {
  public:
    ReportingWindow(kestrum::Game& game, kestrum::qt::QtPlatform& platform)
        : MainWindow(game, platform), game_(game) {}

  protected:
    void paintEvent(QPaintEvent* event) override {
        MainWindow::paintEvent(event);
        if (game_.screen().setupPanel.visible) kestrum::bench::reportAfterThisFrame();
    }

  private:
    kestrum::Game& game_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrum"));

    kestrum::qt::QtPlatform platform(argc > 1 ? argv[1] : "");
    platform.soundPlayer().setPluginPath(KESTRUM_SOUND_PLUGIN); // the game finds it beside itself
    kestrum::Game game(platform, platform);
    ReportingWindow window(game, platform);

    window.runLoadStep();
    window.show();
    return QApplication::exec();
}
