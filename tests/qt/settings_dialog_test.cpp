// The settings dialog as the players use it: defaults, the refusal of 9, saving, a save that fails.
#include "game_harness.h"
#include "qt/qt_platform.h"
#include "qt/qt_test_main.h"
#include "qt/settings_dialog.h"

// Clicks Save, answering each message box it brings up; returns "title|text" of each.
static QString save(kestrum::qt::SettingsDialog& dialog) {
    QString seen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen += box->windowTitle() + "|" + box->text() + "\n";
            box->accept();
        }
    });
    timer.start(5);
    dialog.saveButton()->click();
    return seen;
}

TEST(SettingsDialog, DefaultsRefusalOfNineSaveAndAFailedSave) {
    kestrum::testing::TempFolder folder;
    kestrum::qt::SettingsDialog dialog(folder.file("config.txt"));
    dialog.show();
    EXPECT_TRUE(dialog.tenkey()->isChecked()); // no file yet: the defaults
    EXPECT_EQ(dialog.opeval()->text(), "10");
    dialog.close(); // the close box saves nothing
    EXPECT_FALSE(std::filesystem::exists(folder.file("config.txt")));

    dialog.show();
    dialog.tenkey()->setChecked(false);
    dialog.opeval()->setText("9");
    dialog.saveButton()->setFocus();
    EXPECT_EQ(save(dialog), "操作性調整値|10以上の値に設定して下さい。\n");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.opeval());
    dialog.defaultsButton()->click();
    EXPECT_EQ(save(dialog), "");
    EXPECT_FALSE(dialog.isVisible());
    std::ifstream saved(folder.file("config.txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), " 1 \r\n10\r\n");

    const std::string missing = folder.file("config.txt") + "/config.txt"; // a file is no folder
    kestrum::qt::SettingsDialog failing(missing);
    failing.show();
    EXPECT_TRUE(save(failing).contains(QString::fromStdString(missing)));
    EXPECT_TRUE(failing.isVisible());
}

TEST(SettingsDialog, RefusesValuesTooLargeOrOnMoreThanOneLine) {
    kestrum::testing::TempFolder folder;
    kestrum::qt::SettingsDialog dialog(folder.file("config.txt"));
    dialog.show();
    for (const auto& [text, message] : {std::pair{"40000", "10から32767までの値に設定して下さい。"},
                                        {"1e9", "10から32767までの値に設定して下さい。"},
                                        {"15\n20", "値は改行を含めずに入力して下さい。"}}) {
        dialog.opeval()->setText(QString::fromUtf8(text));
        dialog.saveButton()->setFocus();
        EXPECT_EQ(save(dialog), QStringLiteral("操作性調整値|") + QString::fromUtf8(message) + "\n");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.focusWidget(), dialog.opeval());
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("config.txt")));
}

// Shows the dialog through the platform and does `act` to it once it is up; whether a save closed it.
// A dialog still open after 50 acts is closed, so that a test fails instead of hanging.
static bool showAndDo(kestrum::qt::QtPlatform& platform, kestrum::SettingsOccasion occasion,
                      const std::function<void(QWidget*)>& act) {
    QTimer timer;
    int acts = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            if (acts++ < 50)
                act(dialog);
            else
                dialog->close(), ADD_FAILURE() << "the dialog did not close";
        }
    });
    timer.start(5);
    return platform.showSettingsDialog(occasion);
}

TEST(SettingsDialog, EscapeClosesOnlyTheFirstRunDialogTheCloseBoxBoth) {
    using kestrum::SettingsOccasion;
    kestrum::testing::TempFolder folder;
    kestrum::qt::QtPlatform platform(folder.str());
    auto escape = [](QWidget* dialog) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &key);
    };
    EXPECT_FALSE(showAndDo(platform, SettingsOccasion::FirstRun, escape));
    EXPECT_FALSE(showAndDo(platform, SettingsOccasion::FirstRun, [](QWidget* d) { d->close(); }));
    EXPECT_FALSE(showAndDo(platform, SettingsOccasion::DuringMatch, [](QWidget* d) { d->close(); }));
    // During a match Escape does nothing: only the close box (here after a while) or a save close it.
    int escapes = 0;
    EXPECT_FALSE(showAndDo(platform, SettingsOccasion::DuringMatch, [&](QWidget* d) {
        if (++escapes < 10) return escape(d);
        d->close();
    }));
    EXPECT_EQ(escapes, 10);
    EXPECT_TRUE(showAndDo(platform, SettingsOccasion::FirstRun, [](QWidget* d) {
        static_cast<kestrum::qt::SettingsDialog*>(d)->saveButton()->click();
    }));
    std::ifstream saved(folder.file("config.txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), " 1 \r\n10\r\n");
}

TEST(SettingsDialog, OpponentFrameBelowTheFormStoresAThirdLineOnlyForTheComputer) {
    kestrum::testing::TempFolder folder;
    auto contents = [&] {
        std::ifstream in(folder.file("config.txt"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    kestrum::qt::SettingsDialog dialog(folder.file("config.txt"));
    dialog.show();
    // The original controls keep their places; the new frame lies below them.
    EXPECT_EQ(dialog.saveButton()->geometry(), QRect(164, 64, 57, 25));
    EXPECT_GE(dialog.opponent()->mapTo(&dialog, QPoint(0, 0)).y(), dialog.saveButton()->geometry().bottom());
    EXPECT_LE(dialog.opponent()->mapTo(&dialog, QPoint(0, 0)).y() + dialog.opponent()->height(),
              dialog.height());
    ASSERT_EQ(dialog.opponent()->count(), 4);
    EXPECT_EQ(dialog.opponent()->currentText(), "人");
    EXPECT_EQ(dialog.opponent()->itemText(3), "コンピュータ（強い）");

    dialog.opponent()->setCurrentIndex(3);
    EXPECT_EQ(save(dialog), "");
    EXPECT_EQ(contents(), " 1 \r\n10\r\n 3 \r\n");

    kestrum::qt::SettingsDialog again(folder.file("config.txt"));
    EXPECT_EQ(again.opponent()->currentIndex(), 3);
    again.show();
    again.defaultsButton()->click();
    EXPECT_EQ(again.opponent()->currentIndex(), 0);
    EXPECT_EQ(save(again), "");
    EXPECT_EQ(contents(), " 1 \r\n10\r\n");
}
