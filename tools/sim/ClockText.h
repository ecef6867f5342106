// The clock text both simulated devices take: "yy/MM/dd,hh:mm:ss".
#pragma once

#include <ctime>
#include <string_view>

namespace kt::sim {

// Reads the first 17 characters of text as "yy/MM/dd,hh:mm:ss" into the
// calendar fields of tm (years 2000..2099; the other fields of tm are zero).
// False when the form is wrong or a field is out of its range.
bool ParseClockFields(std::string_view text, std::tm& tm);

}  // namespace kt::sim
