// A memo's contents as a list of lines, with the semantics of a text list:
// Text() is every line followed by CR LF; SetText() splits at CR LF, a lone
// CR or a lone LF, and a trailing line break adds no empty line. A memo keeps
// its last kMemoMaxLines lines and drops the oldest, so that hours of replies
// neither fill the memory nor slow each new one down. Qt-free; the test
// window and the Qt memo adapter both keep their lines in one.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace kt::protocol {

inline constexpr int kMemoMaxLines = 5000;

class MemoLines {
  public:
    int Count() const { return static_cast<int>(lines_.size()); }
    // The line at a 0-based index; empty for an index the memo does not have.
    std::string Line(int index) const;
    // Replaces a line; an index the memo does not have changes nothing.
    void SetLine(int index, const std::string& text);
    void Append(const std::string& text);
    void Clear() { lines_.clear(); }

    std::string Text() const;
    void SetText(const std::string& text);
    // The lines SetText makes of a text.
    static std::vector<std::string> Split(const std::string& text);

    std::vector<std::string> Lines() const { return {lines_.begin(), lines_.end()}; }

  private:
    std::deque<std::string> lines_;  // dropping the oldest costs the same however many there are
};

}  // namespace kt::protocol
