#include "ClockText.h"

namespace kt::sim {

namespace {

// Two decimal digits, or -1.
int TwoDigits(std::string_view s) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') return -1;
    return (s[0] - '0') * 10 + (s[1] - '0');
}

}  // namespace

bool ParseClockFields(std::string_view text, std::tm& tm) {
    if (text.size() < 17 || text[2] != '/' || text[5] != '/' || text[8] != ',' || text[11] != ':' ||
        text[14] != ':')
        return false;
    int f[6];
    for (int i = 0; i < 6; ++i) {
        f[i] = TwoDigits(text.substr(3 * i, 2));
        if (f[i] < 0) return false;
    }
    if (f[1] < 1 || f[1] > 12 || f[2] < 1 || f[2] > 31 || f[3] > 23 || f[4] > 59 || f[5] > 59) return false;
    tm = std::tm{};
    tm.tm_year = 100 + f[0];
    tm.tm_mon = f[1] - 1;
    tm.tm_mday = f[2];
    tm.tm_hour = f[3];
    tm.tm_min = f[4];
    tm.tm_sec = f[5];
    return true;
}

}  // namespace kt::sim
