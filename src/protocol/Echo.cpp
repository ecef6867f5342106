// Writing to the memos. Each memo echoes onto its own last line, so an echo
// into one memo never moves where another memo's echo lands.
#include "protocol/Engine.h"
#include "protocol/MemoLines.h"

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

void ProtocolEngine::AppendToMemo(Memo memo, const std::string& text) {
    // Only the new lines reach the window: the memo's text is never read and
    // set again, so a reply costs the same however long the memo is.
    for (const std::string& line : MemoLines::Split(text))
        window_.AppendMemoLine(memo, line);
}

void ProtocolEngine::EchoLine(Memo memo, const std::string& text) {
    EchoText(memo, text);
    EchoChar(memo, '\n');
}

}  // namespace kt::protocol
