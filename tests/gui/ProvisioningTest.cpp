// Provisioning in the window: what it gathers from its controls equals what
// kt4470ctl reads from the same file; pressing every write button puts the
// commands kt4470ctl commands lists on the line; "Write All Settings to
// Module..." against kt4470-sim with Cancel; the item in SMS mode.
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "Escapes.h"
#include "app/ModuleSettingsOf.h"
#include "app/ProvisioningRun.h"
#include "gui/GuiSupport.h"
#include "pages/MainPage.h"
#include "protocol/Framing.h"
#include "protocol/Provisioning.h"
#include "sim/SimProcess.h"
#include "support/ProvisioningRecord.h"

namespace kt::test {
namespace {

namespace cmd = protocol::cmd;

// The lines of `kt4470ctl commands FILE`, unescaped.
std::vector<std::string> ToolCommands(const std::filesystem::path& file) {
    const std::string run = std::string(KT4470CTL) + " commands '" + file.string() + "'";
    FILE* p = popen(run.c_str(), "r");
    std::string out;
    char buf[4096];
    for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    EXPECT_TRUE(p && pclose(p) == 0);
    std::vector<std::string> commands;
    std::istringstream in(out);
    for (std::string line, command, error; std::getline(in, line);) {
        EXPECT_TRUE(ctl::Unescape(line, command, error)) << error;
        commands.push_back(command);
    }
    return commands;
}

// The framed commands in the bytes of a line.
std::vector<std::string> Frames(const std::string& bytes) {
    std::vector<std::string> frames;
    const std::string end("\r\0", 2);
    for (size_t at = 0; at < bytes.size();) {
        const size_t stop = bytes.find(end, at);
        const size_t next = stop == std::string::npos ? bytes.size() : stop + 2;
        frames.push_back(bytes.substr(at, next - at));
        at = next;
    }
    return frames;
}

class ProvisioningTest : public PtyWindowTest {
  protected:
    void SetUp() override {
        PtyWindowTest::SetUp();
        WriteSettings(ProvisioningRecord());
    }
};

TEST_F(ProvisioningTest, WindowAndToolAgreeAfterLoadingTheSameFile) {
    auto& f = StartOnPty();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());

    // Right after loading, the window shows what the tool reads from the file
    // (the commands first, for a readable difference).
    const protocol::ModuleSettings shown = app::ModuleSettingsOf(f);
    const protocol::ModuleSettings read = protocol::SettingsFromRecord(ProvisioningRecord());
    EXPECT_EQ(protocol::ProvisioningCommands(shown), protocol::ProvisioningCommands(read));
    EXPECT_TRUE(shown == read);

    // Every page's write button once, by its handler's name, in the tool's order.
    std::string sent;
    const auto press = [&](const std::string& handler) {
        ASSERT_TRUE(f.Controls().RunHandler(handler)) << handler;
        sent += pty.Read(SIZE_MAX, 5);
    };
    for (const char* group : {"RadioGroupNR", "RadioGroupPB"}) {
        for (int slot = 1; slot <= 7; ++slot) {
            app::SetValueOf(f.Controls().Find(group), slot - 1);
            press(group == std::string("RadioGroupNR") ? "SetNrClick" : "ToPhoneBookClick");
        }
    }
    press("SetNfilter1Click");
    for (int n = 1; n <= 57; ++n)
        press(app::NameOf("TXTSMSb%1Click", n));
    for (int n = 1; n <= 97; ++n)
        press(app::NameOf(n <= 57 ? "iTXTSMSb%1Click" : "TXTSMSb%1Click", n));
    for (int n = 1; n <= 16; ++n)
        press(app::NameOf("Level%1CmdClick", n));
    press("WriteAMode1Click");
    for (int n = 11; n <= 18; ++n)
        press(app::NameOf("Button%1Click", n));
    for (const char* handler :
         {"SetTimeoutFilterClick", "TlevelCmdClick", "TlevelCmd2Click", "TlevelCmd3Click", "SetPulseClick"})
        press(handler);
    for (const auto& row : cmd::kGprsParameters)
        press(std::string(row.button) + "Click");
    press("SetSheduleClick");
    press("SetOtherClick");
    sent += pty.ReadAll(50);

