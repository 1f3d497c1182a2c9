// Where config.txt and the sounds are found: beside the program, or where an installed game keeps them.

#include <gtest/gtest.h>

#include "game/file_places.h"
#include "game_harness.h"
#include "settings/settings_form.h"

namespace kestrum {
namespace {

using namespace testing;

TEST(FilePlaces, SettingsBesideTheProgramWhenItHoldsOrTakesThemButNeverInAnInstallation) {
    // installed (sounds in the data folder only), writable folder, config.txt beside it (none, a file,
    // a link to a file not yet made), user folder known -> where the settings are. A dangling link is
    // the player's: the save makes its target.
    for (int installed = 0; installed < 2; ++installed)
        for (int writable = 0; writable < 2; ++writable)
            for (int present = 0; present < 3; ++present)
                for (int known = 0; known < 2; ++known) {
                    GameHarness h(present == 1 ? " 1 \r\n10\r\n" : "");
                    if (present == 2)
                        std::filesystem::create_symlink(h.folder.file("elsewhere.txt"),
                                                        h.folder.file("config.txt"));
                    TempFolder user, data;
                    data.write("BAN.WAV", "RIFF");
                    if (!installed) h.folder.write("BAN.WAV", "RIFF");
                    h.platform.data = data.str();
                    h.platform.programFolderWritable = writable; // root can write the installation
                    h.platform.userFolder = known ? user.file("kestrum") : "";
                    const std::string expected = installed ? (known ? user.file("kestrum/config.txt") : "")
                                                 : !writable && !present && known
                                                     ? user.file("kestrum/config.txt")
                                                     : h.folder.file("config.txt");
                    EXPECT_EQ(settingsFile(h.platform), expected)
                        << installed << writable << present << known;
                }
}

TEST(FilePlaces, InstalledFirstRunSavesIntoANewUserFolderAndReadsItBack) {
    GameHarness h(""); // an installed game: no config.txt, the sounds in the data folder
    TempFolder home, data;
    data.write("BAN.WAV", "RIFF");
    h.platform.data = data.str();
    h.platform.userFolder = home.file(".config/kestrum");
    h.platform.onDialog = [&] {
        SettingsForm form(h.match().settingsPath); // what the dialog's 保存 does with the defaults
        EXPECT_EQ(form.save(), SettingsForm::SaveOutcome::Saved);
        return true; // closed by a save
    };
    h.game->load();
    EXPECT_EQ(h.platform.dialogsShown, 1);
    EXPECT_EQ(slurp(home.file(".config/kestrum/config.txt")), " 1 \r\n10\r\n");
    const Settings& settings = h.match().settings;
    EXPECT_EQ(settings.handlingPeriod * 1000 + settings.secondSeatKeys.codes[0], 10104)
        << "read back from the new file";
    for (const char* made : {".config", ".config/kestrum"})
        EXPECT_EQ(std::filesystem::status(home.file(made)).permissions(), std::filesystem::perms::owner_all)
            << made << ": every folder made is private";
    EXPECT_FALSE(std::filesystem::exists(h.folder.file("config.txt")));

    h.game->load(); // the next start finds the file there and shows no dialog
    EXPECT_EQ(h.platform.dialogsShown, 1);
}

TEST(FilePlaces, SoundsBesideTheProgramElseInTheDataFolder) {
    GameHarness h;
    TempFolder data;
    h.platform.data = data.str();
    h.folder.write("BAN.WAV", "RIFF"), data.write("BAN.WAV", "RIFF"), data.write("BIGBAN.WAV", "RIFF");
    h.game->load();
    EXPECT_EQ(h.sound.explosionFile, h.folder.file("BAN.WAV")) << "the copy beside the program wins";
    EXPECT_EQ(h.sound.baseExplosionFile, data.file("BIGBAN.WAV"));
    EXPECT_EQ(soundFile(h.platform, "OTHER.WAV"), h.folder.file("OTHER.WAV")) << "found nowhere";
}

TEST(FilePlaces, UserConfigFolderFollowsXdgConfigHomeElseHome) {
    using O = std::optional<std::string>;
    const std::tuple<O, O, std::string> cases[] = {{"/x/cfg", "/home/p", "/x/cfg/kestrum"},
                                                   {"/x/cfg//", "/home/p", "/x/cfg/kestrum"},
                                                   {"", "/home/p/", "/home/p/.config/kestrum"},
                                                   {"relative/cfg", "/home/p", "/home/p/.config/kestrum"},
                                                   {std::nullopt, "/", "/.config/kestrum"},
                                                   {std::nullopt, "relative", ""},
                                                   {std::nullopt, std::nullopt, ""}};
    for (const auto& [xdg, home, expected] : cases)
        EXPECT_EQ(userConfigFolderFrom(xdg, home), expected)
            << xdg.value_or("(unset)") << " " << home.value_or("(unset)");
    // The data folder (replays) follows the same rules with its own variable and default.
    EXPECT_EQ(userDataFolderFrom("/x/data/", "/home/p"), "/x/data/kestrum");
    EXPECT_EQ(userDataFolderFrom("", "/home/p"), "/home/p/.local/share/kestrum");
    EXPECT_EQ(userDataFolderFrom(std::nullopt, std::nullopt), "");
}

} // namespace
} // namespace kestrum
