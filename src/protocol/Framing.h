// How a module command goes out, as pure functions: the window's SendSMS,
// kt4470ctl send and the SMS exchange of a run all frame with them.
#pragma once

#include <string>
#include <string_view>

#include "gsm/PduCodec.h"

namespace kt::protocol {

// 14 blanks, then "SETUP:": what precedes every framed module command.
inline constexpr std::string_view kModulePrefix = "              SETUP:";

// The command with the blanks the module reads as a fixed width: text
// commands ("SETTX", "GETTX") shorter than 48 characters are filled to 48,
// at most 32 blanks; internal texts and names ("SETTI", "GETTI") to 23.
std::string FilledCommand(std::string_view command);

// The command line of both modes: the filled command and a CR.
std::string CommandLine(std::string_view command);

// The bytes of one command in direct mode: the prefix, the command line and a
// NUL; a raw (pass-through) command is only its command line.
std::string DirectFrame(std::string_view command, bool raw = false);

// The SMS path: the command line as one SMS-SUBMIT for the module's number,
// the codec's PDU text with its trailing NUL. False (after onError) when the
// number is unusable or the line does not fit one message.
bool CommandPdu(std::string_view command, const std::string& number, std::string& pdu,
                const kt::gsm::CodecErrorSink& onError = {});
// What the modem is told first: "AT+CMGS=" and the octet count after the
// service-centre field, (length div 2) - 1 of the PDU text; a CR follows.
std::string SmsSubmitCommand(std::string_view pdu);
// What follows the modem's prompt: the PDU's hex digits (not its NUL), then
// Ctrl-Z.
inline constexpr char kCtrlZ = '\x1A';
std::string SmsPduDigits(std::string_view pdu);

}  // namespace kt::protocol
