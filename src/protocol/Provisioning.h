// Provisioning a module from a template: every value the pages' write
// buttons send, as one plain struct, and the ordered list of commands that
// pressing each page's write button once sends for it. The window gathers
// the struct from its controls; kt4470ctl fills it from a settings file the
// way the window loads one. Every command comes from ModuleCommands, the
// functions the page handlers call, so the window and the tool agree.
#pragma once

#include <array>
#include <map>
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
    std::string storedOptions;     // the "Other" page's stored option string
    bool alternateModule = false;  // the sibling module's layout (KTM447QD1)

    friend bool operator==(const ModuleSettings&, const ModuleSettings&) = default;
};

// One command and its slot: the keyword and index that name the setting it
// writes ("SETNN3", "SETPB1", "SETME", "SETTX14", "SETTI70", "ANLEV5",
// "ANLEW1", "AMODE", "K20MA2", "SETTF", "TCLEV2", "SETTN", "SETAP" .. "SETRH",
// "SETSH", "SETMP"). Two commands of one slot write the same setting.
struct SlotCommand {
    std::string slot;
    std::string command;
    friend bool operator==(const SlotCommand&, const SlotCommand&) = default;
};

// The commands in their fixed order: alarm numbers that pass their check,
// SIM phone-book entries, the masks, external texts 1..57, internal texts
// and names 1..97, analog levels 1..16, modes, 20 mA corrections 1..8, the
// full timeout filter, temperature levels 1..3, parameters, the nine GPRS,
// FTP and HTTP parameters, the schedule, and the stored option string when
// it holds anything but blanks. The texts are those handed to SendSMS. With
// the alternate layout, the texts of the slots it disables and the levels of
// the analog inputs Panel1 covers are left out (AlternateModule.h).
std::vector<SlotCommand> ProvisioningSlots(const ModuleSettings& s);
std::vector<std::string> ProvisioningCommands(const ModuleSettings& s);

// What a module was last given, slot by slot: the command each slot got.
class CommandBaseline {
  public:
    CommandBaseline() = default;
    explicit CommandBaseline(const std::vector<SlotCommand>& commands);
    // The slot's command is now the module's (it was answered).
    void Set(const SlotCommand& c);
    // The module may not hold what the slot was given (a verify found it
    // holding something else): its next command counts as changed.
    void Forget(const std::string& slot);
    // True when the module was given this command's bytes for its slot: the
    // same text once filled to its fixed width, so a text that differs only
    // in the trailing blanks the filling adds counts as the same.
    bool Holds(const SlotCommand& c) const;
    size_t Size() const;

  private:
    std::map<std::string, std::string> slots_;  // slot to its command, filled
};

// The commands of `now` the module was not given: each whose slot is new or
// whose bytes differ, in the order of `now`.
std::vector<SlotCommand> CommandsSince(const std::vector<SlotCommand>& now, const CommandBaseline& baseline);

// What a window started with this record shows: the values limited as its
// controls limit them, the masks, the schedule and the option string
// repaired as loading repairs them.
ModuleSettings SettingsFromRecord(const kt::config::ConfigRecord& record);

}  // namespace kt::protocol
