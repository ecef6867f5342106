// The "GPRS, FTP" and "SMS Shedule" pages: their controls and names, the
// bytes every button puts on the line in direct mode, the replies that fill
// the parameter edits, the logger bars, the schedule text as the controls
// edit it, and both pages' settings across a save and a restart.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "gui/GuiSupport.h"
#include "pages/GprsFtpPage.h"
#include "pages/SmsSchedulePage.h"
#include "protocol/ModuleCommands.h"
#include "widgets/Widgets.h"
#ifdef KT_SIM_BINARY
#include "sim/SimProcess.h"
#endif

namespace kt::test {
namespace {

using app::GprsFtpPage;
using app::SmsSchedulePage;
using protocol::PageIndex;

class PagesTest : public PtyWindowTest {
  protected:
    void Started(app::TForm1& f) override {
        gprs = static_cast<GprsFtpPage*>(f.PageAt(PageIndex::GprsFtp));
        sched = static_cast<SmsSchedulePage*>(f.PageAt(PageIndex::SmsSchedule));
    }
    QSlider* Hour(int n) const { return C<QSlider>("TrackBar" + std::to_string(n)); }
    QCheckBox* Enable(int n) const { return C<QCheckBox>("CheckBoxS" + std::to_string(n)); }

    GprsFtpPage* gprs = nullptr;
    SmsSchedulePage* sched = nullptr;
};

// ---- controls --------------------------------------------------------------------------

TEST_F(PagesTest, ParameterRowsFromTheTableWithTheirNames) {
    StartOnPty();
    const std::array<const char*, 9> names = {
        "GPRS APN",    "GPRS User ID", "GPRS Password",         "GPRS IP address", "FTP Host Name",
        "FTP User ID", "FTP Password", "FTP Object / Dir Name", "HTTP Host",
    };
    for (size_t i = 0; i < protocol::cmd::kGprsParameters.size(); ++i) {
        const auto& r = protocol::cmd::kGprsParameters[i];
        SCOPED_TRACE(std::string(r.edit));
        auto* edit = C<app::TEdit>(std::string(r.edit));
        auto* button = C<QPushButton>(std::string(r.button));
        ASSERT_TRUE(edit && button);
        EXPECT_EQ(
            edit->parentWidget(),
            gprs->findChild<QWidget*>("GroupBox" + QString::fromLatin1(r.group.data(), r.group.size())));
        EXPECT_EQ(edit->parentWidget()->property("title").toString().toStdString(), r.group);
        EXPECT_EQ(edit->MaxLength(), r.maxLength);
        EXPECT_EQ(AccessibleName(edit), names[i]);
        EXPECT_EQ(AccessibleName(button), std::string("Send ") + names[i]);
        EXPECT_EQ(button->text().toStdString(), "WRITE");
        EXPECT_TRUE(form->Controls().HasHandler(std::string(r.button) + "Click"));
        auto* label = gprs->findChild<QLabel*>(QString::fromLatin1(r.edit.data(), r.edit.size()) + "Label");
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text().toStdString(), r.label);
    }
    const std::map<std::string, std::string> named = {
        {"MaxErrorScrollBar", "Max Error Level"},   {"MaxError", "Max Error Level value"},
        {"MaxErrorLevel", "Write Max Error Level"}, {"eSRateSB", "Sampling Rate"},
        {"eDLoggerTmSB", "Lines in file"},          {"eSRate", "Sampling Rate value"},
        {"eDLoggerTm", "Lines in file value"},      {"Button9", "Write Sampling Rate"},
        {"Button10", "Write Lines in file"},        {"ReadGPRS1", "Read "},
    };
    for (const auto& [name, accessible] : named)
        EXPECT_EQ(AccessibleName(C(name)), accessible) << name;
    for (const char* wr : {"MaxErrorLevel", "Button9", "Button10"})
        EXPECT_EQ(Text(wr), "WR") << wr;
    const struct {
        const char* bar;
        int min, max, position;
    } bars[] = {{"MaxErrorScrollBar", 0, 99, 4}, {"eSRateSB", 0, 9, 0}, {"eDLoggerTmSB", 1, 9, 1}};
    for (const auto& b : bars) {
        auto* bar = C<QScrollBar>(b.bar);
        EXPECT_EQ(std::make_tuple(bar->minimum(), bar->maximum(), bar->value()),
                  std::make_tuple(b.min, b.max, b.position))
            << b.bar;
    }
    EXPECT_TRUE(gprs->MaxError->isReadOnly());
    EXPECT_FALSE(gprs->ReadGPRS1->isChecked());
    EXPECT_EQ(gprs->findChild<QWidget*>("GroupBoxFiles")->property("title").toString().toStdString(),
              "Files parameters - sample rate, lines in file");
    for (const char* handler : {"MaxErrorSB", "MaxErrorClick", "eSRateSBChange", "eDLoggerTmSBChange",
                                "ReadGPRS1Click", "Button9Click", "Button10Click"})
        EXPECT_TRUE(form->Controls().HasHandler(handler)) << handler;
}

TEST_F(PagesTest, ScheduleControlsWithTheirNames) {
    StartOnPty();
    const QStringList types = {"Analog", "Counters", "Temperature", "DataLogger", "Disable"};
    const QStringList timeouts = {"Hours", "10 min", "20 min", "30 min", "other"};
    for (auto [group, title, items] : {std::make_tuple(sched->SMSShed, "SMS Type", types),
                                       std::make_tuple(sched->RadioGroup1, "Timeout", timeouts)}) {
        EXPECT_EQ(group->title().toStdString(), title);
        ASSERT_EQ(group->Count(), items.size());
        for (int i = 0; i < group->Count(); ++i)
            EXPECT_EQ(group->Item(i)->text(), items[i]);
    }
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(AccessibleName(Hour(n)), "Send hour " + std::to_string(n));
        EXPECT_EQ(std::make_pair(Hour(n)->minimum(), Hour(n)->maximum()), std::make_pair(0, 23));
        EXPECT_EQ(AccessibleName(Enable(n)), "Send hour " + std::to_string(n) + " enable");
        EXPECT_EQ(Enable(n)->text().toStdString(), "Enable");
    }
    EXPECT_EQ(C<QPushButton>("GetShedule")->text().toStdString(), "GET");
    EXPECT_EQ(C<QPushButton>("SetShedule")->text().toStdString(), "SET");
    // The hour scale reads 0 to 23, left to right.
    auto* zero = sched->findChild<QLabel*>("HourLine0");
    auto* last = sched->findChild<QLabel*>("HourLine23");
    ASSERT_TRUE(zero && last);
    EXPECT_EQ(last->text().toStdString(), "23");
    EXPECT_LT(zero->geometry().center().x(), last->geometry().center().x());
}

