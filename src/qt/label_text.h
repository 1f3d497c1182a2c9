#pragma once
// A label's caption laid out once for its font and kept: drawn again at any place, in any colour,
// without shaping it again, until its caption or font changes. It gives exactly the pixels of
// QPainter::drawText(rect, align | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, caption).

#include <memory>
#include <string>

#include <QRect>

#include "game/screen.h"

class QPainter;
class QTextLayout;

namespace kestrum::qt {

class LabelText {
  public:
    LabelText();
    ~LabelText();
    LabelText(LabelText&&) noexcept;
    LabelText& operator=(LabelText&&) noexcept;

    // Lays the caption out in the model's font, unless it is already laid out.
    void set(const std::string& caption, const Font& font);

    // Its advance, as QFontMetrics::horizontalAdvance gives it (an auto-sized label's width).
    int advance() const;
    // The rectangle the text takes in `box`, as QFontMetrics::boundingRect gives it for those flags.
    QRect extent(const QRect& box, Qt::Alignment align) const;
    // Draws it in the painter's pen, at the top of `box` with this horizontal alignment.
    void draw(QPainter& p, const QRect& box, Qt::Alignment align) const;

  private:
    double offset(const QRect& box, Qt::Alignment align, double width) const;

    std::string caption_;
    Font font_;
    std::unique_ptr<QTextLayout> layout_;
    mutable int advance_ = -1; // measured when first asked for
};

} // namespace kestrum::qt
