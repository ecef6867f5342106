#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gsm/PduCodec.h"

using kt::gsm::GSMToTextTable;
using kt::gsm::PDUTextConversion;
using kt::gsm::TextToPDUConversion;

namespace {

struct Encoded {
    bool ok = false;
    std::string pdu;
    std::vector<std::pair<std::string, std::string>> errors;
};

Encoded Encode(const std::string& text, const std::string& number) {
    Encoded e;
    e.pdu = "untouched";
    e.ok = TextToPDUConversion(text, number, e.pdu, [&](const std::string& t, const std::string& c) {
        e.errors.emplace_back(t, c);
    });
    return e;
}

// The PDU without its trailing NUL.
std::string Hex(const std::string& text, const std::string& number) {
    Encoded e = Encode(text, number);
    EXPECT_TRUE(e.ok) << number;
    EXPECT_FALSE(e.pdu.empty());
    EXPECT_EQ(e.pdu.back(), '\0');
    return e.pdu.substr(0, e.pdu.size() - 1);
}

// The user-data octets of an encoded text (after the fixed header for a
// five-digit number).
std::string UserData(const std::string& text) {
    return Hex(text, "+12345").substr(22);
}

std::string Decode(const std::string& pdu) {
    std::string text = "stale";
    PDUTextConversion(pdu, text);
    return text;
}

}  // namespace

TEST(PduEncode, WorkedExample) {
    Encoded e = Encode("GETST\r", "+12345");
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.pdu, std::string("00113005912143F500000B06C722754A6D00") + '\0');
    // The sender announces (length div 2) - 1 octets.
    EXPECT_EQ(e.pdu.size() / 2 - 1, 17u);
    EXPECT_TRUE(e.errors.empty());
}

TEST(PduEncode, AddressForms) {
    EXPECT_EQ(Hex("GETST\r", "12345678").substr(6, 14), "08812143658700");
    EXPECT_EQ(Hex("", "+12345").substr(6, 10), "05912143F5");
    EXPECT_EQ(Hex("", "1").substr(6, 6), "0181F1");
    EXPECT_EQ(Hex("", "+49171234567890123456").substr(6, 24), "149194712143658709214365");
}

TEST(PduEncode, SeparatorsInTheNumberAreLeftOut) {
    // A blank or dash must not shift the semi-octets: the PDU stays aligned
    // and the length octet counts digits only.
    EXPECT_EQ(Hex("", "+123 4567").substr(6, 12), "0791214365F7");
    EXPECT_EQ(Hex("", "+123 4567"), Hex("", "+1234567"));
    EXPECT_EQ(Hex("", "0171-234 56"), Hex("", "017123456"));
}

TEST(PduEncode, UnusableNumbersAreReported) {
    const std::string message = "Phone Number Error.\r\nPlease, check settings and try again.";
    for (const std::string number : {"", "+", "   ", "+12a45", "12+34", "+123456789012345678901"}) {
        Encoded e = Encode("GETST\r", number);
        EXPECT_FALSE(e.ok) << number;
        EXPECT_EQ(e.pdu, "untouched") << number;
        ASSERT_EQ(e.errors.size(), 1u) << number;
        EXPECT_EQ(e.errors[0].first, message);
        EXPECT_EQ(e.errors[0].second, "Error");
    }
    // Without a sink the failure is only the result.
    std::string pdu = "x";
    EXPECT_FALSE(TextToPDUConversion("GETST\r", "", pdu));
    EXPECT_EQ(pdu, "x");
}

TEST(PduEncode, TextLongerThanOneMessageIsRefused) {
    EXPECT_TRUE(Encode(std::string(160, 'A'), "+12345").ok);
    Encoded e = Encode(std::string(161, 'A'), "+12345");
    EXPECT_FALSE(e.ok);
    EXPECT_EQ(e.pdu, "untouched");
    ASSERT_EQ(e.errors.size(), 1u);
    EXPECT_EQ(e.errors[0].second, "Error");
}

