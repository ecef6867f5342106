// PDU encoder on any number and text. A refused pair leaves the result alone
// and says why; a built PDU is upper-case hex with the trailing NUL, carries
// the number's digits and the text's length, and decodes back to the text as
// the septet table shows it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "gsm/PduCodec.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int OctetAt(const std::string& hex, std::size_t pos) {
    return HexValue(hex[pos]) * 16 + HexValue(hex[pos + 1]);
}

}  // namespace

// Input: the number, a NUL, then the text (no NUL: all of it is the text and
// the number is "+12345").
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string number = split == std::string::npos ? "+12345" : input.substr(0, split);
    const std::string text = split == std::string::npos ? input : input.substr(split + 1);

    std::string pdu = "untouched";
    std::string reported;
    const bool built = kt::gsm::TextToPDUConversion(
        text, number, pdu, [&](const std::string& message, const std::string&) { reported = message; });
    if (!built) {
        FUZZ_CHECK(pdu == "untouched");
        FUZZ_CHECK(!reported.empty());
        return 0;
    }
    FUZZ_CHECK(reported.empty());
    FUZZ_CHECK(text.size() <= 160);

    FUZZ_CHECK(!pdu.empty() && pdu.back() == '\0' && pdu.size() % 2 == 1);
    const std::string hex = pdu.substr(0, pdu.size() - 1);
    for (const char c : hex)
        FUZZ_CHECK(HexValue(c) >= 0);
    FUZZ_CHECK(hex.compare(0, 6, "001130") == 0);

    // The address: the number's digits in swapped semi-octets, 'F' filling an odd count.
    std::string digits;
    for (const char c : number)
        if (c >= '0' && c <= '9') digits += c;
    const std::size_t count = static_cast<std::size_t>(OctetAt(hex, 6));
    FUZZ_CHECK(count == digits.size());
    FUZZ_CHECK(hex.compare(8, 2, number.front() == '+' ? "91" : "81") == 0);
    std::string swapped;
    for (std::size_t i = 0; i < (count + 1) / 2; ++i) {
        swapped += hex[10 + 2 * i + 1];
        swapped += hex[10 + 2 * i];
    }
    FUZZ_CHECK(swapped == (count % 2 ? digits + "F" : digits));

    // Protocol, coding, validity; the user data length; septets packed into whole octets.
    const std::size_t ud = 10 + 2 * ((count + 1) / 2);
    FUZZ_CHECK(hex.compare(ud, 6, "00000B") == 0);
    FUZZ_CHECK(static_cast<std::size_t>(OctetAt(hex, ud + 6)) == text.size());
    FUZZ_CHECK(hex.size() == ud + 8 + 2 * ((7 * text.size() + 7) / 8));

    std::string expected;
    for (const char c : text)
        expected += static_cast<char>(kt::gsm::GSMToTextTable[static_cast<unsigned char>(c) & 0x7F]);
    std::string decoded;
    kt::gsm::PDUTextConversion(hex, decoded);
    FUZZ_CHECK(decoded == expected);
    return 0;
}
