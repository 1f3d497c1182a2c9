#include "game/file_places.h"

#include <sys/stat.h>

namespace kestrum {

namespace {

// Anything at the path counts, even a dangling link: the player put it there.
bool present(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool absolute(const std::optional<std::string>& folder) {
    return folder && !folder->empty() && folder->front() == '/';
}

std::string withoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// An installed game: no sounds beside the binary, and the installation's data folder holds them.
bool installed(Platform& platform) {
    const std::string data = platform.dataFolder();
    return !present(platform.programFolder() + "/BAN.WAV") && !data.empty() && present(data + "/BAN.WAV");
}

} // namespace

std::string settingsFile(Platform& platform) {
    const std::string user = platform.userConfigFolder();
    const std::string inUserFolder = user.empty() ? std::string() : user + "/config.txt";
    // Whoever runs an installed game, root too, has settings of their own; the installation's
    // folders are never read or written.
    if (installed(platform)) return inUserFolder;
    const std::string folder = platform.programFolder();
    const std::string beside = folder + "/config.txt";
    if (present(beside) || platform.folderWritable(folder)) return beside;
    return user.empty() ? beside : inUserFolder;
}

std::string soundFile(Platform& platform, const std::string& name) {
    const std::string beside = platform.programFolder() + "/" + name;
    if (present(beside)) return beside;
    const std::string data = platform.dataFolder();
    if (!data.empty() && present(data + "/" + name)) return data + "/" + name;
    return beside;
}

std::string replaysFolder(Platform& platform, const std::string& settingsPath) {
    if (settingsPath == platform.programFolder() + "/config.txt")
        return platform.programFolder() + "/replays";
    const std::string data = platform.userDataFolder();
    return data.empty() ? data : data + "/replays";
}

namespace {

std::string userFolderFrom(const std::optional<std::string>& xdgHome, const std::optional<std::string>& home,
                           const char* underHome) {
    if (absolute(xdgHome)) return withoutTrailingSlashes(*xdgHome) + "/kestrum";
    if (absolute(home)) {
        const std::string h = withoutTrailingSlashes(*home);
        return (h == "/" ? "" : h) + underHome;
    }
    return {};
}

} // namespace

std::string userConfigFolderFrom(const std::optional<std::string>& xdgConfigHome,
                                 const std::optional<std::string>& home) {
    return userFolderFrom(xdgConfigHome, home, "/.config/kestrum");
}

std::string userDataFolderFrom(const std::optional<std::string>& xdgDataHome,
                               const std::optional<std::string>& home) {
    return userFolderFrom(xdgDataHome, home, "/.local/share/kestrum");
}

} // namespace kestrum
