// The pages "IO control" and "Other": the bytes their buttons put on the line
// in direct mode, the output edits (changed only when a command left), the
// option string, the twins, and their settings across a save and a restart.
#include <QAbstractButton>
#include <QScrollBar>
#include <array>
#include <functional>

#include "gui/GuiSupport.h"
#include "pages/MainPage.h"
#include "pages/OtherPage.h"

namespace kt::test {
namespace {

using protocol::PageIndex;
using Outs = std::array<std::string, 8>;

constexpr const char* kInitial = "MPEDEDDDDEEDEDE";
const Outs kAllOff{"OFF", "OFF", "OFF", "OFF", "OFF", "OFF", "OFF", "OFF"};
const Outs kAllOn{"ON ", "ON ", "ON ", "ON ", "ON ", "ON ", "ON ", "ON "};

std::string N(const char* pattern, int k) {
    return app::NameOf(pattern, k);
}

// "name=value" entries of a table split at their first "=".
std::vector<std::pair<std::string, std::string>> Entries(std::initializer_list<std::string> entries) {
    std::vector<std::pair<std::string, std::string>> split;
    for (const std::string& e : entries)
        split.emplace_back(e.substr(0, e.find('=')), e.substr(e.find('=') + 1));
    return split;
}

class IOControlOtherTest : public PtyWindowTest {
  protected:
    void Started(app::TForm1& f) override {
        other = static_cast<app::OtherPage*>(f.PageAt(PageIndex::Other));
    }
    // Each entry "name=text": the control's text; "name=position" for ExpectPositions.
    void ExpectTexts(std::initializer_list<std::string> entries) {
        for (const auto& [name, text] : Entries(entries))
            EXPECT_EQ(Text(name), text) << name;
    }
    void ExpectPositions(std::initializer_list<std::string> entries) {
        for (const auto& [name, position] : Entries(entries))
            EXPECT_EQ(Value(name), std::stoi(position)) << name;
    }
    Outs Outputs() {
        Outs s;
        for (int k = 1; k <= 8; ++k)
            s[k - 1] = Text(N("Output%1", k));
        return s;
    }
    void SetOutputs(const Outs& s) {
        for (int k = 1; k <= 8; ++k)
            SetText(N("Output%1", k), s[k - 1]);
    }

