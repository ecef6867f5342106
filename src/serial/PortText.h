// One-line texts about the serial port for the operator: which device a
// "Com n" entry resolves to, why a port failed to open, what is open.
#pragma once

#include <filesystem>
#include <string>

#include "serial/CommPortDriver.h"

namespace kt::serial {

// The device of "Com n" in the working directory (see serial/PortNames.h).
std::string PortDevicePath(int n, const std::filesystem::path& workDir);
// "Com3 -> /dev/pts/4": the entry and the device it finally refers to.
std::string PortEntryText(int n, const std::filesystem::path& workDir);
// "COM1 -> /dev/pts/3 open: 2400 8N1".
std::string OpenPortText(const TCommPortDriver& port);
// "COM5 -> /dev/ttyS4: cannot open: no such device" (the window's status bar and
// kt4470ctl send say why a port did not open in the same words).
std::string OpenFailureText(const TCommPortDriver& port);
// "COM1 -> /dev/pts/3: line lost (...); the port is closed, pick it again to reopen it".
std::string LineLostText(const TCommPortDriver& port, const std::string& reason);

}  // namespace kt::serial
