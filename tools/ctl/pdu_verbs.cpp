// kt4470ctl pdu: encode a command text as the SMS-SUBMIT PDU the terminal
// sends, or decode a PDU line of a modem's inbox listing.
#include <cstdio>
#include <string>
#include <vector>

#include "Escapes.h"
#include "ctl_verbs.h"
#include "gsm/PduCodec.h"

namespace kt::ctl {

namespace {

int BadArguments(const std::string& message) {
    std::fprintf(stderr, "kt4470ctl pdu: %s (try kt4470ctl pdu --help)\n", PrintableLine(message).c_str());
    return 2;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

// The codec's messages are meant for a two-line box; stderr gets one line.
std::string OneLine(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\r') continue;
        out += c == '\n' ? ' ' : c;
    }
    return out;
}

int Encode(const std::vector<std::string>& args) {
    std::string number;
    bool haveNumber = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--to") {
            if (i + 1 >= args.size()) return BadArguments("--to needs a phone number");
            number = args[++i];
            haveNumber = true;
        } else if (a.rfind("--to=", 0) == 0) {
            number = a.substr(5);
            haveNumber = true;
        } else if (a == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            return BadArguments("unknown option '" + Escape(a) + "'");
        } else {
            positional.push_back(a);
        }
    }
    if (!haveNumber) return BadArguments("encode needs --to NUMBER");
    if (positional.size() != 1) return BadArguments("encode takes exactly one TEXT");

    std::string text;
    std::string error;
    if (!kt::ctl::Unescape(positional.front(), text, error)) return BadArguments("TEXT: " + error);

    std::string pdu;
    std::string message;
    const bool ok = kt::gsm::TextToPDUConversion(
        text, number, pdu, [&](const std::string& m, const std::string&) { message = m; });
    if (!ok) return BadArguments(OneLine(message));
    // The trailing NUL is the terminal's length marker, not part of the PDU.
    if (!pdu.empty() && pdu.back() == '\0') pdu.pop_back();
    std::printf("%s\n", pdu.c_str());
    return 0;
}

int Decode(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a.size() > 1 && a[0] == '-') return BadArguments("unknown option '" + Escape(a) + "'");
        positional.push_back(a);
    }
    if (positional.size() != 1) return BadArguments("decode takes exactly one HEX line");
    std::string hex = positional.front();
    for (char& c : hex) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        const bool isHex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
        if (!isHex) return BadArguments("HEX: not a hex digit in the PDU line");
    }
    std::string text;
    kt::gsm::PDUTextConversion(hex, text);
    std::printf("%s\n", Escape(text).c_str());
    return 0;
}

}  // namespace

void PrintPduHelp(FILE* out) {
    std::fputs(
        "SMS PDU (the form the terminal uses in SMS mode):\n"
        "  kt4470ctl pdu encode --to NUMBER TEXT\n"
        "      Prints the SMS-SUBMIT PDU in hex, as sent after AT+CMGS, on one line.\n"
        "      NUMBER may begin with '+' (international); blanks and '-' in it are\n"
        "      ignored. TEXT is the command text, usually ending in \\r.\n"
        "  kt4470ctl pdu decode HEX\n"
        "      Prints the text of one PDU line of an AT+CMGL listing (received or\n"
        "      stored message). Lower-case hex digits are accepted.\n"
        "  TEXT and decoded output use the escapes \\r \\n \\t \\\\ and \\xHH; decoded\n"
        "  output shows every byte outside printable ASCII as \\xHH.\n"
        "  Exit status: 0 done, 2 bad arguments (message on stderr).\n",
        out);
}

int RunPdu(const std::vector<std::string>& args) {
    if (args.empty()) return BadArguments("missing verb (encode or decode)");
    const std::string& verb = args.front();
    if (verb == "--help" || verb == "-h" || verb == "help" || WantsHelp(args)) {
        PrintPduHelp(stdout);
        return 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (verb == "encode") return Encode(rest);
    if (verb == "decode") return Decode(rest);
    return BadArguments("unknown verb '" + Escape(verb) + "'");
}

}  // namespace kt::ctl
