#pragma once
// Every control of the main window as data: what the view draws and what the game writes.
// Geometry is in pixels of the design display (15 twips per pixel); positions of a control that
// lives inside a panel are relative to that panel.

#include <cstdint>
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
enum class Container : uint8_t { Window, Establish, Estafigure, Selcon, Sel5, Again };

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
    int parentIndex = 0; // which establish / estafigure
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
    Container parent = Container::Selcon;
    bool operator==(const TextBox&) const = default;
};

// The text boxes that can hold the keyboard focus; None gives the keys to the main window.
enum class Focus : uint8_t { None, Selw, Selr, Sels, Againput };

struct Screen {
    std::string title = "Kestrum";
    uint32_t backColor = 0xFFFF80; // design background; the load step makes it screen cyan

    // Status panels.
    Label normal[24];
    Label unit[18];
    Label value[20];
    Label changetitle[6];
    Label number[2];
    Label score[2];

    // Input panels and their children.
    Panel establish[4];
    Label estanumber[4];
    Label estavalue[20];
    Label label1[12]; // shell panel captions
    Label label2[20]; // units of both panel kinds
    Label label3[14]; // rocket panel captions
    Panel estafigure[4];
    Label inputvalue[4];

    // Slot numbers that fly with the projectiles.
    Label orbitnumber[14];

    // Set-up prompt panel.
    Panel selcon;
    Label sel5; // the frame "戦闘モード"; its caption is the frame title
    Label sel1, sel2, sel3, sel4, sel6;
    TextBox selw, selr, sels;

    // Restart prompt panel.
    Panel again;
    Label label;
    TextBox againput;

    Focus focus = Focus::None;

    bool operator==(const Screen&) const = default;
};

// The main window's controls as they are created: design captions, fonts and geometry, all hidden.
Screen makeDesignScreen();

} // namespace kestrum