    app::OtherPage* other = nullptr;
};

TEST_F(IOControlOtherTest, NamesAndStartState) {
    StartWithoutPort();
    const auto names = Entries({"Output1=Output 1 state",
                                "Output8=Output 8 state",
                                "OutputBin=Outputs 1 to 8",
                                "PulseDsb1=Output 1 pulse length",
                                "PulseD8=Output 8 pulse length value",
                                "SRateSB=Sample rate",
                                "DLoggerTmSB=Logger period",
                                "DLoggerTm=Logger period value",
                                "DFilterSBd=Digital Input Signal Filter",
                                "DFilterD=Digital Input Signal Filter value",
                                "TTimeout1SB=Temp. Timeout Filter",
                                "TTimeout1=Temp. Timeout Filter value",
                                "ATimeout1SB=Analog Timeout Filter",
                                "ATimeout1=Analog Timeout Filter value",
                                "DFilterSB=Digital Input Signal Filter",
                                "DFilter=Digital Input Signal Filter value",
                                "MinusMark=Minus Mark",
                                "PlusMark=Plus Mark",
                                "Button19=Write Restart Enable",
                                "RadioGroup2=Date/Time syncronization source"});
    for (const auto& [name, accessible] : names)
        EXPECT_EQ(AccessibleName(C(name)), accessible) << name;
    EXPECT_EQ(Text("oCheckBox3"), "Answer SMS for Setou and Rstou SMS command  enable (default enable) ");

    // Without a settings file every display edit shows its bar.
    ExpectTexts({"Output8=OFF", "OutputBin=00000000", "PulseD1=0", "SRate=0", "DLoggerTm=1", "DFilterD=0",
                 "TTimeout1=00", "ATimeout1=00", "DFilter=0", "StringStr1=" + std::string(kInitial)});
    // Every switch starts as its position in the string says, oCheckBox13 included.
    for (int k = 3; k <= 15; ++k)
        EXPECT_EQ(Value(N("oCheckBox%1", k)), kInitial[k - 1] == 'E') << k;
    EXPECT_EQ(Value("RadioGroup2"), 2);
}

// Clear, the framed command, the command in the monitor line, the reply to come shown.
TEST_F(IOControlOtherTest, RequestsGoFramedAfterClear) {
    auto& f = StartOnPty();
    const auto requests = Entries(
        {"GetInp1=GETIS01", "GetInp9=GETIS09", "GetInp12=GETIS12", "GetAllInput=GETIS00", "GetOut1=GETOS1",
         "GetOut8=GETOS8", "GetOutState=GETOS0", "SetPulse=SETTN0,1,00000000", "bSRate=SRATE0",
         "bDLperiod=DLPER1", "SetDtimeoutFilter=SETTF       0", "SetTimeoutFilter=SETTF,00,00,0"});
    for (const auto& [button, command] : requests) {
        SCOPED_TRACE(button);
        AfterPassThrough();
        Click(button);
        ExpectSent(command);
        EXPECT_EQ(f.MemoS->Text(), command + "\r\n");
        EXPECT_EQ(f.MemoSMSinput->Text(), "\r\n");
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }
    EXPECT_EQ(Outputs(), kAllOff);
}

// A command that never left switches no edit; one handed to the modem does.
TEST_F(IOControlOtherTest, OutputEditsChangeOnlyWhenTheCommandWasHandedOn) {
    auto& f = StartOnPty();
    app::MainPage* main = f.mainPage;
    const struct {
        const char* what;
        std::function<void()> setUp;
        bool handedOn;
    } cases[] = {
        {"direct mode", [] {}, true},
        {"SMS mode, submitted to the modem", [&] { main->SMSmode->setChecked(true); }, true},
        {"SMS mode, another modem exchange under way",
         [&] { main->SMSmode->setChecked(true), f.Engine().ModemBusy = true; }, false},
        {"SMS mode, no module number", [&] { main->SMSmode->setChecked(true), main->BRnumber->clear(); },
         false},
        {"port closed", [&] { f.CommPortDriver1.ClosePort(); }, false}};  // last: the port stays closed
    const struct {
        const char* button;
        const char* command;
        Outs before, after;
    } clicks[] = {{"SetOut2", "SETOU2", kAllOff, {"OFF", "ON ", "OFF", "OFF", "OFF", "OFF", "OFF", "OFF"}},
                  {"ResetOut5", "RSTOU5", kAllOn, {"ON ", "ON ", "ON ", "ON ", "OFF", "ON ", "ON ", "ON "}},
                  {"SetOutBin", "OUTP 11111111", kAllOff, kAllOn}};
    SetText("OutputBin", "11111111");
    for (const auto& c : cases) {
        for (const auto& k : clicks) {
            SCOPED_TRACE(std::string(c.what) + ", " + k.button);
            f.EndModemExchange();
            main->SMSmode->setChecked(false);
            main->BRnumber->setText("+359888123456");
            pty.ReadAll(20);
            SetOutputs(k.before);
            c.setUp();
            Click(k.button);
            EXPECT_EQ(Outputs(), c.handedOn ? k.after : k.before);
            EXPECT_EQ(f.MemoS->Line(0), k.command);  // shown as sent either way
            if (!c.handedOn) {
                EXPECT_EQ(pty.ReadAll(20), "");
            } else if (!main->SMSmode->isChecked()) {
                ExpectSent(k.command);
            }
        }
    }
}

// "OUTP" goes out as typed; "0" and "1" set their outputs, any other
// character and every output beyond a short text leave theirs.
TEST_F(IOControlOtherTest, ParallelOutputsFollowTheirCharacters) {
    StartOnPty();
    const Outs mixed{"ON ", "OFF", "ON ", "OFF", "ON ", "OFF", "ON ", "OFF"};
    const std::pair<std::string, Outs> cases[] = {
        {"10100000", {"ON ", "OFF", "ON ", "OFF", "OFF", "OFF", "OFF", "OFF"}},
        {"1x0", {"ON ", "OFF", "OFF", "OFF", "ON ", "OFF", "ON ", "OFF"}},
        {"", mixed},
        {"01", {"OFF", "ON ", "ON ", "OFF", "ON ", "OFF", "ON ", "OFF"}},
        {"a1b0c1d0", {"ON ", "ON ", "ON ", "OFF", "ON ", "ON ", "ON ", "OFF"}},
        {"111111110", kAllOn}};  // longer only when set by the program
    for (const auto& [bits, after] : cases) {
        SCOPED_TRACE(bits);
        SetOutputs(mixed);
        SetText("OutputBin", bits);
        Click("SetOutBin");
        ExpectSent("OUTP " + bits);
        EXPECT_EQ(Outputs(), after);
    }
}

// SETTN from loaded positions (the "GPRS, FTP" values of step 12 win over
// SampleRate, LoggerPeriod comes last), and the "WR" buttons run by name as
// the "GPRS, FTP" page runs them.
TEST_F(IOControlOtherTest, ParametersFromLoadedValues) {
    config::ConfigRecord rec;
    rec.SetSampleRate(3);
    const int pulses[8] = {1, 9, 0, 0, 4, 0, 0, 7};
    for (int k = 1; k <= 8; ++k)
        rec.SetPulseLength(k, pulses[k - 1]);
    rec.SetGprsSampleRate(5);
    rec.SetGprsLoggerPeriod(8);  // beyond this page's 1..6
    rec.SetLoggerPeriod(4);
    rec.SetDigitalFilter(6);
    rec.SetTempTimeout(7);
    rec.SetAnalogTimeout(150);  // limited to 99
    WriteSettings(rec);
    auto& f = StartOnPty();
    ExpectPositions({"SRateSB=5", "DLoggerTmSB=4", "DFilterSBd=6", "ATimeout1SB=99"});
    ExpectTexts({"SRate=5", "DLoggerTm=4", "PulseD1=2", "PulseD2=18", "PulseD3=0", "PulseD8=14", "DFilter=6",
                 "DFilterD=6", "TTimeout1=07", "ATimeout1=99"});

    Click("SetPulse");
    ExpectSent("SETTN5,4,19004007");
    EXPECT_TRUE(f.Controls().RunHandler("bSRateClick"));
    ExpectSent("SRATE5");
    EXPECT_TRUE(f.Controls().RunHandler("bDLperiodClick"));
    ExpectSent("DLPER4");
    Click("SetTimeoutFilter");
    ExpectSent("SETTF,07,99,6");
}

TEST_F(IOControlOtherTest, OptionStringSwitchesMarksSetAndGet) {
    auto& f = StartOnPty();
    // Each switch edits its own position only.
    for (int k = 3; k <= 15; ++k) {
        const std::string before = Text("StringStr1");
        for (int click = 0; click < 2; ++click) {
            Click(N("oCheckBox%1", k));
            std::string expected = before;
            expected[k - 1] = Value(N("oCheckBox%1", k)) ? 'E' : 'D';
            EXPECT_EQ(Text("StringStr1"), expected) << k;
        }
    }
    Click("oCheckBox13");  // on at start, as its position says
    EXPECT_EQ(Text("StringStr1"), "MPEDEDDDDEEDDDE");
    // A mark edit puts its character into its position; an emptied one leaves it.
    const std::pair<std::string, std::string> marks[] = {{"MinusMark=X", "XPEDEDDDDEEDDDE"},
                                                         {"PlusMark=Q", "XQEDEDDDDEEDDDE"},
                                                         {"MinusMark=", "XQEDEDDDDEEDDDE"}};
    for (const auto& [mark, string] : marks) {
        for (const auto& [edit, text] : Entries({mark}))
            SetText(edit, text);
        EXPECT_EQ(Text("StringStr1"), string) << mark;
    }

    // "SET" pads to 16, shows the padded string and remembers it; "GET" only reads.
    const std::pair<std::string, std::string> sets[] = {{kInitial, "MPEDEDDDDEEDEDE "},
                                                        {"", std::string(16, ' ')},
                                                        {"ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNOP"}};
    for (const auto& [string, padded] : sets) {
        SetText("StringStr1", string);
        f.Engine().RawMode = true;
        f.Engine().ReplyToShow = false;
        Click("SetOther");
        ExpectSent("SETMP " + padded);
        ExpectTexts({"StringStr1=" + padded, "MemoS=SETMP " + padded + "\r\n", "MemoSMSinput="});
        EXPECT_EQ(other->StoredOptions(), padded);
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }
    Click("oCheckBox4");  // changes the string, not what was sent
    Click("GetOther");
    ExpectSent("GETMP");
    ExpectTexts({"MemoS=GETMP\r\n", "StringStr1=ABCEEFGHIJKLMNOP"});
    EXPECT_EQ(other->StoredOptions(), "ABCDEFGHIJKLMNOP");
}

// The twins carry one value both ways, each bar's handler showing its own
// edit: so the logger period shown is the one SETTN and DLPER send, also
// when the twin's wider range goes past 6. The full and the digital filter
// forms share their columns.
TEST_F(IOControlOtherTest, TwinsAndTheFilterColumns) {
    StartOnPty();
    SetValue("TTimeout1SB", 5);
    SetValue("ATimeout1SB", 30);
    SetValue("DFilterSB", 2);
    ExpectTexts({"TTimeout1=05", "ATimeout1=30", "DFilter=2", "DFilterD=2"});
    Click("SetTimeoutFilter");
    const std::string full = Wire(Framed("SETTF,05,30,2").size());
    EXPECT_EQ(full, Framed("SETTF,05,30,2"));
    Click("SetDtimeoutFilter");
    const std::string digital = Wire(Framed("SETTF       2").size());
    EXPECT_EQ(digital, Framed("SETTF       2"));
    EXPECT_EQ(digital.substr(20, 5) + digital.substr(32), full.substr(20, 5) + full.substr(32));
    SetValue("DFilterSBd", 7);
    ExpectPositions({"DFilterSB=7"});
    ExpectTexts({"DFilter=7", "DFilterD=7"});

    QScrollBar* rate = C<QScrollBar>("eSRateSB");
    rate->setValue(7);
    ExpectTexts({"SRate=7", "eSRate=7"});
    SetValue("SRateSB", 2);
    EXPECT_EQ(rate->value(), 2);

    QScrollBar* lines = C<QScrollBar>("eDLoggerTmSB");
    const struct {
        bool twin;  // the bar moved: the "GPRS, FTP" one or this page's
        int to, logger, other;
    } moves[] = {{false, 3, 3, 3}, {true, 5, 5, 5}, {true, 8, 6, 6}, {true, 9, 6, 9},
                 {false, 2, 2, 2}, {true, 7, 6, 6}, {true, 8, 6, 8}};
    for (const auto& m : moves) {
        SCOPED_TRACE(std::to_string(m.twin) + " to " + std::to_string(m.to));
        m.twin ? lines->setValue(m.to) : SetValue("DLoggerTmSB", m.to);
        EXPECT_EQ(Value("DLoggerTmSB"), m.logger);
        EXPECT_EQ(lines->value(), m.other);
        EXPECT_EQ(Text("DLoggerTm"), std::to_string(m.logger));
        EXPECT_EQ(Text("eDLoggerTm"), std::to_string(m.other));
    }
    Click("SetPulse");
    ExpectSent("SETTN2,6,00000000");
    Click("bDLperiod");
    ExpectSent("DLPER6");
}

// Neither button clears the memos or sets ReplyToShow, but both leave
// pass-through mode first: after an unanswered AT command they go out framed.
TEST_F(IOControlOtherTest, DateTimeSourceAndRestartGoFramedAfterAPassThrough) {
    auto& f = StartOnPty();
    const struct {
        int source;
        bool restart;
        const char* button;
        const char* command;
    } cases[] = {{2, false, "Button1", "DTFTP3"},
                 {6, false, "Button1", "DTFTP7"},
                 {0, true, "Button19", "RSTEN1"},
                 {0, false, "Button19", "RSTEN0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        SetValue("RadioGroup2", c.source);
        SetValue("RestartEnable", c.restart);
        f.mainPage->Squality->click();  // no answer: pass-through mode stays on
        EXPECT_EQ(Wire(9), "  AT+CSQ\r");
        f.Engine().ReplyToShow = false;
        Click(c.button);
        ExpectSent(c.command);
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_FALSE(f.Engine().ReplyToShow);
        ExpectTexts({"MemoS=" + std::string(c.command) + "\r\n", "MemoSMSinput=\r\n"});
    }
}

TEST_F(IOControlOtherTest, SettingsSurviveSaveAndRestart) {
    config::ConfigRecord rec;
    rec.SetOtherFlags("XY");
    WriteSettings(rec);
    auto& f = StartWithoutPort();
    // The stored option string is padded at load, written back, not shown.
    EXPECT_EQ(f.Config.OtherFlags(), "XY" + std::string(14, ' '));
    EXPECT_EQ(Text("StringStr1"), kInitial);
    f.SaveSetting1Click();
    EXPECT_EQ(SavedRecord().OtherFlags(), "XY" + std::string(14, ' '));

    SetValue("DFilterSB", 7);
    SetValue("TTimeout1SB", 42);
    SetValue("ATimeout1SB", 3);
    SetValue("SRateSB", 4);
    for (int k = 1; k <= 8; ++k)
        SetValue(N("PulseDsb%1", k), k);
    SetValue("DLoggerTmSB", 5);
    Click("oCheckBox4");
    Click("SetOther");  // remembered even though the port is closed
    Click("oCheckBox6");
    f.SaveSetting1->trigger();
    const config::ConfigRecord saved = SavedRecord();
    EXPECT_EQ(std::make_tuple(saved.DigitalFilter(), saved.TempTimeout(), saved.AnalogTimeout(),
                              saved.SampleRate(), saved.LoggerPeriod(), saved.OtherFlags()),
              std::make_tuple(7, 42, 3, 4, 5, std::string("MPEEEDDDDEEDEDE ")));
    EXPECT_EQ(std::make_pair(saved.GprsSampleRate(), saved.GprsLoggerPeriod()),
              std::make_pair(4, 5));  // twins
    for (int k = 1; k <= 8; ++k)
        EXPECT_EQ(saved.PulseLength(k), k) << k;

    auto& g = StartWithoutPort();
    ExpectPositions({"DFilterSB=7", "DFilterSBd=7", "TTimeout1SB=42", "ATimeout1SB=3", "PulseDsb8=8",
                     "DLoggerTmSB=5", "eDLoggerTmSB=5", "SRateSB=4", "eSRateSB=4", "oCheckBox4=0"});
    ExpectTexts({"DFilter=7", "DFilterD=7", "TTimeout1=42", "ATimeout1=03", "PulseD1=2", "PulseD8=16",
                 "DLoggerTm=5", "SRate=4", "StringStr1=" + std::string(kInitial)});
    g.SaveSetting1Click();  // without "SET": the string as it was loaded
    EXPECT_EQ(SavedRecord().OtherFlags(), "MPEEEDDDDEEDEDE ");
}

}  // namespace
}  // namespace kt::test
