// SMS PDU codec: SMS-SUBMIT built from a command text (GSM 7-bit user data),
// SMS-DELIVER or stored SMS-SUBMIT lines decoded back to text.
#include "gsm/PduCodec.h"

#include <cstddef>

namespace kt::gsm {

namespace {

constexpr std::array<uint8_t, 128> MakeGsmToTextTable() {
    std::array<uint8_t, 128> t{};
    for (int i = 0; i < 128; ++i)
        t[i] = static_cast<uint8_t>(i);
    // Codes whose default-alphabet character differs from its Latin-1 code.
    // Characters without a Latin-1 counterpart here become a blank, the
    // national capitals at 0x5B..0x5F a '*'.
    t[0x00] = 64;   // at sign
    t[0x01] = 32;   // pound sign
    t[0x02] = 36;   // dollar
    t[0x03] = 89;   // yen -> 'Y'
    t[0x04] = 232;  // e grave
    t[0x05] = 233;  // e acute
    t[0x06] = 249;  // u grave
    t[0x07] = 236;  // i grave
    t[0x08] = 242;  // o grave
    t[0x09] = 231;  // c cedilla
    t[0x0B] = 32;   // O stroke
    t[0x0C] = 248;  // o stroke
    t[0x0E] = 32;   // A ring
    t[0x0F] = 229;  // a ring
    t[0x10] = 32;   // Greek capitals and the escape code
    t[0x11] = 95;   // underscore
    for (int i = 0x12; i <= 0x1B; ++i)
        t[i] = 32;
    t[0x1C] = 198;  // AE
    t[0x1D] = 230;  // ae
    t[0x1E] = 223;  // sharp s
    t[0x1F] = 230;  // E acute shown as ae: kept as the module's tools have always shown it
    t[0x24] = 164;  // currency sign
    t[0x40] = 161;  // inverted exclamation mark
    for (int i = 0x5B; i <= 0x5F; ++i)
        t[i] = 42;
    t[0x60] = 191;  // inverted question mark
    t[0x7B] = 228;  // a diaeresis
    t[0x7C] = 245;  // o diaeresis shown as o tilde: kept likewise
    t[0x7D] = 241;  // n tilde
    t[0x7E] = 252;  // u diaeresis
    t[0x7F] = 224;  // a grave
    return t;
}

constexpr char kHex[] = "0123456789ABCDEF";

// One message holds 140 octets of user data: 160 septets.
constexpr std::size_t kMaxSeptets = 160;
// TP-DA holds at most 20 address digits.
constexpr std::size_t kMaxAddressDigits = 20;

const char* const kNumberError = "Phone Number Error.\r\nPlease, check settings and try again.";
const char* const kTextError = "Command too long for one SMS (160 characters at most).";
const char* const kErrorCaption = "Error";

void AppendOctet(std::string& out, unsigned v) {
    out += kHex[(v >> 4) & 0x0F];
    out += kHex[v & 0x0F];
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Separators an operator may type inside a phone number; they are not part
// of the address.
bool IsSeparator(char c) {
    return c == ' ' || c == '-';
}

// Decoder view of a PDU line with 1-based positions. Non-hex characters are
// worth -1; a position outside the line does not exist.
class PduReader {
  public:
    explicit PduReader(const std::string& pdu) : pdu_(pdu) {}

    // Value of the character at 1-based position pos; the caller checks Has.
    int Digit(long pos) const {
        const char c = pdu_[static_cast<std::size_t>(pos - 1)];
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
    // True when both hex digits of the octet at pos are inside the line.
    bool Has(long pos) const { return pos >= 1 && pos + 1 <= static_cast<long>(pdu_.size()); }
    // 16 * value(pos) + value(pos + 1): -17..255.
    int Octet(long pos) const { return 16 * Digit(pos) + Digit(pos + 1); }

  private:
    const std::string& pdu_;
};

// Ceiling of n / 2, also for negative n (lengths made of non-hex digits).
long HalfUp(long n) {
    return n >= 0 ? (n + 1) / 2 : -((-n) / 2);
}

}  // namespace

const std::array<uint8_t, 128> GSMToTextTable = MakeGsmToTextTable();

bool TextToPDUConversion(const std::string& text, const std::string& number, std::string& pdu,
                         const CodecErrorSink& onError) {
    auto fail = [&](const char* message) {
        if (onError) onError(message, kErrorCaption);
        return false;
    };
    if (number.empty()) return fail(kNumberError);

    const bool international = number.front() == '+';
    // The address digits: blanks and dashes typed for readability are left
    // out, so that the length octet and the semi-octets agree. Anything else
    // that is not a digit would send the message to a number nobody typed.
    char digits[kMaxAddressDigits];
    std::size_t count = 0;
    for (std::size_t i = international ? 1 : 0; i < number.size(); ++i) {
        const char c = number[i];
        if (IsDigit(c)) {
            if (count == kMaxAddressDigits) return fail(kNumberError);
            digits[count++] = c;
        } else if (!IsSeparator(c)) {
            return fail(kNumberError);
        }
    }
    if (count == 0) return fail(kNumberError);
    if (text.size() > kMaxSeptets) return fail(kTextError);

    // Built in place, so a caller that reuses its string allocates nothing;
    // in a scratch string when pdu is also an input.
    std::string scratch;
    const bool aliased = &pdu == &text || &pdu == &number;
    std::string& out = aliased ? scratch : pdu;
    out.clear();
    out.reserve(2 * (9 + kMaxAddressDigits / 2) + (7 * text.size() + 7) / 4 + 1);
    // Service centre from the SIM; SMS-SUBMIT with a relative validity
    // period; message reference 0x30.
    out += "001130";
    AppendOctet(out, static_cast<unsigned>(count));
    out += international ? "91" : "81";
    // Swapped semi-octets, an odd count filled up with F.
    for (std::size_t i = 0; i < count; i += 2) {
        out += i + 1 < count ? digits[i + 1] : 'F';
        out += digits[i];
    }
    // Protocol identifier 0, 7-bit default alphabet, valid for 60 minutes.
    out += "00000B";
    AppendOctet(out, static_cast<unsigned>(text.size()));

    // Septet packing: bits are taken from the low end of each character and
    // fill each octet from its low end.
    unsigned acc = 0;
    int bits = 0;
    for (const char ch : text) {
        acc |= (static_cast<unsigned char>(ch) & 0x7Fu) << bits;
        bits += 7;
        if (bits >= 8) {
            AppendOctet(out, acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) AppendOctet(out, acc & 0xFF);

    // The sender counts octets as (length div 2) - 1 with this NUL included.
    out += '\0';
    if (aliased) pdu = std::move(scratch);
    return true;
}

void PDUTextConversion(const std::string& pdu, std::string& text) {
    text.clear();
    const PduReader r(pdu);
    // Too short for the plausibility digits: nothing to decode.
    if (pdu.size() < 8) return;
    if (r.Digit(3) + r.Digit(4) + r.Digit(7) + r.Digit(8) <= 0) return;

    if (!r.Has(1)) return;
    const long s = r.Octet(1);
    const long p = s > 0 ? 2 * s + 3 : 3;
    if (!r.Has(p)) return;
    const bool deliver = (static_cast<unsigned>(r.Octet(p)) & 0x03u) == 0;

    const long a = 2 * s + (deliver ? 5 : 7);
    if (!r.Has(a)) return;
    const long n = r.Octet(a);

    const long u = a + 2 * HalfUp(n) + 10 + (deliver ? 12 : 0);
    if (!r.Has(u)) return;
    const long len = r.Octet(u);
    if (len <= 0) return;

    // Reverse of the packing, in groups of seven octets giving eight septets.
    const auto count = static_cast<std::size_t>(len);
    text.reserve(count);
    long pos = u + 2;
    unsigned prev = 0;
    int k = 0;
    while (text.size() < count) {
        if (!r.Has(pos)) break;
        const unsigned cur = static_cast<unsigned>(r.Octet(pos)) & 0xFFu;
        pos += 2;
        const unsigned septet = ((cur << k) | (k > 0 ? prev >> (8 - k) : 0u)) & 0x7Fu;
        text += static_cast<char>(GSMToTextTable[septet]);
        prev = cur;
        if (++k == 7) {
            if (text.size() < count) text += static_cast<char>(GSMToTextTable[(cur >> 1) & 0x7Fu]);
            k = 0;
        }
    }
}

bool DeliverSender(const std::string& pdu, std::string& number, std::string& timestamp) {
    number.clear();
    timestamp.clear();
    const PduReader r(pdu);
    auto valid = [&](long pos) { return r.Has(pos) && r.Octet(pos) >= 0; };
    if (!valid(1)) return false;
    const long s = r.Octet(1);
    const long first = 2 * s + 3;
    if (!valid(first) || (r.Octet(first) & 0x03) != 0) return false;
    const long lengthAt = first + 2;
    if (!valid(lengthAt) || !valid(lengthAt + 2)) return false;
    const long digits = r.Octet(lengthAt);
    const int type = r.Octet(lengthAt + 2);
    const long addressAt = lengthAt + 4;
    const long stampAt = addressAt + 2 * HalfUp(digits) + 4;  // after PID and DCS
    if (digits > static_cast<long>(kMaxAddressDigits) || !valid(stampAt + 12)) return false;
    std::string n;
    if ((type & 0x70) != 0x50) {  // not alphanumeric
        if ((type & 0x70) == 0x10) n += '+';
        for (long i = 0; i < digits; ++i) {
            const int d = r.Digit(addressAt + (i ^ 1));  // swapped semi-octets
            if (d < 0 || d > 9) return false;
            n += static_cast<char>('0' + d);
        }
    }
    std::string when;
    for (long i = 0; i < 6; ++i) {
        const long at = stampAt + 2 * i;
        const int lo = r.Digit(at + 1), hi = r.Digit(at);
        if (lo < 0 || lo > 9 || hi < 0 || hi > 9) return false;
        when += static_cast<char>('0' + lo);
        when += static_cast<char>('0' + hi);
    }
    number = std::move(n);
    timestamp = std::move(when);
    return true;
}

}  // namespace kt::gsm
