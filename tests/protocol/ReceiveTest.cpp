// The receive handler driven by the real driver's poll.
#include <string>

#include "EngineFixture.h"

namespace kt::test {
namespace {

using ReceiveTest = EngineOnPty;

TEST_F(ReceiveTest, NulOnlyReceptionChangesNothingButTheReplyPreset) {
    win.smsMode = true;
    eng.SendSMS("GETST");
    ExpectWire("AT+CMGS=17\r");
    eng.WantModel = true;
    port.SetPollingDelay(50);
    Reply(std::string(3, '\0'));
    EXPECT_TRUE(eng.AwaitPrompt);  // not taken for the prompt
    EXPECT_TRUE(eng.ModemBusy && eng.InboxPollHold && eng.WantModel);
    EXPECT_FALSE(eng.ReplyArrived);
    EXPECT_EQ(port.PollingDelay(), 4000);
    ExpectNothingSent();
}

TEST_F(ReceiveTest, ReplyPresetRunsFromTheFirstCrForAsLongAsTheFirstNulsPosition) {
    win.smsMode = true;  // SMS mode keeps the preset
    Reply(std::string("AB\r\nOK\0", 7));
    EXPECT_EQ(eng.LastReply, std::string("\r\nOK\0", 5));
    Reply("no nul\r\n");
    EXPECT_EQ(eng.LastReply, "");
}

TEST_F(ReceiveTest, DirectReplyKeepsLineEndsOrBlanksThemWithSkipCrLf) {
    Reply(std::string("05: Hello\r\n\0", 12));
    EXPECT_EQ(eng.LastReply, "05: Hello\r\n");
    EXPECT_TRUE(eng.ReplyToShow && eng.ReplyArrived);

    win.skipCrLf = true;
    Reply("05: Hello\r\n");
    EXPECT_EQ(eng.LastReply, "05: Hello  ");
    EXPECT_TRUE(win.skipCrLf);
}

TEST_F(ReceiveTest, SkipCrLfReturnsToItsSavedStateWhenUnticked) {
    eng.SkipCRLFSaved = true;
    win.skipCrLf = false;
    Reply("OK\r\n");
    EXPECT_TRUE(win.skipCrLf);
    EXPECT_EQ(eng.LastReply, "OK\r\n");  // this reply was taken unticked
}

TEST_F(ReceiveTest, RawModeEndsOnlyWhenTheFirstCrIsWithinFourCharacters) {
    struct Case {
        std::string reply;
        bool rawAfter;
    };
    const Case cases[] = {
        {"\r\nOK\r\n", false},
        {"ABC\rX", false},                     // CR at 4
        {"ABCD\rX", true},                     // CR at 5
        {"OK", false},                         // no CR
        {"AT+CSQ\r\r\n+CSQ: 20,0\r\n", true},  // the modem echoes the command
    };
    for (const auto& c : cases) {
        eng.RawMode = true;
        Reply(c.reply);
        EXPECT_EQ(eng.RawMode, c.rawAfter) << c.reply;
        EXPECT_EQ(eng.LastReply, c.rawAfter ? c.reply : c.reply + std::string(1, '\0')) << c.reply;
    }
}

TEST_F(ReceiveTest, ReplySplitOverTwoPollsIsShownInTwoParts) {
    win.page = 2;
    win.smsInput.SetText("\r\n");
    Reply("05: Hel");
    eng.Timer1Timer();
    EXPECT_EQ(win.ControlText("TXTSMS5"), "Hel");
    eng.ReplyToShow = true;  // as the page action that sent the read did
    Reply("lo\r\n");
    eng.Timer1Timer();
    EXPECT_EQ(win.smsInput.Lines(), (std::vector<std::string>{"", "05: Hel", "lo", ""}));
    EXPECT_EQ(eng.LastReply, "");
}

TEST_F(ReceiveTest, TwoPendingFlagsSeeTheSameReception) {
    win.smsMode = true;
    eng.WantManufacturer = eng.WantModel = true;
    Reply("AT+CGMI\r\r\nSIEMENS\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.ManufacturerText, "SIEMENS");
    EXPECT_EQ(eng.ModelText, "SIEMENS");
    EXPECT_FALSE(eng.WantManufacturer || eng.WantModel);
}

TEST_F(ReceiveTest, AnyReceptionClearsPhoneMissingAndTheWaitCount) {
    win.smsMode = true;
    eng.PhoneMissing = true;
    eng.ReplyWaitTicks = 50;
    eng.InboxPolling = eng.InboxPollHold = eng.ModemBusy = true;
    Reply("RING\r\n");
    EXPECT_FALSE(eng.PhoneMissing || eng.InboxPolling || eng.InboxPollHold || eng.ModemBusy);
    EXPECT_EQ(eng.ReplyWaitTicks, 0);
}

TEST_F(ReceiveTest, InboxMessageIsDeletedByItsIndex) {
    win.smsMode = true;
    struct Case {
        std::string header;
        std::string deletion;
    };
    const Case cases[] = {
        {"+CMGL: 3,1,,25", "AT+CMGD=3\r"},
        {"+CMGL: 12,1,,25", "AT+CMGD=12\r"},
        {"+CMGL: 123,1,,25", "AT+CMGD=123\r"},
    };
    for (const auto& c : cases) {
        eng.WantInbox = true;
        Reply("AT+CMGL=1\r\r\n" + c.header + "\r\n000405912143F5000062706171040000026B31\r\n\r\nOK\r\n");
        ExpectWire(c.deletion);
        EXPECT_FALSE(eng.WantInbox);
    }
    // Unsolicited lines queued before the listing do not name the message:
    // its index is on the listing's own header line.
    for (const std::string before :
         {"\r\n+CIEV: 2,3\r\n", "\r\n+CIEV: 2,3\r\n\r\n+CIEV: 7,1\r\n\r\n+CIEV: 9,0\r\n"}) {
        eng.WantInbox = true;
        Reply(before +
              "AT+CMGL=1\r\r\n+CMGL: 5,1,,25\r\n000405912143F5000062706171040000026B31\r\n\r\nOK\r\n");
        ExpectWire("AT+CMGD=5\r");
    }
    eng.DeleteIncoming = false;
    eng.WantInbox = true;
    Reply("AT+CMGL=1\r\r\n+CMGL: 4,1,,25\r\n000405912143F5000062706171040000026B31\r\n\r\nOK\r\n");
    ExpectNothingSent();
}

TEST_F(ReceiveTest, InboxListingCutByThePollIsLeftForTheNextPoll) {
    win.smsMode = true;
    win.smsInput.SetText("\r\n");
    eng.InboxText = "before";
    const std::string listing =
        "AT+CMGL=1\r\r\n+CMGL: 6,1,,25\r\n000405912143F5000062706171040000026B31\r\n\r\nOK\r\n";
    const size_t pduEnd = listing.find("31\r\n\r\nOK");
    for (const size_t cut : {pduEnd - 10, pduEnd + 1}) {
        eng.WantInbox = true;
        Reply(listing.substr(0, cut));
        Reply(listing.substr(cut));
        ExpectNothingSent();
        EXPECT_EQ(eng.InboxText, "before");
        EXPECT_EQ(win.smsInput.Lines(), std::vector<std::string>{""});
    }
    // Whole, and ending right after the line's CR: read and deleted.
    eng.WantInbox = true;
    Reply(listing.substr(0, pduEnd + 3));
    ExpectWire("AT+CMGD=6\r");
    EXPECT_EQ(eng.InboxText, "kb");
}

}  // namespace
}  // namespace kt::test
