// The settings dialog as the players use it: defaults, the refusal of 9, saving, a save that fails.
#include "game_harness.h"
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
