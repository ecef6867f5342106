// The traffic log's entries and its file format, one entry a line:
//
//   # kt4470 0.9.0 (git 607bab8) traffic log started 2026-12-08T17:01:02.345+01:00; port COM1 -> ...
//   # 2026-12-08T17:01:02.350+01:00 COM1 -> /dev/pts/3 open: 2400 8N1
//   2026-12-08T17:01:02.345+01:00 TX               SETUP:GETST\r\x00
//   2026-12-08T17:01:02.601+01:00 RX ST: IN 000000000000 ...\r\n
//
// Local time with milliseconds and UTC offset, TX or RX, one blank, then the
// bytes in the escapes of kt4470ctl (protocol/Escapes.h; leading and trailing blanks are
// part of the bytes). Lines starting with '#' are the header and what
// happened to the port; they carry text only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kt::traffic {

enum class Kind : uint8_t { Tx, Rx, Note };

struct Entry {
    uint64_t seq = 0;    // numbers every entry of a recorder, from 0, never reused
    int64_t monoUs = 0;  // monotonic clock, microseconds
    int64_t wallUs = 0;  // wall clock, microseconds since 1970-01-01 UTC
    Kind kind = Kind::Note;
    std::string bytes;  // Tx, Rx: the bytes on the line; Note: the text
};

// "2026-12-08T17:01:02.345+01:00": the local time of wallUs with
// milliseconds and the offset from UTC in force then.
std::string LocalTimeText(int64_t wallUs);

// "TX", "RX" or "#".
const char* KindText(Kind kind);

// One line of the file without its line end, and the same appended to out
// with a line feed.
std::string FormatLine(const Entry& entry);
void AppendLine(std::string& out, const Entry& entry);

// "53 45 54 55 50": every byte as two upper-case hex digits.
std::string HexText(std::string_view bytes);

// A line of the file read back (its line end removed): the kind, the time
// text and the bytes of a TX or RX line, or the text of a '#' line (the
// header's text has no time; then time is empty). False with the reason for
// a line that is neither.
struct ParsedLine {
    Kind kind = Kind::Note;
    std::string time;
    std::string bytes;
};
bool ParseLine(std::string_view line, ParsedLine& out, std::string* error = nullptr);

}  // namespace kt::traffic
