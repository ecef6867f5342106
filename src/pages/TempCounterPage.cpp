#include "pages/TempCounterPage.h"

#include <QColor>
#include <QPalette>

#include "protocol/ControlRanges.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

namespace cmd = kt::protocol::cmd;
namespace range = kt::protocol::range;
using kt::config::ConfigRecord;
using kt::config::FieldId;

namespace {

constexpr int kGroupWidth = 420;
constexpr int kGroupHeight = 92;
constexpr int kRightX = 432;  // the runtime panel, right of the temperature groups

QPoint GroupOrigin(int input) {
    return {4, 2 + (input - 1) * (kGroupHeight + 4)};
}

// A member of every temperature group at the same place inside its group.
Place InGroup(QRect inside) {
    return {.of = [inside](int input) { return inside.translated(GroupOrigin(input)); }};
}

std::string MinBar(int input) {
    return NameOf("ScrollBarT%1min", input);
}
std::string MaxBar(int input) {
    return NameOf("ScrollBarT%1max", input);
}
std::string MinEdit(int input) {
    return NameOf("T%1min", input);
}
std::string MaxEdit(int input) {
    return NameOf("T%1max", input);
}

void Mark(QWidget* edit, const QColor& colour) {
    if (!edit) return;
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, colour);
    edit->setPalette(p);
}

}  // namespace

TempCounterPage::TempCounterPage(PageHost& host) : Page(host, kt::protocol::PageIndex::TempCounter) {
    BuildTemperatureGroups();
    BuildTimeoutPanel();

    auto b = Builder();
    // Read Counters is the Main page's request; so are the two temperature ones.
    b.Button({"Button7", {.x = 4, .y = 346, .w = 100, .h = 25}},
             {.caption = "Read Counters", .click = Calls("COUNTERSClick")});
    b.Button({"Button8", {.x = 110, .y = 346, .w = 100, .h = 25}},
             {.caption = "Clear Counters", .click = [this](int) { Button8Click(); }});
    b.Button({"Button5", {.x = 216, .y = 346, .w = 100, .h = 25}},
             {.caption = "Temperature", .click = Calls("ReadTemperatureClick")});
    b.Button({"Button6", {.x = 322, .y = 346, .w = 100, .h = 25}},
             {.caption = "Temp.Level", .click = Calls("TemperatureLevelBtnClick")})
        ->setEnabled(false);

    BuildRuntimePanel();
}

