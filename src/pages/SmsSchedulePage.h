// Page "TabSheet8": the report SMS the module sends on its own, at a fixed
// interval or at up to four hours of the day. The controls edit the nine
// characters of the schedule text as they change; "SET" finishes the text
// and sends it, "GET" asks the module for its schedule.
#pragma once

#include <string>

#include "pages/Page.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

class SmsSchedulePage : public Page {
    Q_OBJECT
  public:
    explicit SmsSchedulePage(PageHost& host);

    void SMSShedClick();
    // Also run by name by the runtime-source groups of "Temp/Counter"; it
    // always reads RadioGroup1.
    void RadioGroup1Click();
    void TrackBarChange(int n);  // TrackBar1Change .. TrackBar4Change
    void CheckBoxSClick(int n);  // CheckBoxS1Click .. CheckBoxS4Click
    void SetSheduleClick();
    void GetSheduleClick();

    void AddSettings(SettingsTable& table) override;

    // The schedule being edited: nine characters once loaded or set, empty
    // until then. Loaded from and saved to the record's schedule string.
    std::string ScheduleText;

    TRadioGroup* SMSShed = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;

  private:
    // What the type, timeout, boxes and track bars show now.
    kt::protocol::cmd::ScheduleControls ControlState() const;
};

}  // namespace kt::app
