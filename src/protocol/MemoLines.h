// A memo's contents as a list of lines, with the semantics of a text list:
// Text() is every line followed by CR LF; SetText() splits at CR LF, a lone
// CR or a lone LF, and a trailing line break adds no empty line. Qt-free; the
// test window and the Qt memo adapter both keep their lines in one.
#pragma once

#include <string>
#include <vector>

namespace kt::protocol {

class MemoLines {
  public:
    int Count() const { return static_cast<int>(lines_.size()); }
    // The line at a 0-based index; empty for an index the memo does not have.
    std::string Line(int index) const;
    // Replaces a line; an index the memo does not have changes nothing.
    void SetLine(int index, const std::string& text);
    void Append(const std::string& text) { lines_.push_back(text); }
    void Clear() { lines_.clear(); }

    std::string Text() const;
    void SetText(const std::string& text);

    const std::vector<std::string>& Lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
};

}  // namespace kt::protocol
