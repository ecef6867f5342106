// The terminal's own protocol engine and serial driver against the built
// kt4470-sim, through the link the simulator makes: direct mode and the whole
// SMS path (read-all, submission, inbox poll).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "SimProcess.h"
#include "protocol/Engine.h"
#include "serial/CommPortDriver.h"
#include "support/FakeWindow.h"
#include "support/Pty.h"

namespace kt::sim {
namespace {

class EngineOnSim : public ::testing::Test {
  protected:
    void Start(std::vector<std::string> args) {
        args.push_back("--link");
        args.push_back((dir.Path() / "COM1").string());
        sim = std::make_unique<SimProcess>(args);
        ASSERT_FALSE(sim->FirstLine().empty());
        port.SetPortName((dir.Path() / "COM1").string());
        ASSERT_TRUE(port.OpenPort());
        port.OnReceiveData = [this](serial::TCommPortDriver* sender, const void* data, uint32_t size) {
            eng.CommPortDriver1ReceiveData(sender, data, size);
        };
    }

    // Polls the driver (and ticks the timer every 10th round) until done()
    // or 10 s pass.
    bool RunUntil(const std::function<bool()>& done, bool tick) {
        for (int i = 0; i < 2000; ++i) {
            if (done()) return true;
            port.Poll();
            if (tick && i % 10 == 9) eng.Timer1Timer();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }

    TempDir dir;
    std::unique_ptr<SimProcess> sim;
    test::ManualPollTimer timer;
    serial::TCommPortDriver port{&timer};
    test::FakeWindow win;
    test::FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
};

TEST_F(EngineOnSim, DirectModeFillsThePageShowing) {
    Start({"--mode", "module"});
    win.page = 1;  // "Abonents"
    eng.Clear();
    eng.SendSMS("SETNN3,+12345678");
    ASSERT_TRUE(RunUntil([&] { return win.controls["NNumber3"] == "+12345678"; }, true));
    EXPECT_NE(win.MemoText(protocol::Memo::SmsInput).find("NUM3: +12345678"), std::string::npos);

    win.page = 10;  // "GPRS, FTP"
    eng.Clear();
    eng.SendSMS("SETAP web.apn");
    ASSERT_TRUE(RunUntil([&] { return win.controls["APN"] == "web.apn"; }, true));
}

TEST_F(EngineOnSim, SmsModeReadAllSubmitAndInbox) {
    const std::string number = "+4917012345";
    Start({"--mode", "modem", "--module-number", number});
    win.smsMode = true;
    win.moduleNumber = number;
    eng.ReadAllParameterClick();
    ASSERT_TRUE(RunUntil([&] { return !eng.ReadAllActive; }, true));
    EXPECT_EQ(eng.ManufacturerText, "KT4470-SIM");
    EXPECT_EQ(eng.ModelText, "SIM-MODEM-1");
    EXPECT_EQ(eng.DateTimeText.front(), '"');
    EXPECT_EQ(eng.SmsFormatChar, '0');

    eng.Clear();
    eng.SendSMS("  GETVR");
    ASSERT_TRUE(RunUntil([&] { return !eng.ModemBusy && !eng.PduSent && !eng.AwaitSendResult; }, true));
    eng.SendCMGL("AT+CMGL=0");
    ASSERT_TRUE(RunUntil([&] { return !eng.InboxText.empty(); }, false));
    EXPECT_EQ(eng.InboxText, "VR: KT4470QD25E SIM 1.0");
}

}  // namespace
}  // namespace kt::sim
