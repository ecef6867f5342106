// Provisioning in the window: what it gathers from its controls equals what
// kt4470ctl reads from the same file; pressing every write button puts the
// commands kt4470ctl commands lists on the line, and the alternate layout
// disables what it leaves out; the runs of the Option menu (the question of
// "Write All", the stop after three misses, "Write Changes", verify and read
// against kt4470-sim, Cancel); the items in SMS mode and without a port.
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
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

    // Every page's write button once, by its handler's name, in the tool's
    // order; the buttons the alternate layout disables cannot be pressed.
    std::string sent;
    const auto press = [&](const std::string& button) {
        if (!C(button)->isEnabled()) return;
        ASSERT_TRUE(f.Controls().RunHandler(button + "Click")) << button;
        sent += pty.Read(SIZE_MAX, 5);
    };
    for (const char* group : {"RadioGroupNR", "RadioGroupPB"}) {
        for (int slot = 1; slot <= 7; ++slot) {
            app::SetValueOf(f.Controls().Find(group), slot - 1);
            press(group == std::string("RadioGroupNR") ? "SetNr" : "ToPhoneBook");
        }
    }
    press("SetNfilter1");
    for (int n = 1; n <= 57; ++n)
        press(app::NameOf("TXTSMSb%1", n));
    for (int n = 1; n <= 97; ++n)
        press(app::NameOf(n <= 57 ? "iTXTSMSb%1" : "TXTSMSb%1", n));
    for (int n = 1; n <= 16; ++n)
        press(app::NameOf("Level%1Cmd", n));
    press("WriteAMode1");
    for (int n = 11; n <= 18; ++n)
        press(app::NameOf("Button%1", n));
    for (const char* button : {"SetTimeoutFilter", "TlevelCmd", "TlevelCmd2", "TlevelCmd3", "SetPulse"})
        press(button);
    for (const auto& row : cmd::kGprsParameters)
        press(std::string(row.button));
    press("SetShedule");
    press("SetOther");
    sent += pty.ReadAll(50);

    std::vector<std::string> expected;
    for (const std::string& command : ToolCommands(dir / "KT4470.cfg"))
        expected.push_back(protocol::DirectFrame(command));
    EXPECT_EQ(expected.size(), 205u - 22 - 38 - 4);
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
        const auto commands = protocol::ProvisioningCommands(read);
        EXPECT_EQ(commands[commands.size() - 2], command);
    }
}

// The buttons that send what the alternate layout leaves out are disabled;
// the others of the same families are not.
TEST_F(ProvisioningTest, AlternateLayoutCannotSendWhatItLeavesOut) {
    StartWithoutPort();
    const auto button = [](const std::string& keyword, int n) {
        if (keyword == "ANLEV") return app::NameOf("Level%1Cmd", n);
        if (keyword == "SETTX") return app::NameOf("TXTSMSb%1", n);
        return app::NameOf(n <= 57 ? "iTXTSMSb%1" : "TXTSMSb%1", n);
    };
    for (const auto& [keyword, last] :
         {std::pair<std::string, int>{"SETTX", 57}, {"SETTI", 97}, {"ANLEV", 8}})
        for (int n = 1; n <= last; ++n)
            EXPECT_EQ(C(button(keyword, n))->isEnabled(), !AlternateOmits(keyword, n)) << keyword << n;
}

