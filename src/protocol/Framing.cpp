#include "protocol/Framing.h"

#include <algorithm>

namespace kt::protocol {
namespace {

constexpr size_t kMaxFill = 32;

bool StartsWith5(std::string_view s, std::string_view a, std::string_view b) {
    return s.substr(0, 5) == a || s.substr(0, 5) == b;
}

}  // namespace

std::string FilledCommand(std::string_view command) {
    std::string filled(command);
    if (StartsWith5(filled, "SETTX", "GETTX") && filled.size() < 48)
        filled.append(std::min<size_t>(48 - filled.size(), kMaxFill), ' ');
    if (StartsWith5(filled, "SETTI", "GETTI") && filled.size() < 23)
        filled.append(std::min<size_t>(23 - filled.size(), kMaxFill), ' ');
    return filled;
}

std::string CommandLine(std::string_view command) {
    return FilledCommand(command) + '\r';
}

std::string DirectFrame(std::string_view command, bool raw) {
    if (raw) return CommandLine(command);
    return std::string(kModulePrefix) + CommandLine(command) + '\0';
}

bool CommandPdu(std::string_view command, const std::string& number, std::string& pdu,
                const kt::gsm::CodecErrorSink& onError) {
    return kt::gsm::TextToPDUConversion(CommandLine(command), number, pdu, onError);
}

std::string SmsSubmitCommand(std::string_view pdu) {
    return "AT+CMGS=" + std::to_string(static_cast<int>(pdu.size() / 2) - 1);
}

std::string SmsPduDigits(std::string_view pdu) {
    if (!pdu.empty() && pdu.back() == '\0') pdu.remove_suffix(1);
    return std::string(pdu);
}

}  // namespace kt::protocol
