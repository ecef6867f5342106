#include "app/ModuleSettingsOf.h"

#include <stdexcept>

#include "app/Form1.h"
#include "pages/OtherPage.h"
#include "pages/SmsSchedulePage.h"

namespace kt::app {

namespace cmd = kt::protocol::cmd;
using kt::protocol::PageIndex;

namespace {

// The registry's controls; a name no page built is a programming error.
class Controls {
  public:
    explicit Controls(const ControlRegistry& r) : r_(r) {}
    std::string Text(const std::string& name) const { return TextOf(Get(name)); }
    int Value(const std::string& name) const { return ValueOf(Get(name)); }
    template <size_t N>
    void Texts(const std::string& pattern, std::array<std::string, N>& out) const {
        for (size_t k = 0; k < N; ++k)
            out[k] = Text(NameOf(pattern, static_cast<int>(k + 1)));
    }
    template <size_t N>
    void Values(const std::string& pattern, std::array<int, N>& out) const {
        for (size_t k = 0; k < N; ++k)
            out[k] = Value(NameOf(pattern, static_cast<int>(k + 1)));
    }

  private:
    const QWidget* Get(const std::string& name) const {
        const QWidget* w = r_.Find(name);
        if (!w) throw std::logic_error("provisioning reads a missing control: " + name);
        return w;
    }
    const ControlRegistry& r_;
};

}  // namespace

kt::protocol::ModuleSettings ModuleSettingsOf(TForm1& form) {
    const Controls c(form.Controls());
    kt::protocol::ModuleSettings s;
    c.Texts("NNumber%1", s.alarmNumbers);
    c.Texts("PBnr%1", s.phoneBook);
    s.tempMask = c.Text(std::string(cmd::GroupRow(cmd::MaskGroup::Temp).edit));
    s.analogMask = c.Text(std::string(cmd::GroupRow(cmd::MaskGroup::Analog).edit));
    s.digitalMask = c.Text(std::string(cmd::GroupRow(cmd::MaskGroup::Digital).edit));
    c.Texts("TXTSMS%1", s.externalTexts);
    c.Texts("iTXTSMS%1", s.internalTexts);
    c.Values("ScrollBarMin%1", s.analogMin);
    c.Values("ScrollBarMax%1", s.analogMax);
    c.Values("AMode%1", s.analogModes);
    s.multipliers = c.Text("AkoeffStr");
    s.dividers = c.Text("ADividerStr");
    c.Texts("MUX%1", s.corrections20mA);
    s.tempTimeout = c.Value("TTimeout1SB");
    s.analogTimeout = c.Value("ATimeout1SB");
    s.digitalFilter = c.Value("DFilterSB");
    c.Values("ScrollBarT%1min", s.tempMin);
    c.Values("ScrollBarT%1max", s.tempMax);
    s.sampleRate = c.Value("SRateSB");
    s.loggerPeriod = c.Value("DLoggerTmSB");
    c.Values("PulseDsb%1", s.pulses);
    for (size_t k = 0; k < cmd::kGprsParameters.size(); ++k)
        s.gprs[k] = c.Text(std::string(cmd::kGprsParameters[k].edit));

    const auto& schedule = static_cast<const SmsSchedulePage&>(*form.PageAt(PageIndex::SmsSchedule));
    s.scheduleText = schedule.ScheduleText;
    s.schedule.type = c.Value("SMSShed");
    s.schedule.timeout = c.Value("RadioGroup1");
    for (int n = 1; n <= 4; ++n) {
        s.schedule.enabled[static_cast<size_t>(n - 1)] = c.Value(NameOf("CheckBoxS%1", n)) != 0;
        s.schedule.hour[static_cast<size_t>(n - 1)] = c.Value(NameOf("TrackBar%1", n));
    }
    s.storedOptions = static_cast<const OtherPage&>(*form.PageAt(PageIndex::Other)).StoredOptions();
    s.alternateModule = form.Config.AlternateModule();
    return s;
}

}  // namespace kt::app
