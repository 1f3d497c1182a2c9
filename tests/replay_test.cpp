// Every match recorded and played back headless with every hash equal; the replays folder; the file's
// reader on cut, damaged and hostile bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/stat.h>

#include "game/match_recorder.h"
#include "game_harness.h"
#include "keyboard/key_map.h"
#include "replay_check.h"

using namespace kestrum;
using namespace kestrum::testing;
namespace fs = std::filesystem;

namespace {

// People at the keyboard pressing seat keys at random, some held down for a while.
struct Hands {
    std::mt19937 rng{77};
    void press(Game& game, bool secondSeat) {
        for (int p = 0; p < (secondSeat ? 2 : 1); ++p) {
            if (rng() % 5 != 0) continue;
            const KeyMap& keys = p == 0 ? kFirstSeatKeys : game.match().settings.secondSeatKeys;
            const int16_t key = keys.codes[rng() % kSeatKeys];
            game.keyDown(key, int16_t(rng() % 9 == 0 ? kShiftMask : 0));
            if (rng() % 3 == 0) game.keyUp(key);
        }
    }
};

struct Session : GameHarness {
    explicit Session(const std::string& config, bool startNow = true) : GameHarness(config) {
        if (startNow) start();
    }
    // Ticks with the hands on the keys until `ticks` have run or the match is over.
    void play(long ticks, bool secondSeatIsAPerson = true) {
        for (long t = 0; t < ticks && !screen().restartPanel.visible; ++t)
            hands.press(*game, secondSeatIsAPerson), game->tick();
    }
    // The match just ended plays back, and its file holds all of it.
    void expectReplayed() {
        expectPlaysBack(*game);
        EXPECT_EQ(slurp(game->recorder().path()), game->recorder().bytes());
    }
    Hands hands;
};

// The recording of a short match with both seats busy, abandoned after `ticks`.
std::string recordingOf(long ticks) {
    Session s(" 1 \r\n10\r\n");
    s.answer("1", "y", "n");
    s.play(ticks);
    s.game->keyDown(vk::F2, kCtrlMask);
    return s.game->recorder().bytes();
}

} // namespace

// Two people through both battle modes in one run (each match inherits the window the last one left):
// the settings changed mid-match (keyboard type and period), released keys, a pause, Ctrl+F2, the window
// closed.
TEST(Replay, PeopleMatchesInOneRunPlayBack) {
    Session s(" 0 \r\n10\r\n");
    s.platform.onDialog = [&] { return s.folder.write("config.txt", " 1 \r\n20\r\n"), true; };
    s.answer("1", "n", "y");
    s.play(600);
    s.game->keyDown(vk::F1, kCtrlMask);
    s.play(600);
    s.game->releaseAllKeys();
    s.play(700);
    // Paused: no tick runs, the keys still edit the panels.
    s.game->keyDown(vk::Pause, 0), s.game->keyDown(vk::D, 0), s.game->keyDown(vk::W, 0),
        s.game->keyDown(vk::Pause, 0);
    s.play(800);
    s.game->keyDown(vk::F2, kCtrlMask);
    s.expectReplayed();

    s.answer("2", "y", "n");
    s.play(4000);
    s.game->keyDown(vk::F2, kCtrlMask);
    s.expectReplayed();

    s.platform.matchSeedValue = 99; // a match started from a seed of its own
    s.answer("1", "y", "y");
    s.play(700);
    s.game->close();
    s.expectReplayed();
    EXPECT_EQ(replay::readReplay(s.game->recorder().bytes(), kSimulationVersion).events.back().reason,
              replay::EndReason::Closed);
}

// The computer on the second seat plays a whole match to the restart prompt (the settings change its
// strength and the period on the way); its keys are in the recording, so the playback needs no computer.
TEST(Replay, ComputerMatchToTheRestartPromptPlaysBack) {
    Session s(" 1 \r\n10\r\n 3 \r\n");
    // Round results chosen on the way: the ends of rounds held on screen play back too.
    s.platform.onDialog = [&] { return s.folder.write("config.txt", " 1 \r\n15\r\n 2 \r\n 1 \r\n"), true; };
    s.answer("1", "y", "n");
    s.play(2000, false);
    s.game->keyDown(vk::F1, kCtrlMask);
    s.play(400000, false);
    ASSERT_TRUE(s.screen().restartPanel.visible) << "the match never ended";
    s.expectReplayed();
    const replay::Reading r = replay::readReplay(s.game->recorder().bytes(), kSimulationVersion);
    EXPECT_EQ(r.events.back().reason, replay::EndReason::MatchOver);

    // The screen is checked at each round end: a label that strays is caught there, not before.
    const auto roundEnd =
        std::find_if(r.events.begin(), r.events.end(), [](const replay::Event& e) { return e.roundEnd; });
    ASSERT_NE(roundEnd, r.events.end());
    QuietPlatform quiet;
    ReplayPlayer player(r, quiet, quiet);
    while (player.tick() < 250)
        player.step();
    player.game().screen().score[1].rect.left += 1;
    while (player.step()) {
    }
    EXPECT_EQ(player.leftAt(), std::optional<uint32_t>(roundEnd->tick));

    s.game->setBoxText(Box::Restart, "y");
    s.answer("2", "n", "n");
    s.play(3000, false);
    s.game->keyDown(vk::F2, kCtrlMask);
    s.expectReplayed();
}

