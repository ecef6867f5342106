// The program version: the release number of CMakeLists.txt, followed by the
// git description when the build came from a checkout ("0.9.0 (git
// 607bab8-dirty)").
#pragma once

#include <string>

namespace kt {

const char* Version();
// The release number alone ("0.9.0").
const char* ReleaseVersion();

// What --version prints: "kt4470 0.9.0 (git 607bab8)".
inline std::string VersionLine(const char* program) {
    return std::string(program) + " " + Version();
}

inline constexpr const char* kLicenceName = "GNU General Public License, version 3 or later";

}  // namespace kt
