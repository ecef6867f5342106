#include "pages/Analog1to8Page.h"

#include <QLayout>
#include <array>

#include "protocol/AlternateModule.h"
#include "protocol/ControlRanges.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

namespace cmd = kt::protocol::cmd;
namespace range = kt::protocol::range;
using kt::config::FieldId;

namespace {

constexpr int kRightX = AnalogLevelsPage::kBesideX;
constexpr int kRightWidth = AnalogLevelsPage::kBesideWidth;

}  // namespace

Analog1to8Page::Analog1to8Page(PageHost& host)
    : AnalogLevelsPage(host, kt::protocol::PageIndex::Analog1to8, 1) {
    BuildModePanel();
    BuildCorrectionPanel();
    BuildTimeoutPanel();

    auto b = Builder();
    b.Button({"RefLevel", {.x = kRightX, .y = 356, .w = 136, .h = 25}},
             {.caption = "Analog parameters", .click = [this](int) { RefLevelClick(); }});
    // The Main page's requests.
    b.Button({"Button3", {.x = kRightX + 144, .y = 356, .w = 136, .h = 25}},
             {.caption = "Read Analog", .click = Calls("ReadAnalogClick")});
    b.Button({"Button4", {.x = kRightX + 288, .y = 356, .w = 136, .h = 25}},
             {.caption = "Analog Level", .click = Calls("ReadAlevelBtnClick")});

    // Built last so that it lies over the level groups of inputs 5..8; shown
    // only for the sibling module, which has no such inputs.
    const QRect covered = GroupRect(kt::protocol::kAlternateOffAnalogInputs.first)
                              .united(GroupRect(kt::protocol::kAlternateOffAnalogInputs.last));
    QWidget* panel1 = b.Panel({"Panel1", Place::At(covered)});
    panel1->setAutoFillBackground(true);
    panel1->hide();
}

void Analog1to8Page::BuildModePanel() {
    QWidget* panel = Builder().Panel({"ModePanel", {.x = kRightX, .y = 2, .w = kRightWidth, .h = 178}},
                                     {.caption = "Select Analog Input Mode"});
    auto b = Builder().In(panel);
    // Inside the titled panel a group would be announced by the panel's
    // title; each is named by its own caption.
    const Text caption = [](int n) { return QString("Analog %1 / %2").arg(n).arg(n + 8); };
    const auto modes = b.Radios(
        {"AMode%1", 1, 8, {.x = 6, .y = 18, .w = 104, .h = 62, .dx = 106, .perLine = 4, .lineDy = 64}},
        {.caption = caption, .items = {"5,10V,20mA", "4-20mA"}, .accessible = caption});
    for (TRadioGroup* group : modes) {
        // Four groups abreast: "5,10V,20mA" needs the group's whole width.
        group->layout()->setContentsMargins(2, 0, 2, 0);
        // The items repeat in every group; each is announced with its group.
        for (int i = 0; i < group->Count(); ++i)
            group->Item(i)->setAccessibleName(group->title() + ": " + group->Item(i)->text());
    }
    b.Edit({"AkoeffStr", {.x = 94, .y = 150, .w = 66, .h = 20}},
           {.text = "11111111", .maxLength = 8, .recolour = true});
    b.Label({"AkoeffLabel", {.x = 6, .y = 153, .w = 86, .h = 14}},
            {.caption = "Multiplier 1...5", .buddy = "AkoeffStr"});
    b.Edit({"ADividerStr", {.x = 256, .y = 150, .w = 66, .h = 20}},
           {.text = "11111111", .maxLength = 8, .recolour = true});
    b.Label({"ADividerLabel", {.x = 168, .y = 153, .w = 86, .h = 14}},
            {.caption = "Divider  1..9,0", .buddy = "ADividerStr"});
    b.Button({"WriteAMode1", {.x = 332, .y = 148, .w = 44, .h = 24}},
             {.caption = "WR", .accessible = "Write modes", .click = [this](int) { WriteAMode1Click(); }});
}

void Analog1to8Page::BuildCorrectionPanel() {
    QWidget* panel =
        Builder().Panel({"CorrectionPanel", {.x = kRightX, .y = 184, .w = kRightWidth, .h = 118}},
                        {.caption = "Multiplier for 20mA correction"});
    auto b = Builder().In(panel);
    // Channel pairs 1..4 in the left column, 5..8 in the right one.
    const auto at = [](int x, int y, int w, int h) {
        return Place{.x = x, .y = y, .w = w, .h = h, .dy = 24, .perLine = 4, .lineDx = 204};
    };
    b.Labels({"MuxLabel%1", 1, 8, at(8, 21, 44, 14)},
             {.caption = [](int n) { return QString("AN%1/%2").arg(n).arg(n + 8); }});
    // Three characters: what the settings file keeps.
    b.Edits({"MUX%1", 1, 8, at(54, 18, 40, 20)},
            {.text = "100", .maxLength = 3, .accessible = "20 mA correction %1"});
    b.Labels({"MuxUnitLabel%1", 1, 8, at(98, 21, 32, 14)}, {.caption = "/ 100"});
    b.Buttons({"Button%1", 11, 18, at(134, 17, 40, 23)},
              {.caption = "WR",
               .accessible = [](int n) { return QString("Write 20 mA correction %1").arg(n - 10); },
               .click = [this](int n) { CorrectionClick(n - 10); }});
}

