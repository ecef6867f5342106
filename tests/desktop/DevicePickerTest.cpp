// The device picker of the "Serial Port" page on a /dev tree of the test's
// own: the list, binding "Com n" for this user, the COMn link that wins over
// the binding, a device that appears, and kt4470ctl resolving "Com n" as the
// window does.
#include <QStatusBar>
#include <QTest>
#include <fstream>

#include "app/SerialPortPage.h"
#include "config/PortBindings.h"
#include "gui/GuiSupport.h"
#include "serial/PortNames.h"
#include "support/Program.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;

class DevicePicker : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(adapter.Ok() && other.Ok());
        root = dir / "root";
        fs::create_directories(root / "dev/serial/by-id");
        // A USB adapter: its node (here a link to a pseudo-terminal) and its stable name.
        fs::create_symlink(adapter.SlavePath(), root / "dev/ttyUSB0");
        fs::create_symlink("../../ttyUSB0", root / "dev/serial/by-id" / kAdapter);
        bindings = dir / "user/ports";
        moreOptions = [this](app::FormOptions& o) {
            o.deviceRoot = root.string();
            o.portBindingsFile = bindings;
        };
    }
    app::SerialPortPage& Page() { return *form->serialPage; }
    QStringList Listed() {
        QStringList texts;
        for (int i = 0; i < Page().DeviceList->count(); ++i)
            texts << Page().DeviceList->item(i)->text();
        return texts;
    }
    std::string StatusBar() { return form->StatusBar1->currentMessage().toStdString(); }
    std::string Rule() { return Page().PortRule->text().toStdString(); }

    static constexpr const char* kAdapter = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    Pty adapter, other;
    fs::path root, bindings;
};

TEST_F(DevicePicker, ChoosingADeviceBindsTheSelectedEntryForThisUser) {
    auto& f = Start();
    auto& page = Page();
    EXPECT_EQ(Listed(), QStringList{QString(kAdapter) + " (ttyUSB0)"});
    EXPECT_FALSE(page.BindDeviceBtn->isEnabled());  // nothing chosen yet
    page.RadioGroupPort->SetItemIndex(2);
    EXPECT_NE(Rule().find("Com3 is /dev/ttyS2: no link COM3"), std::string::npos) << Rule();
    EXPECT_NE(StatusBar().find("under \"Devices\" on the \"Serial Port\" page"), std::string::npos)
        << StatusBar();

    page.DeviceList->setCurrentRow(0);
    EXPECT_EQ(page.BindDeviceBtn->text().toStdString(), "Use for Com3");
    page.BindDeviceBtn->click();
    const std::string byId = (root / "dev/serial/by-id" / kAdapter).string();
    EXPECT_EQ(config::PortBindings::Load(bindings).Device(3), byId);
    ASSERT_TRUE(f.CommPortDriver1.IsOpen()) << StatusBar();
    EXPECT_EQ(serial::ResolvedDevice(f.CommPortDriver1.PortName()), adapter.SlavePath());
    EXPECT_NE(Rule().find("Com3 is bound for this user to " + byId), std::string::npos) << Rule();
    EXPECT_NE(StatusBar().find("Com3 is bound for this user"), std::string::npos) << StatusBar();
    EXPECT_NE(StatusBar().find("COM3 -> " + adapter.SlavePath() + " open: 2400 8N1"), std::string::npos);
    EXPECT_TRUE(Listed().front().endsWith("= Com3"));
    EXPECT_TRUE(page.UnbindDeviceBtn->isEnabled());
    f.ConnectBtnClick();
    EXPECT_EQ(adapter.Read(Framed("  OK").size(), 2000), Framed("  OK"));

    // The binding is the user's, not the settings file's: a restart with
    // "Com3" stored finds the adapter again.
    f.SaveSetting1Click();
    form.reset();  // the port is opened exclusively
    auto& again = Start();
    EXPECT_TRUE(again.CommPortDriver1.IsOpen());
    EXPECT_EQ(serial::ResolvedDevice(again.CommPortDriver1.PortName()), adapter.SlavePath());
    EXPECT_EQ(SavedRecord().PortIndex(), 2);

    // A COMn link in the working folder wins, and the page says so.
    Link(3, other.SlavePath());
    again.InitPort();
    EXPECT_EQ(serial::ResolvedDevice(again.CommPortDriver1.PortName()), other.SlavePath());
    EXPECT_NE(Rule().find("the link COM3 in the working folder"), std::string::npos) << Rule();
    EXPECT_NE(Rule().find("wins over the device bound for this user (" + byId + ")"), std::string::npos);
    fs::remove(dir / "COM3");

    Page().UnbindDeviceBtn->click();
    EXPECT_EQ(config::PortBindings::Load(bindings).Device(3), "");
    EXPECT_EQ(again.CommPortDriver1.PortName(), "/dev/ttyS2");
    EXPECT_FALSE(Page().UnbindDeviceBtn->isEnabled());
}

TEST_F(DevicePicker, ListFollowsDevicesThatComeAndGo) {
    Start();
    fs::create_symlink(other.SlavePath(), root / "dev/ttyACM0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed().size() == 2; }, 5000))
        << Listed().join(", ").toStdString();
    EXPECT_EQ(Listed().back().toStdString(), "ttyACM0");
    fs::remove(root / "dev/serial/by-id" / kAdapter);
    fs::remove(root / "dev/ttyUSB0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed() == QStringList{"ttyACM0"}; }, 5000));
    // Showing the page lists them again too.
    fs::create_symlink(adapter.SlavePath(), root / "dev/ttyUSB0");
    form->PageControl1->setCurrentWidget(&Page());
    form->show();
    EXPECT_EQ(Listed(), (QStringList{"ttyUSB0", "ttyACM0"}));
}

// kt4470ctl send --port "Com 3" reaches the device the window reaches: the
// user's binding, unless a COM3 link in its working folder wins.
TEST_F(DevicePicker, Kt4470ctlResolvesComAsTheWindowDoes) {
    ASSERT_TRUE(config::BindPortInFile(bindings, 3, (root / "dev/ttyUSB0").string(), nullptr));
    {
        auto& f = Start();
        f.serialPage->RadioGroupPort->SetItemIndex(2);
        EXPECT_EQ(serial::ResolvedDevice(f.CommPortDriver1.PortName()), adapter.SlavePath());
    }
    form.reset();  // the port is opened exclusively
    std::ofstream(dir / "commands.txt") << "GETST\n";
    const fs::path work = dir / "ctl";
    fs::create_directories(work);
    const auto send = [&] {
        return RunProgram(KT4470CTL,
                          {"send", "--port", "Com 3", "--timeout", "0.2", (dir / "commands.txt").string()},
                          {"KT4470_DATA_DIR=" + bindings.parent_path().string()}, work.string());
    };
    auto r = send();
    EXPECT_EQ(r.status, 1) << r.err;  // no module answers
    EXPECT_EQ(adapter.Read(Framed("GETST").size(), 2000), Framed("GETST"));

    fs::create_symlink(other.SlavePath(), work / "COM3");
    r = send();
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(other.Read(Framed("GETST").size(), 2000), Framed("GETST"));
    EXPECT_EQ(adapter.ReadAll(30), "");
}

}  // namespace
}  // namespace kt::test
