// The periodic timer: inbox poll, nightly command, give-up, status colours and
// the reply display.
#include <string>

#include "EngineFixture.h"

namespace kt::test {
namespace {

class TimerTest : public EngineOnPty {
  protected:
    void SetUp() override {
        EngineOnPty::SetUp();
        clock.Set(12, 0);
    }
    // Ticks until the engine issues an inbox listing; the number of ticks.
    int TicksUntilPoll(int cap) {
        for (int i = 1; i <= cap; ++i) {
            const bool before = eng.InboxPollAll;
            eng.Timer1Timer();
            if (eng.InboxPollAll != before) return i;
        }
        return -1;
    }
};

TEST_F(TimerTest, InboxPollIntervalFollowsTheClampedFactor) {
    win.smsMode = true;
    struct Case {
        int factor;
        int ticks;
    };
    for (const Case c : {Case{0, 31}, Case{1, 31}, Case{20, 601}, Case{50, 601}}) {
        eng.ResetState();
        eng.InboxPollInterval = protocol::ProtocolEngine::InboxPollIntervalFromFactor(c.factor);
        EXPECT_EQ(TicksUntilPoll(700), c.ticks) << "factor " << c.factor;
        ExpectWire("AT+CMGL=1\r");
        EXPECT_TRUE(eng.WantInbox && eng.InboxPolling);
        EXPECT_FALSE(eng.ModemBusy);
        EXPECT_EQ(TicksUntilPoll(700), c.ticks) << "factor " << c.factor;
        ExpectWire("AT+CMGL=0\r");  // the two listings alternate
    }
    // The poll shows cyan while it writes, then green.
    ASSERT_GE(win.statusColors.size(), 2u);
    EXPECT_EQ(win.statusColors[win.statusColors.size() - 2], protocol::kCyan);
    EXPECT_EQ(win.statusColors.back(), protocol::kGreen);
}

TEST_F(TimerTest, InboxPollWaitsWhileHeldOrBusyAndNeverRunsInDirectMode) {
    win.smsMode = true;
    eng.InboxPollHold = true;
    TickN(40);
    eng.InboxPollHold = false;
    eng.ModemBusy = true;
    TickN(40);
    EXPECT_EQ(eng.InboxPollTicks, 0);
    ExpectNothingSent();
    eng.ModemBusy = false;
    win.smsMode = false;
    TickN(40);
    ExpectNothingSent();
    EXPECT_EQ(eng.InboxPollTicks, 0);
}

TEST_F(TimerTest, NightlyCommandGoesOutOnceAndIsRearmedAtThree) {
    win.smsMode = true;
    const std::string getmh = "AT+CMGS=17\r";
    clock.Set(0, 1, 30);
    eng.Timer1Timer();
    EXPECT_TRUE(eng.InboxPollHold);
    ExpectNothingSent();

    clock.Set(0, 2, 0);
    eng.Timer1Timer();
    ExpectWire(getmh);
    Reply("> ");
    EXPECT_NE(pty.ReadAll(50).find('\x1a'), std::string::npos);
    clock.Set(0, 2, 20);
    eng.Timer1Timer();
    Reply("\r\n+CMGS: 5\r\n\r\nOK\r\n");  // submission over, the modem is free
    for (int s = 21; s < 60; s += 7) {
        clock.Set(0, 2, s);
        eng.Timer1Timer();
    }
    ExpectNothingSent();
    EXPECT_TRUE(eng.InboxPollHold);

    clock.Set(0, 3, 0);
    eng.Timer1Timer();
    EXPECT_FALSE(eng.NightlySent);
    EXPECT_FALSE(eng.InboxPollHold);

    clock.Set(0, 2, 0);  // the next night
    eng.Timer1Timer();
    ExpectWire(getmh);
}

// An SMS run owns the modem: the engine neither listens nor starts an
// exchange (inbox poll, read-all, nightly command, a page's SMS, the clock
// buttons); afterwards everything works as before.
TEST_F(TimerTest, ARunOwningTheModemStopsTheEnginesExchangesUntilItEnds) {
    win.smsMode = true;
    eng.SmsModeActive = true;
    eng.SendSMS("GETST");  // a submission waiting for its prompt
    ExpectWire("AT+CMGS=17\r");
    eng.WantInbox = true;
    eng.TakeModem();
    eng.ReadAllParameterClick();
    EXPECT_FALSE(eng.SendSMS("GETVR"));
    eng.SetDTClick();
    TickN(100);
    clock.Set(0, 2, 0);
    TickN(2);
    // The run's own listing: the engine deletes nothing, writes no PDU.
    Reply("\r\n> ");
    Reply("AT+CMGL=0\r\r\n+CMGL: 1,0,,5\r\n0004059121436500006221702143000001C1\r\n\r\nOK\r\n");
    ExpectNothingSent();
    EXPECT_FALSE(eng.AwaitPrompt || eng.WantInbox || eng.ModemBusy);

    clock.Set(12, 0);
    eng.ReleaseModem();
    eng.Timer1Timer();
    ExpectWire("AT+CGMI\r");  // the read-all sequence goes on
    eng.ReadAllActive = eng.ModemBusy = false;
    EXPECT_TRUE(eng.SendSMS("GETST"));
    ExpectWire("AT+CMGS=17\r");
}

TEST_F(TimerTest, NightlyWindowIsIgnoredInDirectModeAndAtNoon) {
    clock.Set(0, 2, 0);
    eng.Timer1Timer();
    ExpectNothingSent();
    win.smsMode = true;
    clock.Set(12, 2, 0);
    eng.Timer1Timer();
    ExpectNothingSent();
    EXPECT_FALSE(eng.NightlySent);
}

TEST_F(TimerTest, PhoneMissingMessageIsShownOnce) {
    win.smsMode = true;
    eng.ReadAllParameterClick();
    TickN(99);
    EXPECT_EQ(win.messages.size(), 1u);
    EXPECT_TRUE(eng.PhoneMissing);
    // A further give-up while the phone is still missing shows no box.
    eng.ReadAllActive = true;
    eng.ReadAllStep = 0;
    TickN(120);
    EXPECT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.LastStatusColor(), protocol::kBlack);
}

TEST_F(TimerTest, GiveUpTickSkipsTheInboxPollAndTheNightlyWindow) {
    win.smsMode = true;
    eng.ReadAllParameterClick();
    TickN(98);
    ExpectWire("AT+CGMI\r");
    eng.InboxPollTicks = 30;  // the next counted tick polls
    clock.Set(0, 2, 0);
    eng.Timer1Timer();  // 99th: "Cell Phone not connected"
    ASSERT_EQ(win.messages.size(), 1u);
    ExpectNothingSent();
    EXPECT_FALSE(eng.NightlySent);
    EXPECT_EQ(eng.InboxPollTicks, 30);
    // The next tick polls first, then sends the nightly command.
    eng.Timer1Timer();
    ExpectWire("AT+CMGL=1\rAT+CMGS=17\r");
    EXPECT_TRUE(eng.NightlySent);
}

TEST_F(TimerTest, AReceptionRestartsTheGiveUpCount) {
    win.smsMode = true;
    eng.ReadAllParameterClick();
    TickN(98);
    ExpectWire("AT+CGMI\r");
    Reply("\r\n");
    TickN(98);
    ExpectWire("AT+CSCS?\r");
    EXPECT_TRUE(win.messages.empty());
    EXPECT_TRUE(eng.ReadAllActive);
    eng.Timer1Timer();
    EXPECT_EQ(win.messages.size(), 1u);
}

TEST_F(TimerTest, StatusColourShowsTheExchangeOnlyInSmsMode) {
    eng.Timer1Timer();
    EXPECT_TRUE(win.statusColors.empty());
    win.smsMode = true;
    eng.Timer1Timer();
    EXPECT_EQ(win.LastStatusColor(), protocol::kGreen);
    eng.ModemBusy = true;
    eng.Timer1Timer();
    EXPECT_EQ(win.LastStatusColor(), protocol::kRed);
    eng.PhoneMissing = true;
    eng.Timer1Timer();
    EXPECT_EQ(win.LastStatusColor(), protocol::kBlack);
}

TEST_F(TimerTest, ClockReadBackAfterSettingTheClock) {
    win.smsMode = true;
    eng.ReadBackClock = true;
    eng.Timer1Timer();
    ExpectWire("AT+CCLK?\r");
    EXPECT_FALSE(eng.ReadBackClock);
    EXPECT_TRUE(eng.WantDateTime);
}

TEST_F(TimerTest, DirectReplyFillsTheShowingPageAndIsAppendedOnce) {
    win.page = 2;
    win.smsInput.SetText("\r\n");
    win.busyCursor = true;
    Reply("05: Hello");
    eng.Timer1Timer();
    EXPECT_EQ(win.ControlText("TXTSMS5"), "Hello");
    EXPECT_EQ(win.smsInput.Lines(), (std::vector<std::string>{"", "05: Hello"}));
    EXPECT_FALSE(win.busyCursor);
    EXPECT_EQ(eng.LastReply, "");
    eng.Timer1Timer();  // nothing twice
    EXPECT_EQ(win.smsInput.Count(), 2);

    win.page = 5;
    Reply("06: Other");
    eng.Timer1Timer();
    EXPECT_EQ(win.ControlText("TXTSMS6"), "");
    EXPECT_EQ(win.smsInput.Lines().back(), "06: Other");
}

TEST_F(TimerTest, PassThroughReplyIsShownWithoutAnExtraLineBreak) {
    win.smsInput.SetText("\r\n");
    eng.RawMode = true;
    Reply("\r\nOK\r\n");
    eng.Timer1Timer();
    EXPECT_EQ(win.smsInput.Text(), "\r\n\r\nOK\r\n");
}

}  // namespace
}  // namespace kt::test
