#include "settings/config_file.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "numbers/int16.h"

namespace kestrum {

namespace {

// config.txt holds two short lines; anything longer than this is not ours, and reading all of it
// would only cost time and memory.
constexpr std::size_t kReadCap = 64 * 1024;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading number of `text` (no blanks skipped here): optional sign, digits with an optional
// decimal point, optional exponent. nullopt when there is no digit in the mantissa. Never throws;
// magnitudes beyond a double give infinity (or 0 for tiny ones) instead of failing.
std::optional<double> leadingNumber(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    const std::size_t mantissaStart = i;
    std::size_t intDigits = 0, leadingZeros = 0, fracZerosBeforeFirst = 0;
    bool seenNonZero = false, anyDigit = false;
    while (i < n && isDigit(text[i])) {
        if (!seenNonZero && text[i] == '0')
            ++leadingZeros;
        else
            seenNonZero = true;
        ++intDigits;
        anyDigit = true;
        ++i;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            if (!seenNonZero && text[i] == '0')
                ++fracZerosBeforeFirst;
            else
                seenNonZero = true;
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit) return std::nullopt;
    std::size_t end = i;

    // The exponent belongs to the number only when at least one digit follows the letter.
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < n && (text[j] == '+' || text[j] == '-')) expNegative = text[j++] == '-';
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) {
                if (exponent < 1'000'000) exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (expNegative) exponent = -exponent;
            end = j;
        }
    }

    if (!seenNonZero) return negative ? -0.0 : 0.0;
    // Decimal position of the first significant digit, to tell overflow from underflow.
    const long long significantIntDigits = static_cast<long long>(intDigits - leadingZeros);
    const long long magnitude = significantIntDigits > 0
                                    ? significantIntDigits - 1 + exponent
                                    : -static_cast<long long>(fracZerosBeforeFirst) - 1 + exponent;
    const double huge =
        negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    const double tiny = negative ? -0.0 : 0.0;
    if (magnitude > 400) return huge;
    if (magnitude < -400) return tiny;

    // from_chars takes no '+' and ignores the locale (a Qt program sets the user's locale, which may
    // use a decimal comma).
    const char* first = text.data() + mantissaStart;
    const char* last = text.data() + end;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) return magnitude >= 0 ? huge : tiny;
    if (ec != std::errc() || ptr != last) return std::nullopt; // not reached for the forms above
    return negative ? -value : value;
}

struct ParseResult {
    ConfigReading reading;
    bool dependsOnMore = false; // a field ran into the end of the text
};

// List input of two numbers:
// - blanks and line ends before a number are skipped;
// - a number's field ends at a blank, a comma or a line end (CR LF, LF or CR alone);
// - the blanks after it and one following comma or line end belong to it;
// - a field is taken by its leading number, so "15abc" reads as 15, the same value the dialog
//   validated when it stored that text; a field with no digit at all (a stray comma, a word) fails;
// - the value is rounded to 16 bits, halves to even; outside -32768..32767 fails;
// - a second number (the tick period) below 1 fails.
ParseResult parseNumbers(std::string_view text) {
    ParseResult result;
    // A byte order mark left by an editor is not part of the first number.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    std::size_t pos = 0;
    const std::size_t n = text.size();
    auto readOne = [&]() -> std::optional<int16_t> {
        while (pos < n && (isBlank(text[pos]) || isLineEnd(text[pos])))
            ++pos;
        if (pos >= n) return std::nullopt; // the text ended before the number
        const std::size_t start = pos;
        while (pos < n && !isBlank(text[pos]) && text[pos] != ',' && !isLineEnd(text[pos]))
            ++pos;
        if (pos >= n) result.dependsOnMore = true;
        const std::string_view field = text.substr(start, pos - start);

        while (pos < n && isBlank(text[pos]))
            ++pos;
        if (pos < n) {
            if (text[pos] == ',' || text[pos] == '\n') {
                ++pos;
            } else if (text[pos] == '\r') {
                ++pos;
                if (pos < n && text[pos] == '\n') ++pos;
            }
        }

        const std::optional<double> value = leadingNumber(field);
        if (!value) return std::nullopt;
        const double rounded = std::nearbyint(*value); // halves to even
        if (!(rounded >= -32768.0 && rounded <= 32767.0)) return std::nullopt;
        return toInt16(*value);
    };

    result.reading.keyboardType = readOne();
    if (!result.reading.keyboardType) return result;
    result.reading.handlingPeriod = readOne();
    // The second number is the tick period: 0 would stop the timer for good and a negative one has no
    // meaning, so such a file is as unreadable as a missing one.
    result.reading.ok = result.reading.handlingPeriod.has_value() && *result.reading.handlingPeriod >= 1;
    if (!result.reading.ok) return result;
    // The optional third number: whatever it holds, the first two stand.
    const bool dependsOnMore = result.dependsOnMore;
    const std::optional<int16_t> third = readOne();
    if (third && *third >= 1 && *third <= kComputerStrengths) result.reading.opponent = *third;
    const std::optional<int16_t> fourth = readOne();
    result.reading.roundResults = fourth && *fourth == 1;
    result.dependsOnMore = dependsOnMore;
    return result;
}

