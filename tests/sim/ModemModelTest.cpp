// The modem model: its answers read with the terminal's own modem parsers,
// and an SMS to the module coming back as a DELIVER in the inbox.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "ModemModel.h"
#include "PtyServer.h"
#include "Sms.h"
#include "gsm/PduCodec.h"
#include "protocol/Engine.h"
#include "serial/CommPortDriver.h"
#include "support/FakeWindow.h"

using namespace std::string_literals;

namespace kt::sim {
namespace {

constexpr const char* kModuleNumber = "+4917012345";

std::chrono::system_clock::time_point FixedNow() {
    return std::chrono::system_clock::from_time_t(1796677200);
}

class ModemReplies : public ::testing::Test {
  protected:
    // Everything the modem sends back for these bytes.
    std::string Send(const std::string& bytes) {
        std::string all;
        for (const Exchange& e : modem.Feed(bytes))
            all += e.answer;
        return all;
    }

    // The terminal's SMS path: "AT+CMGS=" with the octet count, then after
    // the prompt the PDU and Ctrl-Z. Returns the answer to the PDU.
    std::string SubmitCommand(const std::string& command, const std::string& number) {
        std::string pdu;
        EXPECT_TRUE(kt::gsm::TextToPDUConversion(command + "\r", number, pdu));
        const std::string digits = pdu.substr(0, pdu.size() - 1);  // the trailing NUL is not sent
        const std::string prompt = Send("AT+CMGS=" + std::to_string(pdu.size() / 2 - 1) + "\r");
        EXPECT_EQ(prompt.substr(prompt.size() - 2), "> ");
        return Send(digits + "\x1A");
    }

