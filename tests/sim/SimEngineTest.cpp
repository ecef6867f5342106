// The terminal's own protocol engine and serial driver against the built
// kt4470-sim, through the link the simulator makes: direct mode and the whole
// SMS path (read-all, submission, inbox poll), and what the operator is told
// of a command that got no answer, was refused or is on its way by SMS.
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

    // The notices since the last call.
    std::vector<std::string> Notices() {
        std::vector<std::string> taken;
        taken.swap(win.notices);
        return taken;
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

// The engine's side of the no-answer notice (the window test has the silent
// module): an answer still queued in the port when the time-out passes
// counts, a run that reports its own answers gets no notice, and a closed
// port refuses the send and says why.
TEST_F(EngineOnSim, DirectModeNoAnswerNoticeAndRefusedSend) {
    Start({"--mode", "module"});
    Notices();
    eng.Clear();
    ASSERT_TRUE(eng.SendSMS("  GETST"));
    // The answer waits in the port: the engine polls only every 4 s after a send.
    for (int i = 0; i < 400 && port.Backend().QueuedInput() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_GT(port.Backend().QueuedInput(), 0);
    clock.steadyMs += protocol::AnswerRule::kDefaultTimeoutMs;
    eng.Timer1Timer();
    EXPECT_TRUE(Notices().empty());
    const std::string memo = win.MemoText(protocol::Memo::SmsInput);
    EXPECT_EQ(memo.find("No answer"), std::string::npos) << memo;
    EXPECT_NE(memo.find("ST:"), std::string::npos) << memo;

    port.ClosePort();
    Start({"--mode", "module", "--silent"});
    win.runUnderWay = true;
    ASSERT_TRUE(eng.SendSMS("GETVR"));
    clock.steadyMs += protocol::AnswerRule::kDefaultTimeoutMs;
    eng.Timer1Timer();
    EXPECT_TRUE(Notices().empty());
    win.runUnderWay = false;

    port.ClosePort();
    win.busyCursor = false;
    EXPECT_FALSE(eng.SendSMS("GETST"));
    EXPECT_FALSE(win.busyCursor);
    const auto refused = Notices();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].rfind("GETST not sent: COM1 -> ", 0), 0u) << refused[0];
    EXPECT_NE(refused[0].find(": the port is closed, pick it again to reopen it"), std::string::npos)
        << refused[0];
}

// The status field says where a single SMS command stands, in words: from
// the submission to the answer read from the inbox, a refused submission in
// the modem's words, and an answer that does not come.
TEST_F(EngineOnSim, SmsModeSaysWhereTheCommandStands) {
    const std::string number = "+4917012345";
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> states;  // the status field, in order
        std::string last;                 // the last notice
    } cases[] = {
        {{}, {"submitting", "submitted", "waiting for the answer", "answer received"}, "answer received"},
        {{"--fail-submit", "1"},
         {"submitting", "submitted", "not submitted"},
         "not submitted: +CMS ERROR: 38"},
        {{"--sms-delay", "3600"},
         {"submitting", "submitted", "waiting for the answer", "no answer"},
         "no answer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.states.back());
        std::vector<std::string> args = {"--mode", "modem", "--module-number", number};
        args.insert(args.end(), c.args.begin(), c.args.end());
        port.ClosePort();
        Start(args);
        eng.ResetState();
        win.smsMode = true;
        win.moduleNumber = number;
        Notices();
        std::vector<std::string> states;
        const auto track = [&] {
            if (states.empty() || states.back() != win.statusText) states.push_back(win.statusText);
            return states.size() == c.states.size() && states.back() == c.states.back();
        };
        eng.Clear();
        ASSERT_TRUE(eng.SendSMS("  GETVR"));
        // Until the modem has answered the submission.
        ASSERT_TRUE(RunUntil(
            [&] {
                track();
                return states.size() >= 3 && !eng.ModemBusy;
            },
            true));
        if (c.states.back() == "answer received") {
            eng.SendCMGL("AT+CMGL=0");
            ASSERT_TRUE(RunUntil(track, false));
        } else if (c.states.back() == "no answer") {
            // Lost once the time-out has passed and the inbox was listed since.
            eng.InboxPollInterval = 1;
            for (int tick = 0; tick < protocol::kSmsAnswerTimeoutMs / 1000 + 40 && !track(); ++tick) {
                eng.Timer1Timer();
                if (eng.InboxPolling) {
                    ASSERT_TRUE(RunUntil([&] { return !eng.InboxPolling; }, false));
                }
            }
        }
        EXPECT_EQ(states, c.states);
        const auto notices = Notices();
        ASSERT_FALSE(notices.empty());
        EXPECT_EQ(notices.back(), "SMS GETVR: " + c.last);
    }
}

}  // namespace
}  // namespace kt::sim
