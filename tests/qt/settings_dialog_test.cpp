// The settings dialog as the players use it: what it opens with, the two buttons, the refusal of a
// too small value and a file that cannot be written.
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game_harness.h"
#include "qt/qt_test_main.h"
#include "qt/settings_dialog.h"

using kestrum::qt::SettingsDialog;
using kestrum::testing::TempFolder;

namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Answers every message box that comes up while it lives, remembering what it said.
struct MessageBoxes {
    MessageBoxes() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shown++;
            text = box->text();
            title = box->windowTitle();
            buttons = box->standardButtons();
            icon = box->icon();
            box->accept();
        });
        timer.start();
    }
    QTimer timer;
    int shown = 0;
    QString text, title;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::Information;
};

} // namespace

TEST(SettingsDialog, OpensWithTheFileOrTheDefaults) {
    TempFolder folder;
    SettingsDialog missing(folder.file("config.txt"));
    EXPECT_EQ(missing.windowTitle(), QStringLiteral("初期設定"));
    EXPECT_EQ(missing.size(), QSize(267, 100));
    EXPECT_TRUE(missing.tenkey()->isChecked());
    EXPECT_EQ(missing.opeval()->text(), QStringLiteral("10"));

    folder.write("config.txt", " 0 \r\n25\r\n");
    SettingsDialog present(folder.file("config.txt"));
    EXPECT_FALSE(present.tenkey()->isChecked());
    EXPECT_EQ(present.opeval()->text(), QStringLiteral("25"));

    // "既定値" puts the defaults back in the controls and writes nothing.
    present.defaultsButton()->click();
    EXPECT_TRUE(present.tenkey()->isChecked());
    EXPECT_EQ(present.opeval()->text(), QStringLiteral("10"));
    EXPECT_EQ(contents(folder.file("config.txt")), " 0 \r\n25\r\n");
}

TEST(SettingsDialog, RefusesNineWithTheMessageAndReturnsToTheBox) {
    TempFolder folder;
    SettingsDialog dialog(folder.file("config.txt"));
    dialog.show();
    dialog.opeval()->setText("9");
    dialog.saveButton()->setFocus();
    MessageBoxes boxes;
    dialog.saveButton()->click();

    EXPECT_EQ(boxes.shown, 1);
    EXPECT_EQ(boxes.text, QStringLiteral("10以上の値に設定して下さい。"));
    EXPECT_EQ(boxes.title, QStringLiteral("操作性調整値"));
    EXPECT_EQ(boxes.buttons, QMessageBox::Ok);
    EXPECT_EQ(boxes.icon, QMessageBox::NoIcon);
    EXPECT_EQ(dialog.focusWidget(), dialog.opeval());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(std::filesystem::exists(folder.file("config.txt")));
}

TEST(SettingsDialog, SaveWritesTheFileAndCloses) {
    TempFolder folder;
    SettingsDialog dialog(folder.file("config.txt"));
    dialog.show();
    dialog.saveButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(contents(folder.file("config.txt")), " 1 \r\n10\r\n");

    // Unticked, and a value kept exactly as typed.
    SettingsDialog again(folder.file("config.txt"));
    again.show();
    again.tenkey()->setChecked(false);
    again.opeval()->setText("15ms");
    again.saveButton()->click();
    EXPECT_EQ(contents(folder.file("config.txt")), " 0 \r\n15ms\r\n");
}

TEST(SettingsDialog, WriteFailureIsReportedAndTheDialogStays) {
    TempFolder folder;
    const std::string path = folder.file("no-such-folder") + "/config.txt";
    SettingsDialog dialog(path);
    dialog.show();
    MessageBoxes boxes;
    dialog.saveButton()->click();
    EXPECT_EQ(boxes.shown, 1);
    EXPECT_TRUE(boxes.text.contains(QString::fromStdString(path))) << boxes.text.toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    // The close box closes without saving.
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

int main(int argc, char** argv) {
    return runQtTests(argc, argv);
}
