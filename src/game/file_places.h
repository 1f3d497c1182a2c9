#pragma once
// Where the game's files are: config.txt beside the program where it can be, else in the user's
// configuration folder; the sounds beside the program, else in the installed data folder.

#include <optional>
#include <string>

#include "game/platform.h"

namespace kestrum {

// The file the settings are read from and saved to. An installed game (no sounds beside the binary,
// the data folder holds them) keeps it in the user's configuration folder, for root too; empty when
// that folder is unknown. A game run from a folder of its own (the build folder, a portable copy)
// keeps config.txt beside the binary whenever that folder already holds one or can take a new one,
// else in the user's configuration folder.
std::string settingsFile(Platform& platform);

// The path of a sound file (BAN.WAV, BIGBAN.WAV): beside the program if it is there, else in the
// data folder if it is there, else beside the program (where playing it fails quietly).
std::string soundFile(Platform& platform, const std::string& name);

// Where the replays of the matches go: a replays folder beside config.txt when the game keeps its
// settings in its program folder, else the replays folder in the user's data folder; empty when there
// is no such folder (the matches are then recorded in memory only).
std::string replaysFolder(Platform& platform, const std::string& settingsPath);

// The game's folder inside the user's configuration folder, from the values of $XDG_CONFIG_HOME and
// $HOME: $XDG_CONFIG_HOME/kestrum, or ~/.config/kestrum when that is unset, empty or not absolute.
// Empty when neither gives an absolute folder.
std::string userConfigFolderFrom(const std::optional<std::string>& xdgConfigHome,
                                 const std::optional<std::string>& home);
// The same for the data folder: $XDG_DATA_HOME/kestrum, or ~/.local/share/kestrum.
std::string userDataFolderFrom(const std::optional<std::string>& xdgDataHome,
                               const std::optional<std::string>& home);

} // namespace kestrum