void TempCounterPage::BuildTemperatureGroups() {
    auto b = Builder();
    // The frames first, so the controls of each group lie on top of its frame.
    b.Panels({"TempGroup%1",
              1,
              3,
              {.of = [](int n) { return QRect(GroupOrigin(n), QSize(kGroupWidth, kGroupHeight)); }}},
             {.caption = "TEMPERATURE INPUT %1 (Smartec SMT160-30 / SMT172)"});
    const BarSpec bar{.min = range::kTempLevel.min, .max = range::kTempLevel.max, .largeStep = 10};

    // Upper bar: the maximum; lower bar: the minimum.
    b.Labels({"TMaxLevelLabel%1", 1, 3, InGroup({8, 19, 90, 14})}, {.caption = "Maximum level "});
    b.Labels({"TMaxFromLabel%1", 1, 3, InGroup({100, 19, 28, 14})}, {.caption = "-099"});
    auto maxSpec = bar;
    maxSpec.accessible = "Temperature input %1 maximum";
    maxSpec.change = [this](int n) { ScrollBarTmaxChange(n); };
    b.ScrollBars({"ScrollBarT%1max", 1, 3, InGroup({130, 18, 196, 16})}, maxSpec);
    b.Labels({"TMaxToLabel%1", 1, 3, InGroup({328, 19, 45, 14})}, {.caption = "+149 C"});

    b.Labels({"TMinLevelLabel%1", 1, 3, InGroup({8, 45, 90, 14})}, {.caption = "Minimum level "});
    b.Labels({"TMinFromLabel%1", 1, 3, InGroup({100, 45, 28, 14})}, {.caption = "-099"});
    auto minSpec = bar;
    minSpec.accessible = "Temperature input %1 minimum";
    minSpec.change = [this](int n) { ScrollBarTminChange(n); };
    b.ScrollBars({"ScrollBarT%1min", 1, 3, InGroup({130, 44, 196, 16})}, minSpec);
    b.Labels({"TMinToLabel%1", 1, 3, InGroup({328, 45, 45, 14})}, {.caption = "+149 C"});

    // Input 1's edits take four characters and start with their names;
    // those of inputs 2 and 3 take two and start empty.
    b.Edits({"T%1max", 1, 1, InGroup({374, 16, 38, 20})},
            {.text = "T1max",
             .maxLength = 4,
             .readOnly = true,
             .recolour = true,
             .accessible = "Temperature input %1 maximum value"});
    b.Edits({"T%1min", 1, 1, InGroup({374, 42, 38, 20})},
            {.text = "T1min",
             .maxLength = 4,
             .readOnly = true,
             .recolour = true,
             .accessible = "Temperature input %1 minimum value"});
    b.Edits({"T%1max", 2, 3, InGroup({374, 16, 38, 20})},
            {.maxLength = 2,
             .readOnly = true,
             .recolour = true,
             .accessible = "Temperature input %1 maximum value"});
    b.Edits({"T%1min", 2, 3, InGroup({374, 42, 38, 20})},
            {.maxLength = 2,
             .readOnly = true,
             .recolour = true,
             .accessible = "Temperature input %1 minimum value"});

    b.Buttons({[](int n) { return n == 1 ? std::string("TlevelCmd") : "TlevelCmd" + std::to_string(n); }, 1,
               3, InGroup({352, 65, 60, 24})},
              {.caption = "OK", .accessible = "Write temperature input %1 levels", .click = [this](int n) {
                   TlevelCmdClick(n);
               }});
}

void TempCounterPage::BuildTimeoutPanel() {
    QWidget* panel = Builder().Panel({"TempTimeoutPanel", {.x = 4, .y = 292, .w = kGroupWidth, .h = 48}});
    auto b = Builder().In(panel);
    b.Label({"TTimeoutLabel", {.x = 6, .y = 17, .w = 118, .h = 14}}, {.caption = "Temp. Timeout Filter "});
    b.Label({"TTimeoutFromLabel", {.x = 126, .y = 17, .w = 10, .h = 14}}, {.caption = "0"});
    b.ScrollBar({"TTimeout1SBt", {.x = 138, .y = 16, .w = 116, .h = 16}},
                {.min = range::kTimeout.min,
                 .max = range::kTimeout.max,
                 .accessible = "Temp. Timeout Filter",
                 .change = [this](int) { TTimeout1SBtChange(); }});
    b.Label({"TTimeoutToLabel", {.x = 257, .y = 17, .w = 18, .h = 14}}, {.caption = "99"});
    b.Edit({"TTimeout1t", {.x = 278, .y = 14, .w = 26, .h = 20}},
           {.text = "0", .maxLength = 2, .readOnly = true, .accessible = "Temp. Timeout Filter value"});
    b.Button({"SetTtimeoutFilter", {.x = 308, .y = 12, .w = 108, .h = 24}},
             {.caption = "Set Timeout Filter", .click = [this](int) { SetTtimeoutFilterClick(); }});
}