// "Write All" asks first, naming the count and the port, and says plainly
// when the pages hold an empty settings file; its default is Cancel, which
// sends nothing.
TEST_F(ProvisioningTest, WriteAllAsksFirst) {
    const struct {
        const char* name;
        std::optional<config::ConfigRecord> file;
        size_t commands;
        const char* blank;  // what the question says of the file, or nothing
    } cases[] = {
        {"a settings file", ProvisioningRecord(), 141, nullptr},
        {"no settings file", std::nullopt, 202, "There is no settings file "},
        {"an all-zero file", config::ConfigRecord(), 202,
         "could not be read or holds nothing but zero bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir / "KT4470.cfg");
        if (c.file) WriteSettings(*c.file);
        questions.clear();
        auto& f = StartOnPty();
        ASSERT_TRUE(f.Controls().RunHandler("WriteAllSettings1Click"));
        ASSERT_EQ(questions.size(), 1u);
        const app::Question& q = questions[0];
        EXPECT_EQ(q.caption, app::kWriteAllCaption);
        EXPECT_EQ(q.defaultButton, app::Answer::Cancel);
        EXPECT_NE(
            q.text.find("Send all " + std::to_string(c.commands) + " commands to COM1 -> " + pty.SlavePath()),
            std::string::npos)
            << q.text;
        EXPECT_EQ(q.text.find("wipes the module's settings") != std::string::npos, c.blank != nullptr)
            << q.text;
        if (c.blank) {
            EXPECT_NE(q.text.find(c.blank), std::string::npos) << q.text;
        }
        EXPECT_EQ(f.Provisioning(), nullptr);
        EXPECT_EQ(pty.ReadAll(50), "");
    }
}

// Answers the commands the window writes on the pty, in order, one answer
// each ("" leaves one unanswered), until the run ends; the commands as the
// module reads them (without the fill of the text commands).
std::vector<std::string> RespondUntilDone(app::TForm1& f, Pty& pty, const std::vector<std::string>& answers) {
    std::vector<std::string> got;
    std::string line;
    const std::string end("\r\0", 2);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            line += pty.Read(SIZE_MAX, 1);
            for (size_t at; (at = line.find(end)) != std::string::npos;) {
                std::string command =
                    line.substr(protocol::kModulePrefix.size(), at - protocol::kModulePrefix.size());
                command.erase(command.find_last_not_of(' ') + 1);
                line.erase(0, at + end.size());
                if (got.size() < answers.size() && !answers[got.size()].empty())
                    pty.Write(answers[got.size()]);
                got.push_back(command);
            }
            return f.Provisioning() == nullptr;
        },
        20000));
    return got;
}

// After three commands in a row without an answer the run stops and says so;
// an ERROR answer is counted apart, and its command stays changed for the
// next "Write Changes" while an answered one does not.
TEST_F(ProvisioningTest, ThreeMissesStopTheRunAndErrorsAreCountedApart) {
    answerRule = protocol::AnswerRule(300, 20);
    answerQuestion = [](const app::Question&) { return app::Answer::Ok; };
    auto& f = StartOnPty();

    ASSERT_TRUE(f.Controls().RunHandler("WriteAllSettings1Click"));
    const auto sent = RespondUntilDone(f, pty, {"ERROR\r\n", "NUM3: +12345678 \r\n"});
    EXPECT_EQ(sent, (std::vector<std::string>{"SETNN1,+4917012345", "SETNN3,+12345678", "SETNN5,12+9",
                                              "SETPB1 +99", "SETPB2,+4917"}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0].text,
        "Stopped: 3 commands in a row got no answer. 5 of 141 commands sent: 1 answered, 1 answered ERROR, "
        "3 no answer, 136 not sent.");
    EXPECT_EQ(messages[0].icon, protocol::MsgIcon::Warning);
    EXPECT_NE(f.MemoSMSinput->Text().find("NUM3: +12345678"), std::string::npos);
    EXPECT_EQ(pty.ReadAll(100), "");

    SetText("NNumber1", "+111");
    SetText("NNumber3", "+333");
    messages.clear();
    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].defaultButton, app::Answer::Cancel);
    EXPECT_NE(questions[1].text.find("Send 2 of 141 commands to COM1 -> "), std::string::npos)
        << questions[1].text;
    EXPECT_NE(questions[1].text.find(": SETNN1, SETNN3."), std::string::npos) << questions[1].text;
    EXPECT_EQ(RespondUntilDone(f, pty, {"ERROR\r\n", "NUM3: +333 \r\n"}),
              (std::vector<std::string>{"SETNN1,+111", "SETNN3,+333"}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "2 commands: 1 answered, 1 answered ERROR, 0 no answer.");

    answerQuestion = nullptr;  // the default: Cancel
    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_NE(questions[2].text.find("Send 1 of 141 commands to COM1 -> "), std::string::npos)
        << questions[2].text;
    EXPECT_NE(questions[2].text.find(": SETNN1."), std::string::npos) << questions[2].text;
    EXPECT_EQ(pty.ReadAll(50), "");
}

