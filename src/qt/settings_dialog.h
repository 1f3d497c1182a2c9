#pragma once
// The settings dialog "初期設定": shows kestrum::SettingsForm and forwards the two clicks to it.

#include <string>

#include <QDialog>

#include "settings/settings_form.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace kestrum::qt {

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SettingsDialog(std::string path, QWidget* parent = nullptr);

    QCheckBox* numericKeypad() const { return numericKeypad_; }
    QLineEdit* periodBox() const { return periodBox_; }
    QPushButton* defaultsButton() const { return defaultsButton_; }
    QPushButton* saveButton() const { return saveButton_; }
    QComboBox* opponent() const { return opponent_; }
    QCheckBox* roundResults() const { return roundResults_; }
    QPushButton* helpButton() const { return helpButton_; }

    // Lets Escape close the dialog as the close box does.
    void setEscapeCloses(bool closes) { escapeCloses_ = closes; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void restoreDefaults();
    void save();
    void showForm();
    // The message box for a handling period that cannot be saved; the box gets the focus back.
    void refuseValue(const char* text);

    SettingsForm form_;
    QCheckBox* numericKeypad_;
    QLineEdit* periodBox_;
    QPushButton* defaultsButton_;
    QPushButton* saveButton_;
    bool escapeCloses_ = false;
    QComboBox* opponent_;
    QCheckBox* roundResults_;
    QPushButton* helpButton_;
};

} // namespace kestrum::qt
