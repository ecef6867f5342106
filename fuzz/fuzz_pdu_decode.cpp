// PDU decoder on any line: it never reads outside the line (the sanitizers
// watch), and what it returns is text of the septet table, at most one
// message long and no longer than the line's octets can carry.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "gsm/PduCodec.h"

namespace {

std::bitset<256> TableOutputs() {
    std::bitset<256> out;
    for (const uint8_t c : kt::gsm::GSMToTextTable)
        out.set(c);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const std::bitset<256> alphabet = TableOutputs();
    const std::string pdu(reinterpret_cast<const char*>(data), size);

    std::string text = "left over from before";
    kt::gsm::PDUTextConversion(pdu, text);
    FUZZ_CHECK(text.size() <= 255);                     // the length is one octet
    FUZZ_CHECK(text.size() <= (size / 2) * 8 / 7 + 1);  // septets in the octets there are
    for (const char c : text)
        FUZZ_CHECK(alphabet.test(static_cast<unsigned char>(c)));

    std::string again;
    kt::gsm::PDUTextConversion(pdu, again);
    FUZZ_CHECK(again == text);
    return 0;
}
