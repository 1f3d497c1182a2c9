#pragma once
// The main window "Kestrum": draws the game's screen model and battlefield and forwards every event
// to the game's entry points. It decides nothing.

#include <array>
#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

#include <QImage>
#include <QMargins>
#include <QWidget>

#include "app/game.h"

class QLineEdit;

namespace kestrum::qt {

class QtPlatform;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    MainWindow(Game& game, QtPlatform& platform, QWidget* parent = nullptr);

    // The load step; runs before the window is first shown (it may show the settings dialog).
    void runLoadStep();

    // The line edit that mirrors a text box of the model.
    QLineEdit* boxEdit(Box box) const { return edits_[size_t(box)]; }

    // Mirrors the model after an event: box texts, visibility, focus, and a repaint if anything
    // drawn has changed.
    void syncFromModel();

    // Draws everything at this scale (1 = the design size). Below 1 the window shrinks with it.
    void setContentScale(double scale);
    double contentScale() const { return scale_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    template <typename Handler> void handle(Handler&& handler);
    bool boxHasFocus() const;
    const QImage& battlefieldImage(int factor);
    // Shrinks the window if its screen cannot show it whole.
    void fitToScreen();

    Game& game_;
    QtPlatform& platform_;
    std::array<QLineEdit*, 4> edits_{};
    double scale_ = 1.0;
    QMargins fittedFrame_; // the window frame the last fit allowed for

    // What was last handed to the painter, to repaint only on a change.
    struct Drawn {
        Screen screen;
        std::vector<Sprite> sprites;
        uint64_t revision = 0;
        bool operator==(const Drawn&) const = default;
    };
    std::optional<Drawn> drawn_;

    // The composed battlefield and what it was composed from.
    QImage image_;
    std::optional<std::pair<std::vector<Sprite>, int>> imageSource_;
    std::vector<uint32_t> changedPixels_;
    std::vector<uint32_t> composed_;
};

} // namespace kestrum::qt
