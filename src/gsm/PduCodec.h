// SMS PDU codec: SMS-SUBMIT built from a command text, SMS-DELIVER (or a
// stored SUBMIT) decoded to text. Pure string conversions.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace kt::gsm {

// 7-bit GSM default-alphabet code -> 8-bit output character of the decoder.
extern const std::array<uint8_t, 128> GSMToTextTable;

// Called instead of building anything when the number is empty: the text and
// caption of the error box to show ("Phone Number Error.\r\nPlease, check
// settings and try again.", "Error").
using CodecErrorSink = std::function<void(const std::string& text, const std::string& caption)>;

// Builds the PDU hex text for "AT+CMGS=" followed by one NUL character.
// Returns false (and leaves pdu untouched) when number is empty or holds no
// usable address (no digit, more than 20 digits, characters other than
// digits, blanks and '-' after an optional leading '+'), or when text is
// longer than one message (160 characters), after reporting through onError
// when given.
bool TextToPDUConversion(const std::string& text, const std::string& number, std::string& pdu,
                         const CodecErrorSink& onError = {});

// Decodes one PDU line of an inbox listing. text is cleared first and stays
// empty when nothing can be decoded. Never reads outside pdu.
void PDUTextConversion(const std::string& pdu, std::string& text);

// Who sent a received message (SMS-DELIVER) and when its service centre took
// it. number holds the address digits with a '+' in front of an
// international one; an alphanumeric sender (an operator's name) gives an
// empty number. timestamp is "yyMMddhhmmss" (the zone left out), so that
// the texts of two messages compare as their times do. False, with both
// cleared, when the line is not a complete SMS-DELIVER header.
bool DeliverSender(const std::string& pdu, std::string& number, std::string& timestamp);

}  // namespace kt::gsm
