// The limits of the window's persistent scroll bars, track bars and radio
// groups. The pages build their controls with them, and Provisioning applies
// the same limits to a settings record, so a stored value reaches a command
// limited exactly as the window's control limits it at loading.
#pragma once

#include <algorithm>

namespace kt::protocol::range {

struct Range {
    int min;
    int max;
    // A stored position as the control shows it.
    constexpr int Limit(int value) const { return std::clamp(value, min, max); }
};

inline constexpr Range kAnalogLevel{0, 99};   // ScrollBarMin1..16, ScrollBarMax1..16
inline constexpr Range kTempLevel{-99, 149};  // ScrollBarT1min..T3max
inline constexpr Range kTimeout{0, 99};       // TTimeout1SB, ATimeout1SB and their twins
inline constexpr Range kDigitalFilter{0, 9};  // DFilterSB, DFilterSBd
inline constexpr Range kPulse{0, 9};          // PulseDsb1..8
inline constexpr Range kSampleRate{0, 9};     // SRateSB, eSRateSB
inline constexpr Range kLoggerPeriod{1, 6};   // DLoggerTmSB
inline constexpr Range kLinesInFile{1, 9};    // eDLoggerTmSB
inline constexpr Range kScheduleHour{0, 23};  // TrackBar1..4

// Items of the radio groups loaded from a stored index.
inline constexpr int kAnalogModeItems = 2;  // AMode1..8: "5,10V,20mA", "4-20mA"

// A stored item index as a radio group of that many items selects it: a
// negative one selects none (-1), one at or beyond the last selects the last.
constexpr int RadioIndex(int stored, int items) {
    if (stored < 0) return -1;
    return std::min(stored, items - 1);
}

}  // namespace kt::protocol::range
