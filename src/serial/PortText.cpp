#include "serial/PortText.h"

#include "serial/PortNames.h"

namespace kt::serial {

namespace {

char ParityLetter(TParity parity) {
    switch (parity) {
        case ptODD:
            return 'O';
        case ptEVEN:
            return 'E';
        case ptMARK:
            return 'M';
        case ptSPACE:
            return 'S';
        default:
            return 'N';
    }
}

}  // namespace

std::string PortHeadText(const TCommPortDriver& port, int entry) {
    const std::string device = ResolvedDevice(port.PortName());
    if (entry > 0) return "COM" + std::to_string(entry) + " -> " + device;
    if (port.Port() == pnCustom && device == port.PortName()) return device;
    std::string name = port.Port() != pnCustom ? "COM" + std::to_string(static_cast<int>(port.Port()))
                                               : std::filesystem::path(port.PortName()).filename().string();
    if (name == device) return device;
    return name + " -> " + device;
}

std::string LineSettingsText(const TCommPortDriver& port) {
    const int dataBits = 5 + static_cast<int>(port.DataBits());
    const char* stop = port.StopBits() == sb1BITS ? "1" : port.StopBits() == sb1HALFBITS ? "1.5" : "2";
    return std::to_string(port.BaudRateValue()) + " " + std::to_string(dataBits) +
           ParityLetter(port.Parity()) + stop;
}

std::string PortEntryText(int n, const ComPortChoice& c) {
    return "Com" + std::to_string(n) + " -> " + ResolvedDevice(c.device);
}

std::string PortRuleText(int n, const ComPortChoice& c) {
    const std::string com = "Com" + std::to_string(n);
    const std::string resolved = ResolvedDevice(c.device);
    switch (c.rule) {
        case PortRule::Windows:
            return com + " is " + c.device;
        case PortRule::Link: {
            std::string text =
                com + " is the link COM" + std::to_string(n) + " in the working folder, to " + resolved;
            if (!c.bound.empty()) text += "; it wins over the device bound for this user (" + c.bound + ")";
            return text;
        }
        case PortRule::Binding:
            return com + " is bound for this user to " + c.device +
                   (resolved != c.device ? " (" + resolved + ")" : "");
        case PortRule::Default:
            return com + " is " + c.device + ": no link COM" + std::to_string(n) +
                   " in the working folder and no device bound to it";
        case PortRule::None:
            break;
    }
    return {};
}

std::string OpenPortText(const TCommPortDriver& port, int entry) {
    return PortHeadText(port, entry) + " open: " + LineSettingsText(port);
}

std::string OpenFailureText(const TCommPortDriver& port, int entry) {
    std::string why;
    switch (port.LastOpenError()) {
        case OpenError::NoSuchDevice:
            why = "no such device";
            break;
        case OpenError::PermissionDenied:
            why =
                "permission denied (join the 'dialout' group: sudo usermod -aG dialout $USER, then log in "
                "again)";
            break;
        case OpenError::Busy:
            why = "in use by another program";
            break;
        default:
            why = port.LastErrorText().empty() ? "cannot be opened" : port.LastErrorText();
            break;
    }
    return PortHeadText(port, entry) + ": cannot open: " + why;
}

std::string NotOpenText(const TCommPortDriver& port, int entry) {
    if (port.LastOpenError() != OpenError::None) return OpenFailureText(port, entry);
    return PortHeadText(port, entry) + ": the port is closed, pick it again to reopen it";
}

std::string LineLostText(const TCommPortDriver& port, const std::string& reason, int entry) {
    return PortHeadText(port, entry) + ": " + (reason.empty() ? "line lost" : reason) +
           "; the port is closed, pick it again to reopen it";
}

}  // namespace kt::serial
