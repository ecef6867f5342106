// Command framing: the exact bytes on the wire in both modes.
#include <string>

#include "EngineFixture.h"

namespace kt::test {
namespace {

using SendingTest = EngineOnPty;

TEST_F(SendingTest, DirectModeFramesTheCommand) {
    eng.SendSMS("GETST");
    ExpectWire(std::string(14, ' ') + "SETUP:GETST\r" + std::string(1, '\0'));
    EXPECT_EQ(port.PollingDelay(), 4000);
    EXPECT_EQ(port.InputTimeout(), 700u);
    EXPECT_EQ(port.OutputTimeout(), 1500);
}

TEST_F(SendingTest, RawModeSendsOnlyTheTextAndCr) {
    eng.RawMode = true;
    eng.SendSMS("  AT");
    ExpectWire("  AT\r");
    EXPECT_TRUE(eng.RawMode);  // the reply ends it, not the send
}

TEST_F(SendingTest, TextSlotCommandsAreFilledToTheirWidth) {
    eng.SendSMS("GETTX01 ");  // 8 + 32 blanks, never more than 32
    ExpectWire(Framed("GETTX01 " + std::string(32, ' ')));

    const std::string c37 = "SETTX05 " + std::string(29, 'a');
    eng.SendSMS(c37);
    ExpectWire(Framed(c37 + std::string(11, ' ')));

    const std::string c48 = "SETTX05 " + std::string(40, 'b');
    eng.SendSMS(c48);
    ExpectWire(Framed(c48));

    const std::string c60 = "SETTX05 " + std::string(52, 'c');  // longer: untouched
    eng.SendSMS(c60);
    ExpectWire(Framed(c60));
}

TEST_F(SendingTest, InputNameCommandsAreFilledTo23) {
    const std::string c17 = "SETTI12 Pump hall";
    ASSERT_EQ(c17.size(), 17u);
    eng.SendSMS(c17);
    ExpectWire(Framed(c17 + std::string(6, ' ')));
    eng.SendSMS("GETTI12 ");
    ExpectWire(Framed("GETTI12 " + std::string(15, ' ')));
    eng.SendSMS("GETST");  // other keywords keep their length
    ExpectWire(Framed("GETST"));
}

TEST_F(SendingTest, SmsPathAnnouncesThePduAndSendsItAfterThePrompt) {
    win.smsMode = true;
    eng.SendSMS("GETST");
    ExpectWire("AT+CMGS=17\r");
    EXPECT_TRUE(eng.ModemBusy && eng.SmsOutgoing && eng.AwaitPrompt && eng.InboxPollHold);
    EXPECT_EQ(eng.PendingPdu, std::string("00113005912143F500000B06C722754A6D00") + '\0');
    EXPECT_EQ(eng.PendingPduLength, 37);

    Reply("\r\n> ");
    ExpectWire("00113005912143F500000B06C722754A6D00\x1a");
    EXPECT_TRUE(eng.PduSent);
    EXPECT_FALSE(eng.ModemBusy || eng.AwaitPrompt);
    EXPECT_EQ(win.monitor.Lines(), (std::vector<std::string>{"00113005912143F500000B06C722754A6D00", ""}));
}

TEST_F(SendingTest, AnErrorAnswerInsteadOfThePromptStillReleasesThePdu) {
    win.smsMode = true;
    eng.SendSMS("GETST");
    ExpectWire("AT+CMGS=17\r");
    Reply("\r\nERROR\r\n");
    ExpectWire("00113005912143F500000B06C722754A6D00\x1a");
}

TEST_F(SendingTest, SmsCommandWhileTheModemIsBusyIsDropped) {
    win.smsMode = true;
    eng.SendSMS("GETST");
    ExpectWire("AT+CMGS=17\r");
    eng.SendSMS("GETNR1");
    ExpectNothingSent();
    EXPECT_EQ(eng.PendingPdu, std::string("00113005912143F500000B06C722754A6D00") + '\0');
    // The prompt releases the first command's PDU, not the dropped one.
    Reply("> ");
    ExpectWire("00113005912143F500000B06C722754A6D00\x1a");
}

TEST_F(SendingTest, EmptyModuleNumberSendsNothingAndStartsNoSubmission) {
    win.smsMode = true;
    win.moduleNumber = "";
    eng.SendSMS("GETST");
    ExpectNothingSent();
    ASSERT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.messages[0].text, "Phone Number Error.\r\nPlease, check settings and try again.");
    EXPECT_EQ(win.messages[0].caption, "Error");
    EXPECT_EQ(win.messages[0].icon, protocol::MsgIcon::Error);
    EXPECT_FALSE(eng.ModemBusy || eng.SmsOutgoing || eng.AwaitPrompt || eng.InboxPollHold);
    EXPECT_FALSE(win.busyCursor);
    // A reception afterwards does not send anything either.
    Reply("> ");
    ExpectNothingSent();
}

TEST_F(SendingTest, CommandTooLongForOneSmsIsRefused) {
    win.smsMode = true;
    const std::string fits(159, 'A');  // 159 + CR = 160
    const std::string tooLong(160, 'A');
    eng.SendSMS(tooLong);
    ExpectNothingSent();
    ASSERT_EQ(win.messages.size(), 1u);
    EXPECT_EQ(win.messages[0].text, "Command too long for one SMS (160 characters at most).");
    EXPECT_EQ(win.messages[0].caption, "Error");
    EXPECT_EQ(win.messages[0].icon, protocol::MsgIcon::Error);
    EXPECT_FALSE(eng.ModemBusy || eng.SmsOutgoing || eng.AwaitPrompt || eng.InboxPollHold);

    eng.SendSMS(fits);
    ExpectWire("AT+CMGS=151\r");  // 11 header octets, length, 140 octets of text
    EXPECT_EQ(win.messages.size(), 1u);

    // Direct mode has no such limit.
    win.smsMode = false;
    eng.ModemBusy = false;
    eng.SendSMS(tooLong);
    ExpectWire(Framed(tooLong));
}

TEST_F(SendingTest, SendStringsWritesAtLeastOneCharacterAndNeverPastTheEnd) {
    eng.SendStrings("XYZ", 0);
    ExpectWire("X");
    eng.SendStrings("XYZ", 99);
    ExpectWire("XYZ");
    eng.SendStrings("", 5);
    ExpectNothingSent();
    eng.SendCR();
    ExpectWire("\r");
}

TEST_F(SendingTest, DisplayOnMemoShowsTheCommandAndResetsTheReplyMemo) {
    win.smsInput.SetText("old reply\r\n");
    win.monitor.SetText("old command\r\n");
    eng.DisplayOnMemo("GETST");
    EXPECT_EQ(win.smsInput.Text(), "\r\n");
    EXPECT_EQ(win.monitor.Lines(), (std::vector<std::string>{"GETST"}));
}

}  // namespace
}  // namespace kt::test
