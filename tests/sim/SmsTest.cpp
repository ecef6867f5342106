// The simulator's SMS pieces: DELIVER encoding checked with the terminal's
// decoder, SUBMIT headers read from the terminal's encoder.
#include <gtest/gtest.h>

#include <string>

#include "Sms.h"
#include "gsm/PduCodec.h"

namespace kt::sim {
namespace {

std::string Decoded(const std::string& pdu) {
    std::string text;
    kt::gsm::PDUTextConversion(pdu, text);
    return text;
}

const SmsTime kTime{2026, 12, 7, 21, 4, 5, 8};

TEST(DeliverEncoder, KnownPdu) {
    // No service centre, +12345, "GETST" CR: the user data equals the one of
    // the terminal's own SUBMIT example for the same text.
    EXPECT_EQ(EncodeDeliver("", "+12345", "GETST\r", kTime),
              "00"
              "04"
              "05912143F5"
              "0000"
              "62217012405080"
              "06C722754A6D00");
    // A negative zone sets bit 3 of the zone octet: -1 h = 4 quarters.
    SmsTime west = kTime;
    west.zoneQuarters = -4;
    EXPECT_EQ(EncodeDeliver("", "123", "A", west).substr(28, 2), "48");
}

TEST(DeliverEncoder, TerminalDecodesEveryLength) {
    std::string text;
    for (int n = 1; n <= 160; ++n) {
        text += static_cast<char>('A' + n % 26);
        for (const char* sc : {"", "+99990000000", "123"}) {
            for (const char* from : {"+4917012345", "+491701234", "0170"}) {
                EXPECT_EQ(Decoded(EncodeDeliver(sc, from, text, kTime)), text)
                    << n << " " << sc << " " << from;
            }
        }
    }
}

TEST(DeliverEncoder, CutsAtOneHundredSixtyCharacters) {
    const std::string text(200, 'x');
    EXPECT_EQ(Decoded(EncodeDeliver("+99990000000", "+4917012345", text, kTime)), std::string(160, 'x'));
}

TEST(DeliverEncoder, CharactersTheTerminalTranslates) {
    // '@', '$' and '_' have their own GSM codes; the terminal maps them back.
    EXPECT_EQ(Decoded(EncodeDeliver("", "+1", "a@b$c_d\r\n", kTime)), "a@b$c_d\r\n");
    // Latin-1 letters of the GSM alphabet come back as the terminal's table says.
    EXPECT_EQ(Decoded(EncodeDeliver("", "+1", "\xE9\xE4\xFC", kTime)), "\xE9\xE4\xFC");
    // No GSM code: a question mark.
    EXPECT_EQ(Decoded(EncodeDeliver("", "+1", "[x]~", kTime)), "?x??");
}

TEST(SubmitReader, ReadsTheTerminalsPdus) {
    std::string pdu;
    ASSERT_TRUE(kt::gsm::TextToPDUConversion("GETST\r", "+12345", pdu));
    SubmitInfo info;
    std::string error;
    ASSERT_TRUE(ReadSubmit(pdu.substr(0, pdu.size() - 1), info, error)) << error;
    EXPECT_EQ(info.destination, "+12345");
    EXPECT_EQ(info.tpduOctets, 17) << "what the terminal announces with AT+CMGS=";
    EXPECT_EQ(info.userDataLength, 6);

    ASSERT_TRUE(kt::gsm::TextToPDUConversion("SETTX01 " + std::string(40, 'y') + "\r", "12345678", pdu));
    ASSERT_TRUE(ReadSubmit(pdu.substr(0, pdu.size() - 1), info, error)) << error;
    EXPECT_EQ(info.destination, "12345678");
    EXPECT_EQ(info.tpduOctets, static_cast<int>(pdu.size() / 2) - 1);
}

TEST(SubmitReader, RefusesBrokenPdus) {
    SubmitInfo info;
    std::string error;
    EXPECT_FALSE(ReadSubmit("", info, error));
    EXPECT_FALSE(ReadSubmit("0011300", info, error)) << "odd length";
    EXPECT_FALSE(ReadSubmit("00113G", info, error)) << "not hex";
    EXPECT_FALSE(ReadSubmit("0004", info, error)) << "a DELIVER";
    EXPECT_FALSE(ReadSubmit("00113005912143F500000B06C722", info, error)) << "user data cut short";
    EXPECT_FALSE(ReadSubmit("FF11", info, error)) << "service-centre field past the end";
    EXPECT_TRUE(ReadSubmit("00113005912143F500000B06C722754A6D00", info, error)) << error;
}

}  // namespace
}  // namespace kt::sim
