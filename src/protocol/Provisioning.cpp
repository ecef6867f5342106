#include "protocol/Provisioning.h"

#include <stdexcept>

#include "protocol/ControlRanges.h"

namespace kt::protocol {

using kt::config::ConfigRecord;

std::vector<std::string> ProvisioningCommands(const ModuleSettings& s) {
    std::vector<std::string> out;
    for (int slot = 1; slot <= 7; ++slot)
        if (auto c = cmd::SetAlarmNumber(slot, s.alarmNumbers[static_cast<size_t>(slot - 1)]))
            out.push_back(std::move(*c));
    for (int slot = 1; slot <= 7; ++slot)
        if (auto w = cmd::SetPhoneBookEntry(slot, s.phoneBook[static_cast<size_t>(slot - 1)]); w.command)
            out.push_back(std::move(*w.command));
    out.push_back(cmd::SetMasks(s.tempMask, s.analogMask, s.digitalMask));
    for (size_t k = 0; k < s.externalTexts.size(); ++k)
        out.push_back(
            cmd::WriteText(cmd::TextBank::External, static_cast<int>(k + 1), s.externalTexts[k]).command);
    for (size_t k = 0; k < s.internalTexts.size(); ++k)
        out.push_back(
            cmd::WriteText(cmd::TextBank::Internal, static_cast<int>(k + 1), s.internalTexts[k]).command);
    for (size_t k = 0; k < s.analogMin.size(); ++k)
        out.push_back(cmd::AnalogLevels(static_cast<int>(k + 1), s.analogMin[k], s.analogMax[k]));
    out.push_back(cmd::AnalogModes(s.analogModes, s.multipliers, s.dividers));
    for (size_t k = 0; k < s.corrections20mA.size(); ++k)
        out.push_back(cmd::Correction20mA(static_cast<int>(k + 1), s.corrections20mA[k]));
    out.push_back(cmd::TimeoutFilters(s.tempTimeout, s.analogTimeout, s.digitalFilter));
    for (size_t k = 0; k < s.tempMin.size(); ++k)
        out.push_back(cmd::TempLevels(static_cast<int>(k + 1), s.tempMin[k], s.tempMax[k]));
    out.push_back(cmd::Parameters(s.sampleRate, s.loggerPeriod, s.pulses));
    for (size_t k = 0; k < cmd::kGprsParameters.size(); ++k)
        out.push_back(cmd::WriteParameter(cmd::kGprsParameters[k], s.gprs[k]).command);
    out.push_back(cmd::FinishSchedule(s.scheduleText, s.schedule).command);
    // A file that never held an option string (loaded as 16 blanks) has
    // nothing to write: blanks in every position would switch every option off.
    if (s.storedOptions.find_first_not_of(' ') != std::string::npos)
        out.push_back(cmd::SetOptions(s.storedOptions).command);
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
    return s;
}

}  // namespace kt::protocol