// A playback that strays in any part the checks cover is caught at the next check, and names its tick.
TEST(Replay, StrayingPlaybackIsCaughtAtTheNextCheck) {
    const std::string bytes = recordingOf(500);
    const std::pair<const char*, std::function<void(Game&)>> strays[] = {
        {"a trail point", [](Game& g) { g.field().setPoint(300, 200, colour::trail); }},
        {"a crater", [](Game& g) { g.field().punchCrater(1, 10, 10, 3); }},
        {"a fireball", [](Game& g) { g.field().explosion[3].visible = true; }},
        {"a held key", [](Game& g) { g.match().players[1].panel.step = 10; }},
        {"a base column", [](Game& g) { g.match().players[0].base.columns[50] ^= 1; }},
    };
    for (const auto& [what, stray] : strays) {
        QuietPlatform quiet;
        ReplayPlayer player(replay::readReplay(bytes, kSimulationVersion), quiet, quiet);
        while (player.tick() < 250)
            player.step();
        stray(player.game());
        while (player.step()) {
        }
        EXPECT_EQ(player.leftAt(), std::optional<uint32_t>(300)) << what;
    }
    // A recorded key lost from the file.
    replay::Reading lost = replay::readReplay(bytes, kSimulationVersion);
    const auto key = std::find_if(lost.events.begin() + 40, lost.events.end(), [](const replay::Event& e) {
        return e.kind == replay::EventKind::KeyDown;
    });
    ASSERT_NE(key, lost.events.end());
    lost.events.erase(key);
    QuietPlatform quiet;
    ReplayPlayer player(std::move(lost), quiet, quiet);
    while (player.step()) {
    }
    EXPECT_TRUE(player.leftAt());
}

// The window's round keys: forward and back by rounds, silently, the game object kept, every check equal.
TEST(Replay, SeekingRoundsKeepsThePlaybackTrue) {
    std::string error;
    const std::optional<std::string> bytes = readReplayBytes(
        std::string(KESTRUM_SOURCE_DIR) + "/tests/data/replays/computer-whole-match.kestrum-replay", error);
    ASSERT_TRUE(bytes) << error;
    QuietPlatform quiet;
    FakeSound sound;
    ReplayPlayer player(replay::readReplay(*bytes, kSimulationVersion), quiet, sound);
    const Game* game = &player.game();
    player.seekRound(3);
    const uint32_t third = player.tick();
    EXPECT_EQ(player.round(), 3);
    player.seekRound(2);
    EXPECT_EQ(player.round(), 2);
    EXPECT_LT(player.tick(), third);
    player.seekRound(3);
    EXPECT_EQ(player.tick(), third);
    EXPECT_TRUE(sound.played.empty()) << "seeking is silent";
    EXPECT_EQ(&player.game(), game);
    while (player.step()) {
    }
    EXPECT_FALSE(player.leftAt());
    EXPECT_EQ(player.roundsEnded(), 5);
    EXPECT_FALSE(sound.played.empty()) << "the sounds as recorded";
}

// A file cut short (the program killed mid-round, or bytes lost anywhere) plays what it holds and says so.
TEST(Replay, CutShortFilePlaysUpToWhatItHolds) {
    Session s(" 1 \r\n10\r\n 3 \r\n");
    s.answer("1", "n", "n");
    while (s.match().players[0].wins + s.match().players[1].wins < 2)
        s.play(1, false);
    s.play(50, false); // into the third round: the file holds the first two
    const std::string file = slurp(s.game->recorder().path());
    ASSERT_LT(file.size(), s.game->recorder().bytes().size());
    EXPECT_EQ(file, s.game->recorder().bytes().substr(0, file.size()));

    for (const std::string& cut : {file, file.substr(0, file.size() - 5)}) {
        replay::Reading reading = replay::readReplay(cut, kSimulationVersion);
        ASSERT_EQ(reading.status, replay::Reading::Status::Ok) << reading.problem;
        QuietPlatform quiet;
        ReplayPlayer player(std::move(reading), quiet, quiet);
        while (player.step()) {
        }
        EXPECT_TRUE(player.cutShort());
        EXPECT_FALSE(player.leftAt());
        EXPECT_EQ(player.roundsEnded(), cut == file ? 2 : 1);
    }
    s.folder.write("cut.kestrum-replay", file);
    const CheckResult result = checkReplay(s.folder.file("cut.kestrum-replay"));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.line.find("2 rounds"), std::string::npos) << result.line;
    EXPECT_NE(result.line.find("cut short"), std::string::npos) << result.line;
}

