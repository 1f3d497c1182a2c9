#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/screen.h"

using namespace kestrum;

namespace {

const Screen design = makeDesignScreen();

int right(const Rect& r) {
    return r.left + r.width;
}

template <int N> int countCaption(const Label (&labels)[N], const std::string& caption) {
    return int(std::count_if(labels, labels + N, [&](const Label& l) { return l.caption == caption; }));
}

struct Named {
    std::string name;
    const Label* label;
};

std::vector<Named> allLabels(const Screen& s) {
    std::vector<Named> out;
    auto add = [&](const char* name, const Label* first, int count) {
        for (int i = 0; i < count; ++i)
            out.push_back({std::string(name) + "[" + std::to_string(i) + "]", first + i});
    };
    add("normal", s.normal, 24);
    add("unit", s.unit, 18);
    add("value", s.value, 20);
    add("changetitle", s.changetitle, 6);
    add("number", s.number, 2);
    add("score", s.score, 2);
    add("estanumber", s.estanumber, 4);
    add("estavalue", s.estavalue, 20);
    add("label1", s.label1, 12);
    add("label2", s.label2, 20);
    add("label3", s.label3, 14);
    add("inputvalue", s.inputvalue, 4);
    add("orbitnumber", s.orbitnumber, 14);
    add("sel5", &s.sel5, 1);
    add("sel1", &s.sel1, 1);
    add("sel2", &s.sel2, 1);
    add("sel3", &s.sel3, 1);
    add("sel4", &s.sel4, 1);
    add("sel6", &s.sel6, 1);
    add("label", &s.label, 1);
    return out;
}

// The container's rect in window pixels, and whether it is shown (the window counts as shown).
Rect containerRect(const Screen& s, Container c, int index) {
    auto offset = [](Rect inner, const Rect& outer) {
        inner.left += outer.left;
        inner.top += outer.top;
        return inner;
    };
    switch (c) {
    case Container::Window:
        return {0, 0, Screen::kWidth, Screen::kHeight};
    case Container::Establish:
        return s.establish[index].rect;
    case Container::Estafigure:
        return offset(s.estafigure[index].rect, s.establish[index].rect);
    case Container::Selcon:
        return s.selcon.rect;
    case Container::Sel5:
        return offset(s.sel5.rect, s.selcon.rect);
    case Container::Again:
        return s.again.rect;
    }
    return {};
}

} // namespace

