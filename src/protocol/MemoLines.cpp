#include "protocol/MemoLines.h"

namespace kt::protocol {

std::string MemoLines::Line(int index) const {
    if (index < 0 || index >= Count()) return {};
    return lines_[static_cast<size_t>(index)];
}

void MemoLines::SetLine(int index, const std::string& text) {
    if (index < 0 || index >= Count()) return;
    lines_[static_cast<size_t>(index)] = text;
}

std::string MemoLines::Text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void MemoLines::SetText(const std::string& text) {
    lines_.clear();
    std::string line;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines_.push_back(line);
            line.clear();
            // CR LF is one line break.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
        ++i;
    }
    if (!line.empty()) lines_.push_back(line);
}

}  // namespace kt::protocol