// One file per match in a folder of this user's own; the newest 50 kept; a folder that cannot be written
// costs one warning and nothing else.
TEST(Replay, FilesGoToTheReplaysFolderNewestFiftyKept) {
    Session s(" 1 \r\n10\r\n");
    const fs::path folder = fs::path(s.folder.str()) / "replays";
    fs::create_directories(folder);
    for (int i = 0; i < 60; ++i)
        std::ofstream(folder / ("2000-01-01_00-00-" + std::to_string(10 + i) + kReplayExtension)) << "old";
    std::ofstream(folder / "notes.txt") << "mine";
    s.answer("1", "n", "n");
    s.play(10);
    EXPECT_EQ(fs::path(s.game->recorder().path()).parent_path(), folder);
    long replays = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        replays += entry.path().extension() == kReplayExtension;
    EXPECT_EQ(replays, kReplaysKept);
    EXPECT_FALSE(fs::exists(folder / ("2000-01-01_00-00-10" + std::string(kReplayExtension))));
    EXPECT_TRUE(fs::exists(folder / ("2000-01-01_00-00-69" + std::string(kReplayExtension))));
    EXPECT_TRUE(fs::exists(folder / "notes.txt"));

    // Settings kept in the user's folder: the replays go to the data folder, made for this user alone.
    Session installed("", false);
    TempFolder config, data;
    installed.platform.programFolderWritable = false;
    installed.platform.userFolder = config.str(), installed.platform.dataHome = data.str() + "/share/kestrum";
    config.write("config.txt", " 1 \r\n10\r\n");
    installed.start();
    installed.answer("1", "n", "n");
    installed.play(10);
    EXPECT_EQ(fs::path(installed.game->recorder().path()).parent_path(),
              data.str() + "/share/kestrum/replays");
    struct stat info {};
    ASSERT_EQ(::stat((data.str() + "/share/kestrum/replays").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // A file where the folder should be: one warning, the match goes on and is recorded in memory.
    Session blocked(" 1 \r\n10\r\n");
    blocked.folder.write("replays", "in the way");
    blocked.answer("1", "n", "n");
    blocked.play(300);
    blocked.game->keyDown(vk::F2, kCtrlMask);
    EXPECT_EQ(blocked.platform.warnings.size(), 1u);
    EXPECT_TRUE(blocked.game->recorder().path().empty());
    expectPlaysBack(*blocked.game);
}

// Hostile and damaged files: each is refused with its reason, in time, without reserving what it claims.
TEST(Replay, ReaderRefusesHostileFiles) {
    using Status = replay::Reading::Status;
    const std::string good = recordingOf(250);
    const replay::Reading reading = replay::readReplay(good, kSimulationVersion);
    ASSERT_EQ(reading.status, Status::Ok);
    ASSERT_EQ(replay::encodeHeader(reading.header),
              good.substr(0, replay::encodeHeader(reading.header).size()));
    const std::string events = good.substr(replay::encodeHeader(reading.header).size());

    auto withHeader = [&](const std::function<void(replay::Header&)>& change) {
        replay::Header h = reading.header;
        change(h);
        return replay::encodeHeader(h) + events;
    };
    auto withEvent = [&](std::string bytes) { return replay::encodeHeader(reading.header) + bytes; };
    replay::Header plain = reading.header;
    plain.labels.clear(), plain.panels.clear();
    std::string bare = replay::encodeHeader(plain);
    bare.resize(bare.size() - 2); // up to the label count
    std::string format = good;
    format[8] = char(replay::kFormatVersion + 1);
    const struct {
        const char* what;
        std::string bytes;
        Status status;
    } cases[] = {
        {"empty", "", Status::NotAReplay},
        {"another file", "GIF89a........", Status::NotAReplay},
        {"magic alone", good.substr(0, 8), Status::Damaged},
        {"another format", format, Status::OtherFormat},
        {"another simulation",
         withHeader([](replay::Header& h) { h.simulationVersion = kSimulationVersion + 1; }),
         Status::OtherSimulation},
        {"too large", good + std::string(replay::kLargestFile, '\0'), Status::TooLarge},
        {"header cut", good.substr(0, 30), Status::Damaged},
        {"mode answer 3", withHeader([](replay::Header& h) { h.answers[0] = '3'; }), Status::Damaged},
        {"no resolution", withHeader([](replay::Header& h) { h.twipsPerPixelX = 0; }), Status::Damaged},
        {"resolution NaN", withHeader([](replay::Header& h) { h.twipsPerPixelY = std::nan(""); }),
         Status::Damaged},
        {"turn 2", withHeader([](replay::Header& h) { h.turn = 2; }), Status::Damaged},
        {"phase 8", withHeader([](replay::Header& h) { h.phase[1] = 8; }), Status::Damaged},
        {"trail entry past the ring", withHeader([](replay::Header& h) { h.trailNewest = 20001; }),
         Status::Damaged},
        {"four billion labels", bare + "\xff\xff\xff\xff\x0f", Status::Damaged},
        {"more labels than bytes", bare + "\xe8\x07\x00\x01x", Status::Damaged},
        {"unknown event", withEvent("\x09\x01"), Status::Damaged},
        {"a tick number of six bytes", withEvent("\x03\x80\x80\x80\x80\x80\x01"), Status::Damaged},
        {"a hash skipped", withEvent("\x03\x65"), Status::Damaged},
        {"bytes after the end", good + "\x03", Status::Damaged},
    };
    for (const auto& c : cases) {
        const replay::Reading r = replay::readReplay(c.bytes, kSimulationVersion);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.problem;
        EXPECT_EQ(r.status == Status::Ok, r.problem.empty()) << c.what;
    }
}

// Damaged copies of a real recording: the reader never crashes or hangs, what it accepts is well formed,
// and playing an accepted one ends (leaving the recording or not) within the ticks it claims.
TEST(Replay, ReaderFuzz) {
    const std::string good = recordingOf(400);
    std::mt19937 rng(4242);
    auto below = [&](std::size_t n) { return std::size_t(rng() % n); };
    int accepted = 0, played = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string bytes = good;
        for (std::size_t edits = 1 + below(4); edits > 0; --edits) {
            const std::size_t at = below(bytes.size() + 1);
            switch (below(4)) {
            case 0:
                if (at < bytes.size()) bytes[at] = char(rng());
                break;
            case 1:
                bytes.insert(at, std::string(1 + below(6), char(below(2) ? 0xFF : rng())));
                break;
            case 2:
                bytes.erase(at, below(8));
                break;
            default:
                bytes.resize(at);
            }
        }
        const replay::Reading r = replay::readReplay(bytes, kSimulationVersion);
        if (r.status != replay::Reading::Status::Ok) continue;
        ++accepted;
        for (std::size_t k = 1; k < r.events.size(); ++k)
            ASSERT_LE(r.events[k - 1].tick, r.events[k].tick);
        if (i % 40 != 0) continue;
        QuietPlatform quiet;
        ReplayPlayer player(r, quiet, quiet);
        while (player.step())
            ASSERT_LE(player.tick(), r.events.empty() ? 0 : r.events.back().tick);
        ++played;
    }
    EXPECT_GT(accepted, 1000);
    EXPECT_GT(played, 20);
}

// The recordings under tests/data/replays, written anew on request; ctest checks them with --check-replay.
//   KESTRUM_WRITE_REPLAYS=1 build/tests/replay_test --gtest_filter=Replay.WriteCommittedRecordings
TEST(Replay, WriteCommittedRecordings) {
    if (!std::getenv("KESTRUM_WRITE_REPLAYS")) GTEST_SKIP() << "written only on request";
    const std::string to = std::string(KESTRUM_SOURCE_DIR) + "/tests/data/replays/";
    fs::create_directories(to);
    auto keep = [&](Session& s, const std::string& name) {
        s.expectReplayed();
        std::ofstream(to + name + kReplayExtension, std::ios::binary) << s.game->recorder().bytes();
    };
    Session people(" 0 \r\n10\r\n");
    people.platform.matchSeedValue = 1;
    people.platform.onDialog = [&] { return people.folder.write("config.txt", " 1 \r\n20\r\n"), true; };
    people.answer("1", "n", "y");
    people.play(300);
    people.game->keyDown(vk::F1, kCtrlMask);
    people.play(900);
    people.game->keyDown(vk::F2, kCtrlMask);
    keep(people, "shells-two-people");
    people.answer("2", "y", "n");
    people.play(1500);
    people.game->keyDown(vk::F2, kCtrlMask);
    keep(people, "rockets-with-air");

    Session computer(" 1 \r\n10\r\n 3 \r\n");
    computer.platform.matchSeedValue = 2;
    computer.answer("1", "y", "y");
    computer.play(400000, false);
    keep(computer, "computer-whole-match");

    // Other rules: refused with exit status 2.
    replay::Reading other = replay::readReplay(people.game->recorder().bytes(), kSimulationVersion);
    other.header.simulationVersion = 0xFFFF;
    std::ofstream(to + "../other-rules" + kReplayExtension, std::ios::binary)
        << replay::encodeHeader(other.header);
}
