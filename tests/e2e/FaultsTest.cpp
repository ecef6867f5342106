// Faults on the line, end to end: a modem that never answers, answers that
// arrive in pieces, a line that hangs up (an unplugged adapter), and random
// bytes between answers.
#include <QPalette>

#include "app/SerialPortPage.h"
#include "e2e/E2eSupport.h"

namespace kt::test {
namespace {

using Faults = E2e;

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l;
    return out;
}

TEST_F(Faults, SilentModemEndsReadAllWithOneMessage) {
    StartSim({"--mode", "modem", "--module-number", kModuleNumber, "--silent"});
    WriteSmsSettings();
    auto& f = Start();
    ASSERT_TRUE(f.Engine().ReadAllActive);

    // Nothing comes back: no need to wait for bytes between the ticks.
    ASSERT_TRUE(RunUntil([&] { return !messages.empty(); }, 120, 1));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Cell Phone not connected");
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[0].icon, protocol::MsgIcon::Error);
    EXPECT_FALSE(f.Engine().ReadAllActive);
    EXPECT_TRUE(f.Engine().PhoneMissing);
    EXPECT_EQ(f.Status->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_FALSE(f.BusyCursor());

    // The inbox polls that follow go unanswered too, and say nothing.
    RunTicks(100, 1);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(f.ControlText("Hersteller"), "");
    const std::string log = SimLog();
    EXPECT_NE(log.find("AT+CGMI"), std::string::npos) << log;
    EXPECT_NE(log.find("AT+CMGL="), std::string::npos) << log;
    EXPECT_EQ(log.find("\"dir\":\"tx\""), std::string::npos) << log;
}

TEST_F(Faults, SplitAnswerShowsInPartsWhenPolledBetweenThemAndWholeOtherwise) {
    StartSim({"--mode", "module", "--split", "--seed", "5"});
    WriteDirectSettings();
    auto& f = Start();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());
    const std::string whole = "VR: KT4470QD25E SIM 1.0";

    // Polled as soon as bytes arrive: each piece is shown on its own line,
    // in order, nothing lost.
    quietMs = 0;
    ClickOn("Version");
    ASSERT_TRUE(RunUntil([&] { return Joined(ReplyLines()) == whole; }, 60)) << Memo();
    EXPECT_LE(ReplyLines().size(), 4u) << Memo();

    // Polled after the pauses between the pieces (the window's poll runs
    // every 4 s): the answer shows whole.
    quietMs = 400;
    ClickOn("Version");
    ASSERT_TRUE(RunUntil([&] { return !ReplyLines().empty(); }, 60)) << Memo();
    EXPECT_EQ(ReplyLines(), std::vector<std::string>{whole});
}

TEST_F(Faults, HangUpIsReportedTheProgramGoesOnAndPickingThePortAgainReopensIt) {
    StartSim({"--mode", "module", "--hangup-after", "2"});
    WriteDirectSettings();
    auto& f = Start();
    ClickOn("ConnectBtn");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("OK"); })) << Memo();

    // The second command is answered, then the line goes.
    ClickOn("ReadState");
    ASSERT_TRUE(RunUntil([&] { return !f.CommPortDriver1.IsOpen(); }, 60)) << StatusBarText();
    EXPECT_TRUE(RunUntil([&] { return MemoHas("ST: IN "); }, 3)) << "the last answer is read first";
    EXPECT_NE(StatusBarText().find("lost"), std::string::npos) << StatusBarText();
    EXPECT_TRUE(messages.empty()) << "no modal box for a lost line";
    EXPECT_EQ(sim->Wait(), 0);
    EXPECT_FALSE(std::filesystem::exists(LinkPath()));

    // The operator goes on pressing buttons: nothing is sent, nothing breaks.
    ClickOn("Version");
    ClickOn("ConnectBtn");
    RunTicks(5, 1);
    EXPECT_FALSE(f.CommPortDriver1.IsOpen());
    EXPECT_TRUE(messages.empty());

    // The device is back; picking "Com1" again reopens it.
    StartSim({"--mode", "module"});
    f.serialPage->RadioGroupPort->Item(0)->click();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen()) << StatusBarText();
    EXPECT_NE(StatusBarText().find(device), std::string::npos) << StatusBarText();
    ClickOn("Version");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("VR: "); })) << Memo();
}

TEST_F(Faults, SmsModeWorksAgainAfterTheLineIsReopened) {
    // The six read-all queries are answered, then the line goes.
    StartSim({"--mode", "modem", "--module-number", kModuleNumber, "--hangup-after", "6"});
    WriteSmsSettings();
    auto& f = Start();
    ASSERT_TRUE(RunUntil([&] { return !f.CommPortDriver1.IsOpen(); }, 60)) << StatusBarText();
    ASSERT_TRUE(RunUntil([&] { return !f.Engine().ReadAllActive; }, 10));
    EXPECT_EQ(f.ControlText("Hersteller"), "KT4470-SIM");

    // A command given while the port is closed cannot be submitted.
    ClickOn("Version");
    RunTicks(3, 1);

    StartSim({"--mode", "modem", "--module-number", kModuleNumber});
    f.serialPage->RadioGroupPort->Item(0)->click();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen()) << StatusBarText();
    ClickOn("Version");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("VR: KT4470QD25E SIM 1.0"); }, 120)) << Memo();
    EXPECT_TRUE(messages.empty());
}

TEST_F(Faults, NoiseBetweenAnswersBreaksNothing) {
    StartSim({"--mode", "module", "--noise", "0.8", "--seed", "11"});
    WriteDirectSettings();
    auto& f = Start();
    const std::pair<const char*, const char*> steps[] = {{"ConnectBtn", "OK"},
                                                         {"ReadState", "ST: IN "},
                                                         {"Version", "VR: KT4470QD25E SIM 1.0"},
                                                         {"GetDT", "TM: "}};
    for (const auto& [button, answer] : steps) {
        ClickOn(button);
        ASSERT_TRUE(RunUntil([&] { return MemoHas(answer); }, 20)) << button << "\n" << Memo();
    }
    RunTicks(5);
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
    EXPECT_NE(SimLog().find("\"noise\":true"), std::string::npos);
}

TEST_F(Faults, NoiseFromTheModemBreaksNothing) {
    StartSim({"--mode", "modem", "--module-number", kModuleNumber, "--noise", "0.5", "--seed", "4"});
    WriteSmsSettings();
    auto& f = Start();
    ASSERT_TRUE(RunUntil([&] { return !f.Engine().ReadAllActive; }, 120));
    ClickOn("Version");
    RunTicks(70);
    ClickOn("ReadState");
    RunTicks(70);
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
    EXPECT_NE(SimLog().find("\"noise\":true"), std::string::npos);
}

}  // namespace
}  // namespace kt::test