// Spot checks straight from the form's tables; an index mix-up shows up as a wrong caption or place.
TEST(DesignScreen, StatusReadoutSpotChecks) {
    struct Case {
        const Label& l;
        const char* caption;
        Rect rect;
    };
    const Case cases[] = {
        {design.normal[0], "敵基地位置", {8, 8, 0, 12}},
        {design.normal[22], "敵基地位置", {600, 8, 0, 12}},
        {design.normal[16], "速度（", {608, 160, 0, 12}},
        {design.normal[23], "爆薬量", {608, 104, 0, 12}},
        {design.value[0], "2500", {120, 24, 33, 17}},
        {design.value[3], "500", {128, 104, 25, 17}},
        {design.value[12], "0", {720, 64, 25, 17}},
        {design.value[13], "2500", {720, 104, 25, 17}},
        {design.unit[0], "(m)", {160, 24, 17, 17}},
        {design.unit[8], "(m/s)", {160, 184, 33, 17}},
        {design.unit[9], "(m/s)", {752, 184, 33, 17}},
        {design.unit[14], "(kg)", {752, 104, 25, 17}},
        {design.changetitle[1], "砲弾状況", {600, 88, 0, 12}},
        {design.changetitle[5], "(s)", {752, 200, 14, 12}},
        {design.number[0], "1", {88, 88, 9, 17}},
        {design.number[1], "1", {680, 88, 9, 17}},
        {design.score[0], "0", {336, 0, 21, 37}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(c.l.caption, c.caption);
        EXPECT_EQ(c.l.rect, c.rect);
        EXPECT_EQ(c.l.parent, Container::Window);
    }
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(right(design.value[i].rect), i < 10 ? 153 : 745) << i;
}

// The right column is the left one moved by 8880 twips; pairs are the mirrored indices.
TEST(DesignScreen, StatusColumnsMirror) {
    const int shift = 592;
    const std::pair<int, int> normal[] = {{0, 22}, {1, 21}, {2, 20}, {3, 19}, {4, 23},  {5, 18},
                                          {6, 17}, {7, 16}, {8, 15}, {9, 14}, {10, 13}, {11, 12}};
    for (auto [l, r] : normal) {
        EXPECT_EQ(design.normal[l].caption, design.normal[r].caption) << l;
        EXPECT_EQ(design.normal[l].rect.left + shift, design.normal[r].rect.left) << l;
        EXPECT_EQ(design.normal[l].rect.top, design.normal[r].rect.top) << l;
    }
    for (int k = 0; k < 9; ++k) {
        Rect moved = design.unit[k].rect;
        moved.left += shift;
        EXPECT_EQ(design.unit[17 - k].rect, moved) << k;
        EXPECT_EQ(design.unit[17 - k].caption, design.unit[k].caption) << k;
    }
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(design.value[k].rect.top, design.value[10 + k].rect.top) << k;

    EXPECT_EQ(countCaption(design.normal, "水平距離"), 4);
    EXPECT_EQ(countCaption(design.normal, "高さ"), 4);
    EXPECT_EQ(countCaption(design.unit, "(m)"), 8);
    EXPECT_EQ(countCaption(design.unit, "(m/s)"), 6);
    EXPECT_EQ(countCaption(design.value, "2500"), 17);
}

TEST(DesignScreen, InputPanels) {
    const Rect panels[4] = {{8, 88, 193, 129}, {592, 88, 193, 129}, {8, 88, 193, 137}, {592, 88, 193, 137}};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(design.establish[n].rect, panels[n]) << n;
        EXPECT_EQ(design.establish[n].backColor, colour::white);
        EXPECT_EQ(design.estafigure[n].rect, (Rect{136, 24, 9, 17}));
        EXPECT_EQ(design.estafigure[n].parentIndex, n);
        EXPECT_EQ(design.inputvalue[n].parent, Container::Estafigure);
        EXPECT_EQ(design.inputvalue[n].parentIndex, n);
        EXPECT_EQ(design.estanumber[n].parentIndex, n);
        EXPECT_EQ(design.estanumber[n].rect.left, n < 2 ? 72 : 88);
    }
    // Value labels: shells 4p + k, rockets 8 + 6p + k, all ending at pixel 145 of their panel.
    for (int v = 0; v < 20; ++v) {
        const Label& l = design.estavalue[v];
        const int panel = v < 4 ? 0 : v < 8 ? 1 : v < 14 ? 2 : 3;
        EXPECT_EQ(l.parent, Container::Establish) << v;
        EXPECT_EQ(l.parentIndex, panel) << v;
        EXPECT_EQ(right(l.rect), 145) << v;
    }
    EXPECT_EQ(design.estavalue[2].caption, "90");
    EXPECT_EQ(design.estavalue[10].caption, "500");
    EXPECT_EQ(design.estavalue[13].caption, "25000");
    EXPECT_EQ(design.estavalue[19].rect.top, 112);
    EXPECT_EQ(design.estavalue[14].rect.width, 33);
    EXPECT_EQ(design.estavalue[8].rect.width, 25);

    EXPECT_EQ(design.label1[10].caption, "砲弾設定");
    EXPECT_EQ(design.label1[10].parentIndex, 0);
    EXPECT_EQ(design.label1[5].caption, "砲弾設定");
    EXPECT_EQ(design.label1[5].parentIndex, 1);
    EXPECT_EQ(design.label1[9].caption, "発射速度（");
    EXPECT_EQ(design.label1[9].rect, (Rect{16, 56, 0, 12}));
    EXPECT_EQ(design.label2[19].caption, "(kg/s)");
    EXPECT_EQ(design.label2[19].parentIndex, 3);
    EXPECT_EQ(design.label2[4].caption, "(s)");
    EXPECT_EQ(design.label2[4].rect, (Rect{152, 104, 0, 12}));
    EXPECT_EQ(countCaption(design.label2, "(kg)"), 8);
}

