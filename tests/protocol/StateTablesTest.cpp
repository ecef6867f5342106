// The SMS submission and the modem read-all sequence as (state, event, next
// state) tables, driven through the real receive handler and timer.
#include <functional>
#include <string>

#include "EngineFixture.h"

namespace kt::test {
namespace {

class StateTables : public EngineOnPty {
  protected:
    void SetUp() override {
        EngineOnPty::SetUp();
        win.smsMode = true;
        eng.SmsModeActive = true;
        clock.Set(12, 0);
    }

    std::string SubmitState() const {
        if (eng.AwaitPrompt) return "PromptWait";
        if (eng.PduSent) return eng.AwaitSendResult ? "ResultArmed" : "ResultWait";
        return "SubmitIdle";
    }

    std::string ReadAllState() const {
        if (eng.ReadAllActive) return "Stepping" + std::to_string(eng.ReadAllStep);
        return eng.PhoneMissing ? "PhoneGone" : "ReadAllOff";
    }

    struct Row {
        const char* state;
        const char* event;
        std::function<void()> act;
        const char* next;
    };

    void Run(const std::vector<Row>& rows, const std::function<std::string()>& state) {
        for (const auto& r : rows) {
            ASSERT_EQ(state(), r.state) << "before: " << r.event;
            r.act();
            ASSERT_EQ(state(), r.next) << "after: " << r.event;
        }
    }
};

TEST_F(StateTables, SmsSubmission) {
    const std::string pdu = "00113005912143F500000B06C722754A6D00";
    Run(
        {
            {"SubmitIdle", "SendSMS while the modem is free",
             [&] {
                 eng.SendSMS("GETST");
                 ExpectWire("AT+CMGS=17\r");
                 EXPECT_TRUE(eng.ModemBusy && eng.SmsOutgoing && eng.InboxPollHold);
             },
             "PromptWait"},
            {"PromptWait", "tick: no time-out", [&] { TickN(3); }, "PromptWait"},
            {"PromptWait", "any reception",
             [&] {
                 Reply("> ");
                 ExpectWire(pdu + "\x1a");
                 EXPECT_FALSE(eng.ModemBusy);
             },
             "ResultWait"},
            {"ResultWait", "reception before the tick", [&] { Reply("\r\n"); }, "ResultWait"},
            {"ResultWait", "tick",
             [&] {
                 eng.Timer1Timer();
                 EXPECT_EQ(port.InputTimeout(), 5200u);
             },
             "ResultArmed"},
            {"ResultArmed", "any reception",
             [&] {
                 Reply("\r\n+CMGS: 17\r\n\r\nOK\r\n");
                 EXPECT_FALSE(eng.SmsOutgoing || eng.AwaitSendResult || eng.ModemBusy || eng.InboxPollHold);
                 EXPECT_EQ(port.InputTimeout(), 700u);
             },
             "SubmitIdle"},
            {"SubmitIdle", "SendSMS while the modem is busy",
             [&] {
                 eng.ModemBusy = true;
                 eng.SendSMS("GETST");
                 ExpectNothingSent();
                 eng.ModemBusy = false;
             },
             "SubmitIdle"},
        },
        [this] { return SubmitState(); });
}

TEST_F(StateTables, InboxPollEndsAWaitingSubmission) {
    eng.InboxPollInterval = 1;
    Run(
        {
            {"SubmitIdle", "SendSMS",
             [&] {
                 eng.SendSMS("GETST");
                 ExpectWire("AT+CMGS=17\r");
             },
             "PromptWait"},
            {"PromptWait", "prompt",
             [&] {
                 Reply("> ");
                 pty.ReadAll(50);
             },
             "ResultWait"},
            {"ResultWait", "tick", [&] { eng.Timer1Timer(); }, "ResultArmed"},
            {"ResultArmed", "inbox poll",
             [&] {
                 eng.InboxPollTicks = 30;
                 eng.Timer1Timer();
                 ExpectWire("AT+CMGL=1\r");
                 EXPECT_TRUE(eng.AwaitSendResult && eng.SmsOutgoing);  // until the next reception
             },
             "SubmitIdle"},
        },
        [this] { return SubmitState(); });
    Reply("\r\nOK\r\n");
    EXPECT_FALSE(eng.AwaitSendResult || eng.SmsOutgoing);
}

TEST_F(StateTables, ReadAllSequence) {
    auto step = [&](const std::string& wire, const std::string& answer) {
        return [this, wire, answer] {
            eng.Timer1Timer();
            ExpectWire(wire);
            EXPECT_TRUE(eng.ModemBusy);
            eng.Timer1Timer();  // still busy: waits
            ExpectNothingSent();
            Reply(answer);
            EXPECT_FALSE(eng.ModemBusy);
        };
    };
    Run(
        {
            {"ReadAllOff", "ReadAllParameterClick", [&] { eng.ReadAllParameterClick(); }, "Stepping0"},
            {"Stepping0", "step 1", step("AT+CGMI\r", "AT+CGMI\r\r\nSIEMENS\r\n\r\nOK\r\n"), "Stepping1"},
            {"Stepping1", "step 2", step("AT+CSCS?\r", "AT+CSCS?\r\r\n+CSCS: \"GSM\"\r\n\r\nOK\r\n"),
             "Stepping2"},
            {"Stepping2", "step 3", step("AT+CGMM\r", "AT+CGMM\r\r\nS55\r\n\r\nOK\r\n"), "Stepping3"},
            {"Stepping3", "step 4",
             step("AT+CCLK?\r", "AT+CCLK?\r\r\n+CCLK: \"26/12/06,17:40:05+02\"\r\n\r\nOK\r\n"), "Stepping4"},
            {"Stepping4", "step 5", step("AT+CMGF?\r", "AT+CMGF?\r\r\n+CMGF: 0\r\n\r\nOK\r\n"), "Stepping5"},
            {"Stepping5", "step 6", step("AT+CMGF=0\r", "AT+CMGF=0\r\r\nOK\r\n"), "Stepping6"},
            {"Stepping6", "step 7 ends", [&] { eng.Timer1Timer(); }, "ReadAllOff"},
        },
        [this] { return ReadAllState(); });
    EXPECT_EQ(win.statusText, " ");
    EXPECT_EQ(win.ControlText("Hersteller"), "SIEMENS");
    EXPECT_EQ(win.ControlText("ModelIDCode"), "S55");
    EXPECT_EQ(win.ControlText("DateTime"), "\"26/12/06,17:40:05+02\"");
    EXPECT_FALSE(eng.WantManufacturer || eng.WantCharSet || eng.WantModel || eng.WantDateTime ||
                 eng.WantSmsFormat || eng.WantFormatEcho);
    EXPECT_EQ(win.smsInput.Lines().front(), "AT+CGMI");
}

TEST_F(StateTables, ReadAllGivesUpOnASilentPhone) {
    Run(
        {
            {"ReadAllOff", "ReadAllParameterClick", [&] { eng.ReadAllParameterClick(); }, "Stepping0"},
            {"Stepping0", "98 silent ticks",
             [&] {
                 TickN(98);
                 ExpectWire("AT+CGMI\r");
             },
             "Stepping1"},
            {"Stepping1", "99th silent tick", [&] { eng.Timer1Timer(); }, "PhoneGone"},
        },
        [this] { return ReadAllState(); });
    ASSERT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.messages[0].text, "Cell Phone not connected");
    EXPECT_EQ(win.messages[0].caption, "Error");
    EXPECT_EQ(win.LastStatusColor(), protocol::kBlack);
    EXPECT_FALSE(eng.ModemBusy);
    EXPECT_TRUE(eng.WantManufacturer);  // the unanswered query stays pending

    Run({{"PhoneGone", "a late answer", [&] { Reply("AT+CGMI\r\r\nSIEMENS\r\n\r\nOK\r\n"); }, "ReadAllOff"}},
        [this] { return ReadAllState(); });
    EXPECT_EQ(eng.ManufacturerText, "SIEMENS");
}

}  // namespace
}  // namespace kt::test