// ---- GPRS, FTP, HTTP on the wire --------------------------------------------------------

TEST_F(PagesTest, ParameterButtonsWriteAndReadWithTheCutAndClearingRules) {
    auto& f = StartOnPty();
    const struct {
        const char* button;
        const char* edit;
        std::string text;
        const char* sent;
        const char* shown;
        std::string after;
    } writes[] = {
        {"UIDbtn", "UserID", "user 1", "SETID user", "SETID,user", "user"},
        {"APNbtn", "APN", "internet x", "SETAP internet", "SETAP,internet", "internet"},
        {"APNbtn", "APN", "", "SETAP    ", "SETAP    ", ""},
        {"PWbtn", "Password", "", "SETPW ", "SETPW,", ""},
        {"HTTPhostBtn", "HTTPhostName", "", "SETRH,   ", "SETRH,   ", "   "},
        {"HTTPhostBtn", "HTTPhostName", "host.example/log x", "SETRH,host.example/log",
         "SETRH,host.example/log", "host.example/log"},
        {"IPbtn", "IPaddress", "10.0.0.1", "SETIP 10.0.0.1", "SETIP,10.0.0.1", "10.0.0.1"},
        {"FTPHostNamebtn", "FTPHostName", "ftp.example.org", "SETFT ftp.example.org", "SETFT,ftp.example.org",
         "ftp.example.org"},
        {"UNbtn", "UserNameFTP", "logger", "SETAF logger", "SETAF,logger", "logger"},
        {"DirNameBtn", "DirName", "IMEI", "SETDN IMEI", "SETDN,IMEI", "IMEI"},
        // A leading blank no longer clears the password.
        {"PWbtn", "Password", " s3cret", "SETPW s3cret", "SETPW,s3cret", "s3cret"},
        // Control characters end a value like blanks: the command is never split.
        {"FPWbtn", "PasswordFTP", std::string("pw\r\nGETST", 10), "SETPF pw", "SETPF,pw", "pw"},
        {"APNbtn", "APN", "\r\n", "SETAP    ", "SETAP    ", "\r\n"},  // the clearing form leaves the edit
    };
    for (const auto& w : writes) {
        SCOPED_TRACE(std::string(w.button) + " " + w.text);
        AfterPassThrough();
        SetText(w.edit, w.text);
        Click(w.button);
        ExpectSent(w.sent);
        EXPECT_EQ(f.MemoS->Text(), std::string(w.shown) + "\r\n");
        EXPECT_EQ(f.MemoSMSinput->Text(), "\r\n");
        EXPECT_EQ(Text(w.edit), w.after);
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }

    // "Read " turns every button into its read command and back.
    f.Engine().RawMode = true;
    gprs->ReadGPRS1->click();
    EXPECT_FALSE(f.Engine().RawMode);
    for (const auto& r : protocol::cmd::kGprsParameters) {
        SCOPED_TRACE(std::string(r.button));
        EXPECT_EQ(Text(std::string(r.button)), "RD");
        SetText(std::string(r.edit), "unchanged value");
        Click(std::string(r.button));
        ExpectSent(std::string(r.read));
        EXPECT_EQ(f.MemoS->Text(), std::string(r.read) + "\r\n");
        EXPECT_EQ(Text(std::string(r.edit)), "unchanged value");
    }
    gprs->ReadGPRS1->click();
    for (const auto& r : protocol::cmd::kGprsParameters)
        EXPECT_EQ(Text(std::string(r.button)), "WR");
    Click("DirNameBtn");
    ExpectSent("SETDN unchanged");
}

