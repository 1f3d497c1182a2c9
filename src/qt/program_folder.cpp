#include "qt/program_folder.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace kestrum::qt {

std::optional<std::string> findProgramFolder(std::string& error) {
    // The kernel's own link to the binary: bytes, never decoded, so no name can be mangled on the
    // way (a text conversion turns what is not UTF-8 into replacement characters, and the folder
    // into one that does not exist).
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        error = "/proc/self/exe: " + ec.message();
        return std::nullopt;
    }
    std::string path = exe.native();
    // A binary removed or replaced while it runs is named with this suffix.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.ends_with(kDeleted) && !fs::exists(exe, ec)) path.resize(path.size() - kDeleted.size());
    const fs::path binary(path);
    if (!binary.is_absolute() || !binary.has_filename()) {
        error = "/proc/self/exe names no binary: " + path;
        return std::nullopt;
    }
    error.clear();
    return binary.parent_path().native();
}

} // namespace kestrum::qt
