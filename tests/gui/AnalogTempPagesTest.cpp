// "Analog 1-8", "Analog 9-16" and "Temp/Counter": the bytes every button puts
// on a pseudo-terminal, the edits that follow their bars (loaded positions
// included), the twin timeout bars, the "sent" marks, and the alternate
// module layout.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>
#include <QtTest/QTest>
#include <map>

#include "gui/GuiSupport.h"
#include "pages/AnalogLevelsPage.h"
#include "pages/SmsSchedulePage.h"

namespace kt::test {
namespace {

using protocol::PageIndex;

class AnalogTempTest : public PtyWindowTest {
  protected:
    QColor Base(const std::string& name) { return C(name)->palette().color(QPalette::Base); }
    // The button's command went out framed and shows in the monitor memo.
    void ExpectSentAndShown(const std::string& command) {
        ExpectSent(command);
        EXPECT_EQ(form->MemoS->Text(), command + "\r\n");
    }
};

// The irregular edit names, the keyword and index of every input, and the
// two digits of both levels, for all 16 inputs.
TEST_F(AnalogTempTest, LevelButtonsOfAll16Inputs) {
    auto& f = StartOnPty();
    const char* const edits[16][2] = {
        {"Minlv1", "Maxlv1"},   {"MinLv2", "MaxLv2"},   {"MinLv3", "MaxLv3"},   {"MinLv4", "MaxLv4"},
        {"MinLv5", "MaxLv5"},   {"MinLv6", "MaxLv6"},   {"MinLv7", "MaxLv7"},   {"MinLv8", "MaxLv8"},
        {"Minlv9", "Maxlv9"},   {"Minlv10", "Maxlv10"}, {"Minlv11", "Maxlv11"}, {"Minlv12", "Maxlv12"},
        {"Minlv13", "Maxlv13"}, {"Minlv14", "Maxlv14"}, {"Minlv15", "Maxlv15"}, {"Minlv16", "Maxlv16"},
    };
    for (int n = 1; n <= 16; ++n) {
        SCOPED_TRACE(n);
        const std::string k = std::to_string(n);
        const auto g = app::LevelGroup(n);
        EXPECT_EQ(g.minEdit, edits[n - 1][0]);
        EXPECT_EQ(g.maxEdit, edits[n - 1][1]);
        QWidget* page = f.PageAt(n <= 8 ? PageIndex::Analog1to8 : PageIndex::Analog9to16);
        for (const char* name : {edits[n - 1][0], edits[n - 1][1]}) {
            ASSERT_NE(page->findChild<QLineEdit*>(name), nullptr) << name;
            EXPECT_TRUE(page->findChild<QLineEdit*>(name)->isReadOnly());
        }
        const int lo = n - 1, hi = 99 - 3 * n;  // one and two digits
        SetValue("ScrollBarMin" + k, lo);
        SetValue("ScrollBarMax" + k, hi);
        EXPECT_EQ(Text(edits[n - 1][0]), Two(lo));
        EXPECT_EQ(Text(edits[n - 1][1]), Two(hi));

        AfterPassThrough();
        Click("Level" + k + "Cmd");
        const std::string keyword = (n <= 8 ? "ANLEV" : "ANLEW") + std::to_string((n - 1) % 8 + 1) + ",";
        ExpectSentAndShown(keyword + Two(lo) + "," + Two(hi));
        EXPECT_EQ(f.MemoSMSinput->Text(), "\r\n");
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }
    // A minimum above the maximum goes out as it is; the bars end at 0 and 99.
    SetValue("ScrollBarMin11", 150);
    SetValue("ScrollBarMax11", -3);
    EXPECT_EQ(Text("Minlv11"), "99");
    EXPECT_EQ(Text("Maxlv11"), "00");
    Click("Level11Cmd");
    ExpectSentAndShown("ANLEW3,99,00");
}

// Bars to edits over their whole ranges: two digits for the analog levels,
// plain decimal for the temperatures and runtimes, four digits for the divider.
TEST_F(AnalogTempTest, EditsFollowTheirBarsOverTheWholeRanges) {
    StartOnPty();
    for (int v = 0; v <= 99; ++v) {
        SetValue("ScrollBarMax7", v);
        ASSERT_EQ(Text("MaxLv7"), Two(v));
    }
    for (int t = -99; t <= 149; ++t) {
        SetValue("ScrollBarT2min", t);
        ASSERT_EQ(Text("T2min"), std::to_string(t));
    }
    const std::pair<int, std::string> dividers[] = {{9, "0009"},    {10, "0010"},   {999, "0999"},
                                                    {1000, "1000"}, {9600, "9600"}, {0, "0000"}};
    for (const auto& [position, text] : dividers) {
        SetValue("ScrollBar1", position);
        EXPECT_EQ(Text("RTdivider"), text);
    }
    SetValue("ScrollBarRT2", 32000);
    EXPECT_EQ(Text("RT2"), "32000");
    SetValue("ScrollBarRT1", 40000);  // limited by the bar
    EXPECT_EQ(Text("RT1"), "32000");
}

TEST_F(AnalogTempTest, ModeDigitsMultipliersAndDividers) {
    auto& f = StartOnPty();
    const struct {
        std::array<int, 8> modes;
        std::string multipliers, dividers, command;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0}, "11111111", "11111111", "AMODE11111111,11111111,11111111"},
        {{0, 0, 0, 1, 0, 0, 0, 0}, "11111111", "11111111", "AMODE11121111,11111111,11111111"},
        {{1, 1, 1, 1, 1, 1, 1, 1}, "12345", "9,0", "AMODE22222222,12345,9,0"},
        {{-1, 0, -1, 1, -1, -1, -1, -1}, "", "", "AMODE01020000,,"},  // no item selected: "0"
    };
    // The typing limits as the window is defined; the empty record leaves the groups on item 0.
    EXPECT_EQ(Value("AMode5"), 0);
    EXPECT_EQ(qobject_cast<app::TEdit*>(C("AkoeffStr"))->MaxLength(), 8);
    EXPECT_EQ(qobject_cast<app::TEdit*>(C("ADividerStr"))->MaxLength(), 8);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        for (int n = 1; n <= 8; ++n)
            SetValue("AMode" + std::to_string(n), c.modes[static_cast<size_t>(n - 1)]);
        SetText("AkoeffStr", c.multipliers);
        SetText("ADividerStr", c.dividers);
        AfterPassThrough();
        Click("WriteAMode1");
        ExpectSentAndShown(c.command);
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }
}

