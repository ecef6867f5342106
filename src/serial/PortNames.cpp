#include "serial/PortNames.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace kt::serial {

namespace fs = std::filesystem;

ComPortChoice ResolveComPort(int n, const std::string& workDir, const std::string& bound) {
    if (n < 1 || n > 16) return {};
#ifdef _WIN32
    (void)workDir;
    return {"\\\\.\\COM" + std::to_string(n), PortRule::Windows, bound};
#else
    const std::string name = "COM" + std::to_string(n);
    const fs::path link = workDir.empty() ? fs::path(name) : fs::path(workDir) / name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(link, ec))) return {link.string(), PortRule::Link, bound};
    if (!bound.empty()) return {bound, PortRule::Binding, bound};
    return {"/dev/ttyS" + std::to_string(n - 1), PortRule::Default, bound};
#endif
}

std::string ComPortDevice(int n, const std::string& workDir) {
    return ResolveComPort(n, workDir, {}).device;
}

int ComPortNumber(const std::string& port) {
    if (port.size() < 4) return 0;
    std::string head = port.substr(0, 3);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    if (head != "com") return 0;
    size_t i = 3;
    if (port[i] == ' ') ++i;
    if (i == port.size() || port.size() - i > 2) return 0;
    int n = 0;
    for (; i < port.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(port[i]))) return 0;
        n = n * 10 + (port[i] - '0');
    }
    return n >= 1 && n <= 16 ? n : 0;
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
