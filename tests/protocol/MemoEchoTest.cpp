// Memo line model and the monitor echo.
#include <gtest/gtest.h>

#include "protocol/Engine.h"
#include "protocol/MemoLines.h"
#include "serial/CommPortDriver.h"
#include "support/FakeWindow.h"

namespace kt::test {
namespace {

using protocol::Memo;
using protocol::MemoLines;

TEST(MemoLines, SplitsAtEveryKindOfLineBreakAndJoinsWithCrLf) {
    MemoLines m;
    m.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(m.Lines(), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(m.Text(), "a\r\nb\r\nc\r\nd\r\n");

    m.SetText("\r\n");  // one empty line, and back again
    EXPECT_EQ(m.Count(), 1);
    EXPECT_EQ(m.Text(), "\r\n");

    m.SetText("x\r\n\r\n");  // a trailing break adds no empty line, an inner one does
    EXPECT_EQ(m.Lines(), (std::vector<std::string>{"x", ""}));

    m.SetText("\n\r");  // LF then a lone CR: two empty lines
    EXPECT_EQ(m.Count(), 2);

    m.SetText("");
    EXPECT_EQ(m.Count(), 0);
    EXPECT_EQ(m.Text(), "");
}

TEST(MemoLines, LinesOutsideTheMemoReadEmptyAndIgnoreWrites) {
    MemoLines m;
    m.Append("one");
    m.SetLine(1, "two");
    m.SetLine(-1, "two");
    EXPECT_EQ(m.Text(), "one\r\n");
    EXPECT_EQ(m.Line(5), "");
    m.SetLine(0, "uno");
    EXPECT_EQ(m.Line(0), "uno");
}

class EchoTest : public ::testing::Test {
  protected:
    serial::TCommPortDriver port;  // never opened: writes go nowhere
    FakeWindow win;
    FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
};

TEST_F(EchoTest, EachMemoEchoesOntoItsOwnLastLine) {
    // Line feeds written into MemoSMSinput must not move where MemoS echoes.
    eng.EchoLine(Memo::SmsInput, "AT+CGMI");
    eng.EchoLine(Memo::SmsInput, "AT+CSCS?");
    eng.DisplayOnMemo("GETST");
    EXPECT_EQ(win.monitor.Lines(), (std::vector<std::string>{"GETST"}));
    EXPECT_EQ(win.smsInput.Text(), "\r\n");

    eng.EchoChar(Memo::Monitor, '\r');  // ignored
    eng.EchoText(Memo::Monitor, "!");
    EXPECT_EQ(win.monitor.Lines(), (std::vector<std::string>{"GETST!"}));
}

TEST_F(EchoTest, ControlAndHighCharactersShowAsBlanksAndLineFeedStartsALine) {
    eng.EchoText(Memo::SmsInput, std::string("A\tB\x01\xE4", 5));
    eng.EchoChar(Memo::SmsInput, '\n');
    eng.EchoChar(Memo::SmsInput, '\x7f');
    eng.EchoChar(Memo::SmsInput, 'z');
    EXPECT_EQ(win.smsInput.Lines(), (std::vector<std::string>{"A B  ", " z"}));
}

TEST_F(EchoTest, ClearEmptiesBothMemosAndPreparesTheReplyDisplay) {
    eng.EchoLine(Memo::SmsInput, "x");
    eng.EchoLine(Memo::Monitor, "y");
    eng.RawMode = true;
    eng.Clear();
    EXPECT_EQ(win.smsInput.Count(), 0);
    EXPECT_EQ(win.monitor.Count(), 0);
    EXPECT_TRUE(eng.ReplyToShow);
    EXPECT_FALSE(eng.RawMode);
}

TEST_F(EchoTest, ResetStateIsTheIdleState) {
    eng.SmsFormatChar = '0';
    eng.WantInbox = eng.WantModel = eng.ModemBusy = eng.AwaitPrompt = eng.PduSent = true;
    eng.AwaitSendResult = eng.SmsOutgoing = eng.ReadAllActive = true;
    eng.ReadAllStep = 4;
    eng.InboxPollTicks = 17;
    eng.ReplyWaitTicks = 12;
    eng.ResetState();
    EXPECT_EQ(eng.SmsFormatChar, '1');
    EXPECT_FALSE(eng.WantInbox || eng.WantModel || eng.ModemBusy || eng.AwaitPrompt || eng.PduSent);
    EXPECT_FALSE(eng.AwaitSendResult || eng.SmsOutgoing || eng.ReadAllActive);
    EXPECT_EQ(eng.ReadAllStep + eng.InboxPollTicks + eng.ReplyWaitTicks, 0);
}

TEST(InboxPollInterval, FactorIsClampedToOneToTwenty) {
    using protocol::ProtocolEngine;
    EXPECT_EQ(ProtocolEngine::InboxPollIntervalFromFactor(-3), 1);
    EXPECT_EQ(ProtocolEngine::InboxPollIntervalFromFactor(0), 1);
    EXPECT_EQ(ProtocolEngine::InboxPollIntervalFromFactor(7), 7);
    EXPECT_EQ(ProtocolEngine::InboxPollIntervalFromFactor(50), 20);
}

}  // namespace
}  // namespace kt::test
