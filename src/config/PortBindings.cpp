#include "config/PortBindings.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "config/SettingsFile.h"
#include "config/UserFolders.h"

namespace kt::config {

namespace fs = std::filesystem;

namespace {

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

fs::path PortBindingsFile() {
    const fs::path folder = ConfigFolder();
    return folder.empty() ? fs::path() : folder / "ports";
}

PortBindings PortBindings::Load(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    return Parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

PortBindings PortBindings::Parse(const std::string& text) {
    PortBindings b;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (eq == std::string::npos || line.compare(0, 3, "COM") != 0) continue;
        const std::string number = Trimmed(line.substr(3, eq - 3));
        if (number.empty() || number.size() > 2 ||
            number.find_first_not_of("0123456789") != std::string::npos || number[0] == '0')
            continue;
        b.Bind(std::stoi(number), Trimmed(line.substr(eq + 1)));
    }
    return b;
}

std::string PortBindings::Text() const {
    std::string text =
        "# kt4470: the device of each \"Com n\" for this user, chosen on the \"Serial Port\" page.\n"
        "# A link COMn in the working folder wins over the line here. One COMn=device a line.\n";
    for (int n = 1; n <= kPorts; ++n)
        if (!devices_[n].empty()) text += "COM" + std::to_string(n) + "=" + devices_[n] + "\n";
    return text;
}

bool PortBindings::Save(const fs::path& file, std::string* error) const {
    if (file.empty()) {
        if (error) *error = "no per-user configuration folder (neither KT4470_DATA_DIR nor HOME is set)";
        return false;
    }
    if (!EnsureFolder(file.parent_path(), error)) return false;
    return SaveFileAtomically(file.string(), Text(), error);
}

const std::string& PortBindings::Device(int n) const {
    static const std::string none;
    return n >= 1 && n <= kPorts ? devices_[n] : none;
}

bool PortBindings::Bind(int n, const std::string& device) {
    if (n < 1 || n > kPorts || device.find_first_of("\r\n") != std::string::npos) return false;
    devices_[n] = device;
    return true;
}

bool BindPortInFile(const fs::path& file, int n, const std::string& device, std::string* error) {
    PortBindings b = PortBindings::Load(file);
    if (!b.Bind(n, device)) {
        if (error) *error = "cannot bind Com" + std::to_string(n) + " to that name";
        return false;
    }
    return b.Save(file, error);
}

}  // namespace kt::config