// Owns a file descriptor so that every path out of a function closes it.
class UniqueFd {
  public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the result; close can be where a delayed write error shows.
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

  private:
    int fd_;
};

std::string reason(int err) {
    return std::error_code(err, std::generic_category()).message();
}

} // namespace

ConfigReading parseConfig(std::string_view text) {
    return parseNumbers(text).reading;
}

ConfigReading readConfig(const std::string& path) {
    // Non-blocking open so that a FIFO in the file's place cannot stall the start-up.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return {};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return {};

    std::string text(kReadCap + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t r = ::read(fd.get(), text.data() + got, text.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return {};
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    const bool truncated = got > kReadCap;
    text.resize(std::min(got, kReadCap));

    ParseResult parsed = parseNumbers(text);
    // A number cut off by the cap might read differently in full; do not guess.
    if (truncated && parsed.dependsOnMore) parsed.reading.ok = false;
    return parsed.reading;
}

double numericValue(std::string_view text) {
    // Only leading blanks are skipped: the reader ends a number at a blank, so "1 5" must count as 1
    // here too, or the dialog would accept a value that reads back as something else.
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return leadingNumber(text.substr(i)).value_or(0.0);
}

std::string configText(int keyboardType, const std::string& periodText, int opponent, bool roundResults) {
    // The number-printing form: a blank where a plus sign would be, the digits, one blank.
    std::string line1 = keyboardType < 0 ? "-" : " ";
    line1 += std::to_string(keyboardType < 0 ? -static_cast<long long>(keyboardType) : keyboardType);
    line1 += ' ';
    std::string text = line1 + "\r\n" + periodText + "\r\n";
    const bool computer = opponent >= 1 && opponent <= kComputerStrengths;
    if (computer || roundResults) text += " " + std::to_string(computer ? opponent : 0) + " \r\n";
    if (roundResults) text += " 1 \r\n";
    return text;
}

namespace {

namespace fs = std::filesystem;

// The file a chain of symbolic links names (it may not exist yet), so that a save replaces the
// link's target and keeps the link. Only links of this user or of root are followed: in a folder
// others may write in (/tmp), another user's link could aim the save at any file of ours. nullopt
// with `error` set for a loop, an unreadable link or another user's link.
std::optional<fs::path> followLinks(fs::path path, std::string& error) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        if (info.st_uid != ::geteuid() && info.st_uid != 0) {
            error = "the link " + path.native() + " belongs to another user and is not followed";
            return std::nullopt;
        }
        std::error_code ec;
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) {
            error = reason(ec.value());
            return std::nullopt;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    error = reason(ELOOP);
    return std::nullopt;
}

// A number of decimal digits taken off the front of `text`; nullopt if there is none or it is too
// large for a process id.
std::optional<long> takeNumber(std::string_view& text) {
    std::size_t n = 0;
    long value = 0;
    while (n < text.size() && isDigit(text[n])) {
        value = value * 10 + (text[n] - '0');
        if (value > 1L << 30) return std::nullopt;
        ++n;
    }
    if (n == 0) return std::nullopt;
    text.remove_prefix(n);
    return value;
}

// The process id in the name of a temporary file a save of `name` makes (".name.<pid>.<n>.tmp").
std::optional<pid_t> temporaryFileOwner(std::string_view entry, const std::string& name) {
    const std::string prefix = "." + name + ".";
    if (entry.substr(0, prefix.size()) != prefix) return std::nullopt;
    entry.remove_prefix(prefix.size());
    const std::optional<long> pid = takeNumber(entry);
    if (!pid || entry.empty() || entry.front() != '.') return std::nullopt;
    entry.remove_prefix(1);
    if (!takeNumber(entry) || entry != ".tmp") return std::nullopt;
    return pid_t(*pid);
}

// Removes the temporary files that saves killed before their rename left behind. A file of another
// running process is kept: that process may be saving right now. Our own are all leftovers (of an
// earlier run with the same process id), since a save of this process is never under way here.
void removeLeftovers(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<pid_t> owner = temporaryFileOwner(it->path().filename().native(), name);
        if (!owner) continue;
        if (*owner != ::getpid() && (::kill(*owner, 0) == 0 || errno == EPERM)) continue;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(it->path().c_str());
    }
}

// Makes whichever folders of `folder` are missing, each private (0700) whatever the umask. 0 or the
// error number, with the folder that could not be made in `unmade`. A path that cannot be looked at
// for another reason is left to the steps after to report.
int makeFolders(const fs::path& folder, fs::path& unmade) {
    std::vector<fs::path> missing;
    for (fs::path p = folder; !p.empty(); p = p.parent_path()) {
        struct stat info {};
        if (::stat(p.c_str(), &info) == 0 || errno != ENOENT) break;
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0700) != 0) {
            if (errno == EEXIST) continue; // made meanwhile by someone else: theirs to keep as it is
            unmade = *it;
            return errno;
        }
        ::chmod(it->c_str(), 0700);
    }
    return 0;
}