// Each fixed label of the left player's panel has its twin, same caption and place, in the right one.
TEST(DesignScreen, PanelLabelPairs) {
    struct Pairs {
        const char* name;
        const Label* labels;
        int panel;
        std::vector<std::pair<int, int>> pairs;
    };
    const Pairs all[] = {
        {"label1", design.label1, 0, {{10, 5}, {0, 11}, {2, 8}, {1, 9}, {3, 7}, {4, 6}}},
        {"label3", design.label3, 2, {{5, 8}, {0, 13}, {1, 12}, {2, 11}, {3, 10}, {4, 9}, {6, 7}}},
        {"label2 shell", design.label2, 0, {{0, 7}, {1, 6}, {2, 5}, {3, 4}}},
        {"label2 rocket", design.label2, 2, {{12, 15}, {11, 16}, {8, 19}, {10, 17}, {9, 18}, {13, 14}}},
    };
    for (const Pairs& p : all) {
        for (auto [l, r] : p.pairs) {
            SCOPED_TRACE(std::string(p.name) + " " + std::to_string(l));
            EXPECT_EQ(p.labels[l].parentIndex, p.panel);
            EXPECT_EQ(p.labels[r].parentIndex, p.panel + 1);
            EXPECT_EQ(p.labels[l].caption, p.labels[r].caption);
            EXPECT_EQ(p.labels[l].rect, p.labels[r].rect);
            EXPECT_FALSE(p.labels[l].caption.empty());
        }
    }
    EXPECT_EQ(design.label3[3].caption, "ガス噴射速さ");
    EXPECT_EQ(design.label3[7].caption, "総重量");
}

TEST(DesignScreen, SlotLabels) {
    const char* captions[14] = {"1", "2", "3", "4", "5", "6", "7", "1", "2", "3", "4", "5", "6", "7"};
    for (int i = 0; i < 14; ++i) {
        const Label& l = design.orbitnumber[i];
        EXPECT_EQ(l.caption, captions[i]) << i;
        EXPECT_EQ(l.rect, (Rect{288 + 8 * (i % 7), i < 7 ? 88 : 104, 8, 11})) << i;
        EXPECT_EQ(l.font, (Font{Face::Gothic, 8.25, true})) << i;
        EXPECT_EQ(l.align, Align::Right);
    }
}

TEST(DesignScreen, WindowAndPromptPanels) {
    EXPECT_EQ(design.title, "Kestrum");
    EXPECT_EQ(design.focus, Focus::None);
    EXPECT_EQ(design.selcon.rect, (Rect{272, 212, 257, 161}));
    EXPECT_EQ(design.selcon.backColor, colour::promptBack);
    EXPECT_EQ(design.sel5.caption, "戦闘モード");
    EXPECT_EQ(design.sel5.parent, Container::Selcon);
    EXPECT_EQ(design.sel2.caption, "２）ミサイル戦");
    EXPECT_EQ(design.sel2.parent, Container::Sel5);
    EXPECT_EQ(design.sel4.caption, "空気抵抗を考慮するか（Ｙ/Ｎ）？");
    EXPECT_EQ(design.sel4.parent, Container::Selcon);
    EXPECT_EQ(design.selw.parent, Container::Sel5);
    EXPECT_EQ(design.selw.rect, (Rect{192, 64, 17, 20}));
    EXPECT_EQ(design.selr.rect, (Rect{232, 112, 17, 20}));
    EXPECT_EQ(design.sels.rect, (Rect{192, 136, 17, 20}));
    EXPECT_EQ(design.again.rect, (Rect{296, 260, 201, 17}));
    EXPECT_EQ(design.label.caption, "再び対戦するか（Ｙ／Ｎ）？");
    EXPECT_EQ(design.againput.rect, (Rect{184, 0, 17, 18}));
    EXPECT_EQ(design.againput.parent, Container::Again);
    for (const TextBox* t : {&design.selw, &design.selr, &design.sels, &design.againput}) {
        EXPECT_EQ(t->font, (Font{Face::Gothic, 12.0, false}));
        EXPECT_TRUE(t->text.empty());
    }
}

