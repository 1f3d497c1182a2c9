// A second yardstick: the bare window plus the first prompt's question drawn in the game's Japanese
// face, to show how much of the game's start-up is the text alone.

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "first_frame.h"

namespace {

class TextWindow : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(131, 255, 255));
        QFont font;
        font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                          QStringLiteral("Noto Sans CJK JP")});
        font.setPixelSize(16);
        painter.setFont(font);
        painter.drawText(QPoint(24, 64), QStringLiteral("どちらの戦闘モードか？"));
        kestrum::bench::reportAfterThisFrame();
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TextWindow window;
    window.setWindowTitle(QStringLiteral("Kestrum"));
    window.setFixedSize(792, 575);
    window.show();
    return QApplication::exec();
}
