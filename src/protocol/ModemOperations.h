// Texts of the modem operations: the clock texts built from the local time.
// The operations themselves are methods of ProtocolEngine (defined in
// ModemOperations.cpp).
#pragma once

#include <string>

#include "protocol/WindowInterface.h"

namespace kt::protocol {

// "yy/MM/dd,hh:mm:ss": two-digit year, month and day, 24-hour time.
std::string ModuleClockText(const LocalTime& t);
// The module command that sets its clock: "SETTM " + clock text + zone
// (the first three characters of zone).
std::string SetClockCommand(const LocalTime& t, const std::string& zone);
// "AT+CCLK=" with the quoted clock; the zone is left out for a modem whose
// manufacturer reads "SIEMENS" (first seven characters).
std::string ModemClockCommand(const LocalTime& t, const std::string& zone, const std::string& manufacturer);

}  // namespace kt::protocol
