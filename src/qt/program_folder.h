#pragma once
// Where the running binary lives: the folder of config.txt and the sounds.

#include <optional>
#include <string>

namespace kestrum::qt {

// The folder of the running binary as the bytes the system names it by, whatever their encoding
// (a folder unpacked from an archive may be named in Shift-JIS or in no encoding at all), without a
// trailing separator. nullopt, with the reason in `error`, when it cannot be found.
std::optional<std::string> findProgramFolder(std::string& error);

} // namespace kestrum::qt
