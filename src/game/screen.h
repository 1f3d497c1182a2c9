#pragma once
// Every control of the main window as data: what the view draws and what the game writes.
// Geometry is in pixels of the design display (15 twips per pixel); positions of a control that
// lives inside a panel are relative to that panel.

#include <cstdint>
#include <optional>
#include <string>

#include "field/colours.h"
#include "field/design_display.h"

namespace kestrum {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

enum class Align : uint8_t { Left, Right, Center };

// Fonts: the window's default face, or the Japanese proportional gothic face.
enum class Face : uint8_t { WindowDefault, Gothic };
struct Font {
    Face face = Face::WindowDefault;
    double points = 9.0;
    bool bold = false;
    bool operator==(const Font&) const = default;
};

// Which control a child lives in; its rect is relative to that container.
enum class Container : uint8_t { Window, InputPanel, DigitCursor, SetupPanel, ModeFrame, RestartPanel };

struct Label {
    std::string caption;
    uint32_t foreColor = colour::text;
    bool transparent = true; // background not painted
    uint32_t backColor = colour::screenCyan;
    bool visible = false;
    Rect rect;
    Font font;
    Align align = Align::Left;
    bool autoSize = false; // width follows the caption
    Container parent = Container::Window;
    int parentIndex = 0; // which input panel / digit cursor
    bool operator==(const Label&) const = default;
};

struct Panel {
    bool visible = false;
    Rect rect;
    uint32_t backColor = colour::white;
    Container parent = Container::Window;
    int parentIndex = 0;
    bool operator==(const Panel&) const = default;
};

struct TextBox {
    std::string text;
    Rect rect;
    Font font;
    Container parent = Container::SetupPanel;
    bool operator==(const TextBox&) const = default;
};

// The answer boxes of the set-up and restart prompts.
enum class Box : uint8_t { Mode, Air, Sound, Restart };

// Input panels, digit cursors and the labels in them come one per battle mode (0 shells, 1 rockets) and
// player; status rows and slot labels one per player.
struct Screen {
    std::string title = "Kestrum";
    uint32_t backColor = 0xFFFF80; // design background; the load step makes it screen cyan

    // Status panels, one column per player.
    Label statusCaptions[24];
    Label statusUnits[18];
    Label statusValues[20]; // 10 rows per player
    Label modeCaptions[6];  // per player: the panel heading, the last row's caption, its unit
    Label statusSlot[2];    // the slot whose flight the status panel shows
    Label score[2];

    // Input panels and their children.
    Panel inputPanels[4];
    Label panelSlots[4];
    Label panelValues[20]; // shells: 4 rows per player, then rockets: 6 rows per player
    Label shellCaptions[12];
    Label panelUnits[20];
    Label rocketCaptions[14];
    Panel digitCursors[4]; // the box over the digit the adjust keys change
    Label cursorDigits[4];

    // Slot numbers that fly with the projectiles (the last four are never used).
    Label slotLabels[14];

    // Set-up prompt panel.
    Panel setupPanel;
    Label modeFrame; // the frame "戦闘モード"; its caption is the frame title
    Label shellChoice, rocketChoice, modeQuestion, airQuestion, soundQuestion;
    TextBox modeBox, airBox, soundBox;

    // Restart prompt panel.
    Panel restartPanel;
    Label restartQuestion;
    TextBox restartBox;

    // Shown only when asked for: who plays the second seat when the computer does, and a paused match.
    Label opponentCaption;
    Label pauseCaption;
    Label roundResultCaption;

    // The answer box that holds the keyboard; none gives the keys to the main window.
    std::optional<Box> focus;

    bool operator==(const Screen&) const = default;

    TextBox& box(Box b) {
        switch (b) {
        case Box::Mode:
            return modeBox;
        case Box::Air:
            return airBox;
        case Box::Sound:
            return soundBox;
        case Box::Restart:
            break;
        }
        return restartBox;
    }
    const TextBox& box(Box b) const { return const_cast<Screen*>(this)->box(b); }

    // Both status panels, shown for a match and hidden between matches.
    void showStatusPanels(bool visible);

    static constexpr int panelIndex(int mode, int player) { return 2 * mode + player; }
    // The first value label of a player's panel in a mode: the rows of both players follow one another.
    static constexpr int firstPanelValue(int mode, int player) { return 8 * mode + (2 * mode + 4) * player; }

    Label& statusValue(int player, int row) { return statusValues[10 * player + row]; }
    const Label& statusValue(int player, int row) const { return statusValues[10 * player + row]; }
    Label& statusHeading(int player) { return modeCaptions[player]; }
    const Label& statusHeading(int player) const { return modeCaptions[player]; }
    Label& lastRowCaption(int player) { return modeCaptions[player + 2]; }
    const Label& lastRowCaption(int player) const { return modeCaptions[player + 2]; }
    Label& lastRowUnit(int player) { return modeCaptions[player + 4]; }
    const Label& lastRowUnit(int player) const { return modeCaptions[player + 4]; }
    Panel& inputPanel(int mode, int player) { return inputPanels[panelIndex(mode, player)]; }
    const Panel& inputPanel(int mode, int player) const { return inputPanels[panelIndex(mode, player)]; }
    Label& panelSlot(int mode, int player) { return panelSlots[panelIndex(mode, player)]; }
    const Label& panelSlot(int mode, int player) const { return panelSlots[panelIndex(mode, player)]; }
    Label& panelValue(int mode, int player, int row) {
        return panelValues[firstPanelValue(mode, player) + row];
    }
    const Label& panelValue(int mode, int player, int row) const {
        return panelValues[firstPanelValue(mode, player) + row];
    }
    Panel& digitCursor(int mode, int player) { return digitCursors[panelIndex(mode, player)]; }
    const Panel& digitCursor(int mode, int player) const { return digitCursors[panelIndex(mode, player)]; }
    Label& cursorDigit(int mode, int player) { return cursorDigits[panelIndex(mode, player)]; }
    const Label& cursorDigit(int mode, int player) const { return cursorDigits[panelIndex(mode, player)]; }
    Label& slotLabel(int player, int slot) { return slotLabels[5 * player + slot]; }
    const Label& slotLabel(int player, int slot) const { return slotLabels[5 * player + slot]; }
};

// The status panel's rows, per player.
namespace status {
constexpr int kEnemyDistance = 0, kEnemyHeight = 1, kDamage = 2, kCharge = 3, kDistance = 4, kHeight = 5,
              kSpeedAcross = 6, kSpeedUp = 7, kSpeed = 8, kLastRow = 9; // loading time or fuel left
} // namespace status

// Pixel top of the digit cursor on each parameter row of a panel, per battle mode.
constexpr int16_t kCursorRowTop[2][5] = {{24, 48, 64, 0, 0}, {24, 40, 56, 72, 88}};

// The main window's controls as they are created: design captions, fonts and geometry, all hidden.
Screen makeDesignScreen();

} // namespace kestrum