// Stored fonts are the gothic face; the captions without one use the window's default.
TEST(DesignScreen, Fonts) {
    const Font digits{Face::Gothic, 9.75, true};
    const Font prompt{Face::Gothic, 12.0, false};
    for (const Named& n : allLabels(design)) {
        SCOPED_TRACE(n.name);
        const Label& l = *n.label;
        const std::string kind = n.name.substr(0, n.name.find('['));
        if (kind == "value" || kind == "number" || kind == "estanumber" || kind == "estavalue" ||
            kind == "inputvalue")
            EXPECT_EQ(l.font, digits);
        else if (kind == "score")
            EXPECT_EQ(l.font, (Font{Face::Gothic, 27.75, true}));
        else if (kind == "orbitnumber")
            EXPECT_EQ(l.font.face, Face::Gothic);
        else if (kind.starts_with("sel") || kind == "label")
            EXPECT_EQ(l.font, prompt);
        else
            EXPECT_EQ(l.font, Font{});
        const bool rightAligned = kind == "value" || kind == "number" || kind == "score" ||
                                  kind == "estanumber" || kind == "estavalue" || kind == "orbitnumber";
        EXPECT_EQ(l.align == Align::Right, rightAligned);
    }
}

// Nothing is on screen at creation: panels and window labels are hidden, panel contents ride on their panel.
TEST(DesignScreen, EverythingHiddenAtCreation) {
    for (const Named& n : allLabels(design)) {
        const Label& l = *n.label;
        if (l.parent == Container::Window)
            EXPECT_FALSE(l.visible) << n.name;
        else
            EXPECT_TRUE(l.visible) << n.name << " is hidden inside its panel";
    }
    for (const Panel& p : design.establish)
        EXPECT_FALSE(p.visible);
    for (const Panel& p : design.estafigure)
        EXPECT_FALSE(p.visible);
    EXPECT_FALSE(design.selcon.visible);
    EXPECT_FALSE(design.again.visible);
}

TEST(DesignScreen, EveryControlFitsInItsContainerAndTheWindow) {
    const Rect window{0, 0, Screen::kWidth, Screen::kHeight};
    auto inside = [](const Rect& r, const Rect& outer) {
        return r.left >= 0 && r.top >= 0 && r.left + r.width <= outer.width &&
               r.top + r.height <= outer.height;
    };
    // A child starts inside its container (the restart answer box overhangs its panel by a pixel, clipped).
    auto check = [&](const std::string& name, const Rect& r, Container c, int index) {
        const Rect outer = containerRect(design, c, index);
        EXPECT_TRUE(inside({r.left, r.top, 0, 0}, outer)) << name;
        Rect absolute = r;
        absolute.left += outer.left;
        absolute.top += outer.top;
        EXPECT_TRUE(inside(absolute, window)) << name;
    };
    for (const Named& n : allLabels(design))
        check(n.name, n.label->rect, n.label->parent, n.label->parentIndex);
    for (int n = 0; n < 4; ++n) {
        check("establish", design.establish[n].rect, Container::Window, 0);
        check("estafigure", design.estafigure[n].rect, Container::Establish, n);
    }
    check("selcon", design.selcon.rect, Container::Window, 0);
    check("again", design.again.rect, Container::Window, 0);
    for (const TextBox* t : {&design.selw, &design.selr, &design.sels, &design.againput})
        check("text box", t->rect, t->parent, 0);
}
