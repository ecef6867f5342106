// The window with its real timers against kt4470-sim on a pseudo-terminal:
// what the running program does, event loop included.
#include <sys/wait.h>
#include <unistd.h>
#include <QtTest/QTest>
#include <csignal>

#include "app/SerialPortPage.h"
#include "gui/GuiSupport.h"

namespace kt::test {
namespace {

class EndToEnd : public WindowTest {
  protected:
    void TearDown() override {
        form.reset();
        if (sim > 0) {
            kill(sim, SIGTERM);
            waitpid(sim, nullptr, 0);
        }
        WindowTest::TearDown();
    }

    // Starts the simulated module behind COM1 and waits for its link.
    bool StartSim() {
        const std::string link = (dir / "COM1").string();
        sim = fork();
        if (sim == 0) {
            execl(KT_SIM_PATH, KT_SIM_PATH, "--mode", "module", "--link", link.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500; ++i) {
            if (std::filesystem::exists(std::filesystem::symlink_status(link))) return true;
            usleep(10000);
        }
        return false;
    }

    pid_t sim = -1;
};

TEST_F(EndToEnd, ConnectReplyArrivesThroughTheRealTimers) {
    ASSERT_TRUE(StartSim());
    app::FormOptions o;
    o.workDir = dir;
    o.showMessage = [this](const std::string& t, const std::string& c, protocol::MsgIcon i) {
        messages.push_back({t, c, i});
    };
    form = std::make_unique<app::TForm1>(o);
    auto& f = *form;
    ASSERT_TRUE(f.CommPortDriver1.IsOpen()) << f.StatusBar1->currentMessage().toStdString();
    EXPECT_TRUE(f.PortPollTimer().Running());
    EXPECT_TRUE(f.Timer1.isActive());
    EXPECT_EQ(f.Timer1.interval(), 1000);

    f.ConnectBtn->click();
    // The driver polls every 4 s after a send, the reply shows on the next tick.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return f.MemoSMSinput->Text().find("OK") != std::string::npos; }, 20000))
        << f.MemoSMSinput->Text();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.BusyCursor(); }, 5000));
}

}  // namespace
}  // namespace kt::test
