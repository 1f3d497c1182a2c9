// The explosion sounds through a real sound server. The test starts its own PulseAudio (a null sink,
// an anonymous socket in a temporary folder, no system or user daemon), records the sink's monitor
// with parec and has each sound played twenty times in a row through the game's sound service, as the
// tick asks for them once the sound answer is "y". Every play must be found in the recording: starting within
// 50 ms of its call, whole (its file correlates with what was heard, to the last 110 ms), and nothing
// else heard (no stale audio, no cut-off sound). A busy machine may break up one play of twenty,
// which is let pass, and a run with more is tried once again. Small explosions come 0.8 s apart (each ends
// before the next); large ones 1 s apart, so that each starts while the one before still plays and the two
// mix.
//
// Before that, the server is made to misbehave: stopped (SIGSTOP) while a game starts its sound and
// then ends, left stopped, resumed or killed as the program ends, which must take under 2 s with
// status 0; killed before a game starts and then started, and killed during a game and started
// again, after which sound must come back. And with nothing to play the sound thread must sleep.
//
// Exit 77 (skipped) only where PulseAudio cannot be started.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include "game/game.h"
#include "qt/qt_platform.h"
#include "sound/wave.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = 22050; // the recording's rate: that of both files
constexpr int kPlays = 20;
constexpr double kLateLimitMs = 50;

int failures = 0;
void check(bool ok, const std::string& what) {
    if (!ok) {
        std::printf("FAIL: %s\n", what.c_str());
        ++failures;
    }
}

// ---- Child processes ---------------------------------------------------------------------------

pid_t spawn(const std::vector<std::string>& args, int out, int err) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::dup2(out, 1), ::dup2(err, 2);
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

bool exited(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == pid;
}

void stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 50 && !exited(pid); ++i)
        std::this_thread::sleep_for(100ms);
    if (::kill(pid, 0) == 0) ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0);
    pid = -1;
}

