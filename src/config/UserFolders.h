// The per-user folders of the programs: data (session and delivery logs, the
// working folder of a menu start) and configuration (choices of this user that
// do not belong in KT4470.cfg). Linux follows the XDG base directories,
// Windows uses %LOCALAPPDATA%. The environment variable KT4470_DATA_DIR
// replaces both folders (tests, portable installs).
#pragma once

#include <filesystem>
#include <string>

namespace kt::config {

inline constexpr const char* kDataDirVariable = "KT4470_DATA_DIR";

// $KT4470_DATA_DIR, else $XDG_DATA_HOME/kt4470 (~/.local/share/kt4470),
// on Windows %LOCALAPPDATA%\KT4470. Empty when none of these can be found.
std::filesystem::path DataFolder();
// $KT4470_DATA_DIR, else $XDG_CONFIG_HOME/kt4470 (~/.config/kt4470), on
// Windows %LOCALAPPDATA%\KT4470.
std::filesystem::path ConfigFolder();

// Creates the folder and its parents when missing; false with the reason.
bool EnsureFolder(const std::filesystem::path& folder, std::string* error);

}  // namespace kt::config