// A line that goes away ends the run at once and says so.
TEST_F(ProvisioningTest, ALostLineEndsTheRun) {
    answerRule = protocol::AnswerRule(2000, 20);
    answerQuestion = [](const app::Question&) { return app::Answer::Ok; };
    auto& f = StartOnPty();
    ASSERT_TRUE(f.Controls().RunHandler("WriteAllSettings1Click"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pty.Read(SIZE_MAX, 1).empty(); }, 2000));
    pty.CloseMaster();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Provisioning() == nullptr; }, 5000));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("Stopped: the line was lost. 1 of 141 commands sent: 0 answered", 0), 0u)
        << messages[0].text;
}

// The rx lines of the simulator's log: the commands it was given.
std::vector<std::string> SimReceived(const std::filesystem::path& log) {
    std::vector<std::string> out;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.find("\"dir\":\"rx\"") != std::string::npos) out.push_back(line);
    return out;
}

class ProvisioningSimTest : public ProvisioningTest {
  protected:
    void SetUp() override {
        ProvisioningTest::SetUp();
        simulator = std::make_unique<sim::SimProcess>(
            std::vector<std::string>{"--link", (dir / "COM1").string(), "--log", (dir / "sim.log").string()});
        ASSERT_FALSE(simulator->FirstLine().empty());
        answerQuestion = [](const app::Question&) { return app::Answer::Ok; };
    }
    std::unique_ptr<sim::SimProcess> simulator;
};

TEST_F(ProvisioningSimTest, WriteAllWithCancel) {
    auto& f = StartOnPty();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());
    ASSERT_TRUE(f.WriteAllSettings1->isEnabled());

    ASSERT_TRUE(f.Controls().RunHandler("WriteAllSettings1Click"));
    app::ProvisioningRun* run = f.Provisioning();
    ASSERT_NE(run, nullptr);
    ASSERT_EQ(run->Total(), 141u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return run->Answered() >= 4; }, 10000));
    EXPECT_NE(run->Dialog()->labelText().indexOf("/141: "), -1) << run->Dialog()->labelText().toStdString();
    auto* cancel = run->Dialog()->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_EQ(f.Provisioning(), nullptr);

    ASSERT_FALSE(messages.empty());
    const ShownMessage& summary = messages.back();
    EXPECT_EQ(summary.caption, app::kWriteAllCaption);
    EXPECT_EQ(summary.text.rfind("Cancelled after ", 0), 0u) << summary.text;
    EXPECT_NE(summary.text.find(" of 141 commands: "), std::string::npos) << summary.text;
    int sentCount = 0;
    ASSERT_EQ(std::sscanf(summary.text.c_str(), "Cancelled after %d", &sentCount), 1);
    EXPECT_GE(sentCount, 4);

    // The answers are listed in the reply memo, the monitor line shows the
    // last command, and nothing goes out after Cancel.
    EXPECT_NE(f.MemoSMSinput->Text().find("NUM1: +4917012345"), std::string::npos) << f.MemoSMSinput->Text();
    EXPECT_NE(f.MemoSMSinput->Text().find("NUM3: +12345678"), std::string::npos) << f.MemoSMSinput->Text();
    QTest::qWait(400);
    EXPECT_EQ(SimReceived(dir / "sim.log").size(), static_cast<size_t>(sentCount));
}

TEST_F(ProvisioningSimTest, WriteChangesSendsTheEditAloneAndThenNothing) {
    auto& f = StartOnPty();
    SetText("TXTSMS9", "Pump 1 on");
    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("Send 1 of 141 commands"), std::string::npos) << questions[0].text;
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Provisioning() == nullptr; }, 10000));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "1 command: 1 answered, 0 answered ERROR, 0 no answer.");
    const auto received = SimReceived(dir / "sim.log");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_NE(received[0].find("\"text\":\"SETTX09 Pump 1 on"), std::string::npos) << received[0];

    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    EXPECT_EQ(questions.size(), 1u);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text,
              "Nothing to send: the module was given each of the 141 commands of the pages.");
    QTest::qWait(100);
    EXPECT_EQ(SimReceived(dir / "sim.log").size(), 1u);
}

