// The device list from a /dev tree of the test's own, and which rule gives
// "Com n" its device: a COMn link in the working folder, then the user's
// binding, then /dev/ttyS<n-1>.
#include "serial/SerialDevices.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/PortNames.h"
#include "serial/PortText.h"

namespace {

namespace fs = std::filesystem;
using namespace kt::serial;

class FakeRoot : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kt_devices_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root / "dev");
    }
    void TearDown() override { fs::remove_all(root); }
    void Node(const std::string& name) { std::ofstream(root / "dev" / name) << ""; }
    void Uart(const std::string& name, const std::string& type) {
        Node(name);
        fs::create_directories(root / "sys/class/tty" / name);
        std::ofstream(root / "sys/class/tty" / name / "type") << type << "\n";
    }
    void ById(const std::string& name, const std::string& target) {
        fs::create_directories(root / "dev/serial/by-id");
        fs::create_symlink(target, root / "dev/serial/by-id" / name);
    }
    fs::path root;
};

TEST_F(FakeRoot, ListsByIdFirstThenUsbAcmAndFittedUarts) {
    for (const char* n : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0", "ttyUSBx", "tty0", "ttyS", "console"})
        Node(n);
    Uart("ttyS0", "4");   // a 16550A
    Uart("ttyS1", "0");   // no port fitted
    Node("ttyS2");        // no sysfs entry: nothing known, not offered
    Uart("ttyS10", "4");  // after ttyS0, as a number
    ById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "../../ttyUSB2");
    ById("usb-Arduino_Uno_7543-if00", "../../ttyACM0");
    ById("usb-gone-if00-port0", "../../ttyUSB7");  // left behind by a device that went

    const auto list = ListSerialDevices(root.string());
    std::vector<std::string> names, paths;
    for (const auto& d : list) {
        names.push_back(d.name);
        paths.push_back(d.path);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"usb-Arduino_Uno_7543-if00",
                                               "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0",
                                               "ttyUSB10", "ttyS0", "ttyS10"}));
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[1].path,
              (root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0").string());
    EXPECT_EQ(list[1].device, (root / "dev/ttyUSB2").string());
    EXPECT_EQ(list[2].path, (root / "dev/ttyUSB0").string());

    EXPECT_EQ(DeviceFolders(root.string()),
              (std::vector<std::string>{(root / "dev").string(), (root / "dev/serial").string(),
                                        (root / "dev/serial/by-id").string()}));
    EXPECT_TRUE(ListSerialDevices((root / "nothing").string()).empty());
}

TEST_F(FakeRoot, LinkThenBindingThenDefault) {
    const std::string work = root.string();
    const std::string bound = (root / "dev/ttyUSB0").string();
    struct Case {
        int n;
        bool link;
        std::string bound;
        PortRule rule;
        std::string device;
        std::string says;  // a part of the rule's sentence
    } cases[] = {
        {3, false, "", PortRule::Default, "/dev/ttyS2",
         "no link COM3 in the working folder and no device bound"},
        {3, false, bound, PortRule::Binding, bound, "Com3 is bound for this user to " + bound},
        {4, true, "", PortRule::Link, work + "/COM4", "the link COM4 in the working folder"},
        {4, true, bound, PortRule::Link, work + "/COM4",
         "it wins over the device bound for this user (" + bound},
        {17, false, bound, PortRule::None, "", ""},
    };
    fs::create_symlink("/dev/pts/999", root / "COM4");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        SCOPED_TRACE(c.bound);
        ASSERT_EQ(fs::is_symlink(root / ("COM" + std::to_string(c.n))), c.link);
        const ComPortChoice got = ResolveComPort(c.n, work, c.bound);
        EXPECT_EQ(got.rule, c.rule);
        EXPECT_EQ(got.device, c.device);
        EXPECT_EQ(got.bound, c.rule == PortRule::None ? "" : c.bound);
        EXPECT_NE(PortRuleText(c.n, got).find(c.says), std::string::npos) << PortRuleText(c.n, got);
    }
    EXPECT_EQ(PortEntryText(4, ResolveComPort(4, work, bound)), "Com4 -> /dev/pts/999");
}

TEST(PortNames, ComPortNumberOfEachSpelling) {
    const std::pair<const char*, int> cases[] = {
        {"COM1", 1}, {"Com 3", 3},  {"com16", 16}, {"COM17", 0},        {"COM0", 0},
        {"COM", 0},  {"COM 1 ", 0}, {"COMx", 0},   {"/dev/ttyUSB0", 0}, {"COM123", 0}};
    for (const auto& [name, n] : cases)
        EXPECT_EQ(ComPortNumber(name), n) << name;
}

}  // namespace