    ModuleModel module{FixedNow};
    ModemModel modem{kModuleNumber, module, FixedNow};
    serial::TCommPortDriver port;
    test::FakeWindow win;
    test::FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
};

TEST_F(ModemReplies, ReadAllQueriesAreUnderstood) {
    eng.WantManufacturer = eng.WantModel = eng.WantCharSet = eng.WantDateTime = eng.WantSmsFormat = true;
    eng.ManufacturerParser(Send("AT+CGMI\r"));
    eng.CharSetParser(Send("AT+CSCS?\r"));
    eng.ModelParser(Send("AT+CGMM\r"));
    eng.DateTimeParser(Send("AT+CCLK?\r"));
    eng.SmsFormatParser(Send("AT+CMGF?\r"));
    EXPECT_EQ(eng.ManufacturerText, "KT4470-SIM");
    EXPECT_EQ(eng.ModelText, "SIM-MODEM-1");
    EXPECT_FALSE(eng.WantCharSet);
    EXPECT_EQ(eng.DateTimeText, "\"" + modem.ClockText() + "\"");
    EXPECT_EQ(eng.SmsFormatChar, '0') << "the modem starts in PDU mode";
    eng.WantFormatEcho = true;
    eng.FormatEchoParser(Send("AT+CMGF=0\r"));
    EXPECT_FALSE(eng.WantFormatEcho);
}

TEST_F(ModemReplies, EchoesEachCommandBeforeItsAnswer) {
    EXPECT_EQ(Send("AT+CGMI\r"), "AT+CGMI\r\r\nKT4470-SIM\r\n\r\nOK\r\n");
    EXPECT_EQ(Send("ATE0\r"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(Send("AT+CGMM\r"), "\r\nSIM-MODEM-1\r\n\r\nOK\r\n");
    EXPECT_EQ(Send("AT+BOGUS\r"), "\r\nERROR\r\n");
    // The terminal's "Set Date/Time" writes plain text in SMS mode: no result code.
    EXPECT_EQ(Send("SETTM 26/12/06,17:40:05+02\r"), "");
}

TEST_F(ModemReplies, ClockAndFormatAreSettable) {
    EXPECT_EQ(Send("AT+CCLK=\"26/12/06,17:40:05+02\"\r"), "AT+CCLK=\"26/12/06,17:40:05+02\"\r\r\nOK\r\n");
    EXPECT_EQ(modem.ClockText(), "26/12/06,17:40:05+02");
    EXPECT_NE(Send("AT+CCLK=\"26/12/06,17:40:05\"\r").find("\r\nOK\r\n"), std::string::npos);
    EXPECT_EQ(modem.ClockText(), "26/12/06,17:40:05+00");
    EXPECT_NE(Send("AT+CCLK=\"26/12/06 17:40\"\r").find("ERROR"), std::string::npos);
    EXPECT_NE(Send("AT+CMGF=1\r").find("OK"), std::string::npos);
    EXPECT_EQ(modem.SmsFormat(), 1);
    EXPECT_NE(Send("AT+CMGS=19\r").find("+CMS ERROR: 302"), std::string::npos) << "PDU only";
    EXPECT_NE(Send("AT+CMGF=2\r").find("ERROR"), std::string::npos);
}

TEST_F(ModemReplies, SmsToTheModuleIsAnsweredIntoTheInbox) {
    const std::string result = SubmitCommand("GETST", kModuleNumber);
    EXPECT_NE(result.find("\r\n+CMGS: 1\r\n\r\nOK\r\n"), std::string::npos) << result;
    ASSERT_EQ(modem.Inbox().size(), 1u);

    // The terminal's inbox poll: listing, decoding, deletion.
    win.smsMode = true;
    eng.WantInbox = true;
    const std::string listing = Send("AT+CMGL=0\r");
    EXPECT_EQ(listing.substr(0, 22), "AT+CMGL=0\r\r\n+CMGL: 1,0");
    eng.InboxParser(listing);
    std::string expected = module.Command("GETST");
    expected.resize(expected.size() - 2);  // no line end in an SMS
    EXPECT_EQ(eng.InboxText, expected);

    // Listed once as unread, it is read from then on.
    EXPECT_EQ(Send("AT+CMGL=0\r"), "AT+CMGL=0\r\r\nOK\r\n");
    EXPECT_NE(Send("AT+CMGL=1\r").find("+CMGL: 1,1,,"), std::string::npos);
    EXPECT_EQ(Send("AT+CMGD=1\r"), "AT+CMGD=1\r\r\nOK\r\n");
    EXPECT_EQ(Send("AT+CMGL=1\r"), "AT+CMGL=1\r\r\nOK\r\n");
    EXPECT_NE(Send("AT+CMGD=1\r").find("+CMS ERROR: 321"), std::string::npos);
}

TEST_F(ModemReplies, ModuleSettingsChangeThroughSms) {
    SubmitCommand("SETNN2,+4930123456", kModuleNumber);
    SubmitCommand("SETTX05 Door open", kModuleNumber + std::string());
    EXPECT_EQ(module.State().alarmNumbers[1], "+4930123456");
    EXPECT_EQ(module.State().extTexts[4], "Door open");
    ASSERT_EQ(modem.Inbox().size(), 2u);
    EXPECT_EQ(modem.Inbox()[0].index, 1);
    EXPECT_EQ(modem.Inbox()[1].index, 2);
    std::string text;
    kt::gsm::PDUTextConversion(modem.Inbox()[1].pdu, text);
    EXPECT_EQ(text, "05: Door open");
}

TEST_F(ModemReplies, PassThroughAtTextReachesTheModuleEngine) {
    SubmitCommand("  AT+CSQ", kModuleNumber);
    ASSERT_EQ(modem.Inbox().size(), 1u);
    std::string text;
    kt::gsm::PDUTextConversion(modem.Inbox()[0].pdu, text);
    EXPECT_EQ(text, "+CSQ: 20,0\r\n\r\nOK");
}

TEST_F(ModemReplies, WrongOctetCountIsRefused) {
    std::string pdu;
    ASSERT_TRUE(kt::gsm::TextToPDUConversion("GETST\r", kModuleNumber, pdu));
    const std::string digits = pdu.substr(0, pdu.size() - 1);
    Send("AT+CMGS=" + std::to_string(pdu.size() / 2) + "\r");  // one too many
    EXPECT_EQ(Send(digits + "\x1A"), digits + "\r\n+CMS ERROR: 304\r\n");
    Send("AT+CMGS=5\r");
    EXPECT_NE(Send("00ZZ\x1A").find("+CMS ERROR: 304"), std::string::npos);
    EXPECT_TRUE(modem.Inbox().empty());
    // The modem is back in command mode.
    EXPECT_EQ(Send("AT\r"), "AT\r\r\nOK\r\n");
}

TEST_F(ModemReplies, SmsToAnotherNumberIsAcceptedAndDropped) {
    EXPECT_NE(SubmitCommand("GETST", "+4999999").find("+CMGS: 1"), std::string::npos);
    EXPECT_TRUE(modem.Inbox().empty());
    EXPECT_NE(SubmitCommand("GETST", "+4999998").find("+CMGS: 2"), std::string::npos);
}

TEST_F(ModemReplies, RefusedAnnouncementLeavesTheNextCommandWhole) {
    // An empty module number: the terminal announces -1, then sends Ctrl-Z alone.
    EXPECT_EQ(Send("AT+CMGS=-1\r"), "AT+CMGS=-1\r\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(Send("\x1A"), "");
    EXPECT_EQ(Send("AT+CMGL=1\r"), "AT+CMGL=1\r\r\nOK\r\n");
}

TEST_F(ModemReplies, EscapeCancelsTheMessage) {
    Send("AT+CMGS=17\r");
    EXPECT_EQ(Send("0011\x1B"), "\r\nOK\r\n");
    EXPECT_TRUE(modem.Inbox().empty());
    EXPECT_EQ(Send("AT\r"), "AT\r\r\nOK\r\n");
}

// The SIM holds 30 messages: a full memory refuses an SMS to the module
// (whose answer could not be stored) with error 322 and the module never sees
// it; a deleted index is the next one taken.
TEST_F(ModemReplies, FullMemoryRefusesSmsToTheModuleAndFreedIndicesAreReused) {
    for (int i = 1; i <= ModemModel::kCapacity - 1; ++i)
        ASSERT_EQ(modem.Deliver(kModuleNumber, "m" + std::to_string(i)), i);
    EXPECT_NE(SubmitCommand("SETNN1,+4930111", kModuleNumber).find("+CMGS: "), std::string::npos);
    ASSERT_TRUE(modem.Full());
    EXPECT_EQ(modem.Inbox().back().index, ModemModel::kCapacity);
    EXPECT_NE(Send("AT+CPMS?\r").find("+CPMS: \"SM\",30,30,"), std::string::npos);

    int traced = 0;
    modem.moduleTrace = [&](std::string_view, std::string_view) { ++traced; };
    EXPECT_EQ(modem.Deliver(kModuleNumber, "one too many"), 0);
    const std::string refused = SubmitCommand("SETNN1,+4930222", kModuleNumber);
    EXPECT_EQ(refused.substr(refused.find("\r\n")), "\r\n+CMS ERROR: 322\r\n");
    EXPECT_EQ(traced, 0);
    EXPECT_EQ(module.State().alarmNumbers[0], "+4930111");
    EXPECT_EQ(modem.Inbox().size(), std::size_t(ModemModel::kCapacity));
    // An SMS to another number needs no room.
    EXPECT_NE(SubmitCommand("GETST", "+4999999").find("+CMGS: "), std::string::npos);

    EXPECT_EQ(Send("AT+CMGD=7\r"), "AT+CMGD=7\r\r\nOK\r\n");
    EXPECT_EQ(Send("AT+CMGD=3\r"), "AT+CMGD=3\r\r\nOK\r\n");
    EXPECT_NE(SubmitCommand("SETNN1,+4930222", kModuleNumber).find("+CMGS: "), std::string::npos);
    EXPECT_EQ(traced, 1);
    EXPECT_EQ(modem.Inbox().back().index, 3);
    EXPECT_EQ(modem.Deliver(kModuleNumber, "x"), 7);
    EXPECT_TRUE(modem.Full());
}

TEST_F(ModemReplies, ListingHeaderCarriesTheTpduLength) {
    modem.Deliver(kModuleNumber, "hello");
    const std::string listing = Send("AT+CMGL=4\r");
    const StoredSms& m = modem.Inbox()[0];
    EXPECT_EQ(listing, "AT+CMGL=4\r\r\n+CMGL: 1,0,,"s + std::to_string(TpduOctets(m.pdu)) + "\r\n" + m.pdu +
                           "\r\n\r\nOK\r\n");
    EXPECT_EQ(TpduOctets(m.pdu), static_cast<int>(m.pdu.size() / 2) - 1 - 7)
        << "7-octet service-centre field";
}

// Random bytes on the line never stop either role; the next clean command
// is answered as usual.
TEST(LineNoise, BothRolesKeepAnswering) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255), length(1, 64);
    for (const auto mode : {SimOptions::Mode::Module, SimOptions::Mode::Modem}) {
        SimOptions options;
        options.mode = mode;
        options.moduleNumber = kModuleNumber;
        Endpoint line(options, FixedNow);
        // Keywords with random arguments reach every argument reader.
        const char* keywords[] = {"SETTX",    "GETTI",      "ANLEV",    "ANLEW",    "TCLEV",    "SETME,",
                                  "SETTF",    "RTMOD",      "RTLEV ",   "SETNN",    "SETPB",    "GETNR",
                                  "OUTP ",    "SETSH,",     "SETMP ",   "SETTM ",   "AMODE",    "K20MA",
                                  "SETTN",    "SETRH,",     "SETAP ",   "GETOS",    "GETIS",    "AT#BND=",
                                  "AT+CMGS=", "AT+CCLK=\"", "AT+CMGD=", "AT+CMGL=", "AT+CMGR=", "AT+CSCS="};
        std::uniform_int_distribution<size_t> pick(0, std::size(keywords) - 1);
        std::uniform_int_distribution<int> printable(32, 126), shortLength(0, 20);
        for (int round = 0; round < 2000; ++round) {
            std::string junk;
            if (round % 2 == 0) {
                for (int i = length(random); i > 0; --i)
                    junk += static_cast<char>(byte(random));
            } else {
                junk = (mode == SimOptions::Mode::Module ? std::string(14, ' ') + "SETUP:" : std::string()) +
                       keywords[pick(random)];
                for (int i = shortLength(random); i > 0; --i)
                    junk += static_cast<char>(printable(random));
                junk += "\r";
            }
            line.Feed(junk);
        }
        if (mode == SimOptions::Mode::Module) {
            const auto out = line.Feed("\r" + std::string(14, ' ') + "SETUP:  OK\r" + std::string(1, '\0'));
            ASSERT_FALSE(out.empty());
            EXPECT_EQ(out.back().answer, "OK\r\n");
        } else {
            const auto out = line.Feed("\x1B\rATE1\rAT\r");
            ASSERT_FALSE(out.empty());
            EXPECT_EQ(out.back().answer, "AT\r\r\nOK\r\n");
        }
    }
}

}  // namespace
}  // namespace kt::sim
