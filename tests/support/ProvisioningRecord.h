// A settings record with a value on every page that provisioning sends,
// including values the window limits or repairs at loading, in the
// alternate layout: the common input of the kt4470ctl commands test and the
// window's agreement test.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "config/ConfigRecord.h"

namespace kt::test {

inline config::ConfigRecord ProvisioningRecord() {
    config::ConfigRecord r;
    // Alarm numbers 1, 3 and 5 pass their check; 2 (too short), 4 (second
    // character no digit), 6 (empty) and 7 (third character a letter) fail.
    const char* const alarm[] = {"+4917012345", "12", "+12345678", "1+2", "12+9", "", "+1a"};
    const char* const book[] = {"", "+4917", "x1", "", "0171", "", ""};
    for (int n = 1; n <= 7; ++n) {
        r.SetAlarmNumber(n, alarm[n - 1]);
        r.SetPhoneBookNumber(n, book[n - 1]);
    }
    r.SetTempRouteMask("F-F");
    r.SetAnalogRouteMask("FFFFFFFF");
    r.SetDigitalRouteMask("FFFFFFFFFFF");  // one short: padded with a disabled row
    r.SetExtSmsText(1, "Temperature 1 < MINIMUM ");
    r.SetExtSmsText(2, "Temperature 1 Normal, and on and on");  // 26 characters kept
    r.SetExtSmsText(5, "A\rB");
    r.SetExtSmsText(6, "Caf\xE9");
    r.SetIntSmsText(70, "INP1 0");
    r.SetAnalogMin(1, 150);
    r.SetAnalogMax(1, -3);
    r.SetAnalogMin(3, 5);
    r.SetAnalogMax(3, 80);
    r.SetAnalogMin(11, 5);
    r.SetAnalogMax(11, 80);
    r.SetAnalogMin(16, 99);
    r.SetAnalogMax(16, 99);
    r.SetAnalogMode(4, 1);
    r.SetAnalogMode(7, -2);
    r.SetAnalogMode(8, 5);
    r.SetAnalogMultipliers("11111111");
    r.SetAnalogDividers("11111111");
    r.SetMuxText(1, "100");
    r.SetMuxText(2, "1234");  // three characters kept
    r.SetTempTimeout(5);
    r.SetAnalogTimeout(30);
    r.SetDigitalFilter(2);
    r.SetTempMin(1, -99);
    r.SetTempMax(1, 149);
    r.SetTempMin(2, -5);
    r.SetTempMax(2, 35);
    r.SetTempMin(3, -150);
    r.SetSampleRate(7);  // the GPRS page's copy wins
    r.SetGprsSampleRate(3);
    r.SetGprsLoggerPeriod(2);  // the logger bar's own field wins
    r.SetLoggerPeriod(9);
    r.SetPulseLength(2, 9);
    r.SetPulseLength(8, 12);
    r.SetGprsUser("user 1");
    r.SetServerAddress("10.0.0.1");
    r.SetFtpHost("ftp.example.org");
    r.SetFtpPassword(" s3cret");
    r.SetFtpDirectory("IMEI");
    r.SetScheduleString("T4407");  // short: padded to nine
    r.SetOtherFlags("MPEDEDDDDEEDEDE");
    r.SetAlternateModule(true);
    return r;
}

// What the alternate layout (the sibling module: no analog inputs 5..8, no
// digital inputs 8..12, no outputs 6..8) leaves out of provisioning, by
// keyword and slot; the layout disables the buttons that send these.
struct AlternateOmission {
    const char* keyword;
    std::vector<std::pair<int, int>> ranges;
};
inline const AlternateOmission kAlternateOmissions[] = {
    {"SETTX", {{22, 33}, {41, 45}, {53, 57}}},
    {"SETTI", {{22, 33}, {41, 45}, {53, 57}, {65, 69}, {77, 81}, {87, 89}, {95, 97}}},
    {"ANLEV", {{5, 8}}},
};

inline bool AlternateOmits(const std::string& keyword, int n) {
    for (const auto& o : kAlternateOmissions)
        for (const auto& [first, last] : o.ranges)
            if (keyword == o.keyword && n >= first && n <= last) return true;
    return false;
}

}  // namespace kt::test
