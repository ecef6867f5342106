// The serial devices present on a Linux machine, for the device picker of the
// serial port page: /dev/serial/by-id/* first (stable names that survive
// replugging), then ttyUSB*, ttyACM* and the ttyS* that have a UART behind
// them. Read from a root folder so that tests can give a tree of their own.
#pragma once

#include <string>
#include <vector>

namespace kt::serial {

struct SerialDevice {
    std::string path;    // what a binding keeps: "<root>/dev/serial/by-id/usb-FTDI_...", "<root>/dev/ttyUSB0"
    std::string name;    // what the list shows: the by-id name, "ttyUSB0"
    std::string device;  // the device node a by-id link leads to ("<root>/dev/ttyUSB0"), else the path
};

// "/" on a real system; paths come back below root. A by-id link is listed
// once, under its name; the ttyUSB or ttyACM node it leads to is not repeated.
// A ttyS counts when <root>/sys/class/tty/ttyS<n>/type names a UART (not 0):
// the kernel keeps ttyS0..ttyS31 whether or not a port is fitted. Numbers sort
// as numbers (ttyUSB2 before ttyUSB10). Empty on Windows and where nothing is.
std::vector<SerialDevice> ListSerialDevices(const std::string& root = "/");

// The folders to watch for devices appearing and going (those that exist).
std::vector<std::string> DeviceFolders(const std::string& root = "/");

}  // namespace kt::serial