void TempCounterPage::BuildRuntimePanel() {
    QWidget* panelRT = Builder().Panel({"PanelRT", {.x = kRightX, .y = 2, .w = 410, .h = 276}});
    auto b = Builder().In(panelRT);
    b.Label({"PanelRTTitle", {.x = 8, .y = 6, .w = 80, .h = 14}}, {.caption = "RUNTIME"});
    b.Labels({"PanelRTLabel%1", 1, 2, {.x = 8, .y = 27, .w = 64, .h = 14, .dy = 26}},
             {.caption = "RUNTIME%1"});
    b.Labels({"RTFromLabel%1", 1, 2, {.x = 74, .y = 27, .w = 10, .h = 14, .dy = 26}}, {.caption = "0"});
    b.ScrollBars(
        {"ScrollBarRT%1", 1, 2, {.x = 86, .y = 26, .w = 200, .h = 16, .dy = 26}},
        {.min = 0, .max = 32000, .largeStep = 10, .accessible = "Runtime %1 level", .change = [this](int n) {
             ScrollBarRTChange(n);
         }});
    b.Labels({"RTToLabel%1", 1, 2, {.x = 289, .y = 27, .w = 37, .h = 14, .dy = 26}}, {.caption = "32000"});
    // Only RT1 is among the edits recoloured on a page change.
    b.Edit({"RT1", {.x = 328, .y = 24, .w = 44, .h = 20}},
           {.maxLength = 5, .readOnly = true, .recolour = true, .accessible = "Runtime 1 level value"});
    b.Edit({"RT2", {.x = 328, .y = 50, .w = 44, .h = 20}},
           {.maxLength = 5, .readOnly = true, .accessible = "Runtime 2 level value"});
    b.Button({"RTlevelSend", {.x = 328, .y = 75, .w = 44, .h = 24}},
             {.caption = "OK", .accessible = "Write runtime levels", .click = [this](int) {
                  RTlevelSendClick();
              }});

    QWidget* source = b.Panel({"RTSourceGroup", {.x = 8, .y = 104, .w = 394, .h = 164}},
                              {.caption = "RT source", .accessible = "Runtime source"});
    auto s = b.In(source);
    // Both groups run the SMS schedule page's handler. Inside the titled
    // group each is named by its own caption.
    s.Radio({"RTinputSource", {.x = 8, .y = 18, .w = 120, .h = 112}},
            {.caption = "RT source input",
             .items = {"A1 / D1", "A2 / D2", "A3 / D3", "A4 / D4"},
             .accessible = "RT source input",
             .click = Calls("RadioGroup1Click")});
    s.Radio({"RTsource", {.x = 134, .y = 18, .w = 138, .h = 92}},
            {.caption = "RT source",
             .items = {"Analog", "Digital Normal", "Digital Inversion"},
             .accessible = "RT source",
             .click = Calls("RadioGroup1Click")});
    s.ScrollBar(
        {"ScrollBar1", {.x = 278, .y = 20, .w = 108, .h = 16}},
        {.min = 0, .max = 9600, .largeStep = 10, .accessible = "Runtime divider", .change = [this](int) {
             ScrollBar1Change();
         }});
    s.Edit({"RTdivider", {.x = 278, .y = 40, .w = 44, .h = 20}},
           {.text = "0000", .maxLength = 4, .accessible = "Runtime divider value"});
    s.Labels({"RTDividerHint%1", 1, 3, {.x = 278, .y = 64, .w = 110, .h = 14, .dy = 16}},
             {.caption = [](int n) {
                 static const char* const kHints[] = {"0004: 1 min", "0240: 1 hour", "2400: 10 hour"};
                 return QString(kHints[n - 1]);
             }});
    s.Button({"SetRTsource", {.x = 8, .y = 134, .w = 50, .h = 24}},
             {.caption = "WR", .accessible = "Write runtime source", .click = [this](int) {
                  SetRTsourceClick();
              }});
    s.Button(
        {"Button2", {.x = 64, .y = 134, .w = 50, .h = 24}},
        {.caption = "RD", .accessible = "Read runtime source", .click = [this](int) { Button2Click(); }});
    panelRT->hide();  // shown only for the sibling module
}

// ---- handlers ------------------------------------------------------------------------

void TempCounterPage::ScrollBarTminChange(int input) {
    SetTextAt(MinEdit(input), std::to_string(ValueAt(MinBar(input))));
}

void TempCounterPage::ScrollBarTmaxChange(int input) {
    SetTextAt(MaxEdit(input), std::to_string(ValueAt(MaxBar(input))));
}

