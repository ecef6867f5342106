// SMS mode end to end: kt4470-sim plays a GSM modem in PDU mode whose SMS
// reach a simulated module. The window reads the modem's identity at
// start-up, sends a module command as an SMS, and its inbox poll reads,
// shows and deletes the module's answer.
#include "e2e/E2eSupport.h"

namespace kt::test {
namespace {

using SmsMode = E2e;

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST_F(SmsMode, ReadAllAtStartUpThenACommandGoesOutAsSmsAndTheAnswerComesBackThroughTheInbox) {
    StartSim({"--mode", "modem", "--module-number", kModuleNumber});
    WriteSmsSettings();
    auto& f = Start();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen()) << StatusBarText();
    EXPECT_FALSE(f.MemoS->isVisibleTo(&f));

    // The read-all sequence started by itself and fills the modem fields.
    ASSERT_TRUE(f.Engine().ReadAllActive);
    ASSERT_TRUE(RunUntil([&] { return !f.Engine().ReadAllActive; }, 60));
    EXPECT_EQ(f.ControlText("Hersteller"), "KT4470-SIM");
    EXPECT_EQ(f.ControlText("ModelIDCode"), "SIM-MODEM-1");
    const std::string modemClock = f.ControlText("DateTime");
    ASSERT_GE(modemClock.size(), 2u) << modemClock;
    EXPECT_EQ(modemClock.front(), '"') << modemClock;
    EXPECT_NE(modemClock.find('/'), std::string::npos) << modemClock;
    EXPECT_EQ(f.Engine().SmsFormatChar, '0');  // the modem is in PDU mode and stays so
    EXPECT_TRUE(messages.empty());

    // "Version number" goes out as an SMS to the module; its answer arrives in
    // the modem's inbox, which the window polls every 31 ticks.
    ClickOn("Version");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("VR: "); }, 120)) << Memo();
    EXPECT_EQ(Count(Memo(), "VR: KT4470QD25E SIM 1.0"), 1u) << Memo();

    std::string log = SimLog();
    EXPECT_NE(log.find("AT+CMGS="), std::string::npos);
    EXPECT_NE(log.find("GETVR\\r\",\"via\":\"sms\""), std::string::npos) << log;
    EXPECT_NE(log.find("AT+CMGL=0"), std::string::npos);

    // The answer was deleted after reading: later polls (both listings) show
    // it no more.
    ASSERT_TRUE(RunUntil([&] { return SimLog().find("AT+CMGD=1") != std::string::npos; }, 10)) << SimLog();
    RunTicks(65);
    EXPECT_EQ(Count(Memo(), "VR: KT4470QD25E SIM 1.0"), 1u) << Memo();
    log = SimLog();
    EXPECT_GE(Count(log, "AT+CMGL=1"), 2u);
    EXPECT_GE(Count(log, "AT+CMGL=0"), 2u);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
}

TEST_F(SmsMode, TwoCommandsInTurnBothGetTheirAnswers) {
    StartSim({"--mode", "modem", "--module-number", kModuleNumber});
    WriteSmsSettings();
    auto& f = Start();
    ASSERT_TRUE(RunUntil([&] { return !f.Engine().ReadAllActive; }, 60));

    ClickOn("ReadState");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("ST: IN "); }, 120)) << Memo();
    // The submission is over; the next command is not dropped.
    ASSERT_TRUE(RunUntil([&] { return !f.Engine().ModemBusy && !f.Engine().PduSent; }, 40));
    ClickOn("GetDT");
    ASSERT_TRUE(RunUntil([&] { return MemoHas("TM: "); }, 120)) << Memo();
    EXPECT_EQ(Memo().find("ST: IN "), std::string::npos) << "each command empties the memo first";
}

}  // namespace
}  // namespace kt::test
