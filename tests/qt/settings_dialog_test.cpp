// The settings dialog as the players use it: defaults, refusals, saving, a save that fails.
#include "game_harness.h"
#include "qt/help_window.h"
#include "qt/qt_platform.h"
#include "qt/qt_test_main.h"
#include "qt/settings_dialog.h"

using kestrum::qt::SettingsDialog;

// Every `act` on the dialog up front, within 50 goes; a dialog still open after that is closed, so that a
// test fails instead of hanging. Returns what `run` returns.
template <typename Run> static auto whileShown(const std::function<void(QWidget*)>& act, Run run) {
    QTimer timer;
    int acts = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            acts++ < 50 ? act(dialog)
                        : (dialog->close(), ADD_FAILURE() << "the dialog did not close", void());
    });
    timer.start(5);
    return run();
}

// Clicks Save, answering each message box it brings up; returns "title|text" of each.
static QString save(SettingsDialog& dialog) {
    QString seen;
    whileShown(
        [&](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w))
                seen += box->windowTitle() + "|" + box->text() + "\n", box->accept();
        },
        [&] { return dialog.saveButton()->click(), 0; });
    return seen;
}

static std::string contents(const kestrum::testing::TempFolder& folder) {
    std::ifstream in(folder.file("config.txt"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SettingsDialog, DefaultsRefusalsSaveAndAFailedSave) {
    kestrum::testing::TempFolder folder;
    SettingsDialog dialog(folder.file("config.txt"));
    dialog.show();
    EXPECT_TRUE(dialog.numericKeypad()->isChecked()); // no file yet: the defaults
    EXPECT_EQ(dialog.periodBox()->text(), "10");
    dialog.close(); // the close box saves nothing
    EXPECT_FALSE(std::filesystem::exists(folder.file("config.txt")));

    dialog.show();
    dialog.numericKeypad()->setChecked(false);
    for (const auto& [text, message] : {std::pair{"9", "10以上の値に設定して下さい。"},
                                        {"40000", "10から32767までの値に設定して下さい。"},
                                        {"15\n20", "値は改行を含めずに入力して下さい。"},
                                        {"12,3", "値は空白・タブ・コンマを含めずに入力して下さい。"}}) {
        dialog.periodBox()->setText(QString::fromUtf8(text));
        dialog.saveButton()->setFocus();
        EXPECT_EQ(save(dialog), QStringLiteral("操作性調整値|") + QString::fromUtf8(message) + "\n");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), dialog.periodBox()) << text;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("config.txt")));
    dialog.defaultsButton()->click();
    EXPECT_EQ(save(dialog), "");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(contents(folder), " 1 \r\n10\r\n");

    const std::string missing = folder.file("config.txt") + "/config.txt"; // a file is no folder
    SettingsDialog failing(missing);
    failing.show();
    EXPECT_TRUE(save(failing).contains(QString::fromStdString(missing)));
    EXPECT_TRUE(failing.isVisible());
}

TEST(SettingsDialog, EscapeClosesOnlyTheFirstRunDialogTheCloseBoxBoth) {
    using kestrum::SettingsOccasion;
    kestrum::testing::TempFolder folder;
    kestrum::qt::QtPlatform platform(folder.str());
    auto show = [&](SettingsOccasion occasion, const std::function<void(QWidget*)>& act) {
        return whileShown(act, [&] { return platform.showSettingsDialog(occasion); });
    };
    auto escape = [](QWidget* dialog) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &key);
    };
    auto close = [](QWidget* d) { d->close(); };
    EXPECT_FALSE(show(SettingsOccasion::FirstRun, escape));
    EXPECT_FALSE(show(SettingsOccasion::FirstRun, close));
    EXPECT_FALSE(show(SettingsOccasion::DuringMatch, close));
    // During a match Escape does nothing: only the close box (here after a while) or a save close it.
    int escapes = 0;
    EXPECT_FALSE(
        show(SettingsOccasion::DuringMatch, [&](QWidget* d) { ++escapes < 10 ? escape(d) : close(d); }));
    EXPECT_EQ(escapes, 10);
    EXPECT_TRUE(show(SettingsOccasion::FirstRun,
                     [](QWidget* d) { static_cast<SettingsDialog*>(d)->saveButton()->click(); }));
    EXPECT_EQ(contents(folder), " 1 \r\n10\r\n");
}