TEST_F(PagesTest, HttpErrorLimitGoesFramedEvenAfterAPassThroughCommand) {
    auto& f = StartOnPty();
    EXPECT_EQ(Text("MaxError"), "4");  // filled at start-up
    for (const auto& [position, sent] :
         {std::pair{4, "ESKTD04"}, {15, "ESKTD15"}, {0, "ESKTD00"}, {99, "ESKTD99"}}) {
        gprs->MaxErrorScrollBar->setValue(position);
        EXPECT_EQ(Text("MaxError"), std::to_string(position));
        f.Engine().RawMode = true;  // an unanswered pass-through command before
        f.Engine().ReplyToShow = false;
        Click("MaxErrorLevel");
        ExpectSent(sent);
        EXPECT_EQ(f.MemoS->Text(), std::string(sent) + "\r\n");
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_FALSE(f.Engine().ReplyToShow);  // left as it was: no Clear
    }
}

TEST_F(PagesTest, RepliesFillTheParameterEditsOnThisPageInDirectModeOnly) {
    auto& f = StartOnPty();
    f.PageControl1->setCurrentIndex(static_cast<int>(PageIndex::GprsFtp));
    Deliver("APN: internet.example\r");
    EXPECT_EQ(Text("APN"), "internet.example");
    Deliver("FTP host: ftp.example.net\r\nOK\r\n");
    EXPECT_EQ(Text("FTPHostName"), "ftp.example.net");
    Deliver("Remote Host: log.example\r");
    EXPECT_EQ(Text("HTTPhostName"), "log.example");
    Deliver("apn: lower.case\r");
    EXPECT_EQ(Text("APN"), "internet.example");
    EXPECT_NE(f.MemoSMSinput->Text().find("apn: lower.case"), std::string::npos);  // still shown

    // Another page showing: shown, but no edit changes.
    f.PageControl1->setCurrentIndex(static_cast<int>(PageIndex::SmsSchedule));
    Deliver("APN: other\r");
    EXPECT_EQ(Text("APN"), "internet.example");
    EXPECT_NE(f.MemoSMSinput->Text().find("APN: other"), std::string::npos);

    // What a reply filled in goes out as the next write.
    f.PageControl1->setCurrentIndex(static_cast<int>(PageIndex::GprsFtp));
    Deliver("PASSWORD: s3cret\r\n");
    Click("PWbtn");
    ExpectSent("SETPW s3cret");
}

