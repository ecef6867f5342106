#include "Sms.h"

#include <algorithm>
#include <array>

namespace kt::sim {

namespace {

struct Special {
    unsigned char latin1;
    uint8_t gsm;
};

// Latin-1 characters whose GSM code differs from their own.
constexpr std::array<Special, 30> kSpecials{{
    {'@', 0x00},  {0xA3, 0x01}, {'$', 0x02},  {0xA5, 0x03}, {0xE8, 0x04}, {0xE9, 0x05},
    {0xF9, 0x06}, {0xEC, 0x07}, {0xF2, 0x08}, {0xC7, 0x09}, {0xD8, 0x0B}, {0xF8, 0x0C},
    {0xC5, 0x0E}, {0xE5, 0x0F}, {'_', 0x11},  {0xC6, 0x1C}, {0xE6, 0x1D}, {0xDF, 0x1E},
    {0xC9, 0x1F}, {0xA4, 0x24}, {0xA1, 0x40}, {0xC4, 0x5B}, {0xD6, 0x5C}, {0xD1, 0x5D},
    {0xDC, 0x5E}, {0xA7, 0x5F}, {0xBF, 0x60}, {0xE4, 0x7B}, {0xF6, 0x7C}, {0xF1, 0x7D},
}};

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string SwappedDigits(std::string_view digits) {
    std::string out;
    for (size_t i = 0; i < digits.size(); i += 2) {
        const char first = digits[i];
        const char second = i + 1 < digits.size() ? digits[i + 1] : 'F';
        out += second;
        out += first;
    }
    return out;
}

std::string TwoDigitsSwapped(int v) {
    v = std::clamp(v, 0, 99);
    return {static_cast<char>('0' + v % 10), static_cast<char>('0' + v / 10)};
}

}  // namespace

uint8_t TextToGsm7(unsigned char c) {
    for (const Special& s : kSpecials) {
        if (s.latin1 == c) return s.gsm;
    }
    if (c == 0xFC) return 0x7E;  // u umlaut
    if (c == 0xE0) return 0x7F;  // a grave
    if (c == '\n' || c == '\r') return c;
    if (c >= 0x20 && c <= 0x7A && c != '[' && c != '\\' && c != ']' && c != '^' && c != '`') return c;
    return '?';
}

std::string PackSeptets(std::string_view septets) {
    std::string out;
    unsigned acc = 0;
    int bits = 0;
    for (unsigned char c : septets) {
        acc |= static_cast<unsigned>(c & 0x7F) << bits;
        bits += 7;
        while (bits >= 8) {
            out += static_cast<char>(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out += static_cast<char>(acc & 0xFF);
    return out;
}

std::string ToHex(std::string_view octets) {
    static const char* kDigits = "0123456789ABCDEF";
    std::string out;
    out.reserve(octets.size() * 2);
    for (unsigned char c : octets) {
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

bool FromHex(std::string_view hex, std::string& octets) {
    if (hex.size() % 2 != 0) return false;
    std::string out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexValue(hex[i]);
        const int lo = HexValue(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
    }
    octets = std::move(out);
    return true;
}

std::string EncodeAddress(std::string_view number) {
    const bool international = !number.empty() && number.front() == '+';
    std::string digits;
    for (char c : number) {
        if (c >= '0' && c <= '9') digits += c;
    }
    std::string out = ToHex(std::string(1, static_cast<char>(digits.size())));
    out += international ? "91" : "81";
    out += SwappedDigits(digits);
    return out;
}

std::string EncodeDeliver(std::string_view serviceCentre, std::string_view originator, std::string_view text,
                          const SmsTime& time) {
    std::string out;
    std::string sc;
    for (char c : serviceCentre) {
        if (c >= '0' && c <= '9') sc += c;
    }
    if (sc.empty()) {
        out = "00";
    } else {
        out = ToHex(std::string(1, static_cast<char>(1 + (sc.size() + 1) / 2)));
        out += serviceCentre.front() == '+' ? "91" : "81";
        out += SwappedDigits(sc);
    }
    out += "04";  // SMS-DELIVER, no more messages waiting
    out += EncodeAddress(originator);
    out += "0000";  // protocol identifier, 7-bit default alphabet
    out += TwoDigitsSwapped(time.year % 100);
    out += TwoDigitsSwapped(time.month);
    out += TwoDigitsSwapped(time.day);
    out += TwoDigitsSwapped(time.hour);
    out += TwoDigitsSwapped(time.minute);
    out += TwoDigitsSwapped(time.second);
    const int q = std::clamp(time.zoneQuarters, -79, 79);
    const int aq = q < 0 ? -q : q;
    unsigned char zone = static_cast<unsigned char>(((aq % 10) << 4) | (aq / 10) | (q < 0 ? 0x08 : 0));
    out += ToHex(std::string(1, static_cast<char>(zone)));
    std::string septets;
    for (unsigned char c : text.substr(0, 160))
        septets += static_cast<char>(TextToGsm7(c));
    out += ToHex(std::string(1, static_cast<char>(septets.size())));
    out += ToHex(PackSeptets(septets));
    return out;
}

bool ReadSubmit(std::string_view hex, SubmitInfo& info, std::string& error) {
    std::string o;
    if (!FromHex(hex, o) || o.empty()) {
        error = "not a hex PDU";
        return false;
    }
    auto at = [&](size_t i) { return static_cast<unsigned char>(o[i]); };
    const size_t sca = at(0);
    size_t i = 1 + sca;
    if (i >= o.size()) {
        error = "no message after the service-centre field";
        return false;
    }
    info.tpduOctets = static_cast<int>(o.size() - 1 - sca);
    const unsigned fo = at(i);
    if ((fo & 0x03) != 0x01) {
        error = "not an SMS-SUBMIT";
        return false;
    }
    i += 2;  // first octet, message reference
    if (i + 1 >= o.size()) {
        error = "address missing";
        return false;
    }
    const size_t digits = at(i);
    const unsigned toa = at(i + 1);
    i += 2;
    const size_t digitOctets = (digits + 1) / 2;
    if (i + digitOctets > o.size()) {
        error = "address cut short";
        return false;
    }
    std::string number = (toa & 0x70) == 0x10 ? "+" : "";
    for (size_t k = 0; k < digits; ++k) {
        const unsigned octet = at(i + k / 2);
        const unsigned nibble = (k % 2 == 0) ? (octet & 0x0F) : (octet >> 4);
        if (nibble <= 9)
            number += static_cast<char>('0' + nibble);
        else if (nibble != 0x0F)
            number += "*#abc"[nibble - 10];
    }
    info.destination = number;
    i += digitOctets;
    i += 2;  // protocol identifier, data coding scheme
    const unsigned vpf = (fo >> 3) & 0x03;
    if (vpf == 2)
        i += 1;
    else if (vpf != 0)
        i += 7;
    if (i >= o.size()) {
        error = "user data length missing";
        return false;
    }
    info.userDataLength = at(i);
    const size_t needed = (static_cast<size_t>(info.userDataLength) * 7 + 7) / 8;
    if (o.size() - i - 1 < needed) {
        error = "user data cut short";
        return false;
    }
    return true;
}

int TpduOctets(std::string_view hex) {
    if (hex.size() < 2) return 0;
    std::string first;
    if (!FromHex(hex.substr(0, 2), first)) return 0;
    const int total = static_cast<int>(hex.size() / 2);
    return std::max(0, total - 1 - static_cast<unsigned char>(first[0]));
}

}  // namespace kt::sim
