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

TEST_F(PageReplyTest, ExternalTextsBySlotNumber) {
    EXPECT_EQ(On(2, "05: Hello"), (Values{{"TXTSMS5", "Hello"}}));
    EXPECT_EQ(On(2, "57: Last"), (Values{{"TXTSMS57", "Last"}}));
    EXPECT_EQ(On(2, "00: none"), Values{});
    EXPECT_EQ(On(2, "58: none"), Values{});
    EXPECT_EQ(On(2, "A5: none"), Values{});
    EXPECT_EQ(On(2, "5"), Values{});
}

TEST_F(PageReplyTest, InternalTextsAndNamesShareOneIndexSpaceAndDropTheLastCharacter) {
    EXPECT_EQ(On(3, "05: Hello!"), (Values{{"iTXTSMS5", "Hello"}}));
    EXPECT_EQ(On(3, "60: Pump!"), (Values{{"iTXTSMS60", "Pump"}}));
    EXPECT_EQ(On(4, "97: Door\r"), (Values{{"iTXTSMS97", "Door"}}));
    EXPECT_EQ(On(4, "98: x!"), Values{});
    EXPECT_EQ(On(3, "07:"), (Values{{"iTXTSMS7", ""}}));
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

TEST_F(PageReplyTest, PhoneNumbersByTheFourthCharacterOfTheKey) {
    EXPECT_EQ(On(1, "TEL3: +4912345 rest"), (Values{{"NNumber3", "+4912345"}}));
    EXPECT_EQ(On(1, "TEL8: +4912345 rest"), Values{});
    EXPECT_EQ(On(1, ": +49"), Values{});
}

TEST_F(PageReplyTest, PhoneBookListing) {
    EXPECT_EQ(On(1, " N1:+4912345 N2:+4967890 "), (Values{{"PBnr1", "+4912345"}, {"PBnr2", "+4967890"}}));
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
