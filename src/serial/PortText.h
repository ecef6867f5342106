// One-line texts about the serial port for the operator: which device a
// "Com n" entry resolves to, why a port failed to open, what is open.
#pragma once

#include <filesystem>
#include <string>

#include "serial/CommPortDriver.h"
#include "serial/PortNames.h"

namespace kt::serial {

// "Com3 -> /dev/pts/4": the entry and the device it finally refers to.
std::string PortEntryText(int n, const ComPortChoice& choice);
// Which rule gave "Com n" its device, in a sentence: the link in the working
// folder (and the binding it wins over), the user's binding, or the default.
std::string PortRuleText(int n, const ComPortChoice& choice);

// The texts below start with the port: "COMn -> device" for entry n (0: as
// far as the driver's port name tells).
// "COM1 -> /dev/pts/3": the port alone. n is the entry when given, else the
// driver's port number, else taken from the entry's file name when the
// driver holds a custom name; a custom name that is no link (a device given
// as it is) is shown alone.
std::string PortHeadText(const TCommPortDriver& port, int entry = 0);
// "2400 8N1": rate, data bits, parity letter (N O E M S), stop bits.
std::string LineSettingsText(const TCommPortDriver& port);
// "COM1 -> /dev/pts/3 open: 2400 8N1".
std::string OpenPortText(const TCommPortDriver& port, int entry = 0);
// "COM5 -> /dev/ttyS4: cannot open: no such device" (the window's status bar and
// kt4470ctl send say why a port did not open in the same words).
std::string OpenFailureText(const TCommPortDriver& port, int entry = 0);
// Why a port that is not open takes no command: the reason its last open
// failed, else "COM1 -> /dev/pts/3: the port is closed, pick it again to reopen it".
std::string NotOpenText(const TCommPortDriver& port, int entry = 0);
// "COM1 -> /dev/pts/3: line lost (...); the port is closed, pick it again to reopen it".
std::string LineLostText(const TCommPortDriver& port, const std::string& reason, int entry = 0);

}  // namespace kt::serial
