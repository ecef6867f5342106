// Device names behind the "Com n" choices of the serial port page.
#pragma once

#include <string>

namespace kt::serial {

// Device for "Com n" (n = 1..16). Windows: \\.\COMn. POSIX: the file COMn in
// workDir when it exists (usually a symbolic link to /dev/ttyUSB0 or to a
// simulator's pseudo-terminal; a dangling link counts, so the operator sees
// why it fails), else /dev/ttyS<n-1>. An empty workDir means the current
// directory. Empty for n outside 1..16.
std::string ComPortDevice(int n, const std::string& workDir);

// The device a name finally refers to (symbolic links followed), for showing
// the operator which device an entry resolves to. A dangling link gives its
// target; anything that is not a link is returned as it is.
std::string ResolvedDevice(const std::string& path);

}  // namespace kt::serial
