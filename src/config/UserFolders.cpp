#include "config/UserFolders.h"

#include <cstdlib>
#include <system_error>

namespace kt::config {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// The XDG rule: the variable when it holds an absolute path, else the
// default below the home folder.
fs::path Folder([[maybe_unused]] const char* xdgVariable, [[maybe_unused]] const char* homeDefault) {
    if (const std::string own = Env(kDataDirVariable); !own.empty()) return fs::path(own);
#ifdef _WIN32
    const std::string local = Env("LOCALAPPDATA");
    return local.empty() ? fs::path() : fs::path(local) / "KT4470";
#else
    if (const std::string xdg = Env(xdgVariable); !xdg.empty() && xdg.front() == '/')
        return fs::path(xdg) / "kt4470";
    const std::string home = Env("HOME");
    return home.empty() ? fs::path() : fs::path(home) / homeDefault / "kt4470";
#endif
}

}  // namespace

fs::path DataFolder() {
    return Folder("XDG_DATA_HOME", ".local/share");
}

fs::path ConfigFolder() {
    return Folder("XDG_CONFIG_HOME", ".config");
}

bool EnsureFolder(const fs::path& folder, std::string* error) {
    if (folder.empty()) {
        if (error) *error = "no per-user folder (neither KT4470_DATA_DIR nor HOME is set)";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        if (error) *error = "cannot create " + folder.string() + ": " + (ec ? ec.message() : "not a folder");
        return false;
    }
    return true;
}

}  // namespace kt::config