// The report dialog's text once a verify has ended.
std::string VerifyReport(app::TForm1& f) {
    EXPECT_TRUE(f.Controls().RunHandler("VerifyModule1Click"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.Provisioning() == nullptr; }, 20000));
    QDialog* report = nullptr;
    for (QDialog* d : f.findChildren<QDialog*>("ModuleReport"))
        if (d->isVisible()) report = d;
    EXPECT_NE(report, nullptr);
    if (!report) return {};
    const std::string text =
        report->findChild<QPlainTextEdit*>("ModuleReportText")->toPlainText().toStdString();
    report->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
}

// A verify lists what the module holds otherwise; the next "Write Changes"
// sends exactly those settings, and a second verify finds only what no
// command writes (numbers that fail their check).
TEST_F(ProvisioningSimTest, VerifyThenWriteChangesThenVerifyAgain) {
    answerRule = protocol::AnswerRule(1000, 10);
    auto& f = StartOnPty();
    const std::string first = VerifyReport(f);
    EXPECT_NE(first.find("111 requests: 111 answered, 0 answered ERROR, 0 no answer."), std::string::npos)
        << first;
    for (const char* line :
         {"AlarmNumber[1]: module \"\", window \"+4917012345\"",
          "PhoneBookNumber[1]: module \"\", window \"+99\"",
          "ExtSmsText[5]: module \"Temperature 2 Normal\", window \"A B\"",
          "IntSmsText[71]: module \"INP2 0\", window \"\"", "Apn: module \"internet\", window \"\"",
          "GprsUser: module \"\", window \"user\"", "Not reported by the module, not compared: "})
        EXPECT_NE(first.find(line), std::string::npos) << line << "\n" << first;
    EXPECT_EQ(first.find("ExtSmsText[22]"), std::string::npos);  // not asked in the alternate layout

    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Provisioning() == nullptr; }, 10000));
    EXPECT_NE(questions.back().text.find("SETNN1, SETNN3, SETNN5, SETPB1"), std::string::npos)
        << questions.back().text;

    const std::string second = VerifyReport(f);
    EXPECT_NE(second.find("4 different"), std::string::npos) << second;
    for (const char* line :
         {"AlarmNumber[2]: module \"\", window \"12\"", "AlarmNumber[4]: module \"\", window \"1+2\"",
          "AlarmNumber[7]: module \"\", window \"+1a\"", "PhoneBookNumber[3]: module \"\", window \"x1\""})
        EXPECT_NE(second.find(line), std::string::npos) << line << "\n" << second;
}

// "Read Settings from Module..." fills the reportable controls with the
// module's values, leaves what the layout disables, and the module then
// holds what the pages show.
TEST_F(ProvisioningSimTest, ReadSettingsFillsThePages) {
    answerRule = protocol::AnswerRule(1000, 10);
    auto& f = StartOnPty();
    SetText("TXTSMS22", "kept");
    ASSERT_TRUE(f.Controls().RunHandler("ReadSettings1Click"));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].defaultButton, app::Answer::Ok);
    EXPECT_NE(questions[0].text.find("(111 requests to COM1 -> "), std::string::npos) << questions[0].text;
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Provisioning() == nullptr; }, 20000));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0].text,
        "111 requests: 111 answered, 0 answered ERROR, 0 no answer.\r\n117 settings read into the pages; "
        "\"Save Setting\" keeps them.");
    EXPECT_EQ(Text("NNumber1"), "");
    EXPECT_EQ(Text("TXTSMS1"), "Temperature 1 < MINIMUM");  // the simulator's factory text
    EXPECT_EQ(Text("APN"), "internet");
    EXPECT_EQ(Text("IPaddress"), "0.0.0.0");
    EXPECT_EQ(Text("TXTSMS22"), "kept");

    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].icon, protocol::MsgIcon::Information);
    EXPECT_EQ(messages[1].text.rfind("Nothing to send", 0), 0u) << messages[1].text;
}

