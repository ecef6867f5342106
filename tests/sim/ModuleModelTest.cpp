// The module model: every write followed by its read gives the value back in
// the form the terminal's own reply parser reads.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ModuleModel.h"
#include "protocol/Engine.h"
#include "serial/CommPortDriver.h"
#include "support/FakeWindow.h"

namespace kt::sim {
namespace {

using Values = std::vector<protocol::ControlValue>;

// Fixed-width blanks as the terminal's sender adds them.
std::string AsSent(std::string command) {
    const std::string key = command.substr(0, 5);
    if ((key == "SETTX" || key == "GETTX") && command.size() < 48)
        command += std::string(std::min<size_t>(48 - command.size(), 32), ' ');
    if ((key == "SETTI" || key == "GETTI") && command.size() < 23)
        command += std::string(23 - command.size(), ' ');
    return command;
}

std::chrono::system_clock::time_point FixedNow() {
    return std::chrono::system_clock::from_time_t(1796677200);  // 2026-12-07
}

class ModuleReplies : public ::testing::Test {
  protected:
    std::string Send(const std::string& command) { return module.Command(AsSent(command)); }

    // The answer shown while the given page is active.
    Values Read(int page, const std::string& command) {
        win.page = page;
        eng.LastReply = Send(command);
        eng.ReplyToShow = true;
        return eng.PageReplyParser();
    }

