#include "protocol/Provisioning.h"

#include <stdexcept>

#include "protocol/AlternateModule.h"
#include "protocol/ControlRanges.h"
#include "protocol/Framing.h"

namespace kt::protocol {

using kt::config::ConfigRecord;

namespace {

std::string Index(int n, int width = 1) {
    std::string digits = std::to_string(n);
    if (digits.size() < static_cast<size_t>(width))
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

// The keyword of a command: its first five characters.
std::string Keyword(const std::string& command) {
    return command.substr(0, 5);
}

}  // namespace

std::vector<SlotCommand> ProvisioningSlots(const ModuleSettings& s) {
    std::vector<SlotCommand> out;
    const auto add = [&out](std::string slot, std::string command) {
        out.push_back({std::move(slot), std::move(command)});
    };
    // The slot of a command named by its own keyword (the text banks, the
    // analog level pairs, the parameters).
    const auto addKeyed = [&add](std::string command, const std::string& index) {
        std::string slot = Keyword(command) + index;
        add(std::move(slot), std::move(command));
    };
    for (int slot = 1; slot <= 7; ++slot)
        if (auto c = cmd::SetAlarmNumber(slot, s.alarmNumbers[static_cast<size_t>(slot - 1)]))
            add("SETNN" + Index(slot), std::move(*c));
    for (int slot = 1; slot <= 7; ++slot)
        if (auto w = cmd::SetPhoneBookEntry(slot, s.phoneBook[static_cast<size_t>(slot - 1)]); w.command)
            add("SETPB" + Index(slot), std::move(*w.command));
    add("SETME", cmd::SetMasks(s.tempMask, s.analogMask, s.digitalMask));
    const auto texts = [&](cmd::TextBank bank, const auto& values) {
        for (size_t k = 0; k < values.size(); ++k) {
            const int slot = static_cast<int>(k + 1);
            if (s.alternateModule && AlternateOmitsText(bank, slot)) continue;
            addKeyed(cmd::WriteText(bank, slot, values[k]).command, Index(slot, 2));
        }
    };
    texts(cmd::TextBank::External, s.externalTexts);
    texts(cmd::TextBank::Internal, s.internalTexts);
    for (size_t k = 0; k < s.analogMin.size(); ++k) {
        const int input = static_cast<int>(k + 1);
        if (s.alternateModule && kAlternateOffAnalogInputs.Holds(input)) continue;
        addKeyed(cmd::AnalogLevels(input, s.analogMin[k], s.analogMax[k]),
                 Index(input > 8 ? input - 8 : input));
    }
    add("AMODE", cmd::AnalogModes(s.analogModes, s.multipliers, s.dividers));
    for (size_t k = 0; k < s.corrections20mA.size(); ++k)
        add("K20MA" + Index(static_cast<int>(k + 1)),
            cmd::Correction20mA(static_cast<int>(k + 1), s.corrections20mA[k]));
    add("SETTF", cmd::TimeoutFilters(s.tempTimeout, s.analogTimeout, s.digitalFilter));
    for (size_t k = 0; k < s.tempMin.size(); ++k)
        add("TCLEV" + Index(static_cast<int>(k + 1)),
            cmd::TempLevels(static_cast<int>(k + 1), s.tempMin[k], s.tempMax[k]));
    add("SETTN", cmd::Parameters(s.sampleRate, s.loggerPeriod, s.pulses));
    for (size_t k = 0; k < cmd::kGprsParameters.size(); ++k)
        addKeyed(cmd::WriteParameter(cmd::kGprsParameters[k], s.gprs[k]).command, "");
    add("SETSH", cmd::FinishSchedule(s.scheduleText, s.schedule).command);
    // A file that never held an option string (loaded as 16 blanks) has
    // nothing to write: blanks in every position would switch every option off.
    if (s.storedOptions.find_first_not_of(' ') != std::string::npos)
        add("SETMP", cmd::SetOptions(s.storedOptions).command);
    return out;
}

std::vector<std::string> ProvisioningCommands(const ModuleSettings& s) {
    std::vector<std::string> out;
    for (SlotCommand& c : ProvisioningSlots(s))
        out.push_back(std::move(c.command));
    return out;
}

CommandBaseline::CommandBaseline(const std::vector<SlotCommand>& commands) {
    for (const SlotCommand& c : commands)
        Set(c);
}

void CommandBaseline::Set(const SlotCommand& c) {
    slots_[c.slot] = FilledCommand(c.command);
}

void CommandBaseline::Forget(const std::string& slot) {
    slots_.erase(slot);
}

bool CommandBaseline::Holds(const SlotCommand& c) const {
    const auto held = slots_.find(c.slot);
    return held != slots_.end() && held->second == FilledCommand(c.command);
}

size_t CommandBaseline::Size() const {
    return slots_.size();
}

std::vector<SlotCommand> CommandsSince(const std::vector<SlotCommand>& now, const CommandBaseline& baseline) {
    std::vector<SlotCommand> out;
    for (const SlotCommand& c : now)
        if (!baseline.Holds(c)) out.push_back(c);
    return out;
}

ModuleSettings SettingsFromRecord(const ConfigRecord& r) {
    using namespace range;
    ModuleSettings s;
    for (int k = 1; k <= 7; ++k) {
        s.alarmNumbers[static_cast<size_t>(k - 1)] = r.AlarmNumber(k);
        s.phoneBook[static_cast<size_t>(k - 1)] = r.PhoneBookNumber(k);
    }
    s.tempMask = cmd::LoadMask(cmd::MaskGroup::Temp, r.TempRouteMask());
    s.analogMask = cmd::LoadMask(cmd::MaskGroup::Analog, r.AnalogRouteMask());
    s.digitalMask = cmd::LoadMask(cmd::MaskGroup::Digital, r.DigitalRouteMask());
    for (size_t k = 0; k < s.externalTexts.size(); ++k)
        s.externalTexts[k] = r.ExtSmsText(static_cast<int>(k + 1));
    for (size_t k = 0; k < s.internalTexts.size(); ++k)
        s.internalTexts[k] = r.IntSmsText(static_cast<int>(k + 1));
    for (size_t k = 0; k < s.analogMin.size(); ++k) {
        s.analogMin[k] = kAnalogLevel.Limit(r.AnalogMin(static_cast<int>(k + 1)));
        s.analogMax[k] = kAnalogLevel.Limit(r.AnalogMax(static_cast<int>(k + 1)));
    }
    for (size_t k = 0; k < s.analogModes.size(); ++k)
        s.analogModes[k] = RadioIndex(r.AnalogMode(static_cast<int>(k + 1)), kAnalogModeItems);
    s.multipliers = r.AnalogMultipliers();
    s.dividers = r.AnalogDividers();
    for (size_t k = 0; k < s.corrections20mA.size(); ++k)
        s.corrections20mA[k] = r.MuxText(static_cast<int>(k + 1));
    s.tempTimeout = kTimeout.Limit(r.TempTimeout());
    s.analogTimeout = kTimeout.Limit(r.AnalogTimeout());
    s.digitalFilter = kDigitalFilter.Limit(r.DigitalFilter());
    for (size_t k = 0; k < s.tempMin.size(); ++k) {
        s.tempMin[k] = kTempLevel.Limit(r.TempMin(static_cast<int>(k + 1)));
        s.tempMax[k] = kTempLevel.Limit(r.TempMax(static_cast<int>(k + 1)));
    }
    // The sampling bar takes the GPRS page's copy last; the logger bar its
    // own field last (its twin's copy comes before).
    s.sampleRate = kSampleRate.Limit(r.GprsSampleRate());
    s.loggerPeriod = kLoggerPeriod.Limit(r.LoggerPeriod());
    for (size_t k = 0; k < s.pulses.size(); ++k)
        s.pulses[k] = kPulse.Limit(r.PulseLength(static_cast<int>(k + 1)));
    for (size_t k = 0; k < cmd::kGprsParameters.size(); ++k) {
        const kt::config::FieldDef* field = kt::config::FindField(cmd::kGprsParameters[k].recordField);
        if (!field) throw std::logic_error("parameter row names no record field");
        s.gprs[k] = r.GetString(*field);
    }

    // The schedule page as loading leaves it: the hours first (their boxes are
    // still off, so the text keeps them), then the type and the timeout, whose
    // handlers edit the text when the selection changes from its first item.
    const std::string stored = r.ScheduleString();
    s.scheduleText = cmd::LoadSchedule(stored);
    const cmd::ScheduleView view = cmd::DecodeSchedule(stored);
    for (size_t k = 0; k < view.hours.size(); ++k) {
        s.schedule.enabled[k] = view.hours[k].has_value();
        if (view.hours[k]) s.schedule.hour[k] = *view.hours[k];
    }
    if (view.type != s.schedule.type) {
        s.schedule.type = view.type;
        s.scheduleText = cmd::ScheduleTypeEdit(s.scheduleText, view.type);
    }
    if (view.timeout && *view.timeout != s.schedule.timeout) {
        s.schedule.timeout = *view.timeout;
        s.scheduleText = cmd::ScheduleTimeoutEdit(s.scheduleText, s.schedule);
    }

    s.storedOptions = r.OtherFlags();
    s.storedOptions.resize(cmd::kOptionsLength, ' ');
    s.alternateModule = r.AlternateModule();
    return s;
}

}  // namespace kt::protocol
