#include "pages/AnalogLevelsPage.h"

#include <QRect>
#include <initializer_list>

#include "protocol/ControlRanges.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

namespace cmd = kt::protocol::cmd;
namespace range = kt::protocol::range;
using kt::config::ConfigRecord;
using kt::config::FieldId;

LevelGroupNames LevelGroup(int input) {
    const std::string n = std::to_string(input);
    // Input 1 and inputs 9..16 spell "lv", inputs 2..8 "Lv".
    const std::string lv = input == 1 || input >= 9 ? "lv" : "Lv";
    return {"AnalogGroup" + n, "ScrollBarMin" + n, "ScrollBarMax" + n,
            "Min" + lv + n,    "Max" + lv + n,     "Level" + n + "Cmd"};
}

namespace {

constexpr int kGroupWidth = 196;
constexpr int kGroupHeight = 94;

// Eight groups in two columns of four: the first four inputs of the page on
// the left, the last four (inputs 5..8 on "Analog 1-8") on the right.
QPoint GroupOrigin(int member) {
    return {4 + (member / 4) * (kGroupWidth + 6), 2 + (member % 4) * (kGroupHeight + 2)};
}

// A member of every group at the same place inside its group.
Place InGroup(int first, QRect inside) {
    return {.of = [first, inside](int input) { return inside.translated(GroupOrigin(input - first)); }};
}

}  // namespace

QRect AnalogLevelsPage::GroupRect(int input) const {
    return {GroupOrigin(input - first_), QSize(kGroupWidth, kGroupHeight)};
}

AnalogLevelsPage::AnalogLevelsPage(PageHost& host, kt::protocol::PageIndex index, int first)
    : Page(host, index), first_(first) {
    const int last = LastInput();
    // The entry edits of inputs 1..8 take the common colour on a page change.
    const bool recolour = first == 1;
    const auto name = [](std::string LevelGroupNames::*member) {
        return [member](int input) { return LevelGroup(input).*member; };
    };
    auto b = Builder();
    // The frames first, so the controls of each group lie on top of its frame.
    b.Panels(
        {name(&LevelGroupNames::group), first, last, {.of = [this](int input) { return GroupRect(input); }}},
        {.caption = "ANALOG INPUT %1"});

    // Upper bar: the maximum; lower bar: the minimum.
    // The "WR" button between the two bar lines, beside the minimum's caption.
    b.Labels({"MaxLevelLabel%1", first, last, InGroup(first, {8, 19, 90, 14})},
             {.caption = "Maximum level "});
    b.Labels({"MaxFromLabel%1", first, last, InGroup(first, {8, 35, 20, 14})}, {.caption = "0%"});
    b.ScrollBars({name(&LevelGroupNames::maxBar), first, last, InGroup(first, {28, 34, 106, 16})},
                 {.min = range::kAnalogLevel.min,
                  .max = range::kAnalogLevel.max,
                  .accessible = "Analog input %1 maximum",
                  .change = [this](int n) { ScrollBarMaxChange(n); }});
    b.Labels({"MaxToLabel%1", first, last, InGroup(first, {136, 35, 27, 14})}, {.caption = "99%"});
    b.Edits({name(&LevelGroupNames::maxEdit), first, last, InGroup(first, {164, 33, 26, 18})},
            {.text = "0",
             .maxLength = 2,
             .readOnly = true,
             .recolour = recolour,
             .accessible = "Analog input %1 maximum value"});

    b.Labels({"MinLevelLabel%1", first, last, InGroup(first, {8, 56, 90, 14})},
             {.caption = "Minimum level "});
    b.Buttons({name(&LevelGroupNames::button), first, last, InGroup(first, {104, 51, 52, 23})},
              {.caption = "WR", .accessible = "Write analog input %1 levels", .click = [this](int n) {
                   LevelCmdClick(n);
               }});
    b.Labels({"MinFromLabel%1", first, last, InGroup(first, {8, 76, 20, 14})}, {.caption = "0%"});
    b.ScrollBars({name(&LevelGroupNames::minBar), first, last, InGroup(first, {28, 75, 106, 16})},
                 {.min = range::kAnalogLevel.min,
                  .max = range::kAnalogLevel.max,
                  .accessible = "Analog input %1 minimum",
                  .change = [this](int n) { ScrollBarMinChange(n); }});
    b.Labels({"MinToLabel%1", first, last, InGroup(first, {136, 76, 27, 14})}, {.caption = "99%"});
    b.Edits({name(&LevelGroupNames::minEdit), first, last, InGroup(first, {164, 74, 26, 18})},
            {.text = "0",
             .maxLength = 2,
             .readOnly = true,
             .recolour = recolour,
             .accessible = "Analog input %1 minimum value"});
}

