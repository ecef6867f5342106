#include "config/RecentFiles.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "config/SettingsFile.h"
#include "config/UserFolders.h"

namespace kt::config {

namespace fs = std::filesystem;

namespace {

// The same file however it was named.
fs::path Normal(const fs::path& file) {
    std::error_code ec;
    fs::path absolute = fs::absolute(file, ec);
    return (ec ? file : absolute).lexically_normal();
}

}  // namespace

RecentFiles::RecentFiles(fs::path store) : store_(std::move(store)) {
    if (store_.empty()) {
        const fs::path folder = ConfigFolder();
        if (!folder.empty()) store_ = folder / kStoreName;  // else nothing is kept
    }
    Load();
}

void RecentFiles::Load() {
    files_.clear();
    if (store_.empty()) return;
    std::ifstream in(store_, std::ios::binary);
    for (std::string line; files_.size() < kMax && std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const fs::path file = Normal(fs::path(line));
        if (std::find(files_.begin(), files_.end(), file) == files_.end()) files_.push_back(file);
    }
}

bool RecentFiles::Add(const fs::path& file, std::string* error) {
    const fs::path normal = Normal(file);
    files_.erase(std::remove(files_.begin(), files_.end(), normal), files_.end());
    files_.insert(files_.begin(), normal);
    if (files_.size() > kMax) files_.resize(kMax);
    return Save(error);
}

bool RecentFiles::Remove(const fs::path& file, std::string* error) {
    files_.erase(std::remove(files_.begin(), files_.end(), Normal(file)), files_.end());
    return Save(error);
}

bool RecentFiles::Save(std::string* error) const {
    if (!EnsureFolder(store_.parent_path(), error)) return false;
    std::string text;
    for (const fs::path& file : files_)
        text += file.string() + '\n';
    return SaveFileAtomically(store_.string(), text, error);
}

}  // namespace kt::config