    ModuleModel module{FixedNow};
    serial::TCommPortDriver port;
    test::FakeWindow win;
    test::FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
};

constexpr int kAbonents = 1, kExternal = 2, kInternal = 3, kIoNames = 4, kGprs = 10;

TEST_F(ModuleReplies, AlarmNumbersWriteReadAndClear) {
    EXPECT_EQ(Read(kAbonents, "SETNN3,+12345678"), (Values{{"NNumber3", "+12345678"}}));
    EXPECT_EQ(Read(kAbonents, "GETNR3"), (Values{{"NNumber3", "+12345678"}}));
    EXPECT_EQ(Read(kAbonents, "SETNN7,004917012345678901234"), Values{}) << "longer than 20 characters";
    EXPECT_EQ(Send("SETNN7,004917012345678901234"), "ERROR\r\n");
    EXPECT_EQ(Read(kAbonents, "SETNN7,12+3456"), (Values{{"NNumber7", "12+3456"}}));
    EXPECT_EQ(Read(kAbonents, "CLRNR3"), (Values{{"NNumber3", ""}}));
    EXPECT_EQ(Read(kAbonents, "GETNR3"), (Values{{"NNumber3", ""}}));
    EXPECT_EQ(Read(kAbonents, "GETNR7"), (Values{{"NNumber7", "12+3456"}}));
    EXPECT_EQ(Send("GETNR8"), "ERROR\r\n");
    EXPECT_EQ(Send("GETNR0"), "ERROR\r\n");
}

TEST_F(ModuleReplies, PhoneBookListingFillsEverySlot) {
    Send("SETPB1 +99");  // the placeholder of slot 1 goes out with a blank
    Send("SETPB4,+4917012345");
    Send("SETPB7,+99");
    const Values v = Read(kAbonents, "  GETPB");
    EXPECT_EQ(v, (Values{{"PBnr1", "+99"},
                         {"PBnr2", ""},
                         {"PBnr3", ""},
                         {"PBnr4", "+4917012345"},
                         {"PBnr5", ""},
                         {"PBnr6", ""},
                         {"PBnr7", "+99"}}));
    // A write answers with the whole listing, so the page shows it at once.
    EXPECT_EQ(Read(kAbonents, "SETPB2,+111"), (Values{{"PBnr1", "+99"},
                                                      {"PBnr2", "+111"},
                                                      {"PBnr3", ""},
                                                      {"PBnr4", "+4917012345"},
                                                      {"PBnr5", ""},
                                                      {"PBnr6", ""},
                                                      {"PBnr7", "+99"}}));
    EXPECT_EQ(Send("SETPB8,+1"), "ERROR\r\n");
}

TEST_F(ModuleReplies, ExternalTextsKeepTheirSlotAndThirtyTwoCharacters) {
    EXPECT_EQ(Read(kExternal, "SETTX05 Pump failure"), (Values{{"TXTSMS5", "Pump failure"}}));
    EXPECT_EQ(Read(kExternal, "GETTX05 "), (Values{{"TXTSMS5", "Pump failure"}}));
    const std::string full(32, 'x');
    EXPECT_EQ(Read(kExternal, "SETTX57 " + full), (Values{{"TXTSMS57", full}}));
    EXPECT_EQ(Read(kExternal, "GETTX57 "), (Values{{"TXTSMS57", full}}));
    // Factory text of slot 34: input 1 going from 0 to 1.
    EXPECT_EQ(Read(kExternal, "GETTX34 "), (Values{{"TXTSMS34", "Event INP1 0-1"}}));
    EXPECT_EQ(Send("GETTX58 "), "ERROR\r\n");
    EXPECT_EQ(Send("GETTX00 "), "ERROR\r\n");
}

TEST_F(ModuleReplies, InternalTextsAndIoNamesShareOneNumbering) {
    EXPECT_EQ(Read(kInternal, "SETTI05 F SETOU1"), (Values{{"iTXTSMS5", "F SETOU1"}}));
    EXPECT_EQ(Read(kInternal, "GETTI05 "), (Values{{"iTXTSMS5", "F SETOU1"}}));
    EXPECT_EQ(Read(kIoNames, "GETTI70 "), (Values{{"iTXTSMS70", "INP1 0"}}));
    EXPECT_EQ(Read(kIoNames, "SETTI97 Valve shut"), (Values{{"iTXTSMS97", "Valve shut"}}));
    EXPECT_EQ(Read(kIoNames, "SETTI58 123456789012345678"), (Values{{"iTXTSMS58", "123456789012345"}}));
    EXPECT_EQ(Read(kInternal, "SETTI06 "), (Values{{"iTXTSMS6", ""}})) << "an empty text clears the slot";
    EXPECT_EQ(Send("GETTI98 "), "ERROR\r\n");
}

TEST_F(ModuleReplies, GprsFtpAndHttpParametersComeBackByKey) {
    struct Row {
        const char* write;
        const char* read;
        const char* edit;
        const char* value;
    };
    const Row rows[] = {
        {"SETAP web.apn", "GETAP ", "APN", "web.apn"},
        {"SETID user", "GETID ", "UserID", "user"},
        {"SETPW secret", "GETPW ", "Password", "secret"},
        {"SETIP 10.1.2.3", "GETIP ", "IPaddress", "10.1.2.3"},
        {"SETFT ftp.example.org", "GETFT ", "FTPHostName", "ftp.example.org"},
        {"SETAF ftpuser", "GETAF ", "UserNameFTP", "ftpuser"},
        {"SETPF ftppass", "GETPF ", "PasswordFTP", "ftppass"},
        {"SETDN logs", "GETDN ", "DirName", "logs"},
        {"SETRH,www.example.org", "GETRH ", "HTTPhostName", "www.example.org"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Read(kGprs, r.write), (Values{{r.edit, r.value}})) << r.write;
        EXPECT_EQ(Read(kGprs, r.read), (Values{{r.edit, r.value}})) << r.read;
    }
    // Emptied values as the page sends them.
    EXPECT_EQ(Read(kGprs, "SETAP    "), (Values{{"APN", ""}}));
    EXPECT_EQ(Read(kGprs, "SETRH,   "), (Values{{"HTTPhostName", ""}}));
    EXPECT_EQ(Read(kGprs, "SETPW "), (Values{{"Password", ""}}));
    EXPECT_EQ(Send("SETRH www.example.org"), "ERROR\r\n") << "the HTTP host takes a comma";
}

TEST_F(ModuleReplies, AnalogAndTemperatureLevelsAreListed) {
    EXPECT_EQ(Send("ANLEV3,05,80"), "ANLEV3: 05-80\r\n");
    EXPECT_EQ(Send("ANLEW3,07,90"), "ANLEV11: 07-90\r\n");
    EXPECT_EQ(module.State().analogMin[2], 5);
    EXPECT_EQ(module.State().analogMax[10], 90);
    const std::string list = Send("ANLEV0");
    EXPECT_NE(list.find(" 3=05-80 "), std::string::npos) << list;
    EXPECT_NE(list.find(" 11=07-90 "), std::string::npos) << list;
    EXPECT_LE(list.size(), 160u) << "must fit one SMS";

    EXPECT_EQ(Send("TCLEV2-005+035"), "TCLEV2: -005+035\r\n");
    EXPECT_EQ(Send("TCLEV1-099+149"), "TCLEV1: -099+149\r\n");
    EXPECT_NE(Send("TCLEV0").find("2=-005+035"), std::string::npos);
    for (const char* bad :
         {"ANLEV9,05,80", "ANLEV3,5,80", "TCLEV4+000+000", "TCLEV1+150+000", "TCLEV1+00+000"})
        EXPECT_EQ(Send(bad), "ERROR\r\n") << bad;
}

TEST_F(ModuleReplies, TimeoutFilterFormsSetOnlyTheirColumns) {
    EXPECT_EQ(Send("SETTF,05,30,2"), "TF: T 05 A 30 D 2\r\n");
    EXPECT_EQ(Send("SETTF,07 "), "TF: T 07 A 30 D 2\r\n");
    EXPECT_EQ(Send("SETTF,,,,42 "), "TF: T 07 A 42 D 2\r\n");
    EXPECT_EQ(Send("SETTF       5"), "TF: T 07 A 42 D 5\r\n");
    EXPECT_EQ(Send("SETTF,,,,,,,"), "ERROR\r\n");
}

TEST_F(ModuleReplies, OutputsAnswerWithTheirStateNames) {
    EXPECT_EQ(Send("SETOU3"), "OUT3 1\r\n");
    EXPECT_EQ(Send("GETOS3"), "OUT3 1\r\n");
    EXPECT_EQ(Send("RSTOU3"), "OUT3 0\r\n");
    Send("SETTI90 Lamp off");
    EXPECT_EQ(Send("GETOS1"), "Lamp off\r\n");
    EXPECT_EQ(Send("OUTP 1x0"), "OUTP 10000000\r\n");
    EXPECT_EQ(Send("GETOS0"), "OUT1 1 OUT2 0 OUT3 0 OUT4 0 OUT5 0 OUT6 0 OUT7 0 OUT8 0\r\n");
    EXPECT_EQ(Send("OUTP "), "OUTP 10000000\r\n");
    EXPECT_EQ(Send("GETIS01"), "INP1 1\r\n");
    EXPECT_EQ(Send("GETIS02"), "INP2 0\r\n");
    EXPECT_EQ(Send("GETIS00").substr(0, 14), "INP1 1 INP2 0 ");
    EXPECT_EQ(Send("SETOU9"), "ERROR\r\n");
    EXPECT_EQ(Send("GETIS13"), "ERROR\r\n");
}

TEST_F(ModuleReplies, SettingStringsKeepTheirFixedWidth) {
    EXPECT_EQ(Send("SETMP MPDDEDDDDEEDEDE "), "MP: MPDDEDDDDEEDEDE \r\n");
    EXPECT_EQ(Send("GETMP"), "MP: MPDDEDDDDEEDEDE \r\n");
    EXPECT_EQ(Send("SETSH,T4407    "), "SH: T4407    \r\n");
    EXPECT_EQ(Send("GETSH"), "SH: T4407    \r\n");
    EXPECT_EQ(Send("SETSH," + std::string(9, ' ')), "SH: " + std::string(9, ' ') + "\r\n");
    EXPECT_EQ(Send("SETME,F-F,,FFFFFFFF,FFFFFFFFFFF-"), "ME: T F-F A FFFFFFFF D FFFFFFFFFFF-\r\n");
    EXPECT_EQ(Send("SETME,FFF,FFFFFFFF,FFFFFFFFFFFF"), "ERROR\r\n");
    EXPECT_EQ(Send("AMODE11121111,12345111,11111111"), "AMODE11121111,12345111,11111111\r\n");
    EXPECT_EQ(Send("K20MA3,"), "K20MA3,\r\n");
    EXPECT_EQ(Send("SETTN3,4,09000000"), "SETTN3,4,09000000\r\n");
    EXPECT_EQ(Send("SRATE5"), "SRATE5\r\n");
    EXPECT_EQ(Send("DLPER0"), "ERROR\r\n");
    EXPECT_EQ(Send("RTLEV 00240 32000"), "RTLEV 00240 32000\r\n");
    EXPECT_EQ(Send("RTMOD3I0240"), "RTMOD3I0240\r\n");
    EXPECT_EQ(Send("RTMODR"), "RTMOD3I0240\r\n");
    EXPECT_EQ(Send("DTFTP7"), "DTFTP7\r\n");
    EXPECT_EQ(Send("DTFTP8"), "ERROR\r\n");
    EXPECT_EQ(Send("RSTEN1"), "RSTEN1\r\n");
    EXPECT_EQ(Send("ESKTD04"), "ESKTD04\r\n");
}

TEST_F(ModuleReplies, ClockIsSetAndRead) {
    EXPECT_EQ(Send("SETTM 26/12/06,17:40:05+02"), "TM: 26/12/06,17:40:05+02\r\n");
    EXPECT_EQ(Send("  GETTM"), "TM: 26/12/06,17:40:05+02\r\n") << "the test clock stands still";
    EXPECT_EQ(Send("SETTM 26/13/06,17:40:05+02"), "ERROR\r\n");
    EXPECT_EQ(Send("SETTM yesterday"), "ERROR\r\n");
}

TEST_F(ModuleReplies, QueriesAnswerOnOneLine) {
    for (const char* q : {"GETST", "GETAN", "GETAN1", "GETTC", "GETTH", "GETRT", "  GETVR", "GETCT", "CLRCT",
                          "GETMH", "RSTRT", "ANLEV0", "TCLEV0", "  OK", "  +EXIT"}) {
        const std::string a = Send(q);
        ASSERT_GE(a.size(), 3u) << q;
        EXPECT_EQ(a.substr(a.size() - 2), "\r\n") << q;
        EXPECT_EQ(a.find('\r'), a.size() - 2) << q;
        EXPECT_NE(a, "ERROR\r\n") << q;
        EXPECT_LE(a.size() - 2, 160u) << q << " must fit one SMS";
    }
    EXPECT_EQ(Send("  OK"), "OK\r\n");
    module.State().counters = {12, 7};
    EXPECT_EQ(Send("GETCT"), "CT: 1=00012 2=00007\r\n");
    EXPECT_EQ(Send("CLRCT"), "CT: 1=00000 2=00000\r\n");
}

TEST_F(ModuleReplies, UnknownCommandsGetAnErrorLine) {
    for (const char* bad : {"GETXX", "", "SETUP", "HELLO WORLD", "SETNN", "SETTX", "GETTI5"})
        EXPECT_EQ(module.Command(bad), "ERROR\r\n") << bad;
}

TEST_F(ModuleReplies, RawAtCommandsAnswerWithoutEcho) {
    // The receive path ends a raw exchange only when the first CR comes early.
    const std::string csq = module.RawLine("  AT+CSQ");
    EXPECT_EQ(csq, "\r\n+CSQ: 20,0\r\n\r\nOK\r\n");
    EXPECT_EQ(module.RawLine("  AT#BND=?"), "\r\n#BND: (0-3)\r\n\r\nOK\r\n");
    EXPECT_EQ(module.RawLine("  AT#BND=2"), "\r\nOK\r\n");
    EXPECT_EQ(module.RawLine("  at#bnd?"), "\r\n#BND: 2\r\n\r\nOK\r\n");
    EXPECT_EQ(module.RawLine("  AT#BND=4"), "\r\nERROR\r\n");
    EXPECT_EQ(module.RawLine("  AT"), "\r\nOK\r\n");
    EXPECT_EQ(module.RawLine("  AT+NONSENSE"), "\r\nERROR\r\n");
    EXPECT_EQ(module.RawLine("\x1A"), "\r\nOK\r\n");
    // Right after a pass-through the terminal's "Connect" goes out unframed.
    EXPECT_EQ(module.RawLine("  OK"), "OK\r\n");
}

}  // namespace
}  // namespace kt::sim
