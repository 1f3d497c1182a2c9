// The yardstick for the game's start-up: the smallest Qt Widgets program that puts a window of the
// game's size on screen.

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "first_frame.h"

namespace {

class BareWindow : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(131, 255, 255));
        kestrum::bench::reportAfterThisFrame();
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BareWindow window;
    window.setWindowTitle(QStringLiteral("Kestrum"));
    window.setFixedSize(792, 575);
    window.show();
    return QApplication::exec();
}
