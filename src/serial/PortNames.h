// Device names behind the "Com n" choices of the serial port page. The window
// and kt4470ctl both resolve "Com n" here, so they always mean the same device.
#pragma once

#include <string>

namespace kt::serial {

// Which rule gave "Com n" its device.
enum class PortRule {
    None,     // n outside 1..16
    Windows,  // \\.\COMn
    Link,     // the file COMn in the working folder
    Binding,  // the device this user bound to "Com n" (the serial port page's device picker)
    Default,  // /dev/ttyS<n-1>
};

struct ComPortChoice {
    std::string device;  // the name the driver opens
    PortRule rule = PortRule::None;
    std::string bound;  // the user's binding of "Com n", also when a link wins over it
};

// The device of "Com n" (n = 1..16). Windows: \\.\COMn. POSIX, first rule
// that applies: the file COMn in workDir when it exists (usually a symbolic
// link to /dev/ttyUSB0 or to a simulator's pseudo-terminal; a dangling link
// counts, so the operator sees why it fails), then `bound` (the user's
// binding of "Com n", empty for none), then /dev/ttyS<n-1>. An empty workDir
// means the current directory.
ComPortChoice ResolveComPort(int n, const std::string& workDir, const std::string& bound);

// The device of "Com n" without a binding; empty for n outside 1..16.
std::string ComPortDevice(int n, const std::string& workDir);

// n of "COMn" or "Com n" (either case, n = 1..16), 0 for anything else.
int ComPortNumber(const std::string& name);

// The device a name finally refers to (symbolic links followed), for showing
// the operator which device an entry resolves to. A dangling link gives its
// target; anything that is not a link is returned as it is.
std::string ResolvedDevice(const std::string& path);

}  // namespace kt::serial
