// The user's bindings of "Com n" to devices: the file's lines, the limits,
// and a binding made in the file itself keeping the others'.
#include "config/PortBindings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace {

namespace fs = std::filesystem;
using kt::config::BindPortInFile;
using kt::config::PortBindings;

fs::path TempFolder() {
    std::random_device rd;
    const fs::path p = fs::temp_directory_path() / ("kt-bindings-" + std::to_string(rd()));
    fs::create_directories(p);
    return p;
}

TEST(PortBindings, ParsesTheLinesItWrites) {
    const PortBindings b = PortBindings::Parse(
        "# comment\n"
        "COM3=/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\n"
        "COM16 = /dev/ttyUSB1 \r\n"
        "COM17=/dev/ttyUSB2\n"  // no such entry
        "COM0=/dev/ttyUSB3\n"
        "COM03=/dev/ttyUSB4\n"
        "COM4\n"
        "com5=/dev/ttyUSB5\n"
        "COM6=\n");
    EXPECT_EQ(b.Device(3), "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(b.Device(16), "/dev/ttyUSB1");
    for (int n : {0, 1, 4, 5, 6, 17})
        EXPECT_EQ(b.Device(n), "") << n;
    EXPECT_EQ(PortBindings::Parse(b.Text()), b);
    EXPECT_EQ(PortBindings::Parse(""), PortBindings());
}

TEST(PortBindings, BindKeepsOneLineNames) {
    PortBindings b;
    EXPECT_TRUE(b.Bind(1, "/dev/ttyACM0"));
    EXPECT_FALSE(b.Bind(2, "/dev/tty\nCOM3=/dev/evil"));
    EXPECT_FALSE(b.Bind(0, "/dev/ttyACM0"));
    EXPECT_FALSE(b.Bind(17, "/dev/ttyACM0"));
    EXPECT_TRUE(b.Bind(1, ""));  // removed
    EXPECT_EQ(b, PortBindings());
}

TEST(PortBindings, FileChangesKeepOtherBindings) {
    const fs::path dir = TempFolder();
    const fs::path file = dir / "config/kt4470/ports";  // the folder is made
    std::string error;
    EXPECT_EQ(PortBindings::Load(file), PortBindings());
    ASSERT_TRUE(BindPortInFile(file, 3, "/dev/ttyUSB0", &error)) << error;
    // Another window binds Com5 meanwhile; this one then unbinds Com3.
    ASSERT_TRUE(BindPortInFile(file, 5, "/dev/ttyACM0", &error)) << error;
    ASSERT_TRUE(BindPortInFile(file, 3, "", &error)) << error;
    const PortBindings b = PortBindings::Load(file);
    EXPECT_EQ(b.Device(3), "");
    EXPECT_EQ(b.Device(5), "/dev/ttyACM0");
    {
        std::ifstream in(file);  // closed before the folder is removed (Windows)
        const std::string text(std::istreambuf_iterator<char>(in), {});
        EXPECT_NE(text.find("COM5=/dev/ttyACM0\n"), std::string::npos);
    }

    // A file where the folder should be: the reason, nothing else changes.
    std::ofstream(dir / "blocked") << "x";
    EXPECT_FALSE(BindPortInFile(dir / "blocked/ports", 1, "/dev/ttyUSB0", &error));
    EXPECT_NE(error.find("blocked"), std::string::npos) << error;
    EXPECT_FALSE(PortBindings().Save({}, &error));
    fs::remove_all(dir);
}

}  // namespace
