// The settings files this user opened or saved last, newest first, kept in
// the per-user configuration folder (a choice of the user, not a setting of
// the module: KT4470.cfg does not hold it). One absolute path a line.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kt::config {

class RecentFiles {
  public:
    static constexpr std::size_t kMax = 5;
    static constexpr const char* kStoreName = "recent-files";

    // The list kept in `store`; ConfigFolder()/recent-files when empty.
    explicit RecentFiles(std::filesystem::path store = {});

    const std::vector<std::filesystem::path>& Files() const { return files_; }
    // Reads the list again (a missing store is an empty list).
    void Load();
    // The file to the front (once, at most kMax kept), then the list saved;
    // false with the reason when the store cannot be written.
    bool Add(const std::filesystem::path& file, std::string* error = nullptr);
    bool Remove(const std::filesystem::path& file, std::string* error = nullptr);
    const std::filesystem::path& Store() const { return store_; }

  private:
    bool Save(std::string* error) const;

    std::filesystem::path store_;
    std::vector<std::filesystem::path> files_;
};

}  // namespace kt::config