void Analog1to8Page::BuildTimeoutPanel() {
    QWidget* panel =
        Builder().Panel({"AnalogTimeoutPanel", {.x = kRightX, .y = 306, .w = kRightWidth, .h = 44}});
    auto b = Builder().In(panel);
    b.Label({"ATimeoutLabel", {.x = 6, .y = 15, .w = 122, .h = 14}}, {.caption = "Analog Timeout Filter "});
    b.Label({"ATimeoutFromLabel", {.x = 130, .y = 15, .w = 10, .h = 14}}, {.caption = "0"});
    b.ScrollBar({"ATimeout1SBa", {.x = 142, .y = 14, .w = 116, .h = 16}},
                {.min = range::kTimeout.min,
                 .max = range::kTimeout.max,
                 .accessible = "Analog Timeout Filter",
                 .change = [this](int) { ATimeout1SBaChange(); }});
    b.Label({"ATimeoutToLabel", {.x = 261, .y = 15, .w = 16, .h = 14}}, {.caption = "99"});
    b.Edit({"ATimeout1a", {.x = 280, .y = 12, .w = 26, .h = 20}},
           {.text = "0", .maxLength = 2, .readOnly = true, .accessible = "Analog Timeout Filter value"});
    b.Button({"SetTimeoutAnalogFilter", {.x = 314, .y = 10, .w = 92, .h = 24}},
             {.caption = "Timeout Filter", .click = [this](int) { SetTimeoutAnalogFilterClick(); }});
}

// ---- handlers --------------------------------------------------------------------

void Analog1to8Page::WriteAMode1Click() {
    std::array<int, 8> modes{};
    for (int n = 1; n <= 8; ++n)
        modes[static_cast<size_t>(n - 1)] = ValueAt(NameOf("AMode%1", n));
    // This command is shown before it is sent.
    Run({Step::Clear, Step::Display, Step::ReplyToShow, Step::Send},
        cmd::AnalogModes(modes, TextAt("AkoeffStr"), TextAt("ADividerStr")));
}

void Analog1to8Page::CorrectionClick(int channel) {
    Run({Step::Clear, Step::Send, Step::Display, Step::ReplyToShow},
        cmd::Correction20mA(channel, TextAt(NameOf("MUX%1", channel))));
}

void Analog1to8Page::ATimeout1SBaChange() {
    SetTextAt("ATimeout1a", cmd::TwoDigits(ValueAt("ATimeout1SBa")));
}

void Analog1to8Page::SetTimeoutAnalogFilterClick() {
    Request(cmd::AnalogTimeoutFilter(TextAt("ATimeout1a")));
}

void Analog1to8Page::RefLevelClick() {
    Request(std::string(cmd::kReadAnalogParameters));
}

// ---- layout and settings -----------------------------------------------------------

void Analog1to8Page::ApplyAlternateModule(bool on, AlternateRow row) {
    if (row == AlternateRow::Shown) {
        if (QWidget* panel1 = Control("Panel1")) {
            panel1->setVisible(on);
            panel1->raise();
        }
        // What the panel covers can be reached neither by Tab nor by Space.
        for (int n = kt::protocol::kAlternateOffAnalogInputs.first;
             n <= kt::protocol::kAlternateOffAnalogInputs.last; ++n)
            EnableGroup(n, !on);
    } else if (row == AlternateRow::AnalogModes) {
        for (int n = 5; n <= 8; ++n)
            Member("AMode%1", n)->setEnabled(!on);
    }
}

void Analog1to8Page::AddSettings(SettingsTable& t) {
    t.Values({4}, {15}, "AMode%1", FieldId::AnalogMode);
    t.Texts({8}, {16}, "MUX%1", FieldId::MuxText);  // three characters kept
    // After the "Other" page's bar moved this twin: a bar already at the
    // stored position ran no handler.
    t.Load({9, 6}, "ATimeout1a shows ATimeout1SBa",
           [this](kt::config::ConfigRecord&) { ATimeout1SBaChange(); });
    t.Texts({21, 1}, {17, 1}, "AkoeffStr", FieldId::AnalogMultipliers);
    t.Texts({21, 2}, {17, 2}, "ADividerStr", FieldId::AnalogDividers);
    AnalogLevelsPage::AddSettings(t);
}

}  // namespace kt::app
