// SMS pieces the simulated modem needs: the GSM 7-bit alphabet and packing,
// an SMS-DELIVER encoder and a header reader for the SMS-SUBMIT PDUs that the
// terminal sends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kt::sim {

// The character a phone would send for an 8-bit (Latin-1) character, as a GSM
// default-alphabet code. Characters the basic table lacks become '?'.
uint8_t TextToGsm7(unsigned char c);

// Packs 7-bit codes (bit 7 ignored) into octets, eight codes to seven octets.
std::string PackSeptets(std::string_view septets);

std::string ToHex(std::string_view octets);               // upper-case digits
bool FromHex(std::string_view hex, std::string& octets);  // false on odd length or a non-hex digit

// Time stamp of a delivered message, local time of the sender with its zone
// in quarters of an hour (-48..56).
struct SmsTime {
    int year = 2026;  // 2000..2099
    int month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int zoneQuarters = 0;
};

// Address field: digit count, type of address (0x91 with a leading '+',
// else 0x81) and the digits in swapped semi-octets. Non-digits are dropped.
std::string EncodeAddress(std::string_view number);

// SMS-DELIVER as the modem lists it: the service-centre field (empty number:
// length 00) and the TPDU. text is cut to 160 characters.
std::string EncodeDeliver(std::string_view serviceCentre, std::string_view originator, std::string_view text,
                          const SmsTime& time);

// The header of an SMS-SUBMIT PDU line.
struct SubmitInfo {
    std::string destination;  // digits as sent, '+' in front for an international number
    int tpduOctets = 0;       // octets after the service-centre field
    int userDataLength = 0;   // septets
};

// Reads a SUBMIT PDU (hex text, with its service-centre field). Returns false
// with a reason when the text is not hex or the message is not a complete
// SMS-SUBMIT.
bool ReadSubmit(std::string_view hex, SubmitInfo& info, std::string& error);

// Octets of the TPDU of a listed PDU (the length field of a +CMGL header).
int TpduOctets(std::string_view hex);

}  // namespace kt::sim