// Writes all of `contents` to `fd`, then makes it durable. 0 or the error number.
int writeAll(int fd, const std::string& contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t w = ::write(fd, contents.data() + written, contents.size() - written);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) return errno;
        written += static_cast<std::size_t>(w);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Overwrites an existing regular file where it is: for a folder we may not create files in. Not
// atomic, but the only way such a file can be saved. 0 or the error number.
int writeInPlace(const fs::path& target, const std::string& contents) {
    // Non-blocking so that a FIFO in the file's place cannot stall the save.
    UniqueFd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return errno;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    if (::ftruncate(fd.get(), 0) != 0) return errno;
    if (const int err = writeAll(fd.get(), contents)) return err;
    return fd.close() == 0 ? 0 : errno;
}

} // namespace

bool writeConfig(const std::string& path, const std::string& contents, std::string& error) {
    if (path.empty()) { // no place for the settings is known
        error = reason(ENOENT);
        return false;
    }
    // Write beside the target and rename over it, so that a failure at any point leaves the old
    // file whole and a reader never sees half a file. A link is saved through: its target is
    // replaced, beside the target.
    const std::optional<fs::path> resolved = followLinks(fs::path(path), error);
    if (!resolved) return false;
    const fs::path& target = *resolved;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string name = target.filename().native();
    static std::atomic<unsigned> counter{0};

    // The user's configuration folder may not exist before the first save: make it, private as
    // configuration folders are.
    fs::path unmade;
    if (const int err = makeFolders(folder, unmade)) {
        error = "cannot make the folder " + unmade.native() + ": " + reason(err);
        return false;
    }

    removeLeftovers(folder, name);

    int fdNumber = -1;
    std::string tempPath;
    for (int attempt = 0; attempt < 100 && fdNumber < 0; ++attempt) {
        tempPath = (folder / ("." + name + "." + std::to_string(::getpid()) + "." +
                              std::to_string(counter++) + ".tmp"))
                       .native();
        fdNumber = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fdNumber < 0 && errno != EEXIST) break;
    }
    if (fdNumber < 0) {
        const int err = errno;
        // A folder we may not write in can still hold a file we may write.
        if ((err == EACCES || err == EPERM) && writeInPlace(target, contents) == 0) {
            error.clear();
            return true;
        }
        error = reason(err);
        return false;
    }
    UniqueFd fd(fdNumber);

    auto fail = [&](int err) {
        if (fd.get() >= 0) fd.close();
        ::unlink(tempPath.c_str());
        error = reason(err);
        return false;
    };

    // The new file takes the old one's permissions: a private file stays private.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(fd.get(), old.st_mode & 07777) != 0)
        return fail(errno);
    if (const int err = writeAll(fd.get(), contents)) return fail(err);
    if (fd.close() != 0) return fail(errno);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) return fail(errno);

    // Make the rename itself durable; the new file is already complete, so this is best effort.
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    error.clear();
    return true;
}

} // namespace kestrum
