#include "serial/PortNames.h"

#include <filesystem>
#include <system_error>

namespace kt::serial {

namespace fs = std::filesystem;

std::string ComPortDevice(int n, const std::string& workDir) {
    if (n < 1 || n > 16) return {};
#ifdef _WIN32
    (void)workDir;
    return "\\\\.\\COM" + std::to_string(n);
#else
    const std::string name = "COM" + std::to_string(n);
    const fs::path link = workDir.empty() ? fs::path(name) : fs::path(workDir) / name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(link, ec))) return link.string();
    return "/dev/ttyS" + std::to_string(n - 1);
#endif
}

std::string ResolvedDevice(const std::string& path) {
    std::error_code ec;
    const fs::path p(path);
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return path;
    const fs::path target = fs::canonical(p, ec);
    if (!ec) return target.string();
    // Dangling: follow as far as the links go.
    fs::path cur = p;
    for (int i = 0; i < 40 && fs::is_symlink(fs::symlink_status(cur, ec)); ++i) {
        const fs::path next = fs::read_symlink(cur, ec);
        if (ec) break;
        cur = next.is_absolute() ? next : (cur.parent_path() / next);
    }
    return cur.lexically_normal().string();
}

}  // namespace kt::serial
