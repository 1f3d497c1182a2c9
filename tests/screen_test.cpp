// The main window's controls as created: spot checks, all hidden, all inside the window.

#include <ranges>
#include <span>

#include <gtest/gtest.h>

#include "app/screen.h"

using namespace kestrum;

static const Screen s = makeDesignScreen();

// A control's rect in window pixels (the checked controls live in the window or the input panels).
template <class C> static Rect inWindow(const C& x) {
    const Rect o = x.parent == Container::Establish    ? s.establish[x.parentIndex].rect
                   : x.parent == Container::Estafigure ? inWindow(s.estafigure[x.parentIndex])
                                                       : Rect{};
    return {x.rect.left + o.left, x.rect.top + o.top, x.rect.width, x.rect.height};
}

template <class C> static bool fits(const C& x) {
    const Rect r = inWindow(x);
    return r.left >= 0 && r.top >= 0 && r.left + r.width <= 792 && r.top + r.height <= 575;
}

TEST(DesignScreen, EverythingHiddenAndInsideTheWindow) {
    EXPECT_EQ(s.orbitnumber[13].caption + s.unit[14].caption, "7(kg)");
    // Nothing shows at creation; panel contents ride on their hidden panel.
    const std::span<const Label> labels[] = {s.normal, s.unit,       s.value,      s.changetitle, s.number,
                                             s.score,  s.estanumber, s.estavalue,  s.label1,      s.label2,
                                             s.label3, s.inputvalue, s.orbitnumber};
    for (const Label& l : labels | std::views::join)
        EXPECT_TRUE(l.visible == (l.parent != Container::Window) && fits(l)) << l.caption;
    const std::span<const Panel> panels[] = {s.establish, s.estafigure, {&s.selcon, 1}, {&s.again, 1}};
    for (const Panel& p : panels | std::views::join)
        EXPECT_TRUE(!p.visible && fits(p));
}
