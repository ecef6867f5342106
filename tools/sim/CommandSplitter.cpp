#include "CommandSplitter.h"

namespace kt::sim {

Frame ClassifyLine(std::string_view line) {
    Frame f;
    size_t blanks = 0;
    while (blanks < line.size() && line[blanks] == ' ')
        ++blanks;
    static constexpr std::string_view kSetup = "SETUP:";
    if (line.substr(blanks, kSetup.size()) == kSetup) {
        f.framed = true;
        f.text = std::string(line.substr(blanks + kSetup.size()));
    } else {
        f.text = std::string(line);
    }
    return f;
}

std::vector<Frame> CommandSplitter::Feed(std::string_view bytes) {
    std::vector<Frame> out;
    for (char c : bytes) {
        if (c == '\0') continue;  // the NUL after a framed command, or stray
        if (c == '\r') {
            out.push_back(ClassifyLine(buffer_));
            buffer_.clear();
            continue;
        }
        if (c == '\n' && buffer_.empty()) continue;
        if (buffer_.size() >= kMaxLine) buffer_.clear();
        buffer_ += c;
    }
    return out;
}

}  // namespace kt::sim
