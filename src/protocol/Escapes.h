// Byte strings as text: backslash escapes for the bytes a shell argument, a
// terminal line or a line of a log cannot carry plainly (kt4470ctl's command
// lines and output, the SMS delivery log).
#pragma once

#include <string>

namespace kt::protocol {

// Turns \r, \n, \t, \\ and \xHH (two hex digits, either case) into their
// bytes; every other character stands for itself. Returns false and says why
// in error on an unknown escape, a lone trailing backslash or a short \x.
bool Unescape(const std::string& in, std::string& out, std::string& error);

// The reverse for output: printable ASCII as is except the backslash; CR, LF
// and TAB as \r, \n, \t; every other byte as \xHH (upper-case digits).
std::string Escape(const std::string& in);

// A message line safe for a terminal: every byte outside printable ASCII as
// \xHH, everything else (backslashes of escaped parts included) as is. The
// last guard on stderr, for texts that echo something not escaped already.
std::string PrintableLine(const std::string& in);

}  // namespace kt::protocol
