#include "game/match_recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestrum {

namespace {

// Every missing folder on the way, each made for this user alone.
bool makeFolders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at < folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// The replays in a folder, oldest first: their names begin with the time they were started.
std::vector<std::string> replaysIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        const std::string ext = kReplayExtension;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A new file named by the local time, a number added when that name is taken; -1 when none can be made.
int createReplayFile(const std::string& folder, std::string& path) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    for (int n = 1; n < 100; ++n) {
        path = folder + "/" + stamp + (n == 1 ? "" : "_" + std::to_string(n)) + kReplayExtension;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace

void MatchRecorder::begin(const replay::Header& header, const std::string& folder, Platform& platform) {
    if (recording_) end(replay::EndReason::Closed);
    platform_ = &platform;
    bytes_ = replay::encodeHeader(header);
    written_ = 0;
    ticks_ = lastTick_ = 0;
    recording_ = true;
    path_.clear();
    if (folder.empty()) return;

    const int fd = makeFolders(folder) ? createReplayFile(folder, path_) : -1;
    if (fd < 0) {
        platform.warn("the match cannot be recorded in " + folder + ": " + std::strerror(errno));
        path_.clear();
        return;
    }
    ::close(fd);
    write();
    std::vector<std::string> old = replaysIn(folder);
    for (std::size_t i = 0; i + kReplaysKept < old.size(); ++i)
        ::unlink((folder + "/" + old[i]).c_str());
}

void MatchRecorder::add(replay::Event event) {
    if (!recording_) return;
    // A match longer than a replay may be ends its recording here, still readable, rather than grow a
    // file no reader takes.
    if (bytes_.size() + 64 > replay::kLargestFile && event.kind != replay::EventKind::End) {
        platform_->warn("the match is too long for a replay: its recording ends at tick " +
                        std::to_string(ticks_));
        return end(replay::EndReason::Closed);
    }
    event.tick = ticks_;
    replay::appendEvent(bytes_, event, lastTick_);
    lastTick_ = ticks_;
}

bool MatchRecorder::tickDone(bool roundEnded) {
    if (!recording_) return false;
    ++ticks_;
    return roundEnded || ticks_ % replay::kCheckEvery == 0;
}

void MatchRecorder::check(uint64_t stateHash, uint64_t rasterHash, bool roundEnded) {
    replay::Event e;
    e.kind = replay::EventKind::Check;
    e.stateHash = stateHash, e.rasterHash = rasterHash, e.roundEnd = roundEnded;
    add(e);
    if (roundEnded) write();
}

void MatchRecorder::end(replay::EndReason reason) {
    if (!recording_) return;
    replay::Event e;
    e.kind = replay::EventKind::End;
    e.reason = reason;
    add(e);
    write();
    recording_ = false;
}

// Appends what the file lacks. A failure is told once and the match goes on, recorded in memory only.
void MatchRecorder::write() {
    if (path_.empty() || written_ == bytes_.size()) return;
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    bool ok = fd >= 0;
    while (ok && written_ < bytes_.size()) {
        const ssize_t n = ::write(fd, bytes_.data() + written_, bytes_.size() - written_);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) written_ += std::size_t(n);
    }
    const int error = errno;
    if (fd >= 0 && ::close(fd) != 0) ok = false;
    if (!ok) {
        platform_->warn("the replay " + path_ + " cannot be written: " + std::strerror(error));
        path_.clear();
    }
}

} // namespace kestrum
