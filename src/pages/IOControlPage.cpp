#include "pages/IOControlPage.h"

#include <array>

#include "protocol/ControlRanges.h"

namespace kt::app {

using kt::config::ConfigRecord;
using kt::config::FieldId;
namespace cmd = kt::protocol::cmd;
namespace range = kt::protocol::range;

IOControlPage::IOControlPage(PageHost& host) : Page(host, kt::protocol::PageIndex::IOControl) {
    BuildOutputs();
    BuildInputs();
    BuildParameters();
    BuildFilter();
}

// ---- controls ----------------------------------------------------------------------

void IOControlPage::BuildOutputs() {
    QWidget* group = Builder().Panel({"OutputsControl", {.x = 8, .y = 4, .w = 536, .h = 224}},
                                     {.caption = "Outputs Control"});
    auto b = Builder().In(group);
    const Place row{.y = 18, .h = 23, .dy = 25};
    // Output1..Output7 take the common entry colour on a page change, Output8 does not.
    b.Edits({"Output%1", 1, 7, row.Column(62, 34, 1)},
            {.text = "OFF", .readOnly = true, .recolour = true, .accessible = "Output %1 state"});
    b.Edits({"Output%1", 8, 8, {.x = 62, .y = 19 + 7 * 25, .w = 34, .h = 21}},
            {.text = "OFF", .readOnly = true, .accessible = "Output %1 state"});
    b.Labels({"OutputLabel%1", 1, 8, row.Column(8, 52, 3)}, {.caption = "Output %1", .buddy = "Output%1"});
    b.Buttons({"SetOut%1", 1, 8, row.Column(102, 72)},
              {.caption = "Out%1 ON", .click = [this](int k) { SetOutClick(k); }});
    b.Buttons({"ResetOut%1", 1, 8, row.Column(178, 72)},
              {.caption = "Out%1 OFF", .click = [this](int k) { ResetOutClick(k); }});
    b.Buttons({"GetOut%1", 1, 8, row.Column(254, 72)},
              {.caption = "Get Out%1", .click = [this](int k) { GetOutClick(k); }});
    b.Button({"GetOutState", {.x = 340, .y = 18, .w = 186, .h = 25}},
             {.caption = "Get All Output Text State", .click = [this](int) { GetOutStateClick(); }});

    b.Button({"SetOutBin", {.x = 340, .y = 78, .w = 116, .h = 25}},
             {.caption = "OUTPUT parallel =", .click = [this](int) { SetOutBinClick(); }});
    b.Edit({"OutputBin", {.x = 458, .y = 80, .w = 68, .h = 21}},
           {.text = "00000000", .maxLength = 8, .accessible = "Outputs 1 to 8"});
    b.Label({"OutputBinLabel", {.x = 458, .y = 62, .w = 70, .h = 16}}, {.caption = "1............8"});
}

void IOControlPage::BuildInputs() {
    QWidget* group =
        Builder().Panel({"InputsState", {.x = 8, .y = 232, .w = 536, .h = 106}}, {.caption = "Inputs State"});
    auto b = Builder().In(group);
    b.Buttons({"GetInp%1", 1, 12, {.x = 8, .y = 18, .w = 82, .h = 25, .dx = 86, .perLine = 6, .lineDy = 28}},
              {.caption = "Get Inp%1", .click = [this](int k) { GetInpClick(k); }});
    b.Button({"GetAllInput", {.x = 8, .y = 76, .w = 186, .h = 25}},
             {.caption = "Get All Input Text State", .click = [this](int) { GetAllInputClick(); }});
}

void IOControlPage::BuildParameters() {
    QWidget* panel = Builder().Panel({"PulsePanel", {.x = 552, .y = 4, .w = 288, .h = 372}});
    auto b = Builder().In(panel);
    // One line: caption, low end, bar, high end, display edit.
    constexpr int kCaptionW = 88, kLowX = 96, kBarX = 108, kBarW = 88, kEditX = 214, kEditW = 30;
    const auto ends = [&b](const std::string& bar, int y, const char* low, const char* high) {
        b.Label({bar + "Low", {.x = kLowX, .y = y, .w = 10, .h = 16}}, {.caption = low});
        b.Label({bar + "High", {.x = 200, .y = y, .w = 12, .h = 16}}, {.caption = high});
    };

    b.Label({"PulseTitle", {.x = 8, .y = 6, .w = 270, .h = 16}}, {.caption = "Output Pulse or Latch mode"});
    const Place pulse{.y = 26, .h = 17, .dy = 24};
    b.ScrollBars({"PulseDsb%1", 1, 8, pulse.Column(kBarX, kBarW)},
                 {.min = range::kPulse.min,
                  .max = range::kPulse.max,
                  .accessible = "Output %1 pulse length",
                  .change = [this](int k) { PulseDsbChange(k); }});
    b.Edits({"PulseD%1", 1, 8, pulse.Column(kEditX, kEditW, -2)},
            {.text = "0", .readOnly = true, .recolour = true, .accessible = "Output %1 pulse length value"});
    b.Labels({"PulseLabel%1", 1, 8, pulse.Column(8, kCaptionW, 1)},
             {.caption = "Output %1 pulse ", .buddy = "PulseDsb%1"});
    b.Labels({"PulseDsbLow%1", 1, 8, pulse.Column(kLowX, 10, 1)}, {.caption = "0"});
    b.Labels({"PulseDsbHigh%1", 1, 8, pulse.Column(200, 12, 1)}, {.caption = "9"});

    b.Label({"LoggerTitle", {.x = 8, .y = 222, .w = 270, .h = 16}}, {.caption = "Data Logger parameter"});
    b.ScrollBar({"SRateSB", {.x = kBarX, .y = 246, .w = kBarW, .h = 17}},
                {.min = range::kSampleRate.min,
                 .max = range::kSampleRate.max,
                 .accessible = "Sample rate",
                 .change = [this](int) { SRateSBChange(); }});
    b.Edit({"SRate", {.x = kEditX, .y = 244, .w = kEditW, .h = 21}},
           {.text = "0", .readOnly = true, .recolour = true, .accessible = "Sample rate value"});
    b.Label({"SRateLabel", {.x = 8, .y = 247, .w = kCaptionW, .h = 16}},
            {.caption = "Sampling Rate", .buddy = "SRateSB"});
    ends("SRateSB", 247, "0", "9");
    b.Button({"bSRate", {.x = 248, .y = 243, .w = 32, .h = 23}},
             {.caption = "WR", .accessible = "Write sample rate", .click = [this](int) { bSRateClick(); }});

    b.ScrollBar({"DLoggerTmSB", {.x = kBarX, .y = 276, .w = kBarW, .h = 17}},
                {.min = range::kLoggerPeriod.min,
                 .max = range::kLoggerPeriod.max,
                 .position = range::kLoggerPeriod.min,
                 .accessible = "Logger period",
                 .change = [this](int) { DLoggerTmSBChange(); }});
    b.Edit({"DLoggerTm", {.x = kEditX, .y = 274, .w = kEditW, .h = 21}},
           {.text = "0", .readOnly = true, .recolour = true, .accessible = "Logger period value"});
    // A caption on two lines, one label each.
    b.Label({"DLoggerTmLabel", {.x = 8, .y = 270, .w = kCaptionW, .h = 14}},
            {.caption = "Data Logger ", .buddy = "DLoggerTmSB"});
    b.Label({"DLoggerTmLabel2", {.x = 8, .y = 284, .w = kCaptionW, .h = 14}}, {.caption = "Period"});
    ends("DLoggerTmSB", 277, "1", "6");
    b.Button(
        {"bDLperiod", {.x = 248, .y = 273, .w = 32, .h = 23}},
        {.caption = "WR", .accessible = "Write logger period", .click = [this](int) { bDLperiodClick(); }});

    b.Button({"SetPulse", {.x = 8, .y = 312, .w = 140, .h = 25}},
             {.caption = "Set  Parameter", .click = [this](int) { SetPulseClick(); }});
}

void IOControlPage::BuildFilter() {
    QWidget* panel = Builder().Panel({"FilterPanel", {.x = 8, .y = 342, .w = 536, .h = 34}});
    auto b = Builder().In(panel);
    b.ScrollBar({"DFilterSBd", {.x = 172, .y = 9, .w = 150, .h = 17}},
                {.min = range::kDigitalFilter.min,
                 .max = range::kDigitalFilter.max,
                 .accessible = "Digital Input Signal Filter",
                 .change = [this](int) { DFilterSBdChange(); }});
    b.Edit({"DFilterD", {.x = 340, .y = 7, .w = 30, .h = 21}},
           {.text = "0", .readOnly = true, .accessible = "Digital Input Signal Filter value"});
    b.Label({"DFilterSBdLabel", {.x = 8, .y = 10, .w = 150, .h = 16}},
            {.caption = "Digital Input Signal Filter", .buddy = "DFilterSBd"});
    b.Label({"DFilterSBdLow", {.x = 160, .y = 10, .w = 10, .h = 16}}, {.caption = "0"});
    b.Label({"DFilterSBdHigh", {.x = 326, .y = 10, .w = 10, .h = 16}}, {.caption = "9"});
    b.Button({"SetDtimeoutFilter", {.x = 380, .y = 5, .w = 140, .h = 25}},
             {.caption = "Set Timeout Filter", .click = [this](int) { SetDtimeoutFilterClick(); }});
}

// ---- outputs ------------------------------------------------------------------------

cmd::OutputStates IOControlPage::OutputStates() const {
    cmd::OutputStates states;
    for (int k = 1; k <= 8; ++k)
        states[static_cast<size_t>(k) - 1] = TextAt(NameOf("Output%1", k));
    return states;
}

void IOControlPage::SwitchOutputs(const std::string& command, const cmd::OutputStates& after) {
    // A command that never left (SMS exchange busy, no module number, port
    // closed) switches nothing, so the edits stay as they were.
    if (Run({Step::Clear, Step::Send}, command)) {
        for (int k = 1; k <= 8; ++k)
            SetTextAt(NameOf("Output%1", k), after[static_cast<size_t>(k) - 1]);
    }
    Run({Step::Display}, command);
}

void IOControlPage::SetOutClick(int k) {
    auto after = OutputStates();
    after[static_cast<size_t>(k) - 1] = cmd::kOutputOn;
    SwitchOutputs(cmd::SetOutput(k), after);
}

void IOControlPage::ResetOutClick(int k) {
    auto after = OutputStates();
    after[static_cast<size_t>(k) - 1] = cmd::kOutputOff;
    SwitchOutputs(cmd::ResetOutput(k), after);
}

void IOControlPage::SetOutBinClick() {
    const std::string bits = TextAt("OutputBin");
    SwitchOutputs(cmd::OutputsParallel(bits), cmd::OutputStatesAfter(OutputStates(), bits));
}

// ---- queries ----------------------------------------------------------------------------

void IOControlPage::GetOutClick(int k) {
    Request(cmd::ReadOutput(k));
}

void IOControlPage::GetOutStateClick() {
    Request(cmd::ReadOutput(0));
}

void IOControlPage::GetInpClick(int k) {
    Request(cmd::ReadInput(k));
}

void IOControlPage::GetAllInputClick() {
    Request(cmd::ReadInput(0));
}

// ---- pulse lengths, sampling rate, logger period -------------------------------------------

void IOControlPage::PulseDsbChange(int k) {
    SetTextAt(NameOf("PulseD%1", k), std::to_string(2 * ValueAt(NameOf("PulseDsb%1", k))));
}

void IOControlPage::SRateSBChange() {
    SetTextAt("SRate", std::to_string(ValueAt("SRateSB")));
}

void IOControlPage::DLoggerTmSBChange() {
    SetTextAt("DLoggerTm", std::to_string(ValueAt("DLoggerTmSB")));
}

void IOControlPage::SetPulseClick() {
    std::array<int, 8> pulses{};
    for (int k = 1; k <= 8; ++k)
        pulses[static_cast<size_t>(k) - 1] = ValueAt(NameOf("PulseDsb%1", k));
    Request(cmd::Parameters(ValueAt("SRateSB"), ValueAt("DLoggerTmSB"), pulses));
}

void IOControlPage::bSRateClick() {
    Request(cmd::SampleRate(ValueAt("SRateSB")));
}

void IOControlPage::bDLperiodClick() {
    Request(cmd::LoggerPeriod(ValueAt("DLoggerTmSB")));
}

// ---- digital input signal filter --------------------------------------------------------------

void IOControlPage::DFilterSBdChange() {
    SetTextAt("DFilterD", std::to_string(ValueAt("DFilterSBd")));
}

void IOControlPage::SetDtimeoutFilterClick() {
    Request(cmd::DigitalFilter(ValueAt("DFilterSBd")));
}

// ---- settings -------------------------------------------------------------------------------------

void IOControlPage::AddSettings(SettingsTable& t) {
    t.Values({9, 4}, {8, 4}, "SRateSB", FieldId::SampleRate);
    t.Values({9, 5}, {8, 5}, "PulseDsb%1", FieldId::PulseLength);
    // A bar loaded with the position it already had raised no change: its
    // display edit is written here.
    t.Load({9, 5}, "PulseD1..PulseD8 and DFilterD show their bars", [this](ConfigRecord&) {
        for (int k = 1; k <= 8; ++k)
            PulseDsbChange(k);
        DFilterSBdChange();
    });
    t.Load({12, 1}, "SRateSB <- GprsSampleRate",
           [this](ConfigRecord& c) { SetValueAt("SRateSB", c.GprsSampleRate()); });
    t.Load({12, 3}, "SRate shows SRateSB", [this](ConfigRecord&) { SRateSBChange(); });
    t.Load({12, 4}, "DLoggerTmSB <- GprsLoggerPeriod",
           [this](ConfigRecord& c) { SetValueAt("DLoggerTmSB", c.GprsLoggerPeriod()); });
    t.Load({12, 6}, "DLoggerTm shows DLoggerTmSB", [this](ConfigRecord&) { DLoggerTmSBChange(); });
    t.Values({19, 2}, {14, 2}, "DLoggerTmSB", FieldId::LoggerPeriod);
}

}  // namespace kt::app
