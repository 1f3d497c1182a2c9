// config.txt reading and writing, the settings dialog's logic, and configp on a game.

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "game_harness.h"
#include "settings/config_file.h"
#include "settings/settings_form.h"

namespace kestrum {
namespace {

namespace fs = std::filesystem;
using testing::GameHarness;
using testing::TempFolder;

using Keys = std::array<int16_t, 9>;
const Keys kLetterKeys = {80, 187, 79, 192, 76, 186, 191, 190, 226};
const Keys kKeypadKeys = {104, 101, 103, 105, 100, 102, 98, 97, 99};

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---- Reading ----

struct ReadCase {
    const char* name;
    std::string text;
    bool ok;
    std::optional<int16_t> first;
    std::optional<int16_t> second;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseConfigTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ParseConfigTest, ReadsTwoNumbersByListInputRules) {
    const ReadCase& c = GetParam();
    const ConfigReading r = parseConfig(c.text);
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(r.first, c.first);
    if (c.ok) {
        EXPECT_EQ(r.second, c.second);
    }
}

const std::optional<int16_t> none;

INSTANTIATE_TEST_SUITE_P(
    LineEndsAndSeparators, ParseConfigTest,
    ::testing::Values(ReadCase{"dialog_defaults", " 1 \r\n10\r\n", true, 1, 10},
                      ReadCase{"lf_only", " 0 \n25\n", true, 0, 25},
                      ReadCase{"cr_only", " 1 \r30\r", true, 1, 30},
                      ReadCase{"no_final_line_end", "1\r\n10", true, 1, 10},
                      ReadCase{"comma_on_one_line", "1,10", true, 1, 10},
                      ReadCase{"blank_between_on_one_line", "1 10\r\n99\r\n", true, 1, 10},
                      ReadCase{"blank_lines_and_tabs", "\r\n \t\r\n  1 \r\n   \r\n\n 10 \r\n", true, 1, 10},
                      ReadCase{"comma_then_line_end", "1,\r\n10", true, 1, 10},
                      ReadCase{"byte_order_mark", "\xEF\xBB\xBF 1 \r\n10\r\n", true, 1, 10}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(RoundingAndRange, ParseConfigTest,
                         ::testing::Values(ReadCase{"half_rounds_up_to_even", "1\r\n9.5\r\n", true, 1, 10},
                                           ReadCase{"half_rounds_down_to_even", "1\r\n10.5\r\n", true, 1, 10},
                                           ReadCase{"negative_half", "-2.5\r\n11.5", true, -2, 12},
                                           ReadCase{"exponent", "1\r\n1e3", true, 1, 1000},
                                           ReadCase{"trailing_letters", "1\r\n15abc\r\n", true, 1, 15},
                                           ReadCase{"printed_negative", "-1 \r\n10", true, -1, 10},
                                           ReadCase{"limits", "-32768\r\n32767", true, -32768, 32767},
                                           ReadCase{"low_half_rounds_in", "1\r\n-32768.5", true, 1, -32768},
                                           ReadCase{"high_half_rounds_out", "1\r\n32767.5", false, 1, none},
                                           ReadCase{"second_too_big", "1\r\n40000\r\n", false, 1, none},
                                           ReadCase{"first_too_big", "40000\r\n10\r\n", false, none, none},
                                           ReadCase{"huge_exponent", "1\r\n1e99999999999999999999", false, 1,
                                                    none},
                                           ReadCase{"keyboard_type_2", "2\r\n10", true, 2, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(MissingOrWithoutDigits, ParseConfigTest,
                         ::testing::Values(ReadCase{"empty", "", false, none, none},
                                           ReadCase{"only_blanks", "  \r\n \r\n", false, none, none},
                                           ReadCase{"single_number", "1\r\n", false, 1, none},
                                           ReadCase{"single_number_no_line_end", "1", false, 1, none},
                                           ReadCase{"empty_field_after_comma", "1,,10", false, 1, none},
                                           ReadCase{"line_starting_with_comma", "1\r\n,10", false, 1, none},
                                           ReadCase{"word_first", "abc\r\n10", false, none, none},
                                           ReadCase{"word_second", "1\r\nabc", false, 1, none},
                                           ReadCase{"sign_only", "1\r\n-\r\n", false, 1, none},
                                           ReadCase{"non_utf8_before_digits",
                                                    "1\r\n\xff"
                                                    "10",
                                                    false, 1, none},
                                           ReadCase{"non_utf8_after_digits", "1\r\n10\xff\xfe", true, 1, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadConfig, MissingFileFolderOrFifoFailsWithoutBlocking) {
    TempFolder folder;
    EXPECT_FALSE(readConfig(folder.file("config.txt")).ok);
    EXPECT_FALSE(readConfig(folder.str()).ok);
    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0600), 0);
    const ConfigReading r = readConfig(folder.file("fifo")); // must return, not wait for a writer
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.first);
}

TEST(ReadConfig, ReadsTheFileAndIgnoresWhatFollowsTheNumbers) {
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n25\r\n" + std::string(200 * 1024, 'x'));
    const ConfigReading r = readConfig(folder.file("config.txt"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.second, 25);
}

TEST(ReadConfig, ANumberCutByTheReadLimitFailsRatherThanMisreads) {
    TempFolder folder;
    // The digits of the second number straddle 64 KiB.
    folder.write("config.txt", "1\r\n" + std::string(64 * 1024 - 5, ' ') + "1234567");
    EXPECT_FALSE(readConfig(folder.file("config.txt")).ok);
}

TEST(ReadConfig, ReleasesTheFileAfterEveryReading) {
    TempFolder folder;
    folder.write("bad.txt", "1\r\n");
    folder.write("good.txt", " 1 \r\n10\r\n");
    auto openFiles = [] { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); };
    const auto before = openFiles();
    for (int i = 0; i < 50; ++i) {
        readConfig(folder.file("bad.txt"));
        readConfig(folder.file("good.txt"));
    }
    EXPECT_EQ(openFiles(), before);
}

// ---- The dialog's numeric value ----

TEST(NumericValue, LongestLeadingNumber) {
    const std::pair<const char*, double> cases[] = {
        {"15abc", 15},
        {"", 0},
        {"9.5", 9.5},
        {"1e3", 1000},
        {"  12", 12},
        {"\t-7", -7},
        {"+8", 8},
        {".5", 0.5},
        {"5.", 5},
        {"1e", 1},
        {"1e+", 1},
        {"2E2x", 200},
        {"abc", 0},
        {"-", 0},
        {"1,5", 1},
        {"0x10", 0},
        {"- 5", 0},
        // The reader ends a number at a blank, so the dialog must not join "1 5" into 15.
        {"1 5", 1},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(numericValue(text), expected) << '"' << text << '"';
}

TEST(NumericValue, HugeAndTinyInputsStayOrdered) {
    EXPECT_GT(numericValue(std::string(5000, '9')), 9);
    EXPECT_TRUE(std::isinf(numericValue("1e99999999999999999999999")));
    EXPECT_LT(numericValue("-1e999"), -9);
    EXPECT_EQ(numericValue("1e-99999"), 0);
    EXPECT_EQ(numericValue("0." + std::string(5000, '0') + "1"), 0);
    EXPECT_DOUBLE_EQ(numericValue(std::string(5000, '0') + "12"), 12);
}

// ---- Writing ----

TEST(ConfigText, NumberPrintingFormThenTextAsTyped) {
    EXPECT_EQ(configText(1, "10"), " 1 \r\n10\r\n");
    EXPECT_EQ(configText(0, "15abc"), " 0 \r\n15abc\r\n");
    EXPECT_EQ(configText(-1, " 9.5"), "-1 \r\n 9.5\r\n");
}

TEST(WriteConfig, CreatesAndReplacesWithoutLeavingTemporaryFiles) {
    TempFolder folder;
    const std::string path = folder.file("config.txt");
    std::string error;
    ASSERT_TRUE(writeConfig(path, "first", error)) << error;
    ASSERT_TRUE(writeConfig(path, " 0 \r\n25\r\n", error)) << error;
    EXPECT_EQ(slurp(path), " 0 \r\n25\r\n");
    EXPECT_EQ(namesIn(folder.str()), std::vector<std::string>{"config.txt"});
}

TEST(WriteConfig, MissingFolderReportsTheSystemReason) {
    TempFolder folder;
    std::string error;
    EXPECT_FALSE(writeConfig(folder.file("gone/config.txt"), " 1 \r\n10\r\n", error));
    EXPECT_EQ(error, std::strerror(ENOENT));
}

TEST(WriteConfig, FailedReplaceRemovesTheTemporaryFile) {
    TempFolder folder;
    // A folder in the file's place: the temporary file is written, then the rename fails.
    fs::create_directory(folder.file("config.txt"));
    std::string error;
    EXPECT_FALSE(writeConfig(folder.file("config.txt"), " 1 \r\n10\r\n", error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(namesIn(folder.str()), std::vector<std::string>{"config.txt"});
    EXPECT_TRUE(fs::is_directory(folder.file("config.txt")));
}

// ---- The settings dialog ----

TEST(SettingsForm, LoadShowsTheFileOrKeepsTheControls) {
    struct Case {
        std::string file; // empty: no file
        bool tenkeyBefore;
        std::string textBefore;
        bool tenkeyAfter;
        std::string textAfter;
    };
    const Case cases[] = {
        {"", true, "10", true, "10"},                // no file: design defaults stay
        {" 0 \r\n25\r\n", true, "10", false, "25"},  // unticked
        {" 1 \r\n9.5\r\n", false, "10", true, "10"}, // rounded, plain decimal
        {" 1 \r\n-5\r\n", false, "10", true, "-5"},  // a hand-edited negative shows its sign
        {"1\r\n", false, "77", false, "77"},         // one number only: nothing changes
        {"0\r\n40000\r\n", true, "77", true, "77"},  // out of range: nothing changes
        {" 2 \r\n30\r\n", false, "10", false, "30"}, // a type the box cannot show keeps the box
        {" 2 \r\n30\r\n", true, "10", true, "30"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        if (!c.file.empty()) folder.write("config.txt", c.file);
        SettingsForm form(folder.file("config.txt"));
        form.tenkey = c.tenkeyBefore;
        form.opevalText = c.textBefore;
        form.load();
        EXPECT_EQ(form.tenkey, c.tenkeyAfter) << c.file;
        EXPECT_EQ(form.opevalText, c.textAfter) << c.file;
    }
}

TEST(SettingsForm, DefaultsRestoreTheControlsAndWriteNothing) {
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n25\r\n");
    SettingsForm form(folder.file("config.txt"));
    form.load();
    form.opevalText = "300";
    form.restoreDefaults();
    EXPECT_TRUE(form.tenkey);
    EXPECT_EQ(form.opevalText, "10");
    EXPECT_EQ(slurp(folder.file("config.txt")), " 0 \r\n25\r\n");
    ASSERT_EQ(form.save(), SettingsForm::SaveOutcome::Saved);
    EXPECT_EQ(slurp(folder.file("config.txt")), " 1 \r\n10\r\n");
}

TEST(SettingsForm, SaveAcceptsOnlyValuesAboveNineAndStoresTheTextAsTyped) {
    struct Case {
        bool tenkey;
        std::string text;
        bool saved;
        std::optional<int16_t> readBack; // opeval a following reading gives
    };
    const Case cases[] = {
        {true, "10", true, 10},     {false, "15abc", true, 15}, {true, "9.5", true, 10},
        {true, " 12", true, 12},    {true, "1e2", true, 100},   {true, "9", false, none},
        {true, "", false, none},    {true, "abc", false, none}, {true, "-20", false, none},
        {true, "1 5", false, none}, {true, "9.0", false, none},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        SettingsForm form(folder.file("config.txt"));
        form.tenkey = c.tenkey;
        form.opevalText = c.text;
        const auto outcome = form.save();
        if (!c.saved) {
            EXPECT_EQ(outcome, SettingsForm::SaveOutcome::ValueTooSmall) << '"' << c.text << '"';
            EXPECT_FALSE(fs::exists(folder.file("config.txt"))) << '"' << c.text << '"';
            continue;
        }
        ASSERT_EQ(outcome, SettingsForm::SaveOutcome::Saved) << form.lastError;
        EXPECT_EQ(slurp(folder.file("config.txt")), (c.tenkey ? " 1 \r\n" : " 0 \r\n") + c.text + "\r\n");
        const ConfigReading r = readConfig(folder.file("config.txt"));
        EXPECT_TRUE(r.ok) << '"' << c.text << '"';
        EXPECT_EQ(r.first, c.tenkey ? 1 : 0);
        EXPECT_EQ(r.second, c.readBack) << '"' << c.text << '"';
    }
}

TEST(SettingsForm, UnwritableFolderFailsAndKeepsTheOldFile) {
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n25\r\n");
    ::chmod(folder.str().c_str(), 0555);
    const bool folderIsWritable = ::access(folder.str().c_str(), W_OK) == 0; // root ignores the mode
    if (folderIsWritable) {
        ::chmod(folder.str().c_str(), 0755);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    SettingsForm form(folder.file("config.txt"));
    form.opevalText = "50";
    EXPECT_EQ(form.save(), SettingsForm::SaveOutcome::WriteFailed);
    EXPECT_EQ(form.lastError, folder.file("config.txt") + ": " + std::strerror(EACCES));
    ::chmod(folder.str().c_str(), 0755);
    EXPECT_EQ(slurp(folder.file("config.txt")), " 0 \r\n25\r\n");
    EXPECT_EQ(namesIn(folder.str()), std::vector<std::string>{"config.txt"});
}

TEST(SettingsForm, WriteFailureNamesTheFileAndTheReason) {
    TempFolder folder;
    SettingsForm form(folder.file("missing/config.txt"));
    EXPECT_EQ(form.save(), SettingsForm::SaveOutcome::WriteFailed);
    EXPECT_EQ(form.lastError, folder.file("missing/config.txt") + ": " + std::strerror(ENOENT));
}

// ---- configp on the game ----

struct Configp {
    explicit Configp(const std::string& text) : h(text) { h.st().cfgpath = h.folder.file("config.txt"); }
    void rewrite(const std::string& text) { h.folder.write("config.txt", text); }
    Keys keys() { return std::to_array(h.st().keys2); }
    GameHarness h;
};

TEST(ConfigpTest, TickedAndUntickedGiveTheirKeyTables) {
    Configp c(configText(1, "10"));
    ASSERT_TRUE(c.h.game->configp());
    EXPECT_EQ(c.h.st().kbtype, 1);
    EXPECT_EQ(c.h.st().opeval, 10);
    EXPECT_EQ(c.keys(), kKeypadKeys);

    c.rewrite(configText(0, "25"));
    ASSERT_TRUE(c.h.game->configp());
    EXPECT_EQ(c.h.st().kbtype, 0);
    EXPECT_EQ(c.h.st().opeval, 25);
    EXPECT_EQ(c.keys(), kLetterKeys);
}

TEST(ConfigpTest, OtherKeyboardTypesKeepTheKeys) {
    Configp c(" 2 \r\n30\r\n");
    ASSERT_TRUE(c.h.game->configp());
    EXPECT_EQ(c.h.st().kbtype, 2);
    EXPECT_EQ(c.h.st().opeval, 30);
    EXPECT_EQ(c.keys(), Keys{}); // nothing read before: the second player has no keys

    c.rewrite(" 0 \r\n25\r\n");
    ASSERT_TRUE(c.h.game->configp());
    c.rewrite(" 2 \r\n30\r\n");
    ASSERT_TRUE(c.h.game->configp());
    EXPECT_EQ(c.h.st().kbtype, 2);
    EXPECT_EQ(c.keys(), kLetterKeys);
}

TEST(ConfigpTest, FailureKeepsAllButAFirstNumberAlreadyRead) {
    struct Case {
        std::string text; // empty: no file
        int16_t kbtype;   // after the failed reading, starting from " 0 \r\n25"
    };
    const Case cases[] = {
        {"", 0}, {"1\r\n", 1}, {"1\r\n40000\r\n", 1}, {"40000\r\n10\r\n", 0}, {"1\r\nabc", 1}};
    for (const Case& k : cases) {
        Configp c(" 0 \r\n25\r\n");
        ASSERT_TRUE(c.h.game->configp());
        if (k.text.empty())
            fs::remove(c.h.st().cfgpath);
        else
            c.rewrite(k.text);
        EXPECT_FALSE(c.h.game->configp()) << k.text;
        EXPECT_EQ(c.h.st().kbtype, k.kbtype) << k.text;
        EXPECT_EQ(c.h.st().opeval, 25) << k.text;
        EXPECT_EQ(c.keys(), kLetterKeys) << k.text;
    }
}

TEST(ConfigpTest, FirstRunShowsTheDialogUntilAFileIsSaved) {
    GameHarness h(""); // no config.txt
    int closes = 0;
    h.platform.onDialog = [&] {
        // Closed with the close box once, then saved with the dialog's defaults.
        if (++closes == 1) return;
        SettingsForm form(h.folder.file("config.txt"));
        form.load();
        EXPECT_TRUE(form.tenkey);
        EXPECT_EQ(form.opevalText, "10");
        EXPECT_EQ(form.save(), SettingsForm::SaveOutcome::Saved);
    };
    h.game->load();
    EXPECT_EQ(h.platform.dialogsShown, 2);
    EXPECT_EQ(h.st().kbtype, 1);
    EXPECT_EQ(h.st().opeval, 10);
    EXPECT_EQ(std::to_array(h.st().keys2), kKeypadKeys);
}

} // namespace
} // namespace kestrum
