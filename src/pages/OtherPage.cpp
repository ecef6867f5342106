#include "pages/OtherPage.h"

#include "protocol/ControlRanges.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

using kt::config::ConfigRecord;
using kt::config::FieldId;
namespace cmd = kt::protocol::cmd;
namespace range = kt::protocol::range;

namespace {

// Captions of the switches oCheckBox3..oCheckBox15, by option position.
const char* const kSwitchCaptions[] = {
    "Answer SMS for Setou and Rstou SMS command  enable (default enable) ",
    "GPRS or FTP error SMS Message enable (default disable)",
    "Store Outputs State after Restart enable (default enable)",
    "Auto Restart if (GPRS Error) enable (default disable)",
    "Digital Input Inversion enable (default disable)",
    "GPRS attach error SMS Message enable (default enable)",
    "IO Status in Alarm SMS enable (default disable)",
    "Date/Time in Alarm SMS enable (default enable)",
    "Year in data-logger file enable (default enable)",
    "Repeat alarm SMS if error (default enable)",
    "Interrupt after RING enable (default enable)",
    "Restart in 23.30 enable (default disable)",
    "Data Logger Line to RS232 enable (default enable)",
};
constexpr int kFirstSwitch = 3;
constexpr int kLastSwitch = 15;

const QStringList kDateTimeSources = {"FTP",      "RTC", "NITZ-RTC", "NITZ-GM862", "GM862", "RTC-NITZ-GM862",
                                      "RTC-GM862"};

std::string SwitchName(int k) {
    return NameOf("oCheckBox%1", k);
}

}  // namespace

OtherPage::OtherPage(PageHost& host) : Page(host, kt::protocol::PageIndex::Other) {
    BuildOptions();
    BuildTimeouts();
    BuildDateTimeAndRestart();
}

// ---- controls ---------------------------------------------------------------------------

void OtherPage::BuildOptions() {
    auto b = Builder();
    b.Edit({"StringStr1", {.x = 8, .y = 8, .w = 150, .h = 21}},
           {.text = QString::fromLatin1(cmd::kInitialOptions.data(), cmd::kInitialOptions.size()),
            .maxLength = cmd::kOptionsLength,
            .readOnly = true,
            .accessible = "Option string"});
    b.Button({"GetOther", {.x = 166, .y = 6, .w = 60, .h = 25}},
             {.caption = "GET", .click = [this](int) { GetOtherClick(); }});
    b.Button({"SetOther", {.x = 232, .y = 6, .w = 60, .h = 25}},
             {.caption = "SET", .click = [this](int) { SetOtherClick(); }});

    b.Edit({"MinusMark", {.x = 8, .y = 36, .w = 22, .h = 21}},
           {.text = "M", .maxLength = 1, .accessible = "Minus Mark", .change = [this](int) {
                MinusMarkChange();
            }});
    b.Label({"MinusMarkLabel", {.x = 36, .y = 38, .w = 380, .h = 16}},
            {.caption = "Minus Mark - for out of limits (default M)", .buddy = "MinusMark"});
    b.Edit({"PlusMark", {.x = 8, .y = 60, .w = 22, .h = 21}},
           {.text = "P", .maxLength = 1, .accessible = "Plus Mark", .change = [this](int) {
                PlusMarkChange();
            }});
    b.Label({"PlusMarkLabel", {.x = 36, .y = 62, .w = 380, .h = 16}},
            {.caption = "Plus Mark - for out of limits (default P)", .buddy = "PlusMark"});

    // Every switch starts as the initial string says ("E" on, "D" off).
    b.Checks({"oCheckBox%1", kFirstSwitch, kLastSwitch, {.x = 8, .y = 88, .w = 438, .h = 20, .dy = 22}},
             {.caption = [](int k) { return QString(kSwitchCaptions[k - kFirstSwitch]); },
              .checkedOf = [](int k) { return cmd::kInitialOptions[static_cast<size_t>(k) - 1] == 'E'; },
              .click = [this](int k) { oCheckBoxClick(k); }});
}

void OtherPage::BuildTimeouts() {
    QWidget* group = Builder().Panel({"TimeoutFilter", {.x = 450, .y = 4, .w = 392, .h = 130}},
                                     {.caption = "Timeout Filter"});
    auto b = Builder().In(group);
    const struct {
        const char* bar;
        const char* edit;
        const char* caption;  // the label's text
        const char* name;     // the accessible name
        range::Range range;
        void (OtherPage::*change)();
    } rows[] = {
        {"TTimeout1SB", "TTimeout1", "Temp. Timeout Filter ", "Temp. Timeout Filter", range::kTimeout,
         &OtherPage::TTimeout1SBChange},
        {"ATimeout1SB", "ATimeout1", "Analog Timeout Filter ", "Analog Timeout Filter", range::kTimeout,
         &OtherPage::ATimeout1SBChange},
        {"DFilterSB", "DFilter", "Digital Input Signal Filter", "Digital Input Signal Filter",
         range::kDigitalFilter, &OtherPage::DFilterSBChange},
    };
    int y = 20;
    for (const auto& r : rows) {
        const std::string bar = r.bar;
        b.ScrollBar({bar, {.x = 176, .y = y, .w = 120, .h = 17}},
                    {.min = r.range.min,
                     .max = r.range.max,
                     .accessible = r.name,
                     .change = [this, change = r.change](int) { (this->*change)(); }});
        b.Edit({r.edit, {.x = 322, .y = y - 2, .w = 34, .h = 21}},
               {.text = "0", .readOnly = true, .accessible = QString(r.name) + " value"});
        b.Label({bar + "Label", {.x = 8, .y = y + 1, .w = 150, .h = 16}},
                {.caption = r.caption, .buddy = bar});
        b.Label({bar + "Low", {.x = 160, .y = y + 1, .w = 14, .h = 16}}, {.caption = "0"});
        b.Label({bar + "High", {.x = 300, .y = y + 1, .w = 18, .h = 16}},
                {.caption = QString::number(r.range.max)});
        y += 26;
    }
    b.Button({"SetTimeoutFilter", {.x = 8, .y = 98, .w = 140, .h = 25}},
             {.caption = "Set Timeout Filter", .click = [this](int) { SetTimeoutFilterClick(); }});
}

