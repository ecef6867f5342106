// Page "TabTCT" ("Temp/Counter"): the levels of the three temperature
// inputs, the runtime counters of the sibling module (levels and source), the
// temperature timeout filter (twin of the "Other" page's bar) and the counter
// and temperature requests.
#pragma once

#include "pages/Page.h"

namespace kt::app {

class TempCounterPage : public Page {
    Q_OBJECT
  public:
    explicit TempCounterPage(PageHost& host);

    // ScrollBarT n min / max: the edit shows the position in plain decimal.
    void ScrollBarTminChange(int input);
    void ScrollBarTmaxChange(int input);
    // TlevelCmd, TlevelCmd2, TlevelCmd3: "TCLEV" with both levels; the edits
    // are marked (maximum lime, minimum aqua) once the command went out.
    void TlevelCmdClick(int input);

    void ScrollBarRTChange(int runtime);  // RT1 / RT2 in plain decimal
    void RTlevelSendClick();
    void ScrollBar1Change();  // the divider as four digits in RTdivider
    void SetRTsourceClick();
    void Button2Click();

    void TTimeout1SBtChange();  // its edit shows two digits (the window mirrors the twin)
    void SetTtimeoutFilterClick();
    void Button8Click();  // clears the counters

    // PanelRT shown, RTname1 / RTname2 naming the runtime counters.
    void ApplyAlternateModule(bool on, AlternateRow row) override;
    void AddSettings(SettingsTable& table) override;

  private:
    void BuildTemperatureGroups();
    void BuildTimeoutPanel();
    void BuildRuntimePanel();
    void StoreLimits(kt::config::ConfigRecord& c) const;
};

}  // namespace kt::app