// Each channel's "WR" sends its edit as typed; typing stops at the three
// characters the settings file keeps, so what is sent is what comes back.
TEST_F(AnalogTempTest, CorrectionsSendTheirEditAndTypingStopsAtThree) {
    auto& f = StartOnPty();
    for (int ch = 1; ch <= 8; ++ch) {
        SCOPED_TRACE(ch);
        SetText("MUX" + std::to_string(ch), std::to_string(100 + 11 * ch));
        AfterPassThrough();
        Click("Button" + std::to_string(10 + ch));
        ExpectSentAndShown("K20MA" + std::to_string(ch) + "," + std::to_string(100 + 11 * ch));
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }
    SetText("MUX3", "");
    Click("Button13");
    ExpectSentAndShown("K20MA3,");

    auto* mux = qobject_cast<QLineEdit*>(C("MUX1"));
    mux->clear();
    QTest::keyClicks(mux, "1234");
    EXPECT_EQ(mux->text().toStdString(), "123");
    Click("Button11");
    ExpectSentAndShown("K20MA1,123");
    f.SaveSetting1Click();
    StartOnPty();
    EXPECT_EQ(Text("MUX1"), "123");
    EXPECT_EQ(Text("MUX2"), "122");
}

// The filter buttons send their edit's two digits; the bar's twin on "Other"
// moves it and its edit.
TEST_F(AnalogTempTest, TimeoutFiltersAndTheirTwins) {
    auto& f = StartOnPty();
    const struct {
        const char *bar, *edit, *button, *twin, *prefix;
    } filters[] = {
        {"ATimeout1SBa", "ATimeout1a", "SetTimeoutAnalogFilter", "ATimeout1SB", "SETTF,,,,"},
        {"TTimeout1SBt", "TTimeout1t", "SetTtimeoutFilter", "TTimeout1SB", "SETTF,"},
    };
    for (const auto& r : filters) {
        SCOPED_TRACE(r.bar);
        EXPECT_EQ(Text(r.edit), "00");  // written at loading, though the bar did not move
        Click(r.button);
        ExpectSentAndShown(std::string(r.prefix) + "00 ");
        for (int v : {7, 42, 99}) {
            SetValue(r.bar, v);
            EXPECT_EQ(Text(r.edit), Two(v));
            AfterPassThrough();
            Click(r.button);
            ExpectSentAndShown(std::string(r.prefix) + Two(v) + " ");
            EXPECT_FALSE(f.Engine().RawMode);
        }

        // The twin on "Other" carries the value both ways.
        auto* twin = C<QAbstractSlider>(r.twin);
        auto* mine = C<QAbstractSlider>(r.bar);
        mine->setValue(3);
        EXPECT_EQ(twin->value(), 3);
        twin->setValue(58);
        EXPECT_EQ(mine->value(), 58);
        EXPECT_EQ(Text(r.edit), "58");
    }
}

