// Bounded access to reply texts by 1-based character position, the way the
// reply layouts are described. Nothing here reads outside the text.
#pragma once

#include <string>
#include <string_view>

namespace kt::protocol::text {

inline int Len(std::string_view s) {
    return static_cast<int>(s.size());
}

// Character at a 1-based position; 0 outside the text.
inline unsigned char At(std::string_view s, int pos) {
    return (pos >= 1 && pos <= Len(s)) ? static_cast<unsigned char>(s[pos - 1]) : 0;
}

// count characters from a 1-based position, clipped to the text (empty when
// the position lies past the end or the count is not positive).
inline std::string Copy(std::string_view s, int pos, int count) {
    if (pos < 1) {
        count += pos - 1;
        pos = 1;
    }
    if (count <= 0 || pos > Len(s)) return {};
    return std::string(s.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(count)));
}

// Everything from a 1-based position to the end.
inline std::string From(std::string_view s, int pos) {
    return Copy(s, pos, Len(s));
}

// 1-based position of the first ch; 0 when absent.
inline int Pos(char ch, std::string_view s) {
    const size_t i = s.find(ch);
    return i == std::string_view::npos ? 0 : static_cast<int>(i) + 1;
}

// The text before its first ch; empty when ch is absent.
inline std::string CutBefore(std::string_view s, char ch) {
    return Copy(s, 1, Pos(ch, s) - 1);
}

inline bool IsLineBreak(unsigned char c) {
    return c == '\r' || c == '\n';
}
inline bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

}  // namespace kt::protocol::text