void TempCounterPage::TlevelCmdClick(int input) {
    const bool sent = Run({Step::Clear, Step::Send, Step::Display},
                          cmd::TempLevels(input, ValueAt(MinBar(input)), ValueAt(MaxBar(input))));
    // The marks say the levels went out; the page change paints them back.
    if (sent) {
        Mark(Control(MaxEdit(input)), QColor(0, 255, 0));
        Mark(Control(MinEdit(input)), QColor(0, 255, 255));
    }
    Run({Step::ReplyToShow}, {});
}

void TempCounterPage::ScrollBarRTChange(int runtime) {
    SetTextAt(NameOf("RT%1", runtime), std::to_string(ValueAt(NameOf("ScrollBarRT%1", runtime))));
}

void TempCounterPage::RTlevelSendClick() {
    Run({Step::Clear, Step::Send, Step::Display, Step::ReplyToShow},
        cmd::RuntimeLevels(ValueAt("ScrollBarRT1"), ValueAt("ScrollBarRT2")));
}

void TempCounterPage::ScrollBar1Change() {
    SetTextAt("RTdivider", cmd::RuntimeDivider(ValueAt("ScrollBar1")));
}

// The runtime source commands leave the memos to DisplayOnMemo and
// ReplyToShow as it is, but never go out unframed after a pass-through.
void TempCounterPage::SetRTsourceClick() {
    Run({Step::RawModeOff, Step::Send, Step::Display},
        cmd::RuntimeSource(ValueAt("RTinputSource"), ValueAt("RTsource"), TextAt("RTdivider")));
}

void TempCounterPage::Button2Click() {
    Run({Step::RawModeOff, Step::Send, Step::Display}, std::string(cmd::kReadRuntimeSource));
}

void TempCounterPage::TTimeout1SBtChange() {
    SetTextAt("TTimeout1t", cmd::TwoDigits(ValueAt("TTimeout1SBt")));
}

void TempCounterPage::SetTtimeoutFilterClick() {
    Request(cmd::TempTimeoutFilter(TextAt("TTimeout1t")));
}

void TempCounterPage::Button8Click() {
    Request(std::string(cmd::kClearCounters));
}

// ---- layout and settings ----------------------------------------------------------------

void TempCounterPage::ApplyAlternateModule(bool on, AlternateRow row) {
    if (row != AlternateRow::Shown) return;
    if (QWidget* panel = Control("PanelRT")) panel->setVisible(on);
}

void TempCounterPage::StoreLimits(ConfigRecord& c) const {
    for (int n = 1; n <= 3; ++n) {
        c.SetTempMin(n, ValueAt(MinBar(n)));
        c.SetTempMax(n, ValueAt(MaxBar(n)));
    }
}

void TempCounterPage::AddSettings(SettingsTable& t) {
    // After the "Other" page's bar moved this twin: a bar already at the
    // stored position ran no handler.
    t.Load({9, 7}, "TTimeout1t shows TTimeout1SBt", [this](ConfigRecord&) { TTimeout1SBtChange(); });
    t.Load({25}, "ScrollBarT1min..T3max <- TempMin/TempMax, edits T1min..T3max written",
           [this](ConfigRecord& c) {
               for (int n = 1; n <= 3; ++n) {
                   SetValueAt(MinBar(n), c.TempMin(n));  // limited to -99..149 by the bar
                   SetValueAt(MaxBar(n), c.TempMax(n));
                   // A bar already at the stored position ran no handler.
                   ScrollBarTminChange(n);
                   ScrollBarTmaxChange(n);
               }
           });
    t.Load({26, 1}, "TempMin/TempMax <- limited positions", [this](ConfigRecord& c) { StoreLimits(c); },
           {FieldId::TempMin, FieldId::TempMax});
    t.Save({10, 1}, "TempMin/TempMax <- ScrollBarT1min..T3max", {FieldId::TempMin, FieldId::TempMax},
           [this](ConfigRecord& c) { StoreLimits(c); });
}

}  // namespace kt::app