    std::vector<std::string> expected;
    for (const std::string& command : ToolCommands(dir / "KT4470.cfg"))
        expected.push_back(protocol::DirectFrame(command));
    EXPECT_EQ(expected.size(), 205u);
    EXPECT_EQ(Frames(sent), expected);
}

// The schedule page's handlers edit the loaded text as the type and the
// timeout are selected; the tool follows them.
TEST_F(ProvisioningTest, LoadedSchedulesAgree) {
    const std::pair<const char*, const char*> cases[] = {
        {"X4407", "SETSH,         "},  // no type: disabled
        {"C4507", "SETSH,C3307    "},  // "45" leaves the timeout at "Hours"
        {"A9912", "SETSH,A0012    "},  // "other": hour 1 from its bar, 99 shown as 0
        {"", "SETSH,         "},
    };
    for (const auto& [stored, command] : cases) {
        SCOPED_TRACE(stored);
        config::ConfigRecord rec = ProvisioningRecord();
        rec.SetScheduleString(stored);
        WriteSettings(rec);
        auto& f = StartWithoutPort();
        const protocol::ModuleSettings shown = app::ModuleSettingsOf(f);
        const protocol::ModuleSettings read = protocol::SettingsFromRecord(rec);
        EXPECT_EQ(shown.scheduleText, read.scheduleText);
        EXPECT_TRUE(shown.schedule == read.schedule);
        EXPECT_EQ(protocol::ProvisioningCommands(read)[203], command);
    }
}

TEST_F(ProvisioningTest, WriteAllAgainstTheSimulatorWithCancel) {
    sim::SimProcess simulator({"--link", (dir / "COM1").string(), "--log", (dir / "sim.log").string()});
    ASSERT_FALSE(simulator.FirstLine().empty());
    auto& f = StartOnPty();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());
    EXPECT_TRUE(f.WriteAllSettings1->isEnabled());

    ASSERT_TRUE(f.Controls().RunHandler("WriteAllSettings1Click"));
    app::ProvisioningRun* run = f.Provisioning();
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run->Total(), 205u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return run->Answered() >= 4; }, 10000));
    EXPECT_NE(run->Dialog()->labelText().indexOf("/205: "), -1) << run->Dialog()->labelText().toStdString();
    auto* cancel = run->Dialog()->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_EQ(f.Provisioning(), nullptr);

    ASSERT_FALSE(messages.empty());
    const ShownMessage& summary = messages.back();
    EXPECT_EQ(summary.caption, app::kWriteAllCaption);
    EXPECT_EQ(summary.text.rfind("Cancelled after ", 0), 0u) << summary.text;
    EXPECT_NE(summary.text.find(" of 205 commands: "), std::string::npos) << summary.text;
    int sentCount = 0;
    ASSERT_EQ(std::sscanf(summary.text.c_str(), "Cancelled after %d", &sentCount), 1);
    EXPECT_GE(sentCount, 4);

    // The answers are listed in the reply memo, the monitor line shows the
    // last command, and nothing goes out after Cancel.
    EXPECT_NE(f.MemoSMSinput->Text().find("NUM1: +4917012345"), std::string::npos) << f.MemoSMSinput->Text();
    EXPECT_NE(f.MemoSMSinput->Text().find("NUM3: +12345678"), std::string::npos) << f.MemoSMSinput->Text();
    QTest::qWait(400);
    std::ifstream log(dir / "sim.log");
    int received = 0;
    for (std::string line; std::getline(log, line);)
        received += line.find("\"dir\":\"rx\"") != std::string::npos;
    EXPECT_EQ(received, sentCount);
}

TEST_F(ProvisioningTest, OnlyInDirectModeAndEveryCommandCountedWithoutAPort) {
    auto& f = StartWithoutPort();  // the port does not open: every write fails at once
    f.mainPage->SMSmode->setChecked(true);
    EXPECT_FALSE(f.WriteAllSettings1->isEnabled());
    EXPECT_NE(f.WriteAllSettings1->toolTip().indexOf("SMS"), -1);
    f.Controls().RunHandler("WriteAllSettings1Click");
    EXPECT_EQ(f.Provisioning(), nullptr);

    f.mainPage->SMSmode->setChecked(false);
    EXPECT_TRUE(f.WriteAllSettings1->isEnabled());
    f.Controls().RunHandler("WriteAllSettings1Click");
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Provisioning() == nullptr; }, 10000));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "205 commands: 0 answered, 205 not answered.");
    EXPECT_EQ(messages[0].icon, protocol::MsgIcon::Warning);
}

}  // namespace
}  // namespace kt::test
