// How a module command goes out in direct mode, as pure functions: the
// window's SendSMS and kt4470ctl send both frame with them.
#pragma once

#include <string>
#include <string_view>

namespace kt::protocol {

// 14 blanks, then "SETUP:": what precedes every framed module command.
inline constexpr std::string_view kModulePrefix = "              SETUP:";

// The command with the blanks the module reads as a fixed width: text
// commands ("SETTX", "GETTX") shorter than 48 characters are filled to 48,
// at most 32 blanks; internal texts and names ("SETTI", "GETTI") to 23.
std::string FilledCommand(std::string_view command);

// The command line of both modes: the filled command and a CR.
std::string CommandLine(std::string_view command);

// The bytes of one command in direct mode: the prefix, the command line and a
// NUL; a raw (pass-through) command is only its command line.
std::string DirectFrame(std::string_view command, bool raw = false);

}  // namespace kt::protocol
