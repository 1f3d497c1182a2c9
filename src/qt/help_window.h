#pragma once
// "操作説明": both seats' keys for a keyboard type and what the input panel's colours mean.

#include <cstdint>

#include <QDialog>

class QLabel;

namespace kestrum::qt {

class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(int16_t keyboardType, QWidget* parent = nullptr);
    // The text shown, for a keyboard type (1 the numeric keypad, 0 the letter block).
    static QString text(int16_t keyboardType);
};

} // namespace kestrum::qt