TEST_F(PagesTest, LoggerBarsShowTheirOwnValueAndTheirButtonsRunTheIoControlHandlers) {
    StartOnPty();
    const struct {
        QScrollBar* bar;
        QLineEdit* edit;
        int low, high;
    } rows[] = {{gprs->eSRateSB, gprs->eSRate, 0, 9}, {gprs->eDLoggerTmSB, gprs->eDLoggerTm, 1, 9}};
    for (const auto& r : rows) {
        for (int v : {r.high, r.low, 5, r.high + 3, r.low - 1}) {
            r.bar->setValue(v);
            // Its own position; the twin on "IO control" (1..6) may pull the lines bar back to 6.
            EXPECT_EQ(r.edit->text().toInt(), r.bar->value()) << r.bar->objectName().toStdString();
        }
    }
    // "WR" runs the "IO control" page's handler of that name, which sends
    // what the twins there show.
    gprs->eSRateSB->setValue(7);
    gprs->eDLoggerTmSB->setValue(5);
    Click("Button9");
    ExpectSent("SRATE7");
    Click("Button10");
    ExpectSent("DLPER5");
}

// ---- SMS schedule --------------------------------------------------------------------------

TEST_F(PagesTest, ScheduleTextFollowsTheControlsAndSetSendsIt) {
    auto& f = StartOnPty();
    ASSERT_EQ(sched->ScheduleText, "");  // no stored schedule
    // Still empty: the immediate edits change nothing.
    sched->SMSShed->SetItemIndex(0);
    sched->RadioGroup1->SetItemIndex(0);
    EXPECT_EQ(sched->ScheduleText, "");

    // One step after the other: an action, then the text it leaves.
    auto set = [&](const std::string& expected) {
        f.Engine().RawMode = true;
        f.Engine().ReplyToShow = false;
        Click("SetShedule");
        const std::string command = "SETSH," + expected;
        ExpectSent(command);
        EXPECT_EQ(f.MemoS->Text(), command + "\r\n");
        EXPECT_EQ(f.MemoSMSinput->Text(), "");
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    };
    const struct {
        const char* what;
        std::function<void()> act;
        std::string text;
    } steps[] = {
        {"SET: Analog, Hours, no hour", [&] { set("A33      "); }, "A33      "},
        {"hour 3 on", [&] { Enable(3)->setChecked(true); }, "A33      "},
        {"hour 3 to 23", [&] { Hour(3)->setValue(23); }, "A33  23  "},
        {"hour 3 off", [&] { Enable(3)->setChecked(false); }, "A33      "},
        {"hour 3 moves while off", [&] { Hour(3)->setValue(5); }, "A33      "},
        {"20 min", [&] { sched->RadioGroup1->SetItemIndex(2); }, "A55      "},
        {"30 min", [&] { sched->RadioGroup1->SetItemIndex(3); }, "A66      "},
        {"hour 1 on", [&] { Enable(1)->setChecked(true); }, "A66      "},
        {"hour 1 moves: the interval code stays", [&] { Hour(1)->setValue(9); }, "A66      "},
        {"hour 1 off: the interval code stays", [&] { Enable(1)->setChecked(false); }, "A66      "},
        {"other with hour 1 off: no interval code", [&] { sched->RadioGroup1->SetItemIndex(4); },
         "A        "},
        {"SET sends no interval code", [&] { set("A        "); }, "A        "},
        {"hour 1 on at 9, then other again",
         [&] {
             Enable(1)->setChecked(true);
             sched->RadioGroup1->SetItemIndex(0);
             sched->RadioGroup1->SetItemIndex(4);
         },
         "A09      "},
        {"hour 1 moves with other", [&] { Hour(1)->setValue(17); }, "A17      "},
        {"Counters", [&] { sched->SMSShed->SetItemIndex(1); }, "C17      "},
        {"SET: other, hour 1 at 17", [&] { set("C17      "); }, "C17      "},
        {"Disable", [&] { sched->SMSShed->SetItemIndex(4); }, " 17      "},
        {"SET: Disable blanks everything", [&] { set("         "); }, "         "},
        {"Temperature, 10 min, hour 2 at 7",
         [&] {
             sched->SMSShed->SetItemIndex(2);
             sched->RadioGroup1->SetItemIndex(1);
             Enable(1)->setChecked(false);
             Enable(2)->setChecked(true);
             Hour(2)->setValue(7);
         },
         "T4407    "},
        {"SET", [&] { set("T4407    "); }, "T4407    "},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(sched->ScheduleText, s.text);
    }

    f.Engine().RawMode = true;
    Click("GetShedule");
    ExpectSent("GETSH");
    EXPECT_EQ(f.MemoS->Text(), "GETSH\r\n");
    EXPECT_FALSE(f.Engine().RawMode);
    EXPECT_TRUE(f.Engine().ReplyToShow);
}