TEST_F(ProvisioningTest, WritingAlsoBySmsOthersInDirectModeAllWithAnOpenPort) {
    auto& f = StartWithoutPort();
    const std::vector<QAction*> runs = {f.WriteAllSettings1, f.WriteChanges1, f.VerifyModule1,
                                        f.ReadSettings1};
    f.mainPage->SMSmode->setChecked(true);
    for (QAction* run : runs) {
        const bool bySms = run == f.WriteAllSettings1 || run == f.WriteChanges1;
        EXPECT_EQ(run->isEnabled(), bySms) << run->objectName().toStdString();
        EXPECT_NE(run->toolTip().indexOf(bySms ? "one SMS per command" : "Not in SMS mode"), -1);
        messages.clear();
        f.Controls().RunHandler(run->objectName().toStdString() + "Click");
        EXPECT_EQ(messages.size(), bySms ? 1u : 0u);
    }
    EXPECT_TRUE(questions.empty());

    f.mainPage->SMSmode->setChecked(false);
    for (QAction* run : runs) {
        EXPECT_TRUE(run->isEnabled());
        messages.clear();
        f.Controls().RunHandler(run->objectName().toStdString() + "Click");
        EXPECT_EQ(f.Provisioning(), nullptr);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].text.find(" is not open: nothing was sent."), std::string::npos)
            << messages[0].text;
        EXPECT_EQ(messages[0].icon, protocol::MsgIcon::Warning);
    }
    EXPECT_TRUE(questions.empty());
}

// SMS mode against kt4470-sim's modem: "Write Changes" sends exactly the
// changed commands, each as the PDU the window's SMS path builds, and leaves
// another sender's message; every state goes to the delivery log.
class ProvisioningSmsTest : public ProvisioningTest {
  protected:
    void SetUp() override {
        ProvisioningTest::SetUp();
        answerQuestion = [](const app::Question&) { return app::Answer::Ok; };
        moreOptions = [](app::FormOptions& o) {
            o.smsTimes = {.modemMs = 2000, .answerMs = 3000, .pollMs = 50};
        };
    }
    app::TForm1& StartBySms(std::vector<std::string> simArgs) {
        std::vector<std::string> args{"--mode",          "modem",
                                      "--module-number", kModule,
                                      "--link",          (dir / "COM1").string(),
                                      "--log",           (dir / "sim.log").string()};
        args.insert(args.end(), simArgs.begin(), simArgs.end());
        // A case of its own: a fresh simulator, delivery log and window.
        simulator.reset();
        for (const char* file : {"COM1", "sim.log", "sms-runs.log"})
            std::filesystem::remove(dir / file);
        messages.clear();
        questions.clear();
        simulator = std::make_unique<sim::SimProcess>(args);
        EXPECT_FALSE(simulator->FirstLine().empty());
        auto& f = StartOnPty();
        SetText("BRnumber", kModule);
        f.mainPage->SMSmode->setChecked(true);
        return f;
    }
    std::string DeliveryLog() {
        std::ifstream in(dir / "sms-runs.log", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The log's lines after the local time ("yyyy-MM-dd hh:mm:ss").
    std::vector<std::string> LogTails() {
        std::vector<std::string> tails;
        std::istringstream in(DeliveryLog());
        for (std::string line; std::getline(in, line);) {
            EXPECT_GT(line.size(), 19u);
            EXPECT_EQ(line[10], ' ') << line;
            tails.push_back(line.size() > 19 ? line.substr(19) : line);
        }
        return tails;
    }
    bool RunEnds(app::TForm1& f, int ms) {
        const bool ended = QTest::qWaitFor([&] { return f.Provisioning() == nullptr; }, ms);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ended;
    }

    static constexpr const char* kModule = "+4917012345";
    std::unique_ptr<sim::SimProcess> simulator;
};

TEST_F(ProvisioningSmsTest, WriteChangesSendsTheChangedCommandsAsPdus) {
    auto& f = StartBySms({"--inbox-other", "+4915550000=Hello"});
    SetText("TXTSMS9", "Pump 1 on");
    SetText("iTXTSMS3", "Door");
    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(
        questions[0].text.find("Send 2 of 141 commands to +4917012345 by SMS through the modem on COM1"),
        std::string::npos)
        << questions[0].text;
    EXPECT_NE(questions[0].text.find("That is 2 SMS"), std::string::npos) << questions[0].text;
    EXPECT_TRUE(f.Engine().ModemOwnedByRun);
    ASSERT_TRUE(RunEnds(f, 10000));
    EXPECT_FALSE(f.Engine().ModemOwnedByRun);
    // On the wire: a look at the inbox, then per command the submission, the
    // PDU of the window's SMS path, a listing and the answer's deletion; the
    // other sender's message (index 1) stays.
    auto modemWire = [this] {
        std::vector<std::string> wire;
        for (const std::string& line : SimReceived(dir / "sim.log"))
            if (line.find("\"mode\":\"modem\"") != std::string::npos) {
                const size_t text = line.find("\"text\":\"") + 8;
                wire.push_back(line.substr(text, line.rfind('"') - text));
            }
        return wire;
    };
    const std::vector<std::string> wire = modemWire();
    std::vector<std::string> expected{"AT+CMGL=0\\r"};
    for (const char* command : {"SETTX09 Pump 1 on", "SETTI03 Door"}) {
        std::string pdu;
        ASSERT_TRUE(protocol::CommandPdu(command, kModule, pdu));
        expected.push_back(protocol::SmsSubmitCommand(pdu) + "\\r");
        expected.push_back(protocol::SmsPduDigits(pdu) + "\\u001a");
        expected.push_back("AT+CMGL=0\\r");
        expected.push_back("AT+CMGD=2\\r");
    }
    EXPECT_EQ(wire, expected);

    // Afterwards the window's own inbox poll and single SMS go out as before.
    for (int i = 0; i < 31; ++i)
        f.Tick();
    EXPECT_TRUE(f.Engine().SendSMS("GETST"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return modemWire().size() >= wire.size() + 2; }, 2000));
    const std::vector<std::string> after = modemWire();
    EXPECT_EQ(after[wire.size()].rfind("AT+CMGL=", 0), 0u) << after[wire.size()];
    EXPECT_EQ(after[wire.size() + 1], "AT+CMGS=19\\r");

    // What was answered is what the module holds now.
    ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].icon, protocol::MsgIcon::Information);
    EXPECT_EQ(messages[1].text.rfind("Nothing to send", 0), 0u) << messages[1].text;
}

