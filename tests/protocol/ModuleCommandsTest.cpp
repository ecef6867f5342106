// The module commands of the configuration pages: values in, exact text out.
#include "protocol/ModuleCommands.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kt::test {
namespace {

using namespace kt::protocol::cmd;

struct Case {
    std::string got;
    std::string want;
};

void ExpectAll(const std::vector<Case>& cases) {
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(ModuleCommandsTest, AlarmNumbersAndPhoneBook) {
    const std::pair<const char*, bool> numbers[] = {
        {"+12345678", true}, {"12+3", true}, {"1+2", false}, {"12", false},
        {"1a3", false},      {"", false},    {"+1+", true},  {"a12", false},
    };
    for (const auto& [n, ok] : numbers)
        EXPECT_EQ(AlarmNumberValid(n), ok) << n;
    EXPECT_EQ(SetAlarmNumber(3, "+12345678"), "SETNN3,+12345678");
    EXPECT_EQ(SetAlarmNumber(3, "+1x"), std::nullopt);
    EXPECT_EQ(SetAlarmNumber(7, "123456789012345678901234"), "SETNN7,12345678901234567890");
    ExpectAll({{ReadAlarmNumber(1), "GETNR1"}, {ClearAlarmNumber(7), "CLRNR7"}});

    struct PB {
        int slot;
        const char* entry;
        std::optional<std::string> command;
        const char* after;
    };
    const PB book[] = {
        {1, "", "SETPB1 +99", "+99"},                    // the module's form for slot 1
        {4, "", "SETPB4,+99", "+99"},                    //
        {2, "+4917 12", "SETPB2,+4917 12", "+4917 12"},  // sent whole
        {5, "0x12", std::nullopt, "0x12"},               // a typo is kept, not erased
        {6, "+", std::nullopt, "+"},
    };
    for (const PB& c : book) {
        const PhoneBookWrite w = SetPhoneBookEntry(c.slot, c.entry);
        EXPECT_EQ(w.command, c.command) << c.entry;
        EXPECT_EQ(w.entry, c.after) << c.entry;
    }
    EXPECT_EQ(ReadPhoneBook().command, "  GETPB");
    EXPECT_EQ(ReadPhoneBook().display, "GETPB");
}

TEST(ModuleCommandsTest, MaskDigitsBoxesAndSetme) {
    const int hex[][4] = {// bit, digit, after check, after uncheck
                          {1, 0xF, 0xF, 0xE},
                          {8, 0x7, 0xF, 0x7},
                          {4, 0x0, 0x4, 0x0},
                          {3, 0x5, 0x5, 0x5}};
    for (const auto& h : hex) {
        EXPECT_EQ(HEXfromCheckBox(h[0], h[1]), h[2]);
        EXPECT_EQ(HEXfromUnCheckBox(h[0], h[1]), h[3]);
    }
    // FFF, clear column 1 row 1, then column 4 row 3.
    MaskState t{"FFF", "FFF"};
    t = MaskBitClick(t, 1, 1, false, false);
    EXPECT_EQ(t.mask, "EFF");
    EXPECT_EQ(MaskBitClick(t, 3, 4, false, false).mask, "EF7");
    // A disabled row is edited through its saved digit.
    MaskState a{"FFFFFFFF", "FFFFFFFF"};
    a = MaskDisableClick(a, 1, true);
    EXPECT_EQ(a.mask, "-FFFFFFF");
    a = MaskBitClick(a, 1, 2, false, true);
    EXPECT_EQ(a.mask, "-FFFFFFF");
    EXPECT_EQ(a.saved[0], 'D');
    EXPECT_EQ(MaskDisableClick(a, 1, false).mask, "DFFFFFFF");
    // A row loaded as '-' comes back as '0'; a click past a short mask stays inside it.
    EXPECT_EQ(MaskDisableClick({"-00", "-00"}, 1, false).mask, "000");
    EXPECT_EQ(MaskBitClick({"F", "F"}, 3, 2, true, false).mask, "F-2");

    ExpectAll({{NormaliseMask("F-F", 3), "F-F"},
               {NormaliseMask("aF", 3), "-F-"},
               {NormaliseMask("0123456789ABCDEF", 12), "0123456789AB"},
               {NormaliseMask("12 4x", 8), "12-4----"},
               {LoadMask(MaskGroup::Temp, ""), "---"},
               {LoadMask(MaskGroup::Analog, ""), "--------"},
               {LoadMask(MaskGroup::Digital, ""), "000000000000"},
               {LoadMask(MaskGroup::Digital, "1"), "1-----------"},
               {SetMasks("FFF", "FFFFFFFF", "FFFFFFFFFFFF"), "SETME,FFF,,FFFFFFFF,FFFFFFFFFFFF"},
               {SetMasks("F-F", "FFFFFFFF", "FFFFFFFFFFF-"), "SETME,F-F,,FFFFFFFF,FFFFFFFFFFF-"}});

    const std::pair<char, MaskRowBoxes> chars[] = {
        {'0', {{false, false, false, false}, false}}, {'5', {{true, false, true, false}, false}},
        {'A', {{false, true, false, true}, false}},   {'F', {{true, true, true, true}, false}},
        {'-', {{false, false, false, false}, true}},  {'a', {{false, false, false, false}, true}},
    };
    for (const auto& [c, want] : chars) {
        EXPECT_EQ(DecodeMaskChar(c).alarm, want.alarm) << c;
        EXPECT_EQ(DecodeMaskChar(c).disabled, want.disabled) << c;
    }
}

TEST(ModuleCommandsTest, TextSlots) {
    const ShownCommand ext = WriteText(TextBank::External, 1, "Temperature 1 < MINIMUM ");
    const ShownCommand ctl = WriteText(TextBank::Internal, 12, "Door\r\nX\t");
    ExpectAll({{ReadText(TextBank::External, 5), "GETTX05 "},
               {ReadText(TextBank::Internal, 70), "GETTI70 "},
               {ext.command, "SETTX01 Temperature 1 < MINIMUM "},
               {ext.display, "SETTX01,Temperature 1 < MINIMUM "},
               {WriteText(TextBank::Internal, 5, "").command, "SETTI05 "},
               {ctl.command, "SETTI12 Door  X "},
               {ctl.display, "SETTI12,Door  X "}});
    const std::pair<const char*, int> replies[] = {{"05: Door", 5}, {"97: x", 97}, {"1:", -1},
                                                   {"0A: x", -1},   {"5", -1},     {"", -1}};
    for (const auto& [r, n] : replies)
        EXPECT_EQ(ReplySlotNumber(r), n) << r;
}

TEST(ModuleCommandsTest, AnalogInputs) {
    for (int input = 1; input <= 16; ++input)
        EXPECT_EQ(AnalogLevelKeyword(input),
                  std::string(input <= 8 ? "ANLEV" : "ANLEW") + std::to_string((input - 1) % 8 + 1) + ",");
    for (int v = 0; v <= 99; ++v) {
        char want[4];
        std::snprintf(want, sizeof want, "%02d", v);
        EXPECT_EQ(TwoDigits(v), want);
    }
    ExpectAll(
        {{AnalogLevels(3, 5, 80), "ANLEV3,05,80"},
         {AnalogLevels(11, 5, 80), "ANLEW3,05,80"},
         {AnalogLevels(1, 90, 10), "ANLEV1,90,10"},
         {AnalogModes({0, 0, 0, 1, 0, 0, 0, 0}, "11111111", "11111111"), "AMODE11121111,11111111,11111111"},
         {AnalogModes({-1, 0, 0, 0, 0, 0, 0, 1}, "", "9"), "AMODE01111112,,9"},
         {Correction20mA(3, ""), "K20MA3,"},
         {Correction20mA(1, "1234"), "K20MA1,1234"},
         {std::string(kReadAnalogParameters), "GETAN1"}});
}

TEST(ModuleCommandsTest, TemperatureAndRuntime) {
    for (int t = -99; t <= 149; ++t) {
        char want[16];
        std::snprintf(want, sizeof want, "%c%03d", t < 0 ? '-' : '+', t < 0 ? -t : t);
        EXPECT_EQ(SignedLevel(t), want) << t;
    }
    ExpectAll({{TempLevels(1, -99, 149), "TCLEV1-099+149"},
               {TempLevels(2, -5, 35), "TCLEV2-005+035"},
               {TempLevels(3, 0, 0), "TCLEV3+000+000"},
               {RuntimeLevels(240, 32000), "RTLEV 00240 32000"},
               {RuntimeLevels(0, 5), "RTLEV 00000 00005"},
               {RuntimeDivider(9), "0009"},
               {RuntimeDivider(10), "0010"},
               {RuntimeDivider(999), "0999"},
               {RuntimeDivider(9600), "9600"},
               {RuntimeSource(2, 2, "0240"), "RTMOD3I0240"},
               {RuntimeSource(0, 1, ""), "RTMOD1D"},
               {RuntimeSource(3, 0, "12"), "RTMOD4A12"}});
}

TEST(ModuleCommandsTest, OutputsAndInputs) {
    ExpectAll({{SetOutput(3), "SETOU3"},
               {ResetOutput(8), "RSTOU8"},
               {ReadOutput(8), "GETOS8"},
               {ReadOutput(0), "GETOS0"},
               {ReadInput(9), "GETIS09"},
               {ReadInput(12), "GETIS12"},
               {ReadInput(0), "GETIS00"},
               {OutputsParallel("10100000"), "OUTP 10100000"},
               {OutputsParallel(""), "OUTP "},
               {Parameters(0, 1, {}), "SETTN0,1,00000000"},
               {Parameters(3, 6, {1, 9, 0, 0, 0, 0, 0, 7}), "SETTN3,6,19000007"},
               {SampleRate(3), "SRATE3"},
               {LoggerPeriod(4), "DLPER4"}});
    const OutputStates before{"OFF", "X", "ON ", "a", "b", "c", "d", "e"};
    EXPECT_EQ(OutputStatesAfter(before, "1x0"), (OutputStates{"ON ", "X", "OFF", "a", "b", "c", "d", "e"}));
    EXPECT_EQ(OutputStatesAfter(before, ""), before);
    EXPECT_EQ(OutputStatesAfter(before, "0000000011"),
              (OutputStates{"OFF", "OFF", "OFF", "OFF", "OFF", "OFF", "OFF", "OFF"}));
}

TEST(ModuleCommandsTest, TimeoutFilterFormsShareTheirColumns) {
    ExpectAll({{TimeoutField("7"), "07"},
               {TimeoutField("0"), "00"},
               {TimeoutField("42"), "42"},
               {TimeoutField("4x"), "04"},
               {TempTimeoutFilter("07"), "SETTF,07 "},
               {AnalogTimeoutFilter("07"), "SETTF,,,,07 "},
               {DigitalFilter(5), "SETTF       5"},
               {TimeoutFilters(5, 30, 2), "SETTF,05,30,2"},
               {TimeoutFilters(0, 99, 9), "SETTF,00,99,9"}});
    // Temperature in columns 7-8, analog in 10-11, digital from 13.
    const std::string full = TimeoutFilters(12, 34, 5);
    EXPECT_EQ(TempTimeoutFilter("12").substr(6, 2), full.substr(6, 2));
    EXPECT_EQ(AnalogTimeoutFilter("34").substr(9, 2), full.substr(9, 2));
    EXPECT_EQ(DigitalFilter(5).substr(12), full.substr(12));
}

TEST(ModuleCommandsTest, OptionString) {
    const OptionsWrite initial = SetOptions(kInitialOptions);
    ExpectAll({{SetOptionSwitch(kInitialOptions, 3, false), "MPDDEDDDDEEDEDE"},
               {SetOptionSwitch(kInitialOptions, 13, false), "MPEDEDDDDEEDDDE"},
               {SetOptionSwitch("MP", 5, true), "MP  E"},
               {SetOptionMark(kInitialOptions, 1, "X"), "XPEDEDDDDEEDEDE"},
               {SetOptionMark(kInitialOptions, 2, ""), "MPEDEDDDDEEDEDE"},
               {initial.options, "MPEDEDDDDEEDEDE "},
               {initial.command, "SETMP MPEDEDDDDEEDEDE "},
               {SetOptions("MPEDEDDDDEEDEDE Z").command, "SETMP MPEDEDDDDEEDEDE "},
               {DateTimeSource(2), "DTFTP3"},
               {DateTimeSource(6), "DTFTP7"},
               {RestartEnable(true), "RSTEN1"},
               {RestartEnable(false), "RSTEN0"}});
}

TEST(ModuleCommandsTest, GprsParameters) {
    struct P {
        size_t row;
        const char* edit;
        const char* command;
        const char* display;
        const char* after;
    };
    const P cases[] = {
        {1, "user 1", "SETID user", "SETID,user", "user"},
        {0, "internet x", "SETAP internet", "SETAP,internet", "internet"},
        {0, "", "SETAP    ", "SETAP    ", ""},
        {0, " \r", "SETAP    ", "SETAP    ", " \r"},  // the clearing form leaves the edit
        {0, " internet", "SETAP internet", "SETAP,internet", "internet"},
        {2, "", "SETPW ", "SETPW,", ""},
        {2, " s3cret", "SETPW s3cret", "SETPW,s3cret", "s3cret"},  // a leading blank no longer clears it
        {6, "pw\r\nGETST", "SETPF pw", "SETPF,pw", "pw"},
        {8, "", "SETRH,   ", "SETRH,   ", "   "},
        {8, "   ", "SETRH,   ", "SETRH,   ", "   "},
        {8, "host.example x", "SETRH,host.example", "SETRH,host.example", "host.example"},
        {7, "IMEI", "SETDN IMEI", "SETDN,IMEI", "IMEI"},
    };
    for (const P& c : cases) {
        const ParameterWrite w = WriteParameter(kGprsParameters[c.row], c.edit);
        EXPECT_EQ(w.command, c.command) << c.row << " " << c.edit;
        EXPECT_EQ(w.display, c.display) << c.row << " " << c.edit;
        EXPECT_EQ(w.edit, c.after) << c.row << " " << c.edit;
    }
    ExpectAll({{MaxErrorLevel(4), "ESKTD04"}, {MaxErrorLevel(15), "ESKTD15"}});
}

TEST(ModuleCommandsTest, ScheduleEditsAndSet) {
    const std::string blank(9, ' ');
    // Controls: type, timeout, the four boxes, the four track bars.
    const ScheduleControls hours{0, 0, {true, false, true, false}, {5, 0, 23, 0}};
    const ScheduleControls other{0, 4, {true, false, true, false}, {5, 0, 23, 0}};
    const ScheduleControls otherOff{0, 4, {false, false, true, false}, {5, 0, 23, 0}};
    const ScheduleControls tenMinutes{0, 1, {}, {}};
    ExpectAll({{ScheduleTypeEdit("", 2), ""},
               {ScheduleTypeEdit("A33      ", 2), "T33      "},
               {ScheduleTypeEdit("A33      ", 4), " 33      "},
               {ScheduleTypeEdit("A", 1), "C        "},  // a short text is filled first
               {ScheduleTimeoutEdit("", tenMinutes), ""},
               {ScheduleTimeoutEdit("A33      ", tenMinutes), "A44      "},
               {ScheduleTimeoutEdit("A33      ", otherOff), "A        "},  // "other" sends no interval
               {ScheduleTimeoutEdit("A33      ", other), "A05      "},
               {ScheduleHourEdit("A33      ", 3, hours), "A33  23  "},
               {ScheduleHourEdit("A33      ", 2, hours), "A33      "},  // box 2 is off
               {ScheduleHourEdit("A33      ", 1, hours), "A33      "},  // the interval code stays
               {ScheduleHourEdit("A        ", 1, other), "A05      "},
               {ScheduleHourEdit("", 3, hours), ""},
               {ScheduleHourOff("A33  23  ", 3, hours), "A33      "},
               {ScheduleHourOff("A33  23  ", 1, hours), "A33  23  "},
               {ScheduleHourOff("A05  23  ", 1, other), "A    23  "},
               {ScheduleHourOff("A33", 2, hours), "A33      "}});

    struct S {
        std::string text;
        ScheduleControls c;
        std::string sent;
    };
    const S sets[] = {
        {"", {0, 0, {}, {}}, "A33      "},
        {"T33120600", {4, 0, {true, true, true, true}, {1, 2, 3, 4}}, blank},
        {"", {2, 1, {false, true, false, false}, {0, 7, 0, 0}}, "T4407    "},
        {"", {1, 4, {true, false, false, false}, {5, 0, 0, 0}}, "C05      "},
        {"A33      ", {1, 4, {false, false, false, false}, {5, 0, 0, 0}}, "C        "},
        {"A331206", {0, 0, {false, false, false, true}, {0, 0, 0, 9}}, "A33120609"},
    };
    for (const S& s : sets) {
        const ScheduleWrite w = FinishSchedule(s.text, s.c);
        EXPECT_EQ(w.text, s.sent) << s.text;
        EXPECT_EQ(w.command, "SETSH," + s.sent) << s.text;
    }
}

TEST(ModuleCommandsTest, StoredScheduleDecoding) {
    using Hours = std::array<std::optional<int>, 4>;
    struct D {
        const char* stored;
        int type;
        std::optional<int> timeout;
        Hours hours;
    };
    const D cases[] = {
        {"T33120600", 2, 0, {0, 12, 6, 0}},
        {"", 4, 4, {}},
        // A code whose digits differ leaves the group alone; a code checks hour 1 at 0.
        {"A45", 0, std::nullopt, {0, std::nullopt, std::nullopt, std::nullopt}},
        {"C6", 1, std::nullopt, {}},  // short: blanks, the hours are switched off
        {"X  07 2399", 4, 4, {std::nullopt, 7, std::nullopt, 23}},
        {"L2530", 3, 4, {0, 23, std::nullopt, std::nullopt}},  // 25 is no first hour; bars end at 23
    };
    for (const D& d : cases) {
        const ScheduleView v = DecodeSchedule(d.stored);
        EXPECT_EQ(v.type, d.type) << d.stored;
        EXPECT_EQ(v.timeout, d.timeout) << d.stored;
        EXPECT_EQ(v.hours, d.hours) << d.stored;
    }
    ExpectAll({{LoadSchedule(""), ""},
               {LoadSchedule("C66"), "C66      "},
               {LoadSchedule("T3312060012"), "T33120600"}});
}

}  // namespace
}  // namespace kt::test