void AnalogLevelsPage::ScrollBarMinChange(int input) {
    const auto g = LevelGroup(input);
    SetTextAt(g.minEdit, cmd::TwoDigits(ValueAt(g.minBar)));
}

void AnalogLevelsPage::ScrollBarMaxChange(int input) {
    const auto g = LevelGroup(input);
    SetTextAt(g.maxEdit, cmd::TwoDigits(ValueAt(g.maxBar)));
}

void AnalogLevelsPage::LevelCmdClick(int input) {
    // The edits show exactly these two digits: every change of a bar and the
    // loading write them.
    const auto g = LevelGroup(input);
    Run({Step::Clear, Step::Send, Step::Display, Step::ReplyToShow},
        cmd::AnalogLevels(input, ValueAt(g.minBar), ValueAt(g.maxBar)));
}

void AnalogLevelsPage::EnableGroup(int input, bool enabled) {
    const auto g = LevelGroup(input);
    for (const std::string* n : {&g.group, &g.minBar, &g.maxBar, &g.minEdit, &g.maxEdit, &g.button}) {
        if (QWidget* w = Control(*n)) w->setEnabled(enabled);
    }
}

void AnalogLevelsPage::StoreLimits(ConfigRecord& c) const {
    for (int n = first_; n <= LastInput(); ++n) {
        const auto g = LevelGroup(n);
        c.SetAnalogMin(n, ValueAt(g.minBar));
        c.SetAnalogMax(n, ValueAt(g.maxBar));
    }
}

void AnalogLevelsPage::AddSettings(SettingsTable& t) {
    // Inputs 1..8 before 9..16, at every step.
    const int sub = first_ == 1 ? 1 : 2;
    const std::string range = std::to_string(first_) + ".." + std::to_string(LastInput());
    t.Load({24, sub}, "ScrollBarMin/ScrollBarMax " + range + " <- AnalogMin/AnalogMax, level edits written",
           [this](ConfigRecord& c) {
               for (int n = first_; n <= LastInput(); ++n) {
                   const auto g = LevelGroup(n);
                   SetValueAt(g.minBar, c.AnalogMin(n));  // limited to 0..99 by the bar
                   SetValueAt(g.maxBar, c.AnalogMax(n));
                   // A bar already at the stored position ran no handler.
                   ScrollBarMinChange(n);
                   ScrollBarMaxChange(n);
               }
           });
    // Write-back after the temperature limits (26, 1).
    t.Load({26, sub + 1}, "AnalogMin/AnalogMax " + range + " <- limited positions",
           [this](ConfigRecord& c) { StoreLimits(c); }, {FieldId::AnalogMin, FieldId::AnalogMax});
    // Saved after the temperature limits (10, 1).
    t.Save({10, sub + 1}, "AnalogMin/AnalogMax " + range + " <- ScrollBarMin/ScrollBarMax",
           {FieldId::AnalogMin, FieldId::AnalogMax}, [this](ConfigRecord& c) { StoreLimits(c); });
}

}  // namespace kt::app
