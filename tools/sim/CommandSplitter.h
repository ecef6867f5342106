// Cuts the byte stream of the serial line into the terminal's commands,
// however the reads happen to cut it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kt::sim {

struct Frame {
    bool framed = false;  // 14 blanks, "SETUP:", command, CR, NUL
    std::string text;     // the command after "SETUP:", or the raw line; no CR
};

class CommandSplitter {
  public:
    // Lines longer than this without a CR are dropped (line noise).
    static constexpr size_t kMaxLine = 4096;

    // Appends the bytes; returns every command completed by them. A line ends
    // at CR; one NUL right after the CR belongs to it. NUL bytes anywhere else
    // and a LF at the start of a line are ignored.
    std::vector<Frame> Feed(std::string_view bytes);

    // Bytes held while waiting for the CR.
    const std::string& Pending() const { return buffer_; }

  private:
    std::string buffer_;
};

// Splits one complete line (without CR) into framed command or raw text.
Frame ClassifyLine(std::string_view line);

}  // namespace kt::sim
