#include "qt/help_window.h"

#include <QLabel>
#include <QVBoxLayout>

#include "field/colours.h"
#include "keyboard/key_map.h"
#include "qt/fonts.h"

namespace kestrum::qt {

namespace {

// The seat's keys for one action, as printed on the keys.
QString caps(const KeyMap& keys, std::initializer_list<SeatKey> which) {
    QStringList names;
    for (SeatKey key : which)
        names << QString::fromUtf8(keyCapName(keys[key]));
    return names.join(QStringLiteral(" "));
}

// The model's BBGGRR as an HTML colour.
QString html(uint32_t bgr) {
    return QStringLiteral("#%1%2%3")
        .arg(bgr & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((bgr >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((bgr >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

} // namespace

QString HelpWindow::text(int16_t keyboardType) {
    const KeyMap& left = kFirstSeatKeys;
    const KeyMap right = secondSeatKeys(keyboardType).value_or(*secondSeatKeys(kNumericKeypad));
    const struct {
        const char* action;
        std::initializer_list<SeatKey> keys;
    } rows[] = {{"カーソル上", {SeatKey::Up}},
                {"カーソル下", {SeatKey::Down}},
                {"桁を上げる（×10）", {SeatKey::PlaceUp}},
                {"桁を下げる（÷10）", {SeatKey::PlaceDown}},
                {"減らす（押し続ける）", {SeatKey::Decrease}},
                {"増やす（押し続ける）", {SeatKey::Increase}},
                {"発射", {SeatKey::Launch, SeatKey::Launch2, SeatKey::Launch3}}};
    QString t = QStringLiteral(
        "<table cellspacing=0 cellpadding=3><tr><th></th><th>左の基地</th><th>右の基地</th></tr>");
    for (const auto& row : rows)
        t += QStringLiteral("<tr><td>%1</td><td align=center>%2</td><td align=center>%3</td></tr>")
                 .arg(QString::fromUtf8(row.action), caps(left, row.keys), caps(right, row.keys));
    t += QStringLiteral("</table><p>入力パネルの色：<br>"
                        "<span style='color:%1'>緑の数字</span>＝いま変えている値<br>"
                        "<span style='color:%2'>青い数字</span>＝増やす・減らすキーが変える桁"
                        "（弾の番号が青いときは弾を選ぶ）</p>"
                        "<p>Ctrl+F1 初期設定　Ctrl+F2 対戦をやめる　Pause 一時停止</p>")
             .arg(html(colour::editGreen), html(colour::digitBlue));
    return t;
}

HelpWindow::HelpWindow(int16_t keyboardType, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("操作説明"));
    setFont(gothicFont(9));
    auto* label = new QLabel(text(keyboardType), this);
    label->setFont(font());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace kestrum::qt
