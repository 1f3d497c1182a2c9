// config.txt reading and writing, the settings dialog's logic, and the settings read into a game.

#include <csignal>
#include <cstring>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "game_harness.h"
#include "settings/config_file.h"
#include "settings/settings_form.h"

namespace kestrum {
namespace {

using namespace testing;
using Keys = std::array<int16_t, 9>;
using Outcome = SettingsForm::SaveOutcome;
const Keys kLetters = {80, 187, 79, 192, 76, 186, 191, 190, 226},
           kKeypad = {104, 101, 103, 105, 100, 102, 98, 97, 99};

// A reading as "first second", with "!" for a failed one and "?" for a number not read.
std::string shown(const ConfigReading& r) {
    auto n = [](std::optional<int16_t> v) { return v ? std::to_string(*v) : std::string("?"); };
    return n(r.keyboardType) + (r.ok ? " " + n(r.handlingPeriod) : "!");
}

TEST(ParseConfig, ListInputRules) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {" 1 \r\n10\r\n", "1 10"}, {" 0 \n25\n", "0 25"}, {" 1 \r30\r", "1 30"}, {"1\r\n10", "1 10"},
        {"1,10", "1 10"}, {"1 10\r\n99", "1 10"}, {"\r\n \t\r\n 1 \r\n\n 10", "1 10"}, {"1\r\n9.5", "1 10"},
        {"1\r\n10.5", "1 10"}, {"-2.5\r\n1e3", "-2 1000"}, {"1\r\n15abc\r\n", "1 15"}, {"2\r\n10", "2 10"},
        {"-32768\r\n32767", "-32768 32767"}, {"1\r\n40000\r\n", "1!"}, {"40000\r\n10", "?!"},
        {"1\r\n32767.5", "1!"}, {"1\r\n1e999999999999", "1!"}, {"1\r\n", "1!"}, {"", "?!"}, {"1,,10", "1!"},
        {"abc\r\n10", "?!"}, {"1\r\n-\r\n", "1!"}, {"1\r\n\37710", "1!"}, {"1\r\n10\377", "1 10"},
        // A tick period below 1 ms would stop or break the timer: such a file is unreadable.
        {"1\r\n0\r\n", "1!"}, {"1\r\n-5\r\n", "1!"}, {"1\r\n0.5\r\n", "1!"}, {"1\r\n1.5", "1 2"},
        {"-1\r\n1", "-1 1"}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(shown(parseConfig(text)), expected) << text;
}

TEST(ReadConfig, MissingFileOrFifoFailsWithoutBlocking) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readConfig(folder.file("config.txt")).ok || readConfig(folder.file("fifo")).ok);
}

TEST(SettingsForm, SavesOnlyValuesAboveNineThatReadBackAsTyped) {
    // Too small, too large for 16 bits, or split over lines: saved, they would bring the dialog back at
    // the next start, or leave a file of more than two lines. {}: refused.
    // A blank, tab or comma ends the value in the file and starts the next line's: "12,3" or "12 3"
    // would read back as a computer on the second seat.
    constexpr auto Ok = Outcome::Saved, Small = Outcome::ValueTooSmall, Large = Outcome::ValueTooLarge,
                   Lines = Outcome::NotOneLine, Field = Outcome::NotOneField;
    // clang-format off
    std::vector<std::tuple<std::string, Outcome, std::optional<int16_t>>> cases = {
        {"15abc", Ok, 15}, {"9.5", Ok, 10}, {"10.5", Ok, 10}, {"1e2", Ok, 100}, {"32767.4", Ok, 32767},
        {"12\xEF\xBC\x8C" "3", Ok, 12}, {"9", Small, {}}, {"", Small, {}}, {"abc", Small, {}},
        {"9.0", Small, {}}, {"40000", Large, {}}, {"1e9", Large, {}}, {"32767.5", Large, {}},
        {"1e400", Large, {}}, {"99999abc", Large, {}}, {"\r\n15", Lines, {}}, {"40000\n", Lines, {}},
        {"12,3", Field, {}}, {"12 3", Field, {}}, {"12\t3", Field, {}}, {" 12", Field, {}}, {"15\t", Field, {}},
        {"1 5", Field, {}}, {",", Field, {}}, {"12,3\n", Lines, {}}};
    // clang-format on
    // Every line end a pasted text can hold, in the middle and at the end: CR, LF, VT, FF, NEL, LS, PS.
    for (const char* end : {"\r", "\n", "\v", "\f", "\xC2\x85", "\xE2\x80\xA8", "\xE2\x80\xA9"})
        cases.emplace_back(std::string("1") + end + "5", Lines, std::nullopt),
            cases.emplace_back(std::string("15") + end, Lines, std::nullopt);
    for (const auto& [text, outcome, readBack] : cases)
        for (int opponent : {0, 3, 4}) {
            SCOPED_TRACE('"' + text + "\" " + std::to_string(opponent));
            TempFolder folder;
            SettingsForm form(folder.file("config.txt"));
            form.numericKeypad = false, form.periodText = text, form.opponent = opponent;
            EXPECT_EQ(form.save(), outcome);
            EXPECT_EQ(slurp(folder.file("config.txt")),
                      readBack ? " 0 \r\n" + text + "\r\n" +
                                     (opponent ? " " + std::to_string(opponent) + " \r\n" : "")
                               : "");
            const ConfigReading reading = readConfig(folder.file("config.txt"));
            EXPECT_EQ(reading.handlingPeriod, readBack);
            EXPECT_EQ(reading.opponent, readBack ? opponent : 0);
        }
}

