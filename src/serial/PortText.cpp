#include "serial/PortText.h"

#include "serial/PortNames.h"

namespace kt::serial {

namespace {

// "COM<n> -> device" for the driver's current port; n is taken from the
// entry's file name when the driver holds a custom name. A custom name that
// is no link (a device given as it is) is shown alone.
std::string PortHead(const TCommPortDriver& port) {
    const std::string device = ResolvedDevice(port.PortName());
    if (port.Port() == pnCustom && device == port.PortName()) return device;
    std::string name = port.Port() != pnCustom ? "COM" + std::to_string(static_cast<int>(port.Port()))
                                               : std::filesystem::path(port.PortName()).filename().string();
    if (name == device) return device;
    return name + " -> " + device;
}

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

std::string PortDevicePath(int n, const std::filesystem::path& workDir) {
    return ComPortDevice(n, workDir.string());
}

std::string PortEntryText(int n, const std::filesystem::path& workDir) {
    return "Com" + std::to_string(n) + " -> " + ResolvedDevice(PortDevicePath(n, workDir));
}

std::string OpenPortText(const TCommPortDriver& port) {
    const int dataBits = 5 + static_cast<int>(port.DataBits());
    const char* stop = port.StopBits() == sb1BITS ? "1" : port.StopBits() == sb1HALFBITS ? "1.5" : "2";
    return PortHead(port) + " open: " + std::to_string(port.BaudRateValue()) + " " +
           std::to_string(dataBits) + ParityLetter(port.Parity()) + stop;
}

std::string OpenFailureText(const TCommPortDriver& port) {
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
    return PortHead(port) + ": cannot open: " + why;
}

std::string LineLostText(const TCommPortDriver& port, const std::string& reason) {
    return PortHead(port) + ": " + (reason.empty() ? "line lost" : reason) +
           "; the port is closed, pick it again to reopen it";
}

}  // namespace kt::serial
