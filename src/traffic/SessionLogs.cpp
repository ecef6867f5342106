#include "traffic/SessionLogs.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "config/UserFolders.h"
#include "traffic/TrafficLog.h"

namespace kt::traffic {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "kt4470-";
constexpr const char* kSuffix = ".log";

bool Digits(const std::string& s, size_t from, size_t count) {
    if (from + count > s.size()) return false;
    for (size_t i = from; i < from + count; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

}  // namespace

fs::path SessionLogFolder() {
    const fs::path data = config::DataFolder();
    return data.empty() ? fs::path() : data / "logs";
}

std::string SessionLogName(int64_t wallUs, int n) {
    // "2026-12-08T17:01:02.345+01:00" -> "20261208-170102"
    const std::string t = LocalTimeText(wallUs);
    std::string name = kPrefix;
    name += t.substr(0, 4) + t.substr(5, 2) + t.substr(8, 2) + "-" + t.substr(11, 2) + t.substr(14, 2) +
            t.substr(17, 2);
    if (n > 1) name += "-" + std::to_string(n);
    return name + kSuffix;
}

bool IsSessionLogName(const std::string& name) {
    // kt4470-YYYYMMDD-HHMMSS[-n].log
    const std::string prefix = kPrefix, suffix = kSuffix;
    if (name.size() < prefix.size() + 15 + suffix.size()) return false;
    if (name.compare(0, prefix.size(), prefix) != 0) return false;
    if (name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    const size_t p = prefix.size();
    if (!Digits(name, p, 8) || name[p + 8] != '-' || !Digits(name, p + 9, 6)) return false;
    const size_t end = name.size() - suffix.size();
    if (p + 15 == end) return true;
    return name[p + 15] == '-' && end > p + 16 && Digits(name, p + 16, end - p - 16);
}

bool StartSessionLog(TrafficRecorder& recorder, const fs::path& folder, int64_t wallUs, std::string* error,
                     int keep) {
    if (!config::EnsureFolder(folder, error)) return false;
    std::string why;
    // A second run started within the same second gets the next number.
    for (int n = 1; n <= 100; ++n) {
        const fs::path path = folder / SessionLogName(wallUs, n);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(path, ec))) continue;
        if (recorder.OpenFile(path, /*exclusive=*/true, &why)) {
            PruneSessionLogs(folder, keep, path);
            return true;
        }
        if (fs::exists(fs::symlink_status(path, ec))) continue;  // taken meanwhile
        break;
    }
    if (error) *error = why.empty() ? "no free session log name in " + folder.string() : why;
    return false;
}

int PruneSessionLogs(const fs::path& folder, int keep, const fs::path& keepAlso) {
    struct Log {
        fs::path path;
        fs::file_time_type written;
    };
    std::vector<Log> logs;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsSessionLogName(name) || !it->is_regular_file(ec)) continue;
        logs.push_back({it->path(), it->last_write_time(ec)});
    }
    std::sort(logs.begin(), logs.end(), [](const Log& a, const Log& b) {
        return a.written != b.written ? a.written > b.written : a.path.filename() > b.path.filename();
    });
    int removed = 0;
    int kept = 0;
    for (const Log& log : logs) {
        if (!keepAlso.empty() && fs::equivalent(log.path, keepAlso, ec)) {
            ++kept;
            continue;
        }
        if (kept < keep) {
            ++kept;
            continue;
        }
        if (fs::remove(log.path, ec)) ++removed;
    }
    return removed;
}

}  // namespace kt::traffic
