#include "qt/label_text.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

#include "qt/fonts.h"

namespace kestrum::qt {

namespace {

// As drawText lays out a single line: line breaks become spaces, the line is as wide as it wants.
QString singleLine(const std::string& caption) {
    QString text = QString::fromStdString(caption);
    for (QChar& c : text)
        if (c == u'\n' || c == u'\r') c = u' ';
    return text;
}

constexpr double kUnboundedWidth = 0x01000000;

} // namespace

LabelText::LabelText() = default;
LabelText::~LabelText() = default;
LabelText::LabelText(LabelText&&) noexcept = default;
LabelText& LabelText::operator=(LabelText&&) noexcept = default;

void LabelText::set(const std::string& caption, const Font& font) {
    if (layout_ && caption == caption_ && font == font_) return;
    caption_ = caption;
    font_ = font;
    advance_ = -1;
    layout_ = std::make_unique<QTextLayout>(singleLine(caption), modelFont(font));
    layout_->setCacheEnabled(true); // keeps the shaped glyphs for every draw
    layout_->beginLayout();
    QTextLine line = layout_->createLine();
    line.setLineWidth(kUnboundedWidth);
    line.setPosition(QPointF(0, 0));
    layout_->endLayout();
}

int LabelText::advance() const {
    if (!layout_) return 0;
    if (advance_ < 0) advance_ = QFontMetrics(modelFont(font_)).horizontalAdvance(layout_->text());
    return advance_;
}

double LabelText::offset(const QRect& box, Qt::Alignment align, double width) const {
    if (align & Qt::AlignRight) return box.width() - width;
    if (align & Qt::AlignHCenter) return (box.width() - width) / 2;
    return 0;
}

QRect LabelText::extent(const QRect& box, Qt::Alignment align) const {
    if (!layout_) return {};
    const QTextLine line = layout_->lineAt(0);
    const double width = line.naturalTextWidth();
    return QRectF(box.x() + offset(box, align, width), box.y(), width, line.height()).toAlignedRect();
}

void LabelText::draw(QPainter& p, const QRect& box, Qt::Alignment align) const {
    if (!layout_) return;
    const QTextLine line = layout_->lineAt(0);
    line.draw(&p, QPointF(box.x() + offset(box, align, line.horizontalAdvance()), box.y()));
}

} // namespace kestrum::qt
