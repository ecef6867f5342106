// The monitor echo. Each memo echoes onto its own last line, so an echo into
// one memo never moves where another memo's echo lands.
#include "protocol/Engine.h"

namespace kt::protocol {
namespace {

char Printable(char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c >= 32 && c <= 126) ? ch : ' ';
}

}  // namespace

void ProtocolEngine::EchoText(Memo memo, const std::string& text) {
    std::string shown = text;
    for (char& c : shown)
        c = Printable(c);
    const int count = window_.MemoLineCount(memo);
    if (count == 0) {
        window_.AppendMemoLine(memo, shown);
        return;
    }
    window_.SetMemoLine(memo, count - 1, window_.MemoLine(memo, count - 1) + shown);
}

void ProtocolEngine::EchoChar(Memo memo, char ch) {
    if (ch == '\r') return;
    if (ch == '\n') {
        window_.AppendMemoLine(memo, "");
        return;
    }
    EchoText(memo, std::string(1, ch));
}

void ProtocolEngine::EchoLine(Memo memo, const std::string& text) {
    EchoText(memo, text);
    EchoChar(memo, '\n');
}

}  // namespace kt::protocol