TEST_F(PagesTest, ScheduleSetStartsFromNineBlanks) {
    StartOnPty();
    sched->SMSShed->SetItemIndex(1);
    sched->RadioGroup1->SetItemIndex(4);
    Enable(1)->setChecked(true);
    Hour(1)->setValue(5);
    EXPECT_EQ(sched->ScheduleText, "");
    Click("SetShedule");
    ExpectSent("SETSH,C05      ");
    EXPECT_EQ(sched->ScheduleText, "C05      ");
}

// The stored schedule decoded into the controls at start-up, and the text the
// page then works on.
TEST_F(PagesTest, StoredScheduleSetsTheControls) {
    using Hours = std::array<std::optional<int>, 4>;
    constexpr std::nullopt_t no = std::nullopt;
    const struct {
        std::string stored;
        int type, timeout;
        Hours hours;  // position of a checked hour; none: box off, bar untouched at 0
        std::string text;
    } cases[] = {
        {"T33120600", 2, 0, Hours{0, 12, 6, 0}, "T33120600"},
        {"", 4, 4, Hours{}, ""},
        {"C6", 1, 0, Hours{}, "C6       "},                       // short: filled with blanks first
        {"X  07 2399", 4, 4, Hours{no, 7, no, 23}, "   07 239"},  // unknown letter: "Disable"
        {"L1730", 3, 4, Hours{17, 23, no, no}, "L1730    "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        config::ConfigRecord rec;
        rec.SetScheduleString(c.stored);
        WriteSettings(rec);
        StartOnPty();
        EXPECT_EQ(sched->SMSShed->ItemIndex(), c.type);
        EXPECT_EQ(sched->RadioGroup1->ItemIndex(), c.timeout);
        for (int n = 1; n <= 4; ++n) {
            const auto& h = c.hours[static_cast<size_t>(n - 1)];
            EXPECT_EQ(Enable(n)->isChecked(), h.has_value()) << n;
            EXPECT_EQ(Hour(n)->value(), h.value_or(0)) << n;
        }
        EXPECT_EQ(sched->ScheduleText, c.text);
    }
}

// ---- settings ------------------------------------------------------------------------------

TEST_F(PagesTest, BothPagesSurviveSaveAndRestart) {
    config::ConfigRecord rec;
    rec.SetScheduleEnd(0x55);
    rec.SetGprsSampleRate(3);
    rec.SetGprsLoggerPeriod(0);  // below the bar: shows 1
    WriteSettings(rec);
    auto& f = StartOnPty();
    EXPECT_EQ(gprs->eSRateSB->value(), 3);
    EXPECT_EQ(Text("eSRate"), "3");
    EXPECT_EQ(gprs->eDLoggerTmSB->value(), 1);
    EXPECT_EQ(Text("eDLoggerTm"), "1");  // written although the bar did not move
    for (const auto& r : protocol::cmd::kGprsParameters)
        EXPECT_EQ(Text(std::string(r.edit)), "") << r.edit;

    const std::map<std::string, std::string> texts = {
        {"APN", std::string(45, 'a')},         {"UserID", "user"},       {"Password", "pw"},
        {"IPaddress", "192.168.1.20"},         {"FTPHostName", "ftp.h"}, {"UserNameFTP", "ftpuser"},
        {"PasswordFTP", std::string(20, 'p')}, {"DirName", "dir"},       {"HTTPhostName", "http.host"},
    };
    for (const auto& [name, text] : texts)
        SetText(name, text);
    gprs->eSRateSB->setValue(7);
    gprs->eDLoggerTmSB->setValue(9);
    gprs->MaxErrorScrollBar->setValue(30);  // not stored
    sched->SMSShed->SetItemIndex(3);
    sched->RadioGroup1->SetItemIndex(4);
    Enable(2)->setChecked(true);
    Enable(4)->setChecked(true);
    Hour(2)->setValue(8);
    Hour(4)->setValue(20);
    Click("SetShedule");
    ASSERT_EQ(sched->ScheduleText, "L  08  20");
    Wire(Framed("SETSH,L  08  20").size());
    const int lines = gprs->eDLoggerTmSB->value();  // 6: the twin on "IO control" pulled it back
    Enable(4)->setChecked(false);                   // edited after the send: saved as shown
    f.SaveSetting1->trigger();

    const std::string file = ReadFile("KT4470.cfg");
    ASSERT_EQ(file.size(), config::kRecordSize);
    EXPECT_EQ(file[4017], '\0');  // ScheduleEnd

    auto& g = StartOnPty();
    for (const auto& [name, text] : texts) {
        const size_t width = name == "PasswordFTP" ? 16 : 40;
        EXPECT_EQ(Text(name), text.substr(0, width)) << name;
    }
    EXPECT_EQ(g.Config.ScheduleString(), "L  08    ");
    EXPECT_EQ(sched->ScheduleText, "L  08    ");
    EXPECT_EQ(sched->SMSShed->ItemIndex(), 3);
    EXPECT_EQ(sched->RadioGroup1->ItemIndex(), 4);
    EXPECT_EQ(std::make_tuple(Enable(1)->isChecked(), Enable(2)->isChecked(), Enable(3)->isChecked(),
                              Enable(4)->isChecked()),
              std::make_tuple(false, true, false, false));
    EXPECT_EQ(Hour(2)->value(), 8);
    EXPECT_EQ(gprs->eSRateSB->value(), 7);
    EXPECT_EQ(Text("eSRate"), "7");
    EXPECT_EQ(g.Config.GprsLoggerPeriod(), lines);
    EXPECT_EQ(gprs->MaxErrorScrollBar->value(), 4);
    EXPECT_EQ(Text("MaxError"), "4");

    // Saving again changes nothing.
    g.SaveSetting1->trigger();
    EXPECT_EQ(ReadFile("KT4470.cfg"), file);
}

#ifdef KT_SIM_BINARY
// Written to the simulated module and read back into the edit.
TEST_F(PagesTest, ParameterRoundTripThroughTheSimulator) {
    sim::SimProcess simulator({"--mode", "module", "--link", (dir / "COM1").string()});
    ASSERT_FALSE(simulator.FirstLine().empty());
    auto& f = StartOnPty();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());
    f.PageControl1->setCurrentIndex(static_cast<int>(PageIndex::GprsFtp));
    SetText("APN", "apn.example x");
    Click("APNbtn");
    EXPECT_TRUE(ReplyShows("APN: apn.example")) << f.MemoSMSinput->Text();
    SetText("APN", "");  // the clearing form does not touch the edit: the read fills it
    gprs->ReadGPRS1->click();
    Click("APNbtn");
    EXPECT_TRUE(Until([&] { return Text("APN") == "apn.example"; })) << f.MemoSMSinput->Text();
}
#endif

}  // namespace
}  // namespace kt::test
