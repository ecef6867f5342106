#include "protocol/Escapes.h"

namespace kt::protocol {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& out, unsigned char c) {
    out += "\\x";
    out += kHexDigits[c >> 4];
    out += kHexDigits[c & 0x0F];
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool Unescape(const std::string& in, std::string& out, std::string& error) {
    std::string result;
    result.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c != '\\') {
            result += c;
            continue;
        }
        if (i + 1 >= in.size()) {
            error = "trailing backslash";
            return false;
        }
        const char e = in[++i];
        switch (e) {
            case 'r':
                result += '\r';
                break;
            case 'n':
                result += '\n';
                break;
            case 't':
                result += '\t';
                break;
            case '\\':
                result += '\\';
                break;
            case 'x': {
                const int hi = i + 1 < in.size() ? HexValue(in[i + 1]) : -1;
                const int lo = i + 2 < in.size() ? HexValue(in[i + 2]) : -1;
                if (hi < 0 || lo < 0) {
                    error = "\\x needs two hex digits";
                    return false;
                }
                result += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                error = "unknown escape \\" + Escape(std::string(1, e));
                return false;
        }
    }
    out = std::move(result);
    return true;
}

std::string Escape(const std::string& in) {
    std::string out;
    out.reserve(in.size());
    for (const char ch : in) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c >= 0x20 && c <= 0x7E) {
            out += ch;
        } else {
            AppendHex(out, c);
        }
    }
    return out;
}

std::string PrintableLine(const std::string& in) {
    std::string out;
    out.reserve(in.size());
    for (const char ch : in) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c <= 0x7E)
            out += ch;
        else
            AppendHex(out, c);
    }
    return out;
}

}  // namespace kt::protocol