TEST(SettingsForm, LoadShowsTheFileThenDefaultsSaveTheDesignValues) {
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n9.5\r\n");
    SettingsForm form(folder.file("config.txt"));
    form.load();
    EXPECT_EQ(form.periodText + char('0' + form.numericKeypad), "100");
    form.periodText = "300";
    form.restoreDefaults();
    ASSERT_EQ(form.save(), Outcome::Saved);
    EXPECT_EQ(slurp(folder.file("config.txt")), " 1 \r\n10\r\n");
}

TEST(SettingsForm, FailedWriteNamesFileAndReasonAndLeavesTheOldFileWhole) {
    namespace fs = std::filesystem;
    TempFolder folder;
    fs::create_directory(folder.file("config.txt")); // the rename onto it fails
    folder.write("config.txt/old", "old");
    for (const auto& [name, err] : {std::pair{"config.txt/old/config.txt", ENOTDIR},
                                    {"config.txt", EISDIR},
                                    {"config.txt/old", EFBIG}}) {
        SettingsForm form(folder.file(name));
        // For EFBIG, writes past byte 4 fail as on a full disk: what was written may not replace the old.
        rlimit before{};
        ::getrlimit(RLIMIT_FSIZE, &before);
        const rlimit limit{err == EFBIG ? rlim_t(4) : before.rlim_cur, before.rlim_max};
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const Outcome outcome = form.save();
        ::setrlimit(RLIMIT_FSIZE, &before), std::signal(SIGXFSZ, handler);
        EXPECT_EQ(outcome, Outcome::WriteFailed);
        EXPECT_EQ(form.lastError, folder.file(name) + ": " + std::strerror(err));
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.str()), {}) +
                      std::distance(fs::directory_iterator(folder.file("config.txt")), {}),
                  2)
            << "temporary file";
        EXPECT_EQ(slurp(folder.file("config.txt/old")), "old");
    }
}

TEST(WriteConfig, SavesThroughLinksBesideTheirTarget) {
    namespace fs = std::filesystem;
    TempFolder folder;
    fs::create_directories(folder.file("real"));
    folder.write("real/settings", " 0 \r\n50\r\n");
    fs::create_symlink("real/settings", folder.file("middle"));
    fs::create_symlink("middle", folder.file("config.txt")); // a chain of two relative links
    fs::create_symlink(folder.file("real/new"), folder.file("dangling"));
    fs::create_symlink("loop", folder.file("loop"));
    std::string error;
    ASSERT_TRUE(writeConfig(folder.file("config.txt"), "A", error)) << error;
    ASSERT_TRUE(writeConfig(folder.file("dangling"), "B", error)) << error;
    EXPECT_TRUE(fs::is_symlink(folder.file("config.txt")) && fs::is_symlink(folder.file("middle")));
    EXPECT_EQ(slurp(folder.file("real/settings")) + slurp(folder.file("real/new")), "AB");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("real")), {}), 2) << "temporary file";
    EXPECT_FALSE(writeConfig(folder.file("loop"), "C", error));
    EXPECT_EQ(error, std::strerror(ELOOP));
}