TEST(PduEncode, SeptetPacking) {
    // Length octet, then ceil(7n / 8) octets.
    EXPECT_EQ(UserData("1234567"), "0731D98C56B3DD00");
    EXPECT_EQ(UserData("12345678"), "0831D98C56B3DD70");
    EXPECT_EQ(UserData("123456789"), "0931D98C56B3DD7039");
    EXPECT_EQ(UserData("hellohello"), "0AE8329BFD4697D9EC37");
    EXPECT_EQ(UserData(""), "00");
    // Bit 7 is dropped, not translated.
    EXPECT_EQ(UserData("\xC1"), UserData("A"));
}

TEST(PduEncode, LengthIsOddAndCountsTheOctets) {
    for (std::size_t n = 0; n <= 160; ++n) {
        for (const std::string number : {"+12345", "123456"}) {
            Encoded e = Encode(std::string(n, 'x'), number);
            ASSERT_TRUE(e.ok);
            ASSERT_EQ(e.pdu.size() % 2, 1u) << n;
            // Octets from the first octet ("11") to the end of the user data.
            const std::size_t digits = number.size() - (number[0] == '+');
            const std::size_t octets = 3 + 1 + (digits + 1) / 2 + 3 + 1 + (7 * n + 7) / 8;
            ASSERT_EQ(e.pdu.size() / 2 - 1, octets) << n;
            ASSERT_EQ(e.pdu.find_first_not_of("0123456789ABCDEF"), e.pdu.size() - 1);
        }
    }
}

TEST(PduDecode, DeliverWithServiceCentre) {
    // Service-centre field of 7 octets: the first octet is at position 17.
    EXPECT_EQ(Decode("07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37"),
              "hellohello");
    // The same message without a service-centre field.
    EXPECT_EQ(Decode("00040BC87238880900F10000993092516195800AE8329BFD4697D9EC37"), "hellohello");
}

TEST(PduDecode, SenderAndTimeStampOfADeliveredMessage) {
    const struct {
        const char* pdu;
        bool ok;
        const char* number;
        const char* stamp;
    } cases[] = {
        {"07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37", true, "27838890001",
         "990329151659"},
        // International originator, no service-centre field.
        {"0004059121436500006221702143000001C1", true, "+12345", "261207123400"},
        // An operator's name (alphanumeric address): no number to match.
        {"00040AD0C1A1B1C1D1000062217021430000014F", true, "", "261207123400"},
        {"00113005912143F500000B06C722754A6D00", false, "", ""},  // a stored SUBMIT
        {"0004059121436500006221702143", false, "", ""},          // cut in the time stamp
        {"00040591214365000062217021430Z0001C1", false, "", ""},  // not a time
    };
    for (const auto& c : cases) {
        std::string number = "stale", stamp = "stale";
        EXPECT_EQ(kt::gsm::DeliverSender(c.pdu, number, stamp), c.ok) << c.pdu;
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(stamp, c.stamp);
    }
}

TEST(PduDecode, StoredSubmitLine) {
    EXPECT_EQ(Decode("00113005912143F500000B06C722754A6D00"), "GETST\r");
    // A stored SUBMIT listed with the modem's service-centre field.
    EXPECT_EQ(Decode("07917283010010F5113005912143F500000B06C722754A6D00"), "GETST\r");
}

TEST(PduDecode, RoundTripOfSevenBitSafeTexts) {
    std::string safe = "\n\r";
    for (int c = 0x20; c <= 0x7A; ++c) {
        if (c == 0x24 || c == 0x40 || (c >= 0x5B && c <= 0x60)) continue;
        safe += static_cast<char>(c);
    }
    for (std::size_t n = 1; n <= 160; ++n) {
        std::string text;
        for (std::size_t i = 0; i < n; ++i)
            text += safe[(i * 7 + n) % safe.size()];
        std::string pdu;
        ASSERT_TRUE(TextToPDUConversion(text, "+4917012345", pdu));
        ASSERT_EQ(Decode(pdu.substr(0, pdu.size() - 1)), text) << n;
        // The trailing NUL in the line changes nothing.
        ASSERT_EQ(Decode(pdu), text) << n;
    }
}

