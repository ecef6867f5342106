#include "protocol/MemoLines.h"

#include <algorithm>
#include <iterator>

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

void MemoLines::Append(const std::string& text) {
    lines_.push_back(text);
    while (Count() > kMemoMaxLines)
        lines_.pop_front();
}

void MemoLines::SetText(const std::string& text) {
    std::vector<std::string> lines = Split(text);
    const std::size_t keep = std::min<std::size_t>(lines.size(), kMemoMaxLines);
    lines_.assign(std::make_move_iterator(lines.end() - static_cast<std::ptrdiff_t>(keep)),
                  std::make_move_iterator(lines.end()));
}

std::vector<std::string> MemoLines::Split(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            // CR LF is one line break.
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
        ++i;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace kt::protocol