// Buttons with a request of their own and those wired to the Main page's handlers.
TEST_F(AnalogTempTest, RequestButtons) {
    auto& f = StartOnPty();
    const std::pair<const char*, const char*> requests[] = {
        {"RefLevel", "GETAN1"}, {"Button3", "GETAN"}, {"Button29", "GETAN"}, {"Button4", "ANLEV0"},
        {"Button28", "ANLEV0"}, {"Button5", "GETTC"}, {"Button7", "GETCT"},  {"Button8", "CLRCT"},
    };
    for (const auto& [button, command] : requests) {
        SCOPED_TRACE(button);
        AfterPassThrough();
        Click(button);
        ExpectSentAndShown(command);
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
        EXPECT_EQ(f.MemoSMSinput->Text(), "\r\n");
    }
    // "Temp.Level" is never enabled; its handler is the Main page's.
    Click("Button6");
    EXPECT_EQ(pty.ReadAll(30), "");
    EXPECT_TRUE(f.Controls().RunHandler("Button6Click"));
    ExpectSentAndShown("TCLEV0");
}

TEST_F(AnalogTempTest, TemperatureLevelsAndTheirSentMarks) {
    auto& f = StartOnPty();
    const QColor ivory(255, 255, 245), lime(0, 255, 0), aqua(0, 255, 255);
    const struct {
        int input, minimum, maximum;
        std::string button, command;
    } cases[] = {
        {1, -99, 149, "TlevelCmd", "TCLEV1-099+149"}, {2, -5, 35, "TlevelCmd2", "TCLEV2-005+035"},
        {3, 0, 0, "TlevelCmd3", "TCLEV3+000+000"},    {1, -9, 9, "TlevelCmd", "TCLEV1-009+009"},
        {3, 25, -10, "TlevelCmd3", "TCLEV3+025-010"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const std::string t = "T" + std::to_string(c.input);
        SetValue("ScrollBar" + t + "min", c.minimum);
        SetValue("ScrollBar" + t + "max", c.maximum);
        EXPECT_EQ(Base(t + "max"), ivory);
        AfterPassThrough();
        Click(c.button);
        ExpectSentAndShown(c.command);
        EXPECT_TRUE(f.Engine().ReplyToShow);
        EXPECT_EQ(Base(t + "max"), lime);
        EXPECT_EQ(Base(t + "min"), aqua);
        f.PageControl1->setCurrentIndex(f.PageControl1->currentIndex() == 6 ? 5 : 6);
        EXPECT_EQ(Base(t + "max"), ivory);
        EXPECT_EQ(Base(t + "min"), ivory);
    }

    // A command that never went out (SMS mode, modem exchange under way) leaves no mark.
    SetValue("SMSmode", 1);
    f.Engine().ModemBusy = true;
    Click("TlevelCmd2");
    EXPECT_EQ(pty.ReadAll(30), "");
    EXPECT_EQ(Base("T2max"), ivory);
    EXPECT_EQ(Base("T2min"), ivory);
    EXPECT_EQ(f.MemoS->Text(), "TCLEV2-005+035\r\n");
}

TEST_F(AnalogTempTest, RuntimeLevelsAndSource) {
    auto& f = StartOnPty();
    const struct {
        int rt1, rt2;
        std::string command;
    } levels[] = {
        {240, 32000, "RTLEV 00240 32000"}, {0, 5, "RTLEV 00000 00005"}, {99999, -1, "RTLEV 32000 00000"}};
    for (const auto& l : levels) {
        SetValue("ScrollBarRT1", l.rt1);
        SetValue("ScrollBarRT2", l.rt2);
        AfterPassThrough();
        Click("RTlevelSend");
        ExpectSentAndShown(l.command);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }

    // The source commands clear RawMode (they never go out unframed) but
    // leave ReplyToShow as it was; DisplayOnMemo empties the reply memo.
    const struct {
        int input, source, divider;
        std::string typed, command;
    } sources[] = {
        {2, 2, 240, "", "RTMOD3I0240"},
        {0, 0, 4, "", "RTMOD1A0004"},
        {3, 1, 2400, "", "RTMOD4D2400"},
        {1, 0, 0, "12", "RTMOD2A12"},  // typed, sent as it stands
    };
    for (const auto& s : sources) {
        SCOPED_TRACE(s.command);
        SetValue("RTinputSource", s.input);
        SetValue("RTsource", s.source);
        SetValue("ScrollBar1", s.divider);
        if (!s.typed.empty()) SetText("RTdivider", s.typed);
        AfterPassThrough();
        Click("SetRTsource");
        ExpectSentAndShown(s.command);
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_FALSE(f.Engine().ReplyToShow);
        EXPECT_EQ(f.MemoSMSinput->Text(), "\r\n");
    }
    AfterPassThrough();
    Click("Button2");
    ExpectSentAndShown("RTMODR");
    EXPECT_FALSE(f.Engine().RawMode);
    EXPECT_FALSE(f.Engine().ReplyToShow);
}

// Both source groups run the SMS schedule page's handler, looked up by name
// when they are clicked: it rewrites the schedule's timeout positions from
// that page's controls ("other" with hour 1 off: two blanks).
TEST_F(AnalogTempTest, SourceGroupsRunTheScheduleHandler) {
    auto& f = StartOnPty();
    auto* schedule = qobject_cast<app::SmsSchedulePage*>(f.PageAt(PageIndex::SmsSchedule));
    ASSERT_NE(schedule, nullptr);
    schedule->RadioGroup1->SetItemIndex(4);
    SetValue("CheckBoxS1", 0);
    for (const char* group : {"RTsource", "RTinputSource"}) {
        SCOPED_TRACE(group);
        schedule->ScheduleText = "T4407    ";
        SetValue(group, 2);
        EXPECT_EQ(schedule->ScheduleText, "T  07    ");
        schedule->ScheduleText = "T4407    ";
        SetValue(group, 2);  // no change, no click
        EXPECT_EQ(schedule->ScheduleText, "T4407    ");
    }
    EXPECT_EQ(pty.ReadAll(30), "");
}

// The edits show the loaded positions, limited to the bars (the limits
// themselves, through loading and saving, are the settings test's), also
// where a bar stays at its start position; a stored zero goes out as two digits.
TEST_F(AnalogTempTest, EditsShowTheLoadedLimitedPositions) {
    config::ConfigRecord rec;
    rec.SetAnalogMin(1, 0);  // already the bars' position: no change handler runs
    rec.SetAnalogMax(1, 0);
    rec.SetAnalogMin(3, 150);
    rec.SetAnalogMax(3, 5);
    rec.SetAnalogMin(12, -5);
    rec.SetAnalogMax(16, 77);
    rec.SetTempMin(2, -200);
    rec.SetTempMax(3, 500);
    rec.SetTempMin(3, -7);
    WriteSettings(rec);
    StartOnPty();
    const std::map<std::string, std::string> texts = {
        {"Minlv1", "00"},  {"Maxlv1", "00"},  {"MinLv2", "00"}, {"MinLv3", "99"}, {"MaxLv3", "05"},
        {"Minlv12", "00"}, {"Maxlv16", "77"}, {"Minlv9", "00"}, {"T1min", "0"},   {"T1max", "0"},
        {"T2min", "-99"},  {"T2max", "0"},    {"T3max", "149"}, {"T3min", "-7"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(Text(name), text) << name;

    Click("Level1Cmd");
    ExpectSentAndShown("ANLEV1,00,00");
    Click("TlevelCmd");
    ExpectSentAndShown("TCLEV1+000+000");
}

// The alternate layout disables the controls of inputs 5..8, which Panel1
// lies over (the panels and the mode groups are the settings test's rows).
TEST_F(AnalogTempTest, AlternateLayoutOnAndOff) {
    config::ConfigRecord rec;
    rec.SetAlternateModule(true);
    WriteSettings(rec);
    auto& f = StartOnPty();
    const auto expectLayout = [&](bool on) {
        SCOPED_TRACE(on ? "alternate" : "default");
        QWidget* panel1 = C("Panel1");
        for (int n = 1; n <= 8; ++n) {
            const auto g = app::LevelGroup(n);
            const bool covered = n >= 5;
            for (const std::string& name : {g.group, g.minBar, g.maxBar, g.minEdit, g.maxEdit, g.button}) {
                EXPECT_EQ(C(name)->isEnabled(), !(on && covered)) << name;
                // Panel1 lies over the controls of inputs 5..8 only.
                EXPECT_EQ(panel1->geometry().contains(C(name)->geometry()), covered) << name;
            }
        }
        // Inputs 9..16 are never covered.
        EXPECT_TRUE(C("Level13Cmd")->isEnabled());
    };
    expectLayout(true);
    f.KTM447QD1Click();
    expectLayout(false);
    f.KTM447QD1Click();
    expectLayout(true);
}

// The names the issue gives.
TEST_F(AnalogTempTest, AccessibleNames) {
    StartWithoutPort();
    const std::map<std::string, std::string> names = {
        {"ScrollBarMin1", "Analog input 1 minimum"},
        {"ScrollBarMax16", "Analog input 16 maximum"},
        {"Minlv9", "Analog input 9 minimum value"},
        {"MaxLv5", "Analog input 5 maximum value"},
        {"Level12Cmd", "Write analog input 12 levels"},
        {"AnalogGroup14", "ANALOG INPUT 14"},
        {"AMode3", "Analog 3 / 11"},
        {"AkoeffStr", "Multiplier 1...5"},
        {"ADividerStr", "Divider  1..9,0"},
        {"WriteAMode1", "Write modes"},
        {"MUX1", "20 mA correction 1"},
        {"MUX8", "20 mA correction 8"},
        {"Button11", "Write 20 mA correction 1"},
        {"Button18", "Write 20 mA correction 8"},
        {"ATimeout1SBa", "Analog Timeout Filter"},
        {"ATimeout1a", "Analog Timeout Filter value"},
        {"SetTimeoutAnalogFilter", "Timeout Filter"},
        {"RefLevel", "Analog parameters"},
        {"Button3", "Read Analog"},
        {"Button29", "Read Analog"},
        {"Button4", "Analog Level"},
        {"Button28", "Analog Level"},
        {"ScrollBarT1min", "Temperature input 1 minimum"},
        {"ScrollBarT3max", "Temperature input 3 maximum"},
        {"T2min", "Temperature input 2 minimum value"},
        {"T3max", "Temperature input 3 maximum value"},
        {"TlevelCmd", "Write temperature input 1 levels"},
        {"TlevelCmd3", "Write temperature input 3 levels"},
        {"TempGroup2", "TEMPERATURE INPUT 2 (Smartec SMT160-30 / SMT172)"},
        {"TTimeout1SBt", "Temp. Timeout Filter"},
        {"TTimeout1t", "Temp. Timeout Filter value"},
        {"SetTtimeoutFilter", "Set Timeout Filter"},
        {"ScrollBarRT1", "Runtime 1 level"},
        {"ScrollBarRT2", "Runtime 2 level"},
        {"RTlevelSend", "Write runtime levels"},
        {"SetRTsource", "Write runtime source"},
        {"Button2", "Read runtime source"},
        {"RTinputSource", "RT source input"},
        {"RTsource", "RT source"},
        {"Button5", "Temperature"},
        {"Button6", "Temp.Level"},
        {"Button7", "Read Counters"},
        {"Button8", "Clear Counters"},
    };
    for (const auto& [name, accessible] : names)
        EXPECT_EQ(AccessibleName(C(name)), accessible) << name;
    const auto* mode = qobject_cast<app::TRadioGroup*>(C("AMode3"));
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->Item(0)->text().toStdString(), "5,10V,20mA");
    EXPECT_EQ(mode->Item(1)->text().toStdString(), "4-20mA");
}

}  // namespace
}  // namespace kt::test