TEST(PduDecode, TableSpecials) {
    // Septets 0x00 (at sign), 0x01 (pound), 0x5B (national capital), 0x1B
    // (escape) followed by 0x3C: the extension table is not supported.
    std::string pdu;
    ASSERT_TRUE(TextToPDUConversion(std::string("\x00\x01\x5B\x1B\x3C", 5), "+12345", pdu));
    EXPECT_EQ(Decode(pdu), "@ * <");
    EXPECT_EQ(GSMToTextTable[0x00], 64);
    EXPECT_EQ(GSMToTextTable[0x01], 32);
    EXPECT_EQ(GSMToTextTable[0x03], 'Y');
    EXPECT_EQ(GSMToTextTable[0x5F], '*');
    EXPECT_EQ(GSMToTextTable[0x7C], 245);
    EXPECT_EQ(GSMToTextTable[0x1F], 230);
    EXPECT_EQ(GSMToTextTable[0x7F], 224);
    for (int c : {0x0A, 0x0D, 0x20, 0x23, 0x25, 0x3F, 0x41, 0x5A, 0x61, 0x7A}) {
        EXPECT_EQ(GSMToTextTable[c], c);
    }
}

TEST(PduDecode, SeptetTableIsByteExact) {
    // The decoder's output for every 7-bit code, as the module's tools have
    // always shown it (0x1F and 0x7C included, though they look odd).
    // clang-format off
    const uint8_t expected[128] = {
         64,  32,  36,  89, 232, 233, 249, 236, 242, 231,  10,  32, 248,  13,  32, 229,  // 0x00
         32,  95,  32,  32,  32,  32,  32,  32,  32,  32,  32,  32, 198, 230, 223, 230,  // 0x10
         32,  33,  34,  35, 164,  37,  38,  39,  40,  41,  42,  43,  44,  45,  46,  47,  // 0x20
         48,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  62,  63,  // 0x30
        161,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,  79,  // 0x40
         80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  90,  42,  42,  42,  42,  42,  // 0x50
        191,  97,  98,  99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111,  // 0x60
        112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 228, 245, 241, 252, 224,  // 0x70
    };
    // clang-format on
    for (int c = 0; c < 128; ++c)
        EXPECT_EQ(GSMToTextTable[c], expected[c]) << "septet 0x" << std::hex << c;
}

TEST(PduDecode, NothingToDecode) {
    EXPECT_EQ(Decode(""), "");
    // Plausibility digits 3, 4, 7, 8 all zero.
    EXPECT_EQ(Decode("00000000000000000000000000000000"), "");
    // User-data length 0.
    EXPECT_EQ(Decode("00113005912143F500000B00"), "");
    // Lower-case lines are not recognised as the modem's listing.
    EXPECT_NE(Decode("00113005912143f500000b06c722754a6d00"), "GETST\r");
}

TEST(PduDecode, StopsAtTheLastCompleteOctet) {
    const std::string full = "00113005912143F500000B06C722754A6D00";
    // Three whole octets and one digit of the fourth: three septets.
    EXPECT_EQ(Decode(full.substr(0, 24 + 7)), "GET");
    // Lying length: 0x20 septets announced, six octets give six septets
    // (the seventh would need a seventh octet).
    EXPECT_EQ(Decode("00113005912143F500000B20C722754A6D00"), "GETST\r");
    // Seven octets give the eighth septet too.
    EXPECT_EQ(Decode("00113005912143F500000B2031D98C56B3DD70"), "12345678");
    // A length of 7 over the same octets stops before the eighth.
    EXPECT_EQ(Decode("00113005912143F500000B0731D98C56B3DD70"), "1234567");
}

TEST(PduEncode, ResultMayReuseAnInputString) {
    std::string s = "GETST\r";
    ASSERT_TRUE(TextToPDUConversion(s, "+12345", s));
    EXPECT_EQ(s, std::string("00113005912143F500000B06C722754A6D00") + '\0');
    std::string n = "+12345";
    ASSERT_TRUE(TextToPDUConversion("GETST\r", n, n));
    EXPECT_EQ(n, s);
}
