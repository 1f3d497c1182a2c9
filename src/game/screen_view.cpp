#include "game/screen_view.h"

namespace kestrum {

namespace {

// A label is seen only if it and the panels around it are shown.
bool shown(const Screen& s, const Label& l) {
    if (!l.visible) return false;
    switch (l.parent) {
    case Container::Window:
        return true;
    case Container::InputPanel:
        return s.inputPanels[l.parentIndex].visible;
    case Container::DigitCursor:
        return s.digitCursors[l.parentIndex].visible &&
               s.inputPanels[s.digitCursors[l.parentIndex].parentIndex].visible;
    case Container::SetupPanel:
    case Container::ModeFrame:
        return s.setupPanel.visible;
    case Container::RestartPanel:
        return s.restartPanel.visible;
    }
    return false;
}

std::string seen(const Screen& s, const Label& l) {
    return shown(s, l) ? l.caption : std::string();
}

} // namespace

computer::ScreenView viewOf(const Screen& screen) {
    const Screen& s = screen;
    computer::ScreenView view;
    for (int p = 0; p < 2; ++p) {
        computer::SeatView& seat = view.seats[std::size_t(p)];
        seat.enemyDistance = seen(s, s.statusValue(p, status::kEnemyDistance));
        seat.enemyHeight = seen(s, s.statusValue(p, status::kEnemyHeight));
        seat.flightDistance = seen(s, s.statusValue(p, status::kDistance));
        seat.flightHeight = seen(s, s.statusValue(p, status::kHeight));
        seat.statusSlot = seen(s, s.statusSlot[p]);
        seat.score = seen(s, s.score[p]);
        seat.heading = seen(s, s.statusHeading(p));
        for (int mode = 0; mode < 2; ++mode) {
            seat.panelSlot[std::size_t(mode)] = seen(s, s.panelSlot(mode, p));
            for (int row = 0; row < 2 * mode + 4; ++row)
                seat.panelValues[std::size_t(mode)][std::size_t(row)] = seen(s, s.panelValue(mode, p, row));
        }
        for (int slot = 0; slot < 5; ++slot)
            seat.slotLabels[std::size_t(slot)] = seen(s, s.slotLabel(p, slot));
    }
    if (screen.setupPanel.visible) view.airAnswer = screen.airBox.text;
    return view;
}

} // namespace kestrum
