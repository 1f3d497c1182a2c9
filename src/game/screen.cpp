#include "game/screen.h"

#include <iterator>
#include <string>
#include <utility>

namespace kestrum {

namespace {

// The form was laid out in twips; everything here is written in twips so that it reads like the form.
Rect twipsRect(int left, int top, int width, int height) {
    return {twips(left), twips(top), twips(width), twips(height)};
}

constexpr Font kDefaultFont{}; // no stored font: the window's own
constexpr Font kDigits{Face::Gothic, 9.75, true};
constexpr Font kPrompt{Face::Gothic, 12.0, false};

// Design labels paint their background; only the flying slot labels are made see-through at load time.
Label makeLabel(std::string caption, Rect rect, Font font = kDefaultFont, Align align = Align::Left) {
    Label l;
    l.caption = std::move(caption);
    l.transparent = false;
    l.rect = rect;
    l.font = font;
    l.align = align;
    return l;
}

// A caption that sizes itself; the height is the one its font gives.
Label selfSizing(const char* caption, int left, int top, int height, Font font = kDefaultFont) {
    Label l = makeLabel(caption, twipsRect(left, top, 0, height), font);
    l.autoSize = true;
    return l;
}

void inPanel(Label& l, Container parent, int index) {
    l.parent = parent;
    l.parentIndex = index;
    l.visible = true; // shown and hidden through its panel
}

// ---- Status readouts ----

constexpr int kCaptionHeight = 180;
constexpr int kReadoutHeight = 255;
constexpr int kValueRightEdge[2] = {2295, 11175};
constexpr int kUnitLeft[2] = {2400, 11280};

struct Placed {
    const char* caption;
    int left;
    int top;
};

// Captions in index order: the left column, then the right one in mirrored order.
constexpr Placed kStatusCaptions[24] = {
    {"敵基地位置", 120, 120}, {"水平距離", 240, 360},  {"高さ", 240, 600},        {"被害状況", 120, 960},
    {"爆薬量", 240, 1560},    {"水平距離", 720, 1800}, {"高さ", 720, 2040},       {"速度（", 240, 2400},
    {"水平成分", 720, 2280},  {"鉛直成分", 720, 2520}, {"速さ", 240, 2760},       {"位置（", 240, 1920},
    {"位置（", 9120, 1920},   {"速さ", 9120, 2760},    {"鉛直成分", 9600, 2520},  {"水平成分", 9600, 2280},
    {"速度（", 9120, 2400},   {"高さ", 9600, 2040},    {"水平距離", 9600, 1800},  {"被害状況", 9000, 960},
    {"高さ", 9120, 600},      {"水平距離", 9120, 360}, {"敵基地位置", 9000, 120}, {"爆薬量", 9120, 1560},
};

// Row k of a status column: statusValues[10p + k]; rows 0..8 also carry statusUnits[k] (left) and
// statusUnits[17 - k] (right).
constexpr int kRowTop[10] = {360, 600, 960, 1560, 1800, 2040, 2280, 2520, 2760, 3000};
constexpr const char* kUnitCaption[9] = {"(m)", "(m)",   "(%)",   "(kg)", "(m)",
                                         "(m)", "(m/s)", "(m/s)", "(m/s)"};
constexpr const char* kValueCaption[20] = {"2500", "2500", "0",    "500",  "2500", "2500", "2500",
                                           "2500", "2500", "2500", "2500", "2500", "0",    "2500",
                                           "2500", "2500", "2500", "2500", "2500", "2500"};
constexpr int kValueWidth[20] = {495, 615, 375, 375, 495, 495, 735, 855, 855, 495,
                                 495, 615, 375, 375, 495, 615, 735, 855, 855, 495};

int unitWidth(const std::string& caption) {
    if (caption == "(kg)") return 375;
    if (caption == "(m/s)") return 495;
    return 255; // "(m)" and "(%)"
}

// Mode captions: the block heading of each column, the last row's caption and its unit.
constexpr Placed kModeCaptions[6] = {{"砲弾状況", 120, 1320}, {"砲弾状況", 9000, 1320},
                                     {"装填時間", 240, 3000}, {"装填時間", 9120, 3000},
                                     {"(s)", 2400, 3000},     {"(s)", 11280, 3000}};

void makeStatus(Screen& s) {
    for (int i = 0; i < 24; ++i) {
        const Placed& c = kStatusCaptions[i];
        s.statusCaptions[i] = selfSizing(c.caption, c.left, c.top, kCaptionHeight);
    }
    for (int i = 0; i < 20; ++i) {
        const int w = kValueWidth[i];
        const int top = kRowTop[i % 10];
        s.statusValues[i] =
            makeLabel(kValueCaption[i], twipsRect(kValueRightEdge[i / 10] - w, top, w, kReadoutHeight),
                      kDigits, Align::Right);
    }
    for (int k = 0; k < 9; ++k) {
        const int w = unitWidth(kUnitCaption[k]);
        s.statusUnits[k] = makeLabel(kUnitCaption[k], twipsRect(kUnitLeft[0], kRowTop[k], w, kReadoutHeight));
        s.statusUnits[17 - k] =
            makeLabel(kUnitCaption[k], twipsRect(kUnitLeft[1], kRowTop[k], w, kReadoutHeight));
    }
    for (int i = 0; i < 6; ++i) {
        const Placed& c = kModeCaptions[i];
        s.modeCaptions[i] = selfSizing(c.caption, c.left, c.top, kCaptionHeight);
    }
    s.modeCaptions[4].rect.width = s.modeCaptions[5].rect.width = twips(210);

    constexpr int numberLeft[2] = {1320, 10200};
    constexpr int scoreLeft[2] = {5040, 6480};
    for (int p = 0; p < 2; ++p) {
        s.statusSlot[p] =
            makeLabel("1", twipsRect(numberLeft[p], 1320, 135, kReadoutHeight), kDigits, Align::Right);
        s.score[p] = makeLabel("0", twipsRect(scoreLeft[p], 0, 315, 555), Font{Face::Gothic, 27.75, true},
                               Align::Right);
        s.score[p].autoSize = true;
    }
}

// ---- Input panels ----

// Panel n = 2 * mode + player: shells 0 / 1, rockets 2 / 3; the right player's panels mirror the left's.
constexpr int kPanelLeft[2] = {120, 8880};
constexpr int kPanelTop = 1320;
constexpr int kPanelWidth = 2895;
constexpr int kPanelHeight[2] = {1935, 2055};
constexpr int kPanelSlotLeft[2] = {1080, 1320};
constexpr int kPanelValueRightEdge = 2175;
constexpr int kPanelValueHeight = 195;
constexpr int kUnitInPanelLeft = 2280;

// A fixed caption of a panel, by its index in the left / right player's panel.
struct PanelCaption {
    int index[2];
    const char* caption;
    int left;
    int top;
};

constexpr PanelCaption kShellCaptions[] = {
    {{10, 5}, "砲弾設定", 120, 120},  {{0, 11}, "爆薬量", 240, 360}, {{2, 8}, "速さ", 1080, 720},
    {{1, 9}, "発射速度（", 240, 840}, {{3, 7}, "角度", 1080, 960},   {{4, 6}, "装填時間", 120, 1560},
};
constexpr PanelCaption kRocketCaptions[] = {
    {{5, 8}, "ミサイル設定", 120, 120},   {{0, 13}, "爆薬量", 240, 360},
    {{1, 12}, "燃料積載量", 240, 600},    {{2, 11}, "燃料消費量", 240, 840},
    {{3, 10}, "ガス噴射速さ", 240, 1080}, {{4, 9}, "打ち上げ角度", 240, 1320},
    {{6, 7}, "総重量", 120, 1680},
};

// Row k of a panel: its value label (Screen::panelValue) and its unit label in panelUnits.
struct PanelRow {
    int top;
    const char* value;
    const char* unit;
    int unitIndex[2];
};

constexpr PanelRow kShellRows[4] = {
    {360, "2500", "(kg)", {0, 7}},
    {720, "2500", "(m/s)", {1, 6}},
    {960, "90", "(°)", {2, 5}},
    {1560, "2500", "(s)", {3, 4}},
};
constexpr PanelRow kRocketRows[6] = {
    {360, "2500", "(kg)", {12, 15}},   {600, "2500", "(kg)", {11, 16}}, {840, "500", "(kg/s)", {8, 19}},
    {1080, "2500", "(m/s)", {10, 17}}, {1320, "90", "(°)", {9, 18}},    {1680, "25000", "(kg)", {13, 14}},
};

constexpr int kPanelValueWidth[20] = {375, 495, 255, 375, 375, 495, 255, 375, 375, 495,
                                      495, 495, 255, 495, 495, 495, 375, 495, 255, 495};

template <int N> void placeCaptions(Label (&labels)[N], const PanelCaption* captions, int count, int mode) {
    for (int i = 0; i < count; ++i) {
        const PanelCaption& c = captions[i];
        for (int p = 0; p < 2; ++p) {
            Label& l = labels[c.index[p]];
            l = selfSizing(c.caption, c.left, c.top, kCaptionHeight);
            inPanel(l, Container::InputPanel, 2 * mode + p);
        }
    }
}

void makeInputPanels(Screen& s) {
    for (int n = 0; n < 4; ++n) {
        const int mode = n / 2;
        const int p = n % 2;

        Panel& panel = s.inputPanels[n];
        panel.rect = twipsRect(kPanelLeft[p], kPanelTop, kPanelWidth, kPanelHeight[mode]);
        panel.backColor = colour::white;

        s.panelSlots[n] =
            makeLabel("1", twipsRect(kPanelSlotLeft[mode], 120, 135, 195), kDigits, Align::Right);
        inPanel(s.panelSlots[n], Container::InputPanel, n);
        // No colour of its own: it takes the panel's white, not a box of window colour.
        s.panelSlots[n].backColor = colour::white;

        // The digit cursor starts hidden; the readouts show it on the row being edited.
        Panel& cursor = s.digitCursors[n];
        cursor.rect = twipsRect(2040, 360, 135, 255);
        cursor.backColor = colour::white;
        cursor.parent = Container::InputPanel;
        cursor.parentIndex = n;

        s.cursorDigits[n] = makeLabel("0", twipsRect(0, 0, 135, 195), kDigits);
        inPanel(s.cursorDigits[n], Container::DigitCursor, n);

        const PanelRow* rows = mode == 0 ? kShellRows : kRocketRows;
        const int rowCount = mode == 0 ? 4 : 6;
        for (int k = 0; k < rowCount; ++k) {
            const PanelRow& row = rows[k];
            const int v = Screen::firstPanelValue(mode, p) + k;
            const int w = kPanelValueWidth[v];
            s.panelValues[v] =
                makeLabel(row.value, twipsRect(kPanelValueRightEdge - w, row.top, w, kPanelValueHeight),
                          kDigits, Align::Right);
            inPanel(s.panelValues[v], Container::InputPanel, n);

            Label& unit = s.panelUnits[row.unitIndex[p]];
            unit = selfSizing(row.unit, kUnitInPanelLeft, row.top, kCaptionHeight);
            inPanel(unit, Container::InputPanel, n);
        }
    }
    placeCaptions(s.shellCaptions, kShellCaptions, int(std::size(kShellCaptions)), 0);
    placeCaptions(s.rocketCaptions, kRocketCaptions, int(std::size(kRocketCaptions)), 1);
}

// ---- Slot labels ----

void makeSlotLabels(Screen& s) {
    for (int i = 0; i < 14; ++i) {
        const int column = i % 7;
        const int top = i < 7 ? 1320 : 1560;
        Label& l = s.slotLabels[i];
        l = makeLabel(std::to_string(column + 1), twipsRect(4320 + 120 * column, top, 120, 165),
                      Font{Face::Gothic, 8.25, true}, Align::Right);
        l.foreColor = colour::black;
    }
}

// ---- Prompt panels ----

constexpr int kPromptTextHeight = 240; // one line of the 12 pt prompt face

Label promptLabel(const char* caption, int left, int top, Container parent) {
    Label l = selfSizing(caption, left, top, kPromptTextHeight, kPrompt);
    l.backColor = colour::promptBack;
    inPanel(l, parent, 0);
    return l;
}

TextBox answerBox(int left, int top, int height, Container parent) {
    TextBox t;
    t.rect = twipsRect(left, top, 255, height);
    t.font = kPrompt;
    t.parent = parent;
    return t;
}

void makePrompts(Screen& s) {
    s.setupPanel.rect = twipsRect(4080, 3180, 3855, 2415);
    s.setupPanel.backColor = colour::promptBack;

    s.modeFrame = makeLabel("戦闘モード", twipsRect(120, 0, 3615, 1455), kPrompt);
    s.modeFrame.backColor = colour::promptBack;
    inPanel(s.modeFrame, Container::SetupPanel, 0);

    s.shellChoice = promptLabel("１）砲弾戦", 240, 480, Container::ModeFrame);
    s.rocketChoice = promptLabel("２）ミサイル戦", 1800, 480, Container::ModeFrame);
    s.modeQuestion = promptLabel("どちらの戦闘モードか？", 360, 960, Container::ModeFrame);
    s.modeBox = answerBox(2880, 960, 300, Container::ModeFrame);
    s.airQuestion = promptLabel("空気抵抗を考慮するか（Ｙ/Ｎ）？", 240, 1680, Container::SetupPanel);
    s.airBox = answerBox(3480, 1680, 300, Container::SetupPanel);
    s.soundQuestion = promptLabel("爆発音を出すか（Ｙ/Ｎ）？", 240, 2040, Container::SetupPanel);
    s.soundBox = answerBox(2880, 2040, 300, Container::SetupPanel);

    s.restartPanel.rect = twipsRect(4440, 3900, 3015, 255);
    s.restartPanel.backColor = colour::promptBack;
    s.restartQuestion = makeLabel("再び対戦するか（Ｙ／Ｎ）？", twipsRect(0, 0, 2670, 240), kPrompt);
    s.restartQuestion.backColor = colour::promptBack;
    inPanel(s.restartQuestion, Container::RestartPanel, 0);
    s.restartBox = answerBox(2760, 0, 270, Container::RestartPanel);
}

} // namespace

void Screen::showStatusPanels(bool visible) {
    auto show = [visible](auto& labels) {
        for (Label& l : labels)
            l.visible = visible;
    };
    show(statusCaptions);
    show(statusUnits);
    show(statusValues);
    show(modeCaptions);
    show(statusSlot);
    show(score);
}

void makeCaptions(Screen& s) {
    // Below the right status panel, in its style.
    s.opponentCaption = selfSizing("", 9000, 3300, kCaptionHeight);
    s.opponentCaption.transparent = true;
    // Over the middle of the field, in the style of the prompts.
    s.pauseCaption = makeLabel("一時停止中", twipsRect(4980, 4080, 1920, 360), kPrompt, Align::Center);
    s.pauseCaption.backColor = colour::promptBack;
    // Who won the round, while its end stays on screen.
    s.roundResultCaption =
        makeLabel("", twipsRect(4380, 3600, 3120, 480), Font{Face::Gothic, 18.0, true}, Align::Center);
    s.roundResultCaption.backColor = colour::promptBack;
}

Screen makeDesignScreen() {
    Screen s;
    s.title = "Kestrum";
    s.backColor = colour::promptBack;
    makeStatus(s);
    makeInputPanels(s);
    makeSlotLabels(s);
    makePrompts(s);
    makeCaptions(s);
    return s;
}

} // namespace kestrum