TEST(WriteConfig, FollowsOnlyItsOwnOrRootsLinksAndKeepsTheFilesMode) {
    namespace fs = std::filesystem;
    TempFolder folder; // a folder everybody may write in, as /tmp
    ::chmod(folder.str().c_str(), 01777);
    const std::string mine = folder.file("mine.txt"), link = folder.file("config.txt");
    folder.write("mine.txt", " 1 \r\n10\r\n");
    ::chmod(mine.c_str(), 0600);
    std::string error;
    ASSERT_TRUE(writeConfig(mine, " 0 \r\n20\r\n", error)) << error;
    EXPECT_EQ(fs::status(mine).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // Another user (nobody) plants a link to our file, then we save: refused, the file untouched.
    fs::create_symlink(mine, link);
    if (::geteuid() != 0 || ::lchown(link.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "needs root";
    EXPECT_FALSE(writeConfig(link, "planted", error));
    EXPECT_EQ(error, "the link " + link + " belongs to another user and is not followed");
    EXPECT_EQ(slurp(mine), " 0 \r\n20\r\n");
    // Root's link is followed for anybody.
    fs::create_symlink("theirs.txt", folder.file("by-root"));
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(100);
        ::_exit(writeConfig(folder.file("by-root"), "theirs", error) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(slurp(folder.file("theirs.txt")), "theirs");
}

TEST(WriteConfig, RemovesTheTemporaryFilesOfEarlierRunsOnly) {
    namespace fs = std::filesystem;
    TempFolder folder;
    const pid_t dead = ::fork(); // a process id that no longer runs
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string gone = std::to_string(dead), mine = std::to_string(::getpid());
    // Left over by a dead process or an earlier run with our id: removed. A running copy's (mid-save)
    // and other names: kept.
    // clang-format off
    const std::pair<std::string, bool> files[] = {
        {".config.txt." + gone + ".0.tmp", false}, {".config.txt." + mine + ".7.tmp", false},
        {".config.txt." + std::to_string(::getppid()) + ".0.tmp", true}, {".config.txt.1x.0.tmp", true},
        {".config.txt." + gone + ".0.tmp~", true}, {".other.txt." + gone + ".0.tmp", true}, {"notes", true}};
    // clang-format on
    for (const auto& [name, kept] : files)
        folder.write(name, "keep");
    std::string error;
    ASSERT_TRUE(writeConfig(folder.file("config.txt"), "new", error)) << error;
    for (const auto& [name, kept] : files)
        EXPECT_EQ(fs::exists(folder.file(name)), kept) << name;
}

TEST(WriteConfig, AWritableFileInAFolderThatIsNotIsWrittenInPlaceAndAFolderNotMadeIsNamed) {
    TempFolder folder;
    const std::string file = folder.file("config.txt"), locked = folder.file("locked.txt"),
                      missing = folder.file("missing.txt");
    folder.write("config.txt", " 1 \r\n10\r\n"), folder.write("locked.txt", " 1 \r\n10\r\n");
    ::chmod(file.c_str(), 0666), ::chmod(locked.c_str(), 0444), ::chmod(folder.str().c_str(), 0555);
    // In a child without root's right to write anywhere, so that file modes count even for root.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(100);
        std::string error;
        if (!writeConfig(file, " 0 \r\n25\r\n", error)) ::_exit(1);
        // Neither a read-only file nor a new one can be saved there: the reason is told.
        if (writeConfig(locked, "x", error) || error != std::strerror(EACCES)) ::_exit(2);
        if (writeConfig(missing, "x", error) || error != std::strerror(EACCES)) ::_exit(3);
        // A folder that cannot be made is named with its own reason, not the file's.
        const std::string sub = folder.file("sub");
        ::_exit(writeConfig(sub + "/deeper/config.txt", "x", error) ||
                        error != "cannot make the folder " + sub + ": " + std::strerror(EACCES)
                    ? 4
                    : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::chmod(folder.str().c_str(), 0755);
    EXPECT_EQ(slurp(file) + slurp(locked), " 0 \r\n25\r\n 1 \r\n10\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.str()), {}), 2);
}

TEST(ReadSettings, KeyTablesAndWhatAFailedReadingKeeps) {
    // Type 2 has no key table: the keys stay. A failed reading keeps the first number if it read one.
    // clang-format off
    const std::tuple<std::string, bool, int, int, Keys> steps[] = {
        {" 1 \r\n10\r\n", true, 1, 10, kKeypad}, {" 2 \r\n30\r\n", true, 2, 30, kKeypad}, {" 0 \n25", true, 0, 25, kLetters},
        {" 2 \r\n30\r\n", true, 2, 30, kLetters}, {"1\r\n", false, 1, 30, kLetters}, {"0\r\n40000\r\n", false, 0, 30, kLetters}};
    // clang-format on
    // Each load step reads the file; a failed reading shows the first-run dialog, which is closed unsaved.
    GameHarness h;
    h.platform.onDialog = [] { return false; };
    const Settings& settings = h.match().settings;
    for (const auto& [text, ok, keyboardType, period, keys] : steps) {
        h.folder.write("config.txt", text);
        const int dialogsBefore = h.platform.dialogsShown;
        h.game->load();
        EXPECT_EQ(h.platform.dialogsShown == dialogsBefore, ok) << text;
        EXPECT_EQ(std::pair(int(settings.keyboardType), int(settings.handlingPeriod)),
                  std::pair(keyboardType, period))
            << text;
        EXPECT_EQ(settings.secondSeatKeys.codes, keys) << text;
    }
}

} // namespace
} // namespace kestrum
