// The devices this user bound to the "Com n" entries of the serial port page,
// kept in the per-user configuration (not in KT4470.cfg, whose layout stays as
// it is). A text file, one "COMn=device" a line:
//
//   COM3=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0
//
// The window and kt4470ctl read the same file and resolve "Com n" with it
// through serial/PortNames.h (a COMn link in the working folder wins).
#pragma once

#include <array>
#include <filesystem>
#include <string>

namespace kt::config {

// <ConfigFolder()>/ports: ~/.config/kt4470/ports.
std::filesystem::path PortBindingsFile();

class PortBindings {
  public:
    static constexpr int kPorts = 16;

    // The bindings of the file; none when it is missing. Lines that are not
    // "COMn=device" (n = 1..16) are ignored.
    static PortBindings Load(const std::filesystem::path& file);
    static PortBindings Parse(const std::string& text);

    // Saves atomically, making the folder when missing; false with the reason.
    bool Save(const std::filesystem::path& file, std::string* error) const;
    std::string Text() const;

    // The device bound to "Com n"; empty for none or n outside 1..16.
    const std::string& Device(int n) const;
    // An empty device removes the binding. False for n outside 1..16 or a
    // device name that cannot be kept on one line.
    bool Bind(int n, const std::string& device);

    bool operator==(const PortBindings&) const = default;

  private:
    std::array<std::string, kPorts + 1> devices_;  // [0] unused
};

// Binds "Com n" in the file itself: read, changed, saved, so that a binding
// another window made meanwhile is kept. An empty device removes the binding.
bool BindPortInFile(const std::filesystem::path& file, int n, const std::string& device, std::string* error);

}  // namespace kt::config