bool canConnect(const std::string& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// A private PulseAudio with one null sink, reachable only through a socket in `folder`.
class SoundServer {
  public:
    explicit SoundServer(const fs::path& folder) : folder_(folder) {
        for (const char* sub : {"home", "runtime", "state"})
            fs::create_directories(folder / sub);
        ::setenv("HOME", (folder / "home").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "home").c_str(), 1);
        ::setenv("PULSE_RUNTIME_PATH", (folder / "runtime").c_str(), 1);
        ::setenv("PULSE_STATE_PATH", (folder / "state").c_str(), 1);
        std::ofstream(folder / "client.conf") << "autospawn = no\n";
        ::setenv("PULSE_CLIENTCONFIG", (folder / "client.conf").c_str(), 1);
        ::setenv("PULSE_SERVER", ("unix:" + socket()).c_str(), 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");

        launch();
    }
    ~SoundServer() { stop(pid_); }

    // Starts (again) on the same socket; false when it does not answer within 30 s.
    bool launch() {
        ::unlink(socket().c_str());
        const int log = ::open((folder_ / "pulseaudio.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        // --system=false: as root PulseAudio would otherwise refuse or warn about a system daemon.
        pid_ = spawn({"pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
                      "--use-pid-file=false", "--log-target=stderr", "-L",
                      "module-null-sink sink_name=kestrum_test rate=44100 channels=2", "-L",
                      "module-native-protocol-unix socket=" + socket() + " auth-anonymous=1"},
                     log, log);
        ::close(log);
        ready_ = false;
        for (int i = 0; i < 300 && !ready_; ++i) { // up to 30 s on a busy machine
            if (exited(pid_)) {
                pid_ = -1;
                break;
            }
            ready_ = canConnect(socket());
            if (!ready_) std::this_thread::sleep_for(100ms);
        }
        return ready_;
    }
    // Stops answering (as a server the system has paused), answers again, or is gone.
    void pause() { ::kill(pid_, SIGSTOP); }
    void resume() { ::kill(pid_, SIGCONT); }
    void kill() {
        ::kill(pid_, SIGKILL), ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    bool ready() const { return ready_; }
    std::string socket() const { return (folder_ / "sock").string(); }
    std::string log() const {
        std::ifstream in(folder_ / "pulseaudio.log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    fs::path folder_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

// parec on the sink's monitor, mono at the files' rate, with the arrival time of every piece read.
class Recorder {
  public:
    explicit Recorder(const fs::path& folder) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        const int err = ::open((folder / "parec.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_ = spawn({"parec", "-d", "kestrum_test.monitor", "--raw", "--format=s16le",
                      "--rate=" + std::to_string(kRate), "--channels=1", "--latency-msec=10"},
                     fds[1], err);
        ::close(err), ::close(fds[1]);
        reader_ = std::thread([this, fd = fds[0]] { read(fd); });
    }
    ~Recorder() { finish(); }

    void finish() {
        stop(pid_);
        if (reader_.joinable()) reader_.join();
    }

    size_t recorded() {
        std::lock_guard lock(mutex_);
        return bytes_.size() / 2;
    }

    std::vector<double> samples() {
        std::lock_guard lock(mutex_);
        std::vector<double> out(bytes_.size() / 2);
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = int16_t(bytes_[2 * i] | bytes_[2 * i + 1] << 8);
        return out;
    }

    // When the first sample was heard. A piece arrives some time after its last sample was heard,
    // never before, so the piece that arrived soonest tells it best (and never too early).
    Clock::time_point origin() {
        std::lock_guard lock(mutex_);
        auto best = Clock::time_point::max();
        for (const auto& [end, at] : arrivals_) {
            const auto start = at - std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(double(end) / kRate));
            best = std::min(best, start);
        }
        return best;
    }

  private:
    void read(int fd) {
        unsigned char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            const auto at = Clock::now();
            std::lock_guard lock(mutex_);
            bytes_.insert(bytes_.end(), buffer, buffer + n);
            arrivals_.emplace_back(bytes_.size() / 2, at);
        }
        ::close(fd);
    }

    pid_t pid_ = -1;
    std::thread reader_;
    std::mutex mutex_;
    std::vector<unsigned char> bytes_;
    std::vector<std::pair<size_t, Clock::time_point>> arrivals_;
};

// ---- Finding the plays in the recording ----------------------------------------------------------

struct Play {
    Clock::time_point called;
    const std::vector<double>* file = nullptr;
    bool alone = false; // no other play overlaps its end
    size_t at = 0;      // where it was found
    double gain = 0, correlation = 0, middleCorrelation = 0, tailCorrelation = 0, offsetMs = 0;
};

double correlation(const double* x, const double* f, size_t n) {
    double xf = 0, xx = 0, ff = 0;
    for (size_t i = 0; i < n; ++i)
        xf += x[i] * f[i], xx += x[i] * x[i], ff += f[i] * f[i];
    return xx > 0 && ff > 0 ? xf / std::sqrt(xx * ff) : 0;
}

// Finds the plays one after the other: each where the recording, with the plays found before it
// taken away, best matches the beginning of its file near its call; then takes it away too. What
// remains at the end is whatever was heard that no play explains.
std::vector<double> findPlays(std::vector<Play>& plays, const std::vector<double>& recording,
                              Clock::time_point origin) {
    std::vector<double> rest = recording;
    const size_t head = kRate / 20; // 50 ms
    for (Play& p : plays) {
        const std::vector<double>& f = *p.file;
        const double expected = std::chrono::duration<double>(p.called - origin).count() * kRate;
        const long from = std::max(0L, long(expected - 0.02 * kRate));
        const long to = std::min(long(rest.size()) - long(f.size()), long(expected + 0.4 * kRate));
        double best = -2;
        for (long at = from; at <= to; ++at) {
            const double c = correlation(&rest[size_t(at)], f.data(), head);
            if (c > best) best = c, p.at = size_t(at);
        }
        if (best == -2) continue; // the recording ended before this play
        double xf = 0, ff = 0;
        for (size_t i = 0; i < f.size(); ++i)
            xf += rest[p.at + i] * f[i], ff += f[i] * f[i];
        p.gain = xf / ff;
        for (size_t i = 0; i < f.size(); ++i)
            rest[p.at + i] -= p.gain * f[i];
        p.offsetMs = (double(p.at) / kRate - std::chrono::duration<double>(p.called - origin).count()) * 1000;
    }
    // Each play against what it alone left in the recording.
    for (Play& p : plays) {
        const std::vector<double>& f = *p.file;
        if (p.gain == 0) continue;
        std::vector<double> alone(f.size());
        for (size_t i = 0; i < f.size(); ++i)
            alone[i] = rest[p.at + i] + p.gain * f[i];
        p.correlation = correlation(alone.data(), f.data(), f.size());
        // Its middle (where a large explosion overlaps the next one) on its own: a play cut short by
        // the next one would match as a whole, its loud start being all there.
        p.middleCorrelation = correlation(&alone[f.size() / 2], &f[f.size() / 2], f.size() / 4);
        const size_t tail = size_t(0.11 * kRate);
        p.tailCorrelation = correlation(&alone[f.size() - tail], &f[f.size() - tail], tail);
    }
    return rest;
}

double energy(const std::vector<double>& x, size_t from, size_t to) {
    double e = 0;
    for (size_t i = from; i < std::min(to, x.size()); ++i)
        e += x[i] * x[i];
    return e;
}

std::vector<double> loadFile(const std::string& path) {
    const auto pcm = kestrum::sound::loadWave(path);
    if (!pcm || pcm->rate != kRate || pcm->channels != 1) {
        std::printf("FAIL: %s is not the 22050 Hz mono file this test expects\n", path.c_str());
        std::exit(1);
    }
    return {pcm->samples.begin(), pcm->samples.end()};
}

void summary(const char* name, std::vector<Play*> plays) {
    std::vector<double> offsets, correlations;
    for (const Play* p : plays)
        offsets.push_back(p->offsetMs), correlations.push_back(p->correlation);
    std::sort(offsets.begin(), offsets.end());
    std::sort(correlations.begin(), correlations.end());
    const size_t n = offsets.size();
    std::printf("%s: start after the call %.1f / %.1f / %.1f ms, correlation %.3f / %.3f / %.3f "
                "(min / median / max)\n",
                name, offsets[0], offsets[n / 2], offsets[n - 1], correlations[0], correlations[n / 2],
                correlations[n - 1]);
}

} // namespace

// Has the game play each sound twenty times while the monitor is recorded; true when every play
// was found on time and whole.
bool playAndFind(const fs::path& folder, const fs::path& program, const std::vector<double>& explosion,
                 const std::vector<double>& baseExplosion, const std::string& serverLog) {
    Recorder recorder(folder);
    std::vector<Play> plays;
    {
        kestrum::qt::QtPlatform platform(program.string());
        kestrum::Game game(platform, platform);
        game.load();
        game.startTick();
        game.setBoxText(kestrum::Box::Mode, "1");
        game.setBoxText(kestrum::Box::Air, "n");
        game.setBoxText(kestrum::Box::Sound, "y");
        check(game.match().sound == 1, "the sound answer \"y\" did not turn the sounds on");

        // The window would start the output after its first frame; here nothing is painted.
        platform.soundPlayer().setPluginPath(KESTRUM_SOUND_PLUGIN);
        platform.soundPlayer().start();
        const auto deadline = Clock::now() + 30s;
        while (!platform.soundPlayer().running() && Clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        check(platform.soundPlayer().running(), "the sound output did not start within 30 s");
        while (recorder.recorded() < kRate / 2 && Clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        check(recorder.recorded() >= kRate / 2, "parec recorded nothing");
        if (failures) {
            std::printf("%s", serverLog.c_str());
            return false;
        }

        auto next = Clock::now() + 300ms;
        // The platform is the game's sound service: what the game's explosion sounds play through.
        kestrum::SoundService& sounds = platform;
        auto playAll = [&](kestrum::SoundId sound, const std::vector<double>& file,
                           std::chrono::milliseconds apart) {
            for (int i = 0; i < kPlays; ++i) {
                while (Clock::now() < next) {
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                    std::this_thread::sleep_for(std::min<Clock::duration>(next - Clock::now(), 2ms));
                }
                Play p;
                p.called = Clock::now();
                sounds.play(sound);
                p.file = &file;
                p.alone = double(apart.count()) / 1000 > double(file.size()) / kRate || i == kPlays - 1;
                plays.push_back(p);
                next += apart;
            }
            next += std::chrono::milliseconds(int(1000.0 * double(file.size()) / kRate)) + 300ms;
        };
        playAll(kestrum::SoundId::Explosion, explosion, 800ms);
        playAll(kestrum::SoundId::BaseExplosion, baseExplosion, 1000ms);
        while (Clock::now() < next)
            std::this_thread::sleep_for(10ms);
    }
    recorder.finish();

    const Clock::time_point origin = recorder.origin();
    const std::vector<double> recording = recorder.samples();
    const std::vector<double> rest = findPlays(plays, recording, origin);

    std::printf("play  sound   start after call  gain   correlation  middle  last 110 ms\n");
    int spoilt[2] = {0, 0};
    for (size_t i = 0; i < plays.size(); ++i) {
        const Play& p = plays[i];
        const char* name = p.file == &explosion ? "BAN" : "BIGBAN";
        std::printf("%4zu  %-6s  %8.1f ms       %5.2f  %6.3f       %6.3f  %6.3f%s\n", i % kPlays + 1, name,
                    p.offsetMs, p.gain, p.correlation, p.middleCorrelation, p.tailCorrelation,
                    p.alone ? "" : " (overlapped)");
        const std::string which = std::string(name) + " play " + std::to_string(i % kPlays + 1);
        const int before = failures;
        check(p.gain != 0, which + ": not in the recording");
        check(p.offsetMs >= -5 && p.offsetMs <= kLateLimitMs,
              which + ": started " + std::to_string(p.offsetMs) + " ms after its call");
        check(p.gain > 0.8 && p.gain < 1.25,
              which + ": heard at " + std::to_string(p.gain) + " of its level");
        check(p.correlation > 0.9,
              which + ": does not match its file (" + std::to_string(p.correlation) + ")");
        check(p.middleCorrelation > 0.5,
              which + ": its middle is missing (" + std::to_string(p.middleCorrelation) + ")");
        if (p.alone)
            check(p.tailCorrelation > 0.5,
                  which + ": its last 110 ms are missing (" + std::to_string(p.tailCorrelation) + ")");
        if (failures != before) ++spoilt[p.file == &explosion ? 0 : 1];
    }
    // A machine busy enough to keep the sound server waiting for tens of milliseconds breaks up
    // the odd play; a fault of the game spoils many. One spoilt play of twenty is let pass.
    if (spoilt[0] <= 1 && spoilt[1] <= 1) failures = 0;
    std::vector<Play*> explosions, baseExplosions;
    for (Play& p : plays)
        (p.file == &explosion ? explosions : baseExplosions).push_back(&p);
    summary("BAN.WAV", explosions);
    summary("BIGBAN.WAV", baseExplosions);

    // Nothing heard that the plays do not explain: no stale audio, no cut, no play heard twice.
    const size_t from = size_t(std::max(
        0.0, std::chrono::duration<double>(plays.front().called - origin).count() * kRate - kRate / 10));
    const double unexplained =
        energy(rest, from, rest.size()) / std::max(1.0, energy(recording, from, rest.size()));
    std::printf("unexplained: %.2f %% of what was heard\n", 100 * unexplained);
    check(unexplained < 0.05, "more was heard than the plays explain");
    // Silence before the first play: the output started with nothing stale in it.
    check(energy(recording, 0, from) / double(std::max<size_t>(from, 1)) < 1.0,
          "something was heard before the first play");

    return failures == 0;
}

// ---- Silence, a server that stops answering or goes away ----------------------------------------

// How often this process's sound thread has been woken so far; -1 when there is no such thread.
long soundThreadWakeUps() {
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/self/task", ec)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name != "kestrum-sound") continue;
        std::ifstream status(task.path() / "status");
        long wakeUps = 0;
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("voluntary_ctxt_switches:") ||
                line.starts_with("nonvoluntary_ctxt_switches:"))
                wakeUps += std::stol(line.substr(line.find(':') + 1));
        return wakeUps;
    }
    return -1;
}

// Asks `done` every 10 ms until it says yes (true) or the limit has passed (false).
bool waitFor(const std::function<bool()>& done, Clock::duration limit) {
    for (const auto deadline = Clock::now() + limit; Clock::now() < deadline;
         std::this_thread::sleep_for(10ms))
        if (done()) return true;
    return done();
}

// With nothing to play the sound thread sleeps: before the first sound and after one.
void sleepsThroughSilence(const fs::path& program) {
    kestrum::qt::QtPlatform platform(program.string());
    kestrum::qt::SoundPlayer& player = platform.soundPlayer();
    player.setFile(kestrum::SoundId::Explosion, (program / "BAN.WAV").string());
    player.setPluginPath(KESTRUM_SOUND_PLUGIN);
    player.start();
    check(waitFor([&] { return player.running(); }, 30s), "the sound output did not start");
    auto wakeUpsIn = [](std::chrono::milliseconds window) {
        const long before = soundThreadWakeUps();
        std::this_thread::sleep_for(window);
        return soundThreadWakeUps() - before;
    };
    std::this_thread::sleep_for(300ms);
    const long beforeAnySound = wakeUpsIn(2000ms);
    player.play(kestrum::SoundId::Explosion);
    std::this_thread::sleep_for(1500ms); // the sound (0.7 s) and what the server still held
    const long afterASound = wakeUpsIn(2000ms);
    std::printf("sound thread wake-ups in 2 s of silence: %ld before any sound, %ld after one\n",
                beforeAnySound, afterASound);
    check(beforeAnySound >= 0 && beforeAnySound <= 5 && afterASound >= 0 && afterASound <= 5,
          "the sound thread wakes while nothing plays");
}

// A child that runs the game's platform as the program does and asks for a sound, with the server
// stopped before it started or stopped by the parent once the sound plays. It writes one byte to
// `ready`, then at the byte from `go` ends the way the program ends: by returning from main after
// the window closed, or through "n" at the restart prompt.
[[noreturn]] void endingChild(const fs::path& program, int ready, int go, bool serverStopped,
                              bool throughRestartPrompt) {
    int argc = 1;
    char name[] = "kestrum";
    char* argv[] = {name, nullptr};
    {
        QApplication app(argc, argv);
        kestrum::qt::QtPlatform platform(program.string());
        kestrum::Game game(platform, platform);
        game.load();
        kestrum::qt::SoundPlayer& player = platform.soundPlayer();
        player.setPluginPath(KESTRUM_SOUND_PLUGIN);
        player.start();
        if (serverStopped)
            std::this_thread::sleep_for(300ms); // the sound thread now waits for the server
        else if (!waitFor([&] { return player.running(); }, 30s))
            std::_Exit(4);
        platform.play(kestrum::SoundId::Explosion);
        char byte = 0;
        if (::write(ready, "r", 1) != 1 || ::read(go, &byte, 1) != 1) std::_Exit(3);
        if (throughRestartPrompt) platform.quit(0);
    }
    std::exit(0);
}

// The program ends within 2 s with status 0 whatever the server does: stopped as the game starts
// its sound or while a sound plays, and then staying stopped, resuming or being killed just as the
// program ends (a few milliseconds apart from run to run). Runs before this process makes its own
// QApplication: the children are forked from a process without Qt's threads.
void endsWhateverTheServerDoes(SoundServer& server, const fs::path& program) {
    const char* what[] = {"stays stopped", "resumes", "is killed"};
    for (bool stoppedFirst : {true, false})
        for (int mode = 0; mode < 3; ++mode)
            for (int run = 0; run < (mode == 1 ? 6 : 2); ++run) {
                if (stoppedFirst) server.pause();
                int toParent[2], toChild[2];
                if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) return check(false, "no pipe");
                std::fflush(nullptr);
                const pid_t child = ::fork();
                if (child == 0) {
                    ::close(toParent[0]), ::close(toChild[1]);
                    endingChild(program, toParent[1], toChild[0], stoppedFirst, run % 2 == 1);
                }
                ::close(toParent[1]), ::close(toChild[0]);
                char byte = 0;
                const bool began = ::read(toParent[0], &byte, 1) == 1;
                if (!stoppedFirst) server.pause();
                const auto closing = Clock::now();
                const bool told = ::write(toChild[1], "g", 1) == 1;
                ::close(toParent[0]), ::close(toChild[1]);
                std::this_thread::sleep_for(std::chrono::milliseconds(run * 2));
                if (mode == 1) server.resume();
                if (mode == 2) server.kill();
                int status = -1;
                const bool ended = waitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 5s);
                const double seconds = std::chrono::duration<double>(Clock::now() - closing).count();
                if (!ended) ::kill(child, SIGKILL), ::waitpid(child, &status, 0);
                const std::string when =
                    stoppedFirst ? "stopped as the sound starts" : "stopped while it plays";
                std::printf("server %s and %s, ending %s: ended after %.2f s, status %d\n", when.c_str(),
                            what[mode], run % 2 ? "through the restart prompt" : "after the window", seconds,
                            WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
                check(began && told && ended && seconds <= 2.0 && WIFEXITED(status) &&
                          WEXITSTATUS(status) == 0,
                      "the program did not end within 2 s with status 0 when the server was " + when +
                          " and " + what[mode]);
                if (mode == 0) server.resume();
                if (mode == 2) check(server.launch(), "PulseAudio did not start again");
            }
}

// Sound comes back: for a game started with no server once one starts, and after the server is
// killed once it is back. Each time a play is then heard.
void comesBack(SoundServer& server, const fs::path& folder, const fs::path& program) {
    server.kill();
    kestrum::qt::QtPlatform platform(program.string());
    kestrum::qt::SoundPlayer& player = platform.soundPlayer();
    player.setFile(kestrum::SoundId::Explosion, (program / "BAN.WAV").string());
    player.setPluginPath(KESTRUM_SOUND_PLUGIN);
    player.start();
    std::this_thread::sleep_for(500ms);
    check(!player.running(), "an output runs without a server");
    auto heard = [&](const char* when) {
        Recorder recorder(folder);
        check(waitFor([&] { return recorder.recorded() >= kRate / 4; }, 10s), "parec recorded nothing");
        player.play(kestrum::SoundId::Explosion);
        std::this_thread::sleep_for(1000ms);
        recorder.finish();
        double loudest = 0;
        for (double sample : recorder.samples())
            loudest = std::max(loudest, std::abs(sample));
        check(loudest > 1000, std::string("no sound heard ") + when);
    };
    for (const char* when : {"in a game started without a server", "after the server was killed"}) {
        check(server.launch(), "PulseAudio did not start again");
        const auto started = Clock::now();
        const bool back = waitFor([&] { return player.running(); }, 10s);
        std::printf("sound back %.1f s after the server started (%s)\n",
                    std::chrono::duration<double>(Clock::now() - started).count(), when);
        check(back, std::string("the sound did not come back ") + when);
        if (back) heard(when);
        if (when[0] == 'i') {
            server.kill();
            check(waitFor([&] { return !player.running(); }, 5s),
                  "the output still runs after the server was killed");
        }
    }
}

int main(int argc, char** argv) {
    char pattern[] = "/tmp/kestrum-sound.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    if (!made) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = made;
    struct Cleanup {
        fs::path path;
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } cleanup{folder};

    SoundServer server(folder);
    if (!server.ready()) {
        std::printf("SKIP: PulseAudio could not be started\n%s", server.log().c_str());
        return 77;
    }
    // The game in a program folder of its own with the two sounds and a valid config.txt.
    const fs::path program = folder / "program";
    fs::create_directories(program);
    for (const char* name : {"BAN.WAV", "BIGBAN.WAV"})
        fs::copy_file(fs::path(KESTRUM_SOURCE_DIR) / "assets" / name, program / name);
    std::ofstream(program / "config.txt", std::ios::binary) << " 1 \r\n10\r\n";
    const std::vector<double> explosion = loadFile(program / "BAN.WAV");
    const std::vector<double> baseExplosion = loadFile(program / "BIGBAN.WAV");

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    endsWhateverTheServerDoes(server, program);
    QApplication app(argc, argv);
    comesBack(server, folder, program);
    sleepsThroughSilence(program);
    if (failures) return 1;
    // A busy machine can spoil more than one play; a fault of the game spoils them every time, so
    // a second run tells the two apart.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        failures = 0;
        if (playAndFind(folder, program, explosion, baseExplosion, server.log())) {
            std::printf("PASS: %d plays of each sound, each on time and whole\n", kPlays);
            return 0;
        }
        if (attempt == 1) std::printf("Trying once more.\n");
    }
    return 1;
}
