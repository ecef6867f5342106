#include "serial/SerialDevices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace kt::serial {

namespace fs = std::filesystem;

// Windows has no /dev to list: the helpers exist for the POSIX listing only.
#ifndef _WIN32
namespace {

// Orders names with their digit runs compared as numbers.
bool NaturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(static_cast<unsigned char>(a[i])) &&
            std::isdigit(static_cast<unsigned char>(b[j]))) {
            size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei])))
                ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej])))
                ++ej;
            const std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            const size_t za = na.find_first_not_of('0'), zb = nb.find_first_not_of('0');
            const std::string ta = za == std::string::npos ? "" : na.substr(za);
            const std::string tb = zb == std::string::npos ? "" : nb.substr(zb);
            if (ta.size() != tb.size()) return ta.size() < tb.size();
            if (ta != tb) return ta < tb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

// Entries of dir whose names start with prefix followed by a digit, sorted.
std::vector<fs::path> Numbered(const fs::path& dir, const std::string& prefix) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            std::isdigit(static_cast<unsigned char>(name[prefix.size()])))
            found.push_back(it->path());
    }
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        return NaturalLess(a.filename().string(), b.filename().string());
    });
    return found;
}

// Where a by-id link leads: its target, one step (udev's links are relative:
// "../../ttyUSB0").
std::string LinkTarget(const fs::path& link) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(link, ec);
    if (ec) return link.string();
    return (target.is_absolute() ? target : link.parent_path() / target).lexically_normal().string();
}

// The kernel's UART type of ttyS<n>; 0 (PORT_UNKNOWN) when no port is fitted.
bool UartFitted(const fs::path& root, const std::string& name) {
    std::ifstream in(root / "sys/class/tty" / name / "type");
    int type = 0;
    return in >> type && type != 0;
}

}  // namespace
#endif

std::vector<SerialDevice> ListSerialDevices(const std::string& rootText) {
    std::vector<SerialDevice> list;
#ifndef _WIN32
    const fs::path root(rootText.empty() ? "/" : rootText);
    const fs::path dev = root / "dev";
    std::error_code ec;
    std::set<std::string> reached;
    std::vector<fs::path> byId;
    for (fs::directory_iterator it(dev / "serial/by-id", ec), end; !ec && it != end; it.increment(ec))
        byId.push_back(it->path());
    std::sort(byId.begin(), byId.end());
    for (const fs::path& p : byId) {
        const std::string device = LinkTarget(p);
        if (!fs::exists(device, ec)) continue;  // a link left behind by a device that went
        list.push_back({p.string(), p.filename().string(), device});
        reached.insert(device);
    }
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        for (const fs::path& p : Numbered(dev, prefix)) {
            const std::string name = p.filename().string();
            const std::string device = p.lexically_normal().string();
            if (reached.count(device)) continue;
            if (std::string(prefix) == "ttyS" && !UartFitted(root, name)) continue;
            list.push_back({p.string(), name, device});
        }
    }
#else
    (void)rootText;
#endif
    return list;
}

std::vector<std::string> DeviceFolders(const std::string& rootText) {
    std::vector<std::string> folders;
    const fs::path root(rootText.empty() ? "/" : rootText);
    std::error_code ec;
    for (const fs::path& p : {root / "dev", root / "dev/serial", root / "dev/serial/by-id"})
        if (fs::is_directory(p, ec)) folders.push_back(p.string());
    return folders;
}

}  // namespace kt::serial
