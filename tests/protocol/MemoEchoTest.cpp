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

TEST(MemoLines, KeepsItsLastLinesAndDropsTheOldest) {
    MemoLines m;
    for (int i = 0; i < protocol::kMemoMaxLines + 3; ++i)
        m.Append("line " + std::to_string(i));
    EXPECT_EQ(m.Count(), protocol::kMemoMaxLines);
    EXPECT_EQ(m.Line(0), "line 3");
    EXPECT_EQ(m.Line(protocol::kMemoMaxLines - 1), "line " + std::to_string(protocol::kMemoMaxLines + 2));

    std::string text;
    for (int i = 0; i < protocol::kMemoMaxLines + 10; ++i)
        text += std::to_string(i) + "\r\n";
    m.SetText(text);
    EXPECT_EQ(m.Count(), protocol::kMemoMaxLines);
    EXPECT_EQ(m.Line(0), "10");
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

namespace kt::test {
namespace {

// Appending gives the memo the lines it would have if its whole text were
// read and set again with the new text after it.
TEST_F(EchoTest, AppendingMatchesSettingTheWholeText) {
    const std::vector<std::string> before[] = {{}, {""}, {"", "AT+CGMI"}, {"half"}};
    const std::string added[] = {"05: Hello\r\n", "\r\nOK\r\n", "a\rb\nc\r\n\r\n", "tail", "",
                                 "\n\r",          "x\r\r\n"};
    for (const auto& lines : before) {
        for (const auto& text : added) {
            win.smsInput.Clear();
            for (const auto& l : lines)
                win.smsInput.Append(l);
            MemoLines expected;
            expected.SetText(win.smsInput.Text() + text);
            eng.AppendToMemo(Memo::SmsInput, text);
            EXPECT_EQ(win.smsInput.Lines(), expected.Lines()) << lines.size() << " lines, then " << text;
        }
    }
}

}  // namespace
}  // namespace kt::test
