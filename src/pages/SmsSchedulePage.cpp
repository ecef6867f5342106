#include "pages/SmsSchedulePage.h"

#include <QSlider>
#include <QStyle>

#include "protocol/ControlRanges.h"

namespace kt::app {

using kt::config::ConfigRecord;
using kt::config::FieldId;
namespace cmd = kt::protocol::cmd;
namespace range = kt::protocol::range;

namespace {

constexpr int kHours = 4;
constexpr int kBarX = 16, kBarY = 168, kBarWidth = 520, kBarStep = 44;

}  // namespace

SmsSchedulePage::SmsSchedulePage(PageHost& host) : Page(host, kt::protocol::PageIndex::SmsSchedule) {
    auto b = Builder();
    SMSShed = b.Radio({"SMSShed", {.x = 16, .y = 8, .w = 140, .h = 134}},
                      {.caption = "SMS Type",
                       .items = {"Analog", "Counters", "Temperature", "DataLogger", "Disable"},
                       .click = [this](int) { SMSShedClick(); }});
    RadioGroup1 = b.Radio({"RadioGroup1", {.x = 172, .y = 8, .w = 140, .h = 134}},
                          {.caption = "Timeout",
                           .items = {"Hours", "10 min", "20 min", "30 min", "other"},
                           .click = [this](int) { RadioGroup1Click(); }});
    b.Button({"GetShedule", {.x = 336, .y = 20, .w = 75, .h = 25}},
             {.caption = "GET", .click = [this](int) { GetSheduleClick(); }});
    b.Button({"SetShedule", {.x = 336, .y = 52, .w = 75, .h = 25}},
             {.caption = "SET", .click = [this](int) { SetSheduleClick(); }});

    b.TrackBars({"TrackBar%1", 1, kHours, {.x = kBarX, .y = kBarY, .w = kBarWidth, .h = 30, .dy = kBarStep}},
                {.min = range::kScheduleHour.min,
                 .max = range::kScheduleHour.max,
                 .accessible = "Send hour %1",
                 .change = [this](int n) { TrackBarChange(n); }});
    b.Checks({"CheckBoxS%1",
              1,
              kHours,
              {.x = kBarX + kBarWidth + 12, .y = kBarY + 5, .w = 80, .h = 20, .dy = kBarStep}},
             {.caption = "Enable", .accessible = "Send hour %1 enable", .click = [this](int n) {
                  CheckBoxSClick(n);
              }});

    // The hour scale over the track bars: each number above its tick. The
    // scale reaches half a number's width past the bars' ends, so that the
    // first and the last number lie inside it.
    constexpr int kNumberW = 20;
    QWidget* hourLine = b.Panel(
        {"HourLine", {.x = kBarX - kNumberW / 2, .y = kBarY - 16, .w = kBarWidth + kNumberW, .h = 16}},
        {.plain = true});
    const auto* first = Member<QSlider>("TrackBar%1", 1);
    const int handle = first->style()->pixelMetric(QStyle::PM_SliderLength, nullptr, first);
    const auto above = [handle](int hour) {
        const int centre = handle / 2 + (kBarWidth - handle) * hour / 23;
        return QRect(centre, 0, kNumberW, 16);
    };
    b.In(hourLine).Labels({"HourLine%1", 0, 23, {.of = above}}, {.caption = "%1"});
    for (QLabel* label : hourLine->findChildren<QLabel*>())
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

cmd::ScheduleControls SmsSchedulePage::ControlState() const {
    cmd::ScheduleControls c;
    c.type = SMSShed->ItemIndex();
    c.timeout = RadioGroup1->ItemIndex();
    for (int n = 1; n <= kHours; ++n) {
        c.enabled[static_cast<size_t>(n - 1)] = Member<QCheckBox>("CheckBoxS%1", n)->isChecked();
        c.hour[static_cast<size_t>(n - 1)] = Member<QSlider>("TrackBar%1", n)->value();
    }
    return c;
}

// ---- immediate edits of the schedule text ---------------------------------------------

void SmsSchedulePage::SMSShedClick() {
    ScheduleText = cmd::ScheduleTypeEdit(ScheduleText, SMSShed->ItemIndex());
}

void SmsSchedulePage::RadioGroup1Click() {
    ScheduleText = cmd::ScheduleTimeoutEdit(ScheduleText, ControlState());
}

void SmsSchedulePage::TrackBarChange(int n) {
    ScheduleText = cmd::ScheduleHourEdit(ScheduleText, n, ControlState());
}

void SmsSchedulePage::CheckBoxSClick(int n) {
    // Turning a box on changes nothing until its bar moves or "SET".
    if (Member<QCheckBox>("CheckBoxS%1", n)->isChecked()) return;
    ScheduleText = cmd::ScheduleHourOff(ScheduleText, n, ControlState());
}

// ---- module commands ---------------------------------------------------------------------

void SmsSchedulePage::SetSheduleClick() {
    const cmd::ScheduleWrite w = cmd::FinishSchedule(ScheduleText, ControlState());
    ScheduleText = w.text;
    Run({Step::Clear, Step::Send, Step::ShowCommand, Step::ReplyToShow}, w.command);
}

void SmsSchedulePage::GetSheduleClick() {
    Run({Step::Clear, Step::Send, Step::ShowCommand, Step::ReplyToShow}, std::string(cmd::kReadSchedule));
}

// ---- settings ------------------------------------------------------------------------------

void SmsSchedulePage::AddSettings(SettingsTable& t) {
    t.Load({5}, "ScheduleText <- ScheduleString; TrackBar1..4, CheckBoxS1..4, SMSShed, RadioGroup1 from it",
           [this](ConfigRecord& c) {
               const std::string stored = c.ScheduleString();
               // Filled to nine characters before any handler below writes into it.
               ScheduleText = cmd::LoadSchedule(stored);
               const cmd::ScheduleView view = cmd::DecodeSchedule(stored);
               for (int n = 1; n <= kHours; ++n) {
                   const auto& hour = view.hours[static_cast<size_t>(n - 1)];
                   if (hour) Member<QSlider>("TrackBar%1", n)->setValue(*hour);
                   Member<QCheckBox>("CheckBoxS%1", n)->setChecked(hour.has_value());
               }
               SMSShed->SetItemIndex(view.type);
               if (view.timeout) RadioGroup1->SetItemIndex(*view.timeout);
           });
    t.Save({2}, "ScheduleString <- ScheduleText; ScheduleEnd <- 0",
           {FieldId::ScheduleString, FieldId::ScheduleEnd}, [this](ConfigRecord& c) {
               c.SetScheduleString(ScheduleText);  // at most nine characters
               c.SetScheduleEnd(0);
           });
}

}  // namespace kt::app
