// The modem-reply parsers on real-looking answers (echo line, CR LF, "OK")
// and on hostile input.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "gsm/PduCodec.h"
#include "protocol/Engine.h"
#include "serial/CommPortDriver.h"
#include "support/FakeWindow.h"

namespace kt::test {
namespace {

class ParsersTest : public ::testing::Test {
  protected:
    serial::TCommPortDriver port;  // never opened: deletions go nowhere
    FakeWindow win;
    FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
};

TEST_F(ParsersTest, ManufacturerAndModelFromTheirAnswers) {
    eng.WantManufacturer = true;
    eng.ManufacturerParser("AT+CGMI\r\r\nSIEMENS\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.ManufacturerText, "SIEMENS");
    EXPECT_FALSE(eng.WantManufacturer);

    eng.WantModel = true;
    eng.ModelParser("AT+CGMM\r\r\nS55\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.ModelText, "S55");
    EXPECT_FALSE(eng.WantModel);
}

TEST_F(ParsersTest, EchoOnlyReceptionKeepsManufacturerWaitingButEndsModel) {
    eng.ManufacturerText = "old";
    eng.ModelText = "oldmodel";
    eng.WantManufacturer = eng.WantModel = true;
    eng.ManufacturerParser("AT+CGMI\r");
    eng.ModelParser("AT+CGMM\r");
    EXPECT_TRUE(eng.WantManufacturer);
    EXPECT_EQ(eng.ManufacturerText, "old");
    EXPECT_FALSE(eng.WantModel);
    EXPECT_EQ(eng.ModelText, "oldmodel");
    // The answer in the next reception completes the manufacturer.
    eng.ManufacturerParser("\r\nACME MODEM\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.ManufacturerText, "ACME MODEM");
}

TEST_F(ParsersTest, ClockKeepsItsQuotes) {
    eng.WantDateTime = true;
    eng.DateTimeParser("AT+CCLK?\r\r\n+CCLK: \"26/12/06,17:40:05+02\"\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.DateTimeText, "\"26/12/06,17:40:05+02\"");
    EXPECT_FALSE(eng.WantDateTime);
}

TEST_F(ParsersTest, CharSetFormatAndFormatEchoEndTheirRequests) {
    eng.WantCharSet = true;
    eng.CharSetParser("AT+CSCS?\r\r\n+CSCS: \"GSM\"\r\n\r\nOK\r\n");
    EXPECT_FALSE(eng.WantCharSet);

    eng.WantSmsFormat = true;
    eng.SmsFormatParser("AT+CMGF?\r\r\n+CMGF: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.SmsFormatChar, '0');
    EXPECT_FALSE(eng.WantSmsFormat);

    eng.WantFormatEcho = true;
    eng.FormatEchoParser("AT+CMGF=0\r\r\nOK\r\n");
    EXPECT_FALSE(eng.WantFormatEcho);
}

TEST_F(ParsersTest, AnswersAtOrPastTheScanLimitAreNotFound) {
    // Echo line, CR LF, answer "X": the answer starts at position 249 (found)
    // or 250 (at the limit: the requests stay pending).
    for (const int echo : {246, 247}) {
        const std::string raw = std::string(static_cast<size_t>(echo), 'A') + "\r\nX\r\n";
        const bool found = echo == 246;
        eng.ManufacturerText.clear();
        eng.WantManufacturer = eng.WantModel = eng.WantFormatEcho = true;
        eng.ManufacturerParser(raw);
        eng.ModelParser(raw);
        eng.FormatEchoParser(raw);
        EXPECT_EQ(eng.WantManufacturer, !found) << echo;
        EXPECT_EQ(eng.WantModel, !found) << echo;
        EXPECT_EQ(eng.WantFormatEcho, !found) << echo;
        EXPECT_EQ(eng.ManufacturerText, found ? "X" : "") << echo;
    }
    // The quoted value starts 3 positions after the echo: the clock answer
    // must start before 250, the character-set answer before 254.
    struct Case {
        int echo;
        bool clockFound, charSetFound;
    };
    for (const Case c :
         {Case{246, true, true}, Case{247, false, true}, Case{250, false, true}, Case{251, false, false}}) {
        const std::string raw = std::string(static_cast<size_t>(c.echo), 'A') + "\r\n\"GSM\"\r\n";
        eng.WantDateTime = eng.WantCharSet = true;
        eng.DateTimeParser(raw);
        eng.CharSetParser(raw);
        EXPECT_EQ(eng.WantDateTime, !c.clockFound) << c.echo;
        EXPECT_EQ(eng.WantCharSet, !c.charSetFound) << c.echo;
    }
}

TEST_F(ParsersTest, FormatAnswerWithoutItsDigitEndsTheRequestAndKeepsTheFormat) {
    eng.WantSmsFormat = true;
    eng.SmsFormatParser("AT+CMGF?\r\r\nERROR\r\n");
    EXPECT_FALSE(eng.WantSmsFormat);
    EXPECT_EQ(eng.SmsFormatChar, '1');
    eng.WantSmsFormat = true;
    eng.SmsFormatParser("AT+CMGF?\r\r\n+CMGF: ");  // the blank is the last character
    EXPECT_FALSE(eng.WantSmsFormat);
    EXPECT_EQ(eng.SmsFormatChar, '1');
}

TEST_F(ParsersTest, ParsersDoNothingWithoutTheirFlag) {
    eng.ManufacturerParser("AT+CGMI\r\r\nSIEMENS\r\n\r\nOK\r\n");
    eng.SmsFormatParser("AT+CMGF?\r\r\n+CMGF: 0\r\n\r\nOK\r\n");
    eng.InboxParser("AT+CMGL=1\r\r\n+CMGL: 3,1,,25\r\nX\r\n");
    EXPECT_EQ(eng.ManufacturerText, "");
    EXPECT_EQ(eng.SmsFormatChar, '1');
    EXPECT_EQ(eng.InboxText, "");
}

// An SMS-DELIVER line from +12345 carrying `text` in the 7-bit alphabet.
std::string DeliverPdu(const std::string& text) {
    std::string submit;
    EXPECT_TRUE(gsm::TextToPDUConversion(text, "+12345", submit));
    // SUBMIT: "0011300591" "2143F5" "00000B" then length and user data, then NUL.
    const std::string userData = submit.substr(22, submit.size() - 23);
    return "000405912143F5"
           "0000"
           "62706171040000" +
           userData;
}

TEST_F(ParsersTest, InboxMessageIsDecodedAndShownInSmsMode) {
    win.smsMode = true;
    win.smsInput.SetText("\r\n");
    eng.WantInbox = eng.InboxPollHold = true;
    eng.InboxParser("AT+CMGL=1\r\r\n+CMGL: 3,1,,25\r\n" + DeliverPdu("STATUS OK\r") + "\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.InboxText, "STATUS OK\r");
    EXPECT_FALSE(eng.WantInbox);
    EXPECT_FALSE(eng.InboxPollHold);
    EXPECT_EQ(win.smsInput.Lines(), (std::vector<std::string>{"", "STATUS OK"}));
}

TEST_F(ParsersTest, InboxFullLengthAnswerIsNotCut) {
    // 159 characters and CR: the PDU line alone is longer than 300 characters.
    std::string answer;
    for (int i = 0; answer.size() < 159; ++i)
        answer += static_cast<char>('A' + i % 26);
    answer += '\r';
    win.smsMode = true;
    eng.WantInbox = true;
    eng.InboxParser("AT+CMGL=1\r\r\n+CMGL: 7,1,,153\r\n" + DeliverPdu(answer) + "\r\n\r\nOK\r\n");
    EXPECT_EQ(eng.InboxText, answer);
}

TEST_F(ParsersTest, InboxInDirectModeKeepsTheLineAsItIs) {
    eng.WantInbox = true;
    eng.InboxParser("+CMGL: 1,1,,5\r\nABCDEF\r\nOK\r\n");
    EXPECT_EQ(eng.InboxText, "ABCDEF");
}

TEST_F(ParsersTest, EmptyListingEndsTheRequestAndChangesNothing) {
    eng.InboxText = "before";
    eng.WantInbox = eng.InboxPollHold = true;
    eng.InboxParser("AT+CMGL=0\r\r\nOK\r\n");
    EXPECT_EQ(eng.InboxText, "before");
    EXPECT_FALSE(eng.WantInbox);
    EXPECT_FALSE(eng.InboxPollHold);
}

TEST_F(ParsersTest, HostileInputNeverReadsOutsideTheText) {
    const std::string cases[] = {
        "",
        "A",
        std::string(300, 'A'),                                          // no line break, 300 bytes
        std::string(300, '\r'),                                         // nothing but line ends
        "AT+CGMI\r" + std::string(290, ' '),                            // answer past the limit
        "+CMGL:" + std::string(300, 'X'),                               // header, no line end
        "+CMGL: 1,\r\n" + std::string(300, 'F'),                        // message line to the end
        std::string("AT\r\r\n+CCLK: \"") + std::string(260, '9'),       // clock without its end
        std::string("\0\xff\x80\r\n:\",CMGL:\x1a\0", 14),               // binary
        ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,+CMGL:\r\n0791FFFF\r\n",  // commas, no digits
    };
    for (bool sms : {false, true}) {
        win.smsMode = sms;
        for (const auto& raw : cases) {
            eng.WantManufacturer = eng.WantModel = eng.WantCharSet = eng.WantDateTime = true;
            eng.WantSmsFormat = eng.WantFormatEcho = eng.WantInbox = true;
            eng.ManufacturerParser(raw);
            eng.ModelParser(raw);
            eng.CharSetParser(raw);
            eng.DateTimeParser(raw);
            eng.SmsFormatParser(raw);
            eng.FormatEchoParser(raw);
            eng.InboxParser(raw);
            EXPECT_FALSE(eng.WantInbox);  // the inbox request always ends
            // Whatever was extracted is part of the reception.
            EXPECT_NE(raw.find(eng.ManufacturerText), std::string::npos);
            EXPECT_NE(raw.find(eng.ModelText), std::string::npos);
            EXPECT_NE(raw.find(eng.DateTimeText), std::string::npos);
            eng.ManufacturerText.clear();
            eng.ModelText.clear();
            eng.DateTimeText.clear();
        }
    }
}

TEST_F(ParsersTest, RandomReceptionsThroughTheReceiveHandler) {
    // Text made of the characters the scans look for, in random order and
    // length; run under the sanitizers this catches any read past the end.
    static const char kChars[] = "\r\n\0 :\",0123456789ACGLMOKT+\x1a\xff";
    const std::string alphabet(kChars, sizeof kChars - 1);
    std::mt19937 rng(4470);
    for (int i = 0; i < 3000; ++i) {
        std::string raw(rng() % 400, ' ');
        for (char& c : raw)
            c = alphabet[rng() % alphabet.size()];
        if (i % 3 == 0) raw.insert(rng() % (raw.size() + 1), "\r\n+CMGL: 12,1,,9\r\n");
        win.smsMode = (i % 2) == 0;
        eng.WantManufacturer = eng.WantModel = eng.WantCharSet = eng.WantDateTime = true;
        eng.WantSmsFormat = eng.WantFormatEcho = eng.WantInbox = true;
        eng.CommPortDriver1ReceiveData(&port, raw.data(), static_cast<uint32_t>(raw.size()));
        const bool onlyNuls = raw.find_first_not_of('\0') == std::string::npos;
        EXPECT_EQ(eng.WantInbox, onlyNuls);
        EXPECT_EQ(eng.ManufacturerText.find('\r'), std::string::npos);
        EXPECT_LE(eng.LastReply.size(), raw.size() + 1);
    }
}

}  // namespace
}  // namespace kt::test
