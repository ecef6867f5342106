// AT operations on the modem and the clock buttons.
#include <string>

#include "EngineFixture.h"
#include "protocol/ModemOperations.h"

namespace kt::test {
namespace {

using ModemOps = EngineOnPty;

TEST_F(ModemOps, QueriesWriteTheirCommandEchoItAndMarkTheirRequest) {
    win.smsInput.SetText("\r\n");
    eng.GetHersteller();
    ExpectWire("AT+CGMI\r");
    EXPECT_TRUE(eng.WantManufacturer && eng.ModemBusy && win.busyCursor);
    eng.ModemBusy = false;
    eng.GetCharSetClick();
    ExpectWire("AT+CSCS?\r");
    eng.ModemBusy = false;
    eng.SetCMGF();  // no answer to "AT+CMGF?" yet: text mode
    ExpectWire("AT+CMGF=1\r");
    EXPECT_TRUE(eng.WantCharSet && eng.WantFormatEcho);
    EXPECT_EQ(win.smsInput.Lines(), (std::vector<std::string>{"AT+CGMI", "AT+CSCS?", "AT+CMGF=1"}));
}

TEST_F(ModemOps, BusyModemSendsNothingButRefreshesTheEdits) {
    eng.ModemBusy = true;
    eng.ManufacturerText = "SIEMENS";
    eng.DateTimeText = "\"26/01/01,00:00:00\"";
    eng.ReadBackClock = true;
    eng.GetHersteller();
    eng.GetDateTime();
    ExpectNothingSent();
    EXPECT_EQ(win.ControlText("Hersteller"), "SIEMENS");
    EXPECT_EQ(win.ControlText("DateTime"), "\"26/01/01,00:00:00\"");
    EXPECT_TRUE(eng.ReadBackClock);
    EXPECT_FALSE(eng.WantManufacturer || eng.WantDateTime);
}

TEST_F(ModemOps, InboxListingWhileBusySendsNothingButEndsTheSubmissionWait) {
    eng.ModemBusy = eng.AwaitPrompt = eng.PduSent = true;
    eng.SendCMGL("AT+CMGL=0");
    ExpectNothingSent();
    EXPECT_FALSE(eng.AwaitPrompt || eng.PduSent || eng.WantInbox);
    eng.ModemBusy = false;
    eng.SendCMGL("AT+CMGL=0");
    ExpectWire("AT+CMGL=0\r");
    EXPECT_TRUE(eng.WantInbox);
    EXPECT_FALSE(eng.ModemBusy);
}

TEST_F(ModemOps, ReadAllStartsOnlyInSmsMode) {
    eng.ReadAllParameterClick();
    EXPECT_FALSE(eng.ReadAllActive);
    win.smsMode = true;
    eng.PhoneMissing = true;
    eng.ReadAllStep = 5;
    eng.ReadAllParameterClick();
    EXPECT_TRUE(eng.ReadAllActive);
    EXPECT_FALSE(eng.PhoneMissing);
    EXPECT_EQ(eng.ReadAllStep, 0);
}

TEST_F(ModemOps, GetDateTimeButtonSendsTheModuleCommand) {
    eng.RawMode = true;
    eng.GetDTClick();
    ExpectWire(Framed("  GETTM"));
    EXPECT_EQ(win.monitor.Lines(), (std::vector<std::string>{"GETTM"}));
}

TEST_F(ModemOps, SetDateTimeDirectSendsTheFramedClock) {
    eng.SetDTClick();
    ExpectWire(Framed("SETTM 26/12/06,17:40:05+02"));
    EXPECT_EQ(win.monitor.Lines(), (std::vector<std::string>{"SETTM 26/12/06,17:40:05+02"}));
    EXPECT_TRUE(eng.ReadBackClock);
}

TEST_F(ModemOps, SetDateTimeInSmsModeWritesTheTextToTheModem) {
    win.smsMode = true;
    eng.SmsModeActive = true;
    clock.now = {2027, 1, 2, 3, 4, 5};
    eng.SetDTClick();
    ExpectWire("SETTM 27/01/02,03:04:05+02\r");
    EXPECT_TRUE(eng.ReadBackClock);
    EXPECT_FALSE(eng.ModemBusy);
    eng.Timer1Timer();  // the clock is read back
    ExpectWire("AT+CCLK?\r");
}

TEST_F(ModemOps, SyncModemLeavesTheZoneOutForSiemens) {
    win.smsMode = true;
    eng.SmsModeActive = true;
    win.controls["Hersteller"] = "SIEMENS AG";
    eng.SyncModemClick();
    const std::string siemens = "AT+CCLK=\"26/12/06,17:40:05\"";
    ASSERT_EQ(siemens.size(), 27u);
    ExpectWire(siemens + "\r");
    EXPECT_EQ(win.monitor.Lines().front(), siemens);

    win.controls["Hersteller"] = "ACME GSM";
    eng.SyncModemClick();
    ExpectWire("AT+CCLK=\"26/12/06,17:40:05+02\"\r");

    eng.SmsModeActive = false;
    eng.SyncModemClick();
    ExpectNothingSent();
}

TEST(ModemClockTexts, TwoDigitFieldsAndTheZone) {
    const protocol::LocalTime t{2009, 3, 4, 5, 6, 7};
    EXPECT_EQ(protocol::ModuleClockText(t), "09/03/04,05:06:07");
    EXPECT_EQ(protocol::SetClockCommand(t, "+0200"), "SETTM 09/03/04,05:06:07+02");
    EXPECT_EQ(protocol::ModemClockCommand(t, "-05", "SIEMEN"), "AT+CCLK=\"09/03/04,05:06:07-05\"");
}

class ClosedPort : public ::testing::Test {
  protected:
    void SetUp() override { port.SetPortName("/nonexistent/kt4470-tty"); }
    ManualPollTimer timer;
    serial::TCommPortDriver port{&timer};
    FakeWindow win;
    FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
};

TEST_F(ClosedPort, PortErrorIsShownOnceAcrossAllOperations) {
    win.smsMode = true;
    eng.SmsModeActive = true;
    eng.ManufacturerText = "SIEMENS";
    eng.SetDTClick();
    ASSERT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.messages[0].text,
              "Could not connect to serial port.\r\nPlease, check settings and try again.");
    EXPECT_EQ(win.messages[0].caption, "Error");
    EXPECT_EQ(win.ControlText("Hersteller"), "");

    eng.SetDTClick();
    eng.GetHersteller();  // silent now, but still shows the last value
    eng.SyncModemClick();
    EXPECT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.ControlText("Hersteller"), "SIEMENS");
    EXPECT_FALSE(eng.WantManufacturer || eng.ModemBusy || eng.ReadBackClock);
}

}  // namespace
}  // namespace kt::test