TEST(SettingsDialog, AFiveDigitBoxAndBelowTheFormAnOpponentThatStoresAThirdLineOnlyForTheComputer) {
    kestrum::testing::TempFolder folder;
    SettingsDialog dialog(folder.file("config.txt"));
    dialog.show();
    // The original controls keep their places; the new frame lies below them.
    EXPECT_EQ(dialog.saveButton()->geometry(), QRect(164, 64, 57, 25));
    const int top = dialog.opponent()->mapTo(&dialog, QPoint(0, 0)).y();
    EXPECT_TRUE(top >= dialog.saveButton()->geometry().bottom() &&
                top + dialog.opponent()->height() <= dialog.height());
    // The handling box shows the largest value whole, beside its label: no digit scrolled away.
    QLineEdit* box = dialog.periodBox();
    box->setText("32767");
    box->end(false);
    box->grab(); // the scrolling is worked out as it paints
    EXPECT_EQ(box->cursorPositionAt(QPoint(box->contentsRect().left() + 3, box->height() / 2)), 0);
    const QWidget* label = box->parentWidget()->findChild<QLabel*>();
    EXPECT_LE(label->geometry().right(), box->geometry().left());
    EXPECT_LE(box->geometry().right(), box->parentWidget()->width());
    box->setText("10");
    ASSERT_EQ(dialog.opponent()->count(), 5);
    EXPECT_EQ(dialog.opponent()->currentText() + dialog.opponent()->itemText(3) +
                  dialog.opponent()->itemText(4),
              "人コンピュータ（強い）コンピュータ（最強）");

    // The choices the first form never had lie below the frame, inside the dialog.
    for (const QWidget* w :
         {static_cast<QWidget*>(dialog.roundResults()), static_cast<QWidget*>(dialog.helpButton())}) {
        const QRect r(w->mapTo(&dialog, QPoint(0, 0)), w->size());
        EXPECT_TRUE(r.top() >= top + dialog.opponent()->height() && r.bottom() < dialog.height()) << r.top();
    }

    dialog.opponent()->setCurrentIndex(4);
    EXPECT_EQ(save(dialog), "");
    EXPECT_EQ(contents(folder), " 1 \r\n10\r\n 4 \r\n");
    dialog.roundResults()->setChecked(true);
    EXPECT_EQ(save(dialog), "");
    EXPECT_EQ(contents(folder), " 1 \r\n10\r\n 4 \r\n 1 \r\n");

    SettingsDialog again(folder.file("config.txt"));
    EXPECT_TRUE(again.opponent()->currentIndex() == 4 && again.roundResults()->isChecked());
    again.show();
    again.defaultsButton()->click();
    EXPECT_TRUE(again.opponent()->currentIndex() == 0 && !again.roundResults()->isChecked());
}

TEST(HelpWindow, ListsBothSeatsKeysForTheKeyboardType) {
    const QString letters = kestrum::qt::HelpWindow::text(0), keypad = kestrum::qt::HelpWindow::text(1);
    for (const char* cap : {"W", "X Z C", "@", "/ . ろ"})
        EXPECT_TRUE(letters.contains(QString::fromUtf8(cap))) << cap;
    EXPECT_FALSE(letters.contains(QStringLiteral("テンキー")));
    EXPECT_TRUE(keypad.contains(QStringLiteral("テンキー2 テンキー1 テンキー3")) &&
                !keypad.contains(QStringLiteral("ろ")));
}
