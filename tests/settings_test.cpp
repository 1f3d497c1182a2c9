// config.txt reading and writing, the settings dialog's logic, and configp on a game.

#include <cstring>

#include <gtest/gtest.h>
#include <sys/stat.h>

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

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A reading as "first second", with "!" for a failed one and "?" for a number not read.
std::string shown(const ConfigReading& r) {
    auto n = [](std::optional<int16_t> v) { return v ? std::to_string(*v) : std::string("?"); };
    return n(r.first) + (r.ok ? " " + n(r.second) : "!");
}

TEST(ParseConfig, ListInputRules) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {" 1 \r\n10\r\n", "1 10"}, {" 0 \n25\n", "0 25"}, {" 1 \r30\r", "1 30"}, {"1\r\n10", "1 10"},
        {"1,10", "1 10"}, {"1 10\r\n99", "1 10"}, {"\r\n \t\r\n 1 \r\n\n 10", "1 10"}, {"1\r\n9.5", "1 10"},
        {"1\r\n10.5", "1 10"}, {"-2.5\r\n1e3", "-2 1000"}, {"1\r\n15abc\r\n", "1 15"}, {"2\r\n10", "2 10"},
        {"-32768\r\n32767", "-32768 32767"}, {"1\r\n40000\r\n", "1!"}, {"40000\r\n10", "?!"},
        {"1\r\n32767.5", "1!"}, {"1\r\n1e999999999999", "1!"}, {"1\r\n", "1!"}, {"", "?!"}, {"1,,10", "1!"},
        {"abc\r\n10", "?!"}, {"1\r\n-\r\n", "1!"}, {"1\r\n\37710", "1!"}, {"1\r\n10\377", "1 10"}};
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(shown(parseConfig(text)), expected) << text;
}

TEST(ReadConfig, MissingFileOrFifoFailsWithoutBlocking) {
    TempFolder folder;
    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(readConfig(folder.file("config.txt")).ok || readConfig(folder.file("fifo")).ok);
}

TEST(SettingsForm, SaveAcceptsOnlyValuesAboveNineAndStoresTheTextAsTyped) {
    const std::pair<std::string, std::optional<int16_t>> cases[] = {
        {"15abc", 15}, {"9.5", 10}, {"10.5", 10}, {" 12", 12}, {"1e2", 100},
        {"9", {}},     {"", {}},    {"abc", {}},  {"1 5", {}}, {"9.0", {}}}; // {}: refused
    for (const auto& [text, readBack] : cases) {
        SCOPED_TRACE('"' + text + '"');
        TempFolder folder;
        SettingsForm form(folder.file("config.txt"));
        form.tenkey = false, form.opevalText = text;
        EXPECT_EQ(form.save(), readBack ? Outcome::Saved : Outcome::ValueTooSmall);
        EXPECT_EQ(slurp(folder.file("config.txt")), readBack ? " 0 \r\n" + text + "\r\n" : "");
        EXPECT_EQ(readConfig(folder.file("config.txt")).second, readBack);
    }
}

TEST(SettingsForm, LoadShowsTheFileThenDefaultsSaveTheDesignValues) {
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n9.5\r\n");
    SettingsForm form(folder.file("config.txt"));
    form.load();
    EXPECT_EQ(form.opevalText + char('0' + form.tenkey), "100");
    form.opevalText = "300";
    form.restoreDefaults();
    ASSERT_EQ(form.save(), Outcome::Saved);
    EXPECT_EQ(slurp(folder.file("config.txt")), " 1 \r\n10\r\n");
}

TEST(SettingsForm, FailedWriteNamesFileAndReasonAndLeavesTheFolderAsItWas) {
    TempFolder folder;
    std::filesystem::create_directory(folder.file("config.txt")); // the rename onto it fails
    folder.write("config.txt/old", "old");
    for (const auto& [name, err] : {std::pair{"config.txt/old/config.txt", ENOTDIR}, {"config.txt", EISDIR}}) {
        SettingsForm form(folder.file(name));
        EXPECT_EQ(form.save(), Outcome::WriteFailed);
        EXPECT_EQ(form.lastError, folder.file(name) + ": " + std::strerror(err));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.str()), {}), 1)
            << "temporary file";
        EXPECT_EQ(slurp(folder.file("config.txt/old")), "old");
    }
}

TEST(Configp, KeyTablesAndWhatAFailedReadingKeeps) {
    // Type 2 has no key table: the keys stay. A failed reading keeps the first number if it read one.
    // clang-format off
    const std::tuple<std::string, bool, int, Keys> steps[] = {
        {" 1 \r\n10\r\n", true, 110, kKeypad}, {" 0 \n25", true, 25, kLetters}, {" 2 \r\n30\r\n", true, 230, kLetters},
        {"1\r\n", false, 130, kLetters}, {"0\r\n40000\r\n", false, 30, kLetters}};
    // clang-format on
    GameHarness h;
    h.st().cfgpath = h.folder.file("config.txt");
    for (const auto& [text, ok, kbtypeOpeval, keys] : steps) {
        h.folder.write("config.txt", text);
        EXPECT_EQ(h.game->configp(), ok) << text;
        EXPECT_EQ(h.st().kbtype * 100 + h.st().opeval, kbtypeOpeval) << text;
        EXPECT_EQ(std::to_array(h.st().keys2), keys) << text;
    }
}

} // namespace
} // namespace kestrum
