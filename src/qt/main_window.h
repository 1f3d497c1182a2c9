#pragma once
// The main window "Kestrum": draws the game's screen model and battlefield and forwards every event
// to the game's entry points. It decides nothing.

#include <array>
#include <cstdint>
#include <vector>

#include <QImage>
#include <QMargins>
#include <QRegion>
#include <QWidget>

#include "game/game.h"
#include "game/replay_player.h"
#include "qt/label_text.h"

class QLineEdit;

namespace kestrum::qt {

class QtPlatform;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    MainWindow(Game& game, QtPlatform& platform, QWidget* parent = nullptr);

    // The load step; runs before the window is first shown (it may show the settings dialog).
    void runLoadStep();

    // The window shows a recorded match instead of a live one: the player's game is this window's game.
    // No key reaches the match; Space pauses, Right steps one tick when paused, 1 2 4 8 set the ticks
    // per period, PageDown and PageUp go to the next and the previous round, Escape or Q ends.
    void showReplay(ReplayPlayer& player);
    // The line the replay's state shows in (the window title's suffix).
    QString replayStatus() const;

    // The line edit that mirrors a text box of the model (made when first needed).
    QLineEdit* boxEdit(Box box);

    // Mirrors the model after an event: box texts, visibility, focus, and a repaint of whatever
    // drawn has changed. Returns the part of the window it asked Qt to repaint.
    QRegion syncFromModel();

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
    void replayKey(int key);
    void advanceReplay();
    bool boxHasFocus() const;
    QLineEdit* makeEdit(Box box);
    // Geometry, text and visibility of a box's line edit from the model (made if need be).
    void mirrorBox(Box box);

    // Takes what changed on screen since the last call and returns where the window differs.
    QRegion takeChangedRegion();
    QRegion takeFieldChanges();
    const QImage& battlefieldImage(int factor);
    // The battlefield composed into an image at `at`, each pixel a factor x factor block.
    void writeComposed(QImage& target, QPoint at, int factor) const;
    // Shrinks the window if its screen cannot show it whole.
    void fitToScreen();
    void paintBattlefield(QPainter& p, const QRegion& region);
    struct DrawnLabel;
    void drawLabelOf(QPainter& p, DrawnLabel& d);
    static constexpr int kKeptPerFrame = 4;
    int keptThisFrame_ = 0;

    Game& game_;
    QtPlatform& platform_;
    std::array<QLineEdit*, 4> edits_{};
    struct BoxText {
        std::string model;
        QString text;
    };
    std::array<BoxText, 4> boxTexts_; // each box's model text as last converted
    std::string title_;               // the window title as last set
    double scale_ = 1.0;
    ReplayPlayer* replay_ = nullptr;
    bool paused_ = false;
    int speed_ = 1;        // ticks per period
    QMargins fittedFrame_; // the window frame the last fit allowed for

    // Every control the window paints from the model, as last taken: its data, where its container
    // put it, and the pixels it covers (empty while hidden). A control that changed is repainted
    // over both its old and its new pixels.
    struct DrawnLabel {
        Label label;
        QPoint origin;
        QRect clip;
        bool shown = false;
        QRect ink; // unclipped
        QRect bounds;
        LabelText text; // the caption laid out, for every repaint until it changes
        // Its pixels, kept once it has been drawn twice alike (see drawLabelOf).
        Label keptLook;
        int drawsAlike = 0;
        bool keepable = true;
        QImage kept;
    };
    struct DrawnPanel {
        Panel panel;
        QPoint origin;
        QRect clip;
        bool shown = false;
        QRect bounds;
    };
    std::vector<const Label*> labels_; // in drawing order within each container
    std::vector<DrawnLabel> drawnLabels_;
    std::vector<const Panel*> panels_;
    std::vector<DrawnPanel> drawnPanels_;
    DrawnLabel drawnFrame_;
    bool drawnOnce_ = false;

    // The battlefield as last taken, and the composed image kept between frames.
    std::array<Sprite, 19> drawnSprites_{};
    bool drawnBlank_ = true;
    QImage image_;
    int imageFactor_ = 0;
    bool imageStale_ = true; // recompose before the next paint
    std::vector<uint32_t> changedPixels_;
};

} // namespace kestrum::qt
