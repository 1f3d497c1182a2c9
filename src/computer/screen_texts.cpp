#include "computer/screen_texts.h"

namespace kestrum::computer {

namespace {

// A label is seen only if it and the panels around it are shown.
bool shown(const Screen& s, const Label& l) {
    if (!l.visible) return false;
    switch (l.parent) {
    case Container::Window:
        return true;
    case Container::Establish:
        return s.establish[l.parentIndex].visible;
    case Container::Estafigure:
        return s.estafigure[l.parentIndex].visible &&
               s.establish[s.estafigure[l.parentIndex].parentIndex].visible;
    case Container::Selcon:
    case Container::Sel5:
        return s.selcon.visible;
    case Container::Again:
        return s.again.visible;
    }
    return false;
}

template <std::size_t N, std::size_t M>
void copyCaptions(const Screen& s, std::array<std::string, N>& out, const Label (&labels)[M]) {
    static_assert(N <= M);
    for (std::size_t i = 0; i < N; ++i)
        out[i] = shown(s, labels[i]) ? labels[i].caption : std::string();
}

} // namespace

ScreenTexts screenTexts(const Screen& screen) {
    ScreenTexts t;
    copyCaptions(screen, t.value, screen.value);
    copyCaptions(screen, t.number, screen.number);
    copyCaptions(screen, t.score, screen.score);
    copyCaptions(screen, t.changetitle, screen.changetitle);
    copyCaptions(screen, t.estanumber, screen.estanumber);
    copyCaptions(screen, t.estavalue, screen.estavalue);
    copyCaptions(screen, t.inputvalue, screen.inputvalue);
    copyCaptions(screen, t.orbitnumber, screen.orbitnumber);
    if (screen.selcon.visible) t.airAnswer = screen.selr.text;
    return t;
}

} // namespace kestrum::computer
