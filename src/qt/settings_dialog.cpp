#include "qt/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "field/design_display.h"
#include "keyboard/key_map.h"
#include "qt/fonts.h"
#include "qt/help_window.h"

namespace kestrum::qt {

namespace {

// The form was laid out in twips, converted the way the main window converts them.
QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// The original box held three digits; the handling period takes up to five (32767).
constexpr int kWiderBox = 420;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// A frame with its caption on the line, the way the form was drawn; the contents are placed by
// hand, so the frame must not take room for its title.
void frameStyle(QGroupBox* frame) {
    frame->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; "
                                        "margin-top: 6px; }"
                                        "QGroupBox::title { subcontrol-origin: margin; left: 6px; "
                                        "padding: 0 2px; }"));
}

} // namespace

SettingsDialog::SettingsDialog(std::string path, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      form_(std::move(path)) {
    setWindowTitle(qs(SettingsForm::kTitle));
    if (QFile::exists(QStringLiteral(":/kestrum.png"))) setWindowIcon(QIcon(QStringLiteral(":/kestrum.png")));
    setFont(gothicFont(9));
    // Wider than the original form by what the handling box needs to show five digits; the
    // opponent's frame and the new choices below it.
    setFixedSize(twips(4005 + kWiderBox), twips(2655));

    auto* keyboardFrame = new QGroupBox(QStringLiteral("キーボード種別"), this);
    frameStyle(keyboardFrame);
    keyboardFrame->setGeometry(twipsRect(120, 120, 1575, 615));
    numericKeypad_ = new QCheckBox(QStringLiteral("１０キー有り"), keyboardFrame);
    numericKeypad_->setGeometry(twipsRect(120, 240, 1335, 255));

    auto* periodFrame = new QGroupBox(QStringLiteral("操作性調整"), this);
    frameStyle(periodFrame);
    periodFrame->setGeometry(twipsRect(1920, 120, 1935 + kWiderBox, 615));
    auto* rangeLabel = new QLabel(QStringLiteral("値範囲：10以上"), periodFrame);
    rangeLabel->move(twips(120), twips(285));
    periodBox_ = new QLineEdit(periodFrame);
    periodBox_->setGeometry(twipsRect(1440, 240, 375 + kWiderBox, 270));

    defaultsButton_ = new QPushButton(QStringLiteral("既定値"), this);
    defaultsButton_->setGeometry(twipsRect(805, 960, 855, 375));
    saveButton_ = new QPushButton(QStringLiteral("保存"), this);
    saveButton_->setGeometry(twipsRect(2465, 960, 855, 375));
    // Neither button is a default button: Enter in the box does not save.
    defaultsButton_->setAutoDefault(false);
    saveButton_->setAutoDefault(false);

    // Who plays the second seat: its index is the number stored in config.txt.
    auto* opponentFrame = new QGroupBox(QStringLiteral("対戦相手"), this);
    frameStyle(opponentFrame);
    opponentFrame->setGeometry(twipsRect(120, 1455, 3735 + kWiderBox, 615));
    opponent_ = new QComboBox(opponentFrame);
    for (const char* choice : {"人", "コンピュータ（弱い）", "コンピュータ（普通）", "コンピュータ（強い）",
                               "コンピュータ（最強）"})
        opponent_->addItem(QString::fromUtf8(choice));
    opponent_->setGeometry(twipsRect(120, 225, 2400, 300));

    // Choices the first form never had, below it.
    roundResults_ = new QCheckBox(QStringLiteral("ラウンド結果を表示"), this);
    roundResults_->setGeometry(twipsRect(240, 2205, 2100, 255));
    helpButton_ = new QPushButton(QStringLiteral("操作説明"), this);
    helpButton_->setGeometry(twipsRect(2465, 2145, 1390, 375));
    helpButton_->setAutoDefault(false);
    connect(helpButton_, &QPushButton::clicked, this, [this] {
        HelpWindow help(numericKeypad_->isChecked() ? kNumericKeypad : kLetterBlock, this);
        help.exec();
    });

    connect(defaultsButton_, &QPushButton::clicked, this, &SettingsDialog::restoreDefaults);
    connect(saveButton_, &QPushButton::clicked, this, &SettingsDialog::save);

    // A style sheet passes only the first family on to the children: give each the whole list.
    for (QWidget* child : findChildren<QWidget*>())
        child->setFont(font());
    rangeLabel->adjustSize(); // sizes itself to its text

    form_.load();
    showForm();
}

void SettingsDialog::showForm() {
    numericKeypad_->setChecked(form_.numericKeypad);
    periodBox_->setText(qs(form_.periodText));
    opponent_->setCurrentIndex(form_.opponent);
    roundResults_->setChecked(form_.roundResults);
}

void SettingsDialog::restoreDefaults() {
    form_.restoreDefaults();
    showForm();
}

void SettingsDialog::save() {
    form_.numericKeypad = numericKeypad_->isChecked();
    form_.periodText = periodBox_->text().toStdString();
    form_.opponent = opponent_->currentIndex();
    form_.roundResults = roundResults_->isChecked();
    switch (form_.save()) {
    case SettingsForm::SaveOutcome::Saved:
        accept();
        break;
    case SettingsForm::SaveOutcome::ValueTooSmall:
        refuseValue(SettingsForm::kTooSmallText);
        break;
    case SettingsForm::SaveOutcome::ValueTooLarge:
        refuseValue(SettingsForm::kTooLargeText);
        break;
    case SettingsForm::SaveOutcome::NotOneLine:
        refuseValue(SettingsForm::kNotOneLineText);
        break;
    case SettingsForm::SaveOutcome::NotOneField:
        refuseValue(SettingsForm::kNotOneFieldText);
        break;
    case SettingsForm::SaveOutcome::WriteFailed: {
        // Nothing was written: say where and why, and let the player try again or close.
        std::string reason = form_.lastError;
        if (reason.find(form_.path()) == std::string::npos) reason = form_.path() + ": " + reason;
        const QString text = QStringLiteral("設定を保存できませんでした。\n") + qs(reason);
        QMessageBox box(QMessageBox::Warning, qs(SettingsForm::kTitle), text, QMessageBox::Ok, this);
        box.exec();
        break;
    }
    }
}

void SettingsDialog::refuseValue(const char* text) {
    QMessageBox box(QMessageBox::NoIcon, qs(SettingsForm::kTooSmallTitle), qs(text), QMessageBox::Ok, this);
    box.exec();
    periodBox_->setFocus();
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
    // The form has no cancel button: Escape does not close it (the close box does), except where
    // closing is the way out of the program.
    if (event->key() == Qt::Key_Escape && !escapeCloses_) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kestrum::qt
