// Values a direct-mode reply puts into the page showing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "protocol/Engine.h"
#include "serial/CommPortDriver.h"
#include "support/FakeWindow.h"

namespace kt::test {
namespace {

using Values = std::vector<protocol::ControlValue>;

class PageReplyTest : public ::testing::Test {
  protected:
    Values On(int page, const std::string& reply) {
        win.page = page;
        eng.LastReply = reply;
        eng.ReplyToShow = true;
        return eng.PageReplyParser();
    }
    serial::TCommPortDriver port;
    FakeWindow win;
    FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
};

// Text slots: two decimal digits give the slot; the value ends at its first
// line end; the internal texts and names (one numbering 1..97 on pages 3 and
// 4) drop the reply's last character first.
TEST_F(PageReplyTest, TextSlotsByTwoDigitsUpToTheLineEnd) {
    const struct {
        int page;
        std::string reply;
        Values values;
    } cases[] = {
        {2, "05: Hello", {{"TXTSMS5", "Hello"}}},
        {2, "57: Last", {{"TXTSMS57", "Last"}}},
        {2, "05: Door\r\n", {{"TXTSMS5", "Door"}}},
        {2, "05: Door\nOK\r\n", {{"TXTSMS5", "Door"}}},
        {2, "05: Door\r", {{"TXTSMS5", "Door"}}},
        {2, "05: Door  ", {{"TXTSMS5", "Door  "}}},  // blanks are text ("Skip CR/LF")
        {2, "05:", {{"TXTSMS5", ""}}},
        {2, "00: none", {}},
        {2, "58: none", {}},
        {2, "1: text", {}},   // once slot 20
        {2, "0A: text", {}},  // once slot 17
        {2, "A5: none", {}},
        {2, " 5: none", {}},
        {2, "5", {}},
        {3, "05: Hello!", {{"iTXTSMS5", "Hello"}}},
        {3, "05: Door\r\n", {{"iTXTSMS5", "Door"}}},
        {3, "05: Door\r", {{"iTXTSMS5", "Door"}}},
        {3, "05: Door\n", {{"iTXTSMS5", "Door"}}},
        {3, "60: Pump!", {{"iTXTSMS60", "Pump"}}},  // a slot of the IOname page
        {4, "97: Door\r", {{"iTXTSMS97", "Door"}}},
        {4, "05: Alarm\r", {{"iTXTSMS5", "Alarm"}}},  // a slot of the Int/Ext SMS page
        {4, "98: x!", {}},
        {4, "1:x\r", {}},
        {4, "9-: x\r", {}},
        {3, "07:", {{"iTXTSMS7", ""}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(On(c.page, c.reply), c.values) << "page " << c.page << ": " << c.reply;
}

TEST_F(PageReplyTest, GprsKeysAreExactAndEveryMatchingRowApplies) {
    const struct {
        const char* key;
        const char* edit;
    } rows[] = {
        {"APN", "APN"},
        {"UserID", "UserID"},
        {"PASSWORD", "Password"},
        {"IP address", "IPaddress"},
        {"FTPHOST", "FTPHostName"},
        {"FTP host", "FTPHostName"},
        {"UserName FTP", "UserNameFTP"},
        {"Password FTP", "PasswordFTP"},
        {"DirName", "DirName"},
        {"HTTP Host", "HTTPhostName"},
        {"Remote Host", "HTTPhostName"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(On(10, std::string(r.key) + ": value!"), (Values{{r.edit, "value"}})) << r.key;
    EXPECT_EQ(On(10, "Password FTP: secret\r"), (Values{{"PasswordFTP", "secret"}}));
    EXPECT_EQ(On(10, "APN: !"), (Values{{"APN", ""}}));
    for (const char* miss : {"apn: internet!", "Password: x!", "APN : internet!", "no colon here", ": x!"})
        EXPECT_EQ(On(10, miss), Values{}) << miss;
    win.smsMode = true;  // direct mode only
    EXPECT_EQ(On(10, "APN: internet!"), Values{});
}

TEST_F(PageReplyTest, GprsValuesEndAtTheFirstLineEnd) {
    EXPECT_EQ(On(10, "APN: internet\r\n"), (Values{{"APN", "internet"}}));
    EXPECT_EQ(On(10, "PASSWORD: s3cret\r\nOK\r\n"), (Values{{"Password", "s3cret"}}));
    EXPECT_EQ(On(10, "DirName: logs\nSETPW x\r"), (Values{{"DirName", "logs"}}));
    EXPECT_EQ(On(10, "HTTP Host: \r\nhost!"), (Values{{"HTTPhostName", ""}}));
    // Blanks inside a value stay (the "Skip CR/LF" form); sending cuts there.
    EXPECT_EQ(On(10, "UserID: user 1  "), (Values{{"UserID", "user 1 "}}));
}

// A number ends before the first blank or line end, or with the reply, after
// at most 20 characters.
TEST_F(PageReplyTest, PhoneNumbersByTheFourthCharacterOfTheKey) {
    const struct {
        std::string reply;
        Values values;
    } rows[] = {
        {"TEL3: +4912345 rest", {{"NNumber3", "+4912345"}}},
        {"NUM3: +4912345 \r\n", {{"NNumber3", "+4912345"}}},
        {"NUM1: 12345678901234567890 \r\n", {{"NNumber1", "12345678901234567890"}}},  // 20 digits
        {"NUM7: 1234567890123456789012345", {{"NNumber7", "12345678901234567890"}}},  // at most 20
        {"NUM3: +4912345", {{"NNumber3", "+4912345"}}},      // the reply ends with the number
        {"NUM3: +4912345\r\n", {{"NNumber3", "+4912345"}}},  // a line end ends it too
        {"NUM4: 12+3456\tx", {{"NNumber4", "12+3456"}}},
        {"NUM3:  \r\n", {{"NNumber3", ""}}},  // a cleared number
        {"NUM3: ", {{"NNumber3", ""}}},
        {"NUM3:", {{"NNumber3", ""}}},
        {"NUM8: +4912345 ", {}},
        {"NUM0: +4912345 ", {}},
        {": +49", {}},
        {"ERROR\r\n", {}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(On(1, r.reply), r.values) << r.reply;
}

TEST_F(PageReplyTest, PhoneBookListing) {
    const Values both = {{"PBnr1", "+4912345"}, {"PBnr2", "+4967890"}};
    const struct {
        std::string reply;
        Values values;
    } rows[] = {
        {" N1:+4912345 N2:+4967890 ", both},
        {" N1:+4912345 N2:+4967890 \r\n", both},
        {" N1:+4912345 N2:+4967890\r\n", both},                         // the last entry ends in CR LF
        {" N1:+4912345 N2:+4967890", both},                             // or with the reply
        {" N1: N2:+4967890 ", {{"PBnr1", ""}, {"PBnr2", "+4967890"}}},  // an empty entry
        {" N1:+4912345 N2:", {{"PBnr1", "+4912345"}, {"PBnr2", ""}}},
        {" N1:+99 N2: N3: N4:+4917012345 N5: N6: N7:+99 \r\n",
         {{"PBnr1", "+99"},
          {"PBnr2", ""},
          {"PBnr3", ""},
          {"PBnr4", "+4917012345"},
          {"PBnr5", ""},
          {"PBnr6", ""},
          {"PBnr7", "+99"}}},
        {" N8:+4912345 ", {}},
        {"IN1:+4912345 ", {}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(On(1, r.reply), r.values) << r.reply;
    // A reply starting with "N1" fills PBnr1 from its key and value.
    const Values v = On(1, "N1: +4911111 more");
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v.front(), (protocol::ControlValue{"PBnr1", "+4911111"}));
}

TEST_F(PageReplyTest, OtherPagesSmsModeAndShownRepliesGiveNothing) {
    EXPECT_EQ(On(5, "05: Hello"), Values{});
    EXPECT_EQ(On(0, "APN: internet!"), Values{});
    win.smsMode = true;
    EXPECT_EQ(On(2, "05: Hello"), Values{});
    win.smsMode = false;
    win.page = 2;
    eng.ReplyToShow = false;
    EXPECT_EQ(eng.PageReplyParser(), Values{});
}

TEST_F(PageReplyTest, HostileRepliesStayInsideTheText) {
    const std::string replies[] = {
        std::string(300, 'N'),      std::string(300, ':'),          "N", "IN:", ":",
        std::string("N\0N\0 N", 6), std::string(300, ' ') + "N1:+1"};
    for (int page : {1, 2, 3, 4, 10})
        for (const auto& r : replies)
            for (const auto& [name, value] : On(page, r)) {
                EXPECT_FALSE(name.empty());
                EXPECT_LE(value.size(), r.size());
            }
}

}  // namespace
}  // namespace kt::test