void OtherPage::BuildDateTimeAndRestart() {
    auto b = Builder();
    b.Radio({"RadioGroup2", {.x = 450, .y = 140, .w = 250, .h = 190}},
            {.caption = "Date/Time syncronization source", .items = kDateTimeSources, .index = 2});
    b.Button({"Button1", {.x = 710, .y = 150, .w = 130, .h = 25}},
             {.caption = "Date/Time source", .click = [this](int) { Button1Click(); }});
    b.Check({"RestartEnable", {.x = 450, .y = 340, .w = 120, .h = 21}}, {.caption = "Restart Enable"});
    b.Button({"Button19", {.x = 574, .y = 338, .w = 40, .h = 25}},
             {.caption = "WR",
              .accessible = "Write Restart Enable",
              .click = [this](int) { RestartEnableClick(); },
              .handler = "RestartEnableClick"});
}

// ---- option string ----------------------------------------------------------------------------

void OtherPage::MinusMarkChange() {
    SetTextAt("StringStr1", cmd::SetOptionMark(TextAt("StringStr1"), 1, TextAt("MinusMark")));
}

void OtherPage::PlusMarkChange() {
    SetTextAt("StringStr1", cmd::SetOptionMark(TextAt("StringStr1"), 2, TextAt("PlusMark")));
}

void OtherPage::oCheckBoxClick(int k) {
    SetTextAt("StringStr1", cmd::SetOptionSwitch(TextAt("StringStr1"), k, ValueAt(SwitchName(k)) != 0));
}

void OtherPage::SetOtherClick() {
    Run({Step::Clear}, {});
    const cmd::OptionsWrite w = cmd::SetOptions(TextAt("StringStr1"));
    SetTextAt("StringStr1", w.options);
    storedOptions_ = w.options;
    Run({Step::Send, Step::ShowCommand, Step::ReplyToShow}, w.command);
}

void OtherPage::GetOtherClick() {
    Run({Step::Clear, Step::Send, Step::ShowCommand, Step::ReplyToShow}, std::string(cmd::kReadOptions));
}

// ---- timeout filters ------------------------------------------------------------------------------

void OtherPage::TTimeout1SBChange() {
    SetTextAt("TTimeout1", cmd::TwoDigits(ValueAt("TTimeout1SB")));
}

void OtherPage::ATimeout1SBChange() {
    SetTextAt("ATimeout1", cmd::TwoDigits(ValueAt("ATimeout1SB")));
}

void OtherPage::DFilterSBChange() {
    SetTextAt("DFilter", std::to_string(ValueAt("DFilterSB")));
}

void OtherPage::SetTimeoutFilterClick() {
    Request(cmd::TimeoutFilters(ValueAt("TTimeout1SB"), ValueAt("ATimeout1SB"), ValueAt("DFilterSB")));
}

// ---- date/time source, restart -----------------------------------------------------------------------
// Neither clears the memos or sets ReplyToShow; both leave pass-through mode
// first, so the command goes out framed even after an unanswered AT command.

void OtherPage::Button1Click() {
    Run({Step::RawModeOff, Step::Send, Step::Display}, cmd::DateTimeSource(ValueAt("RadioGroup2")));
}

void OtherPage::RestartEnableClick() {
    Run({Step::RawModeOff, Step::Send, Step::Display}, cmd::RestartEnable(ValueAt("RestartEnable") != 0));
}

// ---- settings ------------------------------------------------------------------------------------------

void OtherPage::AddSettings(SettingsTable& t) {
    // A bar loaded with the position it already had raised no change: its
    // display edit is written here.
    t.Values({9, 1}, {8, 1}, "DFilterSB", FieldId::DigitalFilter);
    t.Load({9, 1}, "DFilter shows DFilterSB", [this](ConfigRecord&) { DFilterSBChange(); });
    t.Values({9, 2}, {8, 2}, "TTimeout1SB", FieldId::TempTimeout);
    t.Load({9, 2}, "TTimeout1 shows TTimeout1SB", [this](ConfigRecord&) { TTimeout1SBChange(); });
    t.Values({9, 3}, {8, 3}, "ATimeout1SB", FieldId::AnalogTimeout);
    t.Load({9, 3}, "ATimeout1 shows ATimeout1SB", [this](ConfigRecord&) { ATimeout1SBChange(); });

    t.Load({20}, "OtherFlags padded with blanks to 16, written back; the stored option string",
           [this](ConfigRecord& c) {
               std::string flags = c.OtherFlags();
               flags.resize(cmd::kOptionsLength, ' ');
               c.SetOtherFlags(flags);
               storedOptions_ = flags;
           },
           {FieldId::OtherFlags});
    t.Save({14, 3}, "OtherFlags <- the stored option string", {FieldId::OtherFlags},
           [this](ConfigRecord& c) { c.SetOtherFlags(storedOptions_); });
}

}  // namespace kt::app
