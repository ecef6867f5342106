// Direct mode end to end: the window's buttons, the framed commands on a real
// pseudo-terminal, kt4470-sim playing the module, and the answers back in
// the reply memo.
#include "e2e/E2eSupport.h"

namespace kt::test {
namespace {

using DirectMode = E2e;

TEST_F(DirectMode, ConnectReadAndWriteCommandsReachTheModuleAndTheAnswersShow) {
    StartSim({"--mode", "module"});
    WriteDirectSettings();
    auto& f = Start();
    ASSERT_TRUE(messages.empty());
    ASSERT_TRUE(f.CommPortDriver1.IsOpen()) << StatusBarText();
    EXPECT_NE(StatusBarText().find(device), std::string::npos) << StatusBarText();

    ClickOn("ConnectBtn");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("OK"); })) << Memo();

    // A read command: the answer shows whole, on its own line.
    ClickOn("ReadState");
    EXPECT_EQ(MonitorLine(), "GETST");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("ST: IN "); })) << Memo();
    EXPECT_EQ(Memo().find("OK"), std::string::npos) << "the command emptied the memo first";
    ASSERT_EQ(ReplyLines().size(), 1u) << Memo();
    EXPECT_EQ(ReplyLines()[0].rfind("ST: IN ", 0), 0u);

    ClickOn("Version");
    EXPECT_EQ(MonitorLine(), "GETVR");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("VR: "); })) << Memo();
    EXPECT_EQ(ReplyLines(), std::vector<std::string>{"VR: KT4470QD25E SIM 1.0"});

    // A write command: the window's clock goes to the module, which keeps it.
    ClickOn("SetDT");
    const std::string setCommand = "SETTM 26/12/06,17:40:05+02";
    EXPECT_EQ(MonitorLine(), setCommand);
    ASSERT_TRUE(RunUntil([&] { return MemoHas("TM: "); })) << Memo();
    EXPECT_TRUE(MemoHas("TM: 26/12/06,17:40:0")) << Memo();
    ClickOn("GetDT");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("TM: "); })) << Memo();
    EXPECT_TRUE(MemoHas("TM: 26/12/06,17:4")) << Memo();

    // What the module received, as its log has it.
    const std::string log = SimLog();
    for (const char* command : {"OK\\r\"", "GETST\\r\"", "GETVR\\r\"", "GETTM\\r\""})
        EXPECT_NE(log.find(command), std::string::npos) << command << "\n" << log;
    EXPECT_NE(log.find(setCommand), std::string::npos) << log;
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace kt::test
