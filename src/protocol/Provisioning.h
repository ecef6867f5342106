// Provisioning a module from a template: every value the pages' write
// buttons send, as one plain struct, and the ordered list of commands that
// pressing each page's write button once sends for it. The window gathers
// the struct from its controls; kt4470ctl fills it from a settings file the
// way the window loads one. Every command comes from ModuleCommands, the
// functions the page handlers call, so the window and the tool agree.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "config/ConfigRecord.h"
#include "protocol/ModuleCommands.h"

namespace kt::protocol {

struct ModuleSettings {
    std::array<std::string, 7> alarmNumbers;                    // NNumber1..7
    std::array<std::string, 7> phoneBook;                       // PBnr1..7
    std::string tempMask, analogMask, digitalMask;              // TNrFilter, ANrFilter, DNrFilter
    std::array<std::string, 57> externalTexts;                  // TXTSMS1..57
    std::array<std::string, 97> internalTexts;                  // iTXTSMS1..97
    std::array<int, 16> analogMin{}, analogMax{};               // ScrollBarMin1..16, ScrollBarMax1..16
    std::array<int, 8> analogModes{};                           // AMode1..8, -1 for none
    std::string multipliers, dividers;                          // AkoeffStr, ADividerStr
    std::array<std::string, 8> corrections20mA;                 // MUX1..8
    int tempTimeout = 0, analogTimeout = 0, digitalFilter = 0;  // TTimeout1SB, ATimeout1SB, DFilterSB
    std::array<int, 3> tempMin{}, tempMax{};  // ScrollBarT1min..T3min, ScrollBarT1max..T3max
    int sampleRate = 0, loggerPeriod = 1;     // SRateSB, DLoggerTmSB
    std::array<int, 8> pulses{};              // PulseDsb1..8
    // APN .. HTTP host, in the order of cmd::kGprsParameters.
    std::array<std::string, cmd::kGprsParameters.size()> gprs;
    std::string scheduleText;  // the schedule page's working text
    cmd::ScheduleControls schedule;
    std::string storedOptions;  // the "Other" page's stored option string

    friend bool operator==(const ModuleSettings&, const ModuleSettings&) = default;
};

// The commands in their fixed order: alarm numbers that pass their check,
// SIM phone-book entries, the masks, external texts 1..57, internal texts
// and names 1..97, analog levels 1..16, modes, 20 mA corrections 1..8, the
// full timeout filter, temperature levels 1..3, parameters, the nine GPRS,
// FTP and HTTP parameters, the schedule, and the stored option string when
// it holds anything but blanks. The texts are those handed to SendSMS.
std::vector<std::string> ProvisioningCommands(const ModuleSettings& s);

// What a window started with this record shows: the values limited as its
// controls limit them, the masks, the schedule and the option string
// repaired as loading repairs them.
ModuleSettings SettingsFromRecord(const kt::config::ConfigRecord& record);

}  // namespace kt::protocol