// What became of each command, in the reply memo, the summary and the log:
// answered in order, refused by the modem, lost on a slow network; the run
// goes on to the end.
TEST_F(ProvisioningSmsTest, EachCommandsStateInMemoSummaryAndLog) {
    const struct {
        const char* name;
        std::vector<std::string> sim;
        int64_t answerMs;
        const char* summary;
        std::vector<std::string> memo, log;
    } cases[] = {
        {"answered",
         {},
         3000,
         "2 commands: 2 answered, 0 answered ERROR, 0 no answer.\r\n0 not submitted, 0 submitted without "
         "an answer.",
         {"09: Pump 1 on", "03: Door"},
         {"\t+4917012345\tSETTX09 Pump 1 on\tsubmitted\treference 1",
          "\t+4917012345\tSETTX09 Pump 1 on\tanswered\t09: Pump 1 on",
          "\t+4917012345\tSETTI03 Door\tsubmitted\treference 2",
          "\t+4917012345\tSETTI03 Door\tanswered\t03: Door"}},
        {"refused",
         {"--fail-submit", "1"},
         3000,
         "2 commands: 1 answered, 0 answered ERROR, 1 no answer.\r\n1 not submitted, 0 submitted without "
         "an answer.",
         {"not submitted: +CMS ERROR: 38", "03: Door"},
         {"\t+4917012345\tSETTX09 Pump 1 on\tnot submitted\t+CMS ERROR: 38",
          "\t+4917012345\tSETTI03 Door\tsubmitted\treference 1",
          "\t+4917012345\tSETTI03 Door\tanswered\t03: Door"}},
        {"lost",
         {"--sms-delay", "2"},
         300,
         "2 commands: 0 answered, 0 answered ERROR, 2 no answer.\r\n0 not submitted, 2 submitted without "
         "an answer.",
         {"no answer after 0.3 s", "no answer after 0.3 s"},
         {"\t+4917012345\tSETTX09 Pump 1 on\tsubmitted\treference 1",
          "\t+4917012345\tSETTX09 Pump 1 on\tno answer\tafter 0.3 s",
          "\t+4917012345\tSETTI03 Door\tsubmitted\treference 2",
          "\t+4917012345\tSETTI03 Door\tno answer\tafter 0.3 s"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        moreOptions = [&c](app::FormOptions& o) {
            o.smsTimes = {.modemMs = 2000, .answerMs = c.answerMs, .pollMs = 50};
        };
        auto& f = StartBySms(c.sim);
        SetText("TXTSMS9", "Pump 1 on");
        SetText("iTXTSMS3", "Door");
        ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
        ASSERT_TRUE(RunEnds(f, 10000));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text.substr(0, messages[0].text.find("\r\nEvery state of every SMS is in "
                                                                   "the delivery log ")),
                  c.summary);
        size_t at = 0;
        for (const std::string& line : c.memo) {
            at = f.MemoSMSinput->Text().find(line, at);
            ASSERT_NE(at, std::string::npos) << line << " in order in " << f.MemoSMSinput->Text();
            ++at;
        }
        EXPECT_EQ(LogTails(), c.log);
    }
}

// Cancel while an answer is awaited (the operator waits for it, or abandons
// it), a window closed and an adapter pulled meanwhile: the log tells each.
TEST_F(ProvisioningSmsTest, AnAwaitedAnswerCancelledClosedOrCutOff) {
    enum class Act { Wait, Abandon, CloseWindow, PullAdapter };
    const struct {
        const char* name;
        Act act;
        const char* delay;
        const char* summary;  // its start; none when the window is gone
        const char* last;     // the log's last line
    } cases[] = {
        {"wait", Act::Wait, "1", "Cancelled after 1 of 2 commands: 1 answered, 0 answered ERROR, 0 no answer",
         "\t+4917012345\tSETTX09 Pump 1 on\tanswered\t09: Pump 1 on"},
        {"abandon", Act::Abandon, "30",
         "Cancelled after 1 of 2 commands: 0 answered, 0 answered ERROR, 1 no answer, 1 not sent.\r\n0 not "
         "submitted, 1 submitted without an answer.",
         "\t+4917012345\tSETTX09 Pump 1 on\tabandoned\tabandoned by the operator"},
        {"window closed", Act::CloseWindow, "30", nullptr,
         "\t+4917012345\tSETTX09 Pump 1 on\tabandoned\tthe window was closed"},
        {"adapter pulled", Act::PullAdapter, "30", "Stopped: the line was lost. 1 of 2 commands sent",
         "\t+4917012345\tSETTX09 Pump 1 on\tabandoned\tthe line was lost"},
    };
    moreOptions = [](app::FormOptions& o) {
        o.smsTimes = {.modemMs = 2000, .answerMs = 60000, .pollMs = 50};
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        answerQuestion = [](const app::Question&) { return app::Answer::Ok; };
        auto& f = StartBySms({"--sms-delay", c.delay});
        SetText("TXTSMS9", "Pump 1 on");
        SetText("iTXTSMS3", "Door");
        ASSERT_TRUE(f.Controls().RunHandler("WriteChanges1Click"));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return DeliveryLog().find("submitted") != std::string::npos; }, 5000));
        switch (c.act) {
            case Act::Wait:
            case Act::Abandon:
                answerQuestion = [&c](const app::Question& q) {
                    return q.caption != "Cancel" ? app::Answer::Ok
                           : c.act == Act::Wait  ? app::Answer::Yes
                                                 : app::Answer::No;
                };
                f.Provisioning()->Cancel();
                ASSERT_EQ(questions.size(), 2u);
                EXPECT_NE(questions[1].text.find("Wait for the module's answer (at most 60 s"),
                          std::string::npos)
                    << questions[1].text;
                EXPECT_EQ(questions[1].defaultButton, app::Answer::No);
                break;
            case Act::CloseWindow:
                form.reset();
                break;
            case Act::PullAdapter:
                simulator.reset();
                break;
        }
        if (form) {
            ASSERT_TRUE(RunEnds(*form, 5000));
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text.rfind(c.summary, 0), 0u) << messages[0].text;
            EXPECT_FALSE(form->Engine().ModemOwnedByRun);
        }
        const std::vector<std::string> log = LogTails();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), c.last);
        EXPECT_EQ(log.size(), 2u) << "the second command never went";
    }
}

}  // namespace
}  // namespace kt::test
