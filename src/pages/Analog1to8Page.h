// Page "TabSheet6" ("Analog 1-8"): the level groups of analog inputs 1..8,
// the input modes with multipliers and dividers, the 20 mA corrections, the
// analog timeout filter (twin of the "Other" page's bar) and the analog
// queries.
#pragma once

#include "pages/AnalogLevelsPage.h"

namespace kt::app {

class Analog1to8Page : public AnalogLevelsPage {
    Q_OBJECT
  public:
    explicit Analog1to8Page(PageHost& host);

    // "WR" of the mode panel: "AMODE", the eight mode digits, multipliers, dividers.
    void WriteAMode1Click();
    // Button11..Button18: the 20 mA correction of channel pair 1..8.
    void CorrectionClick(int channel);
    // ATimeout1SBa: its edit shows two digits (the window mirrors the twin).
    void ATimeout1SBaChange();
    void SetTimeoutAnalogFilterClick();
    void RefLevelClick();

    // Panel1 over the level groups of inputs 5..8, which are then disabled,
    // and AMode5..AMode8 disabled.
    void ApplyAlternateModule(bool on, AlternateRow row) override;
    void AddSettings(SettingsTable& table) override;

  private:
    void BuildModePanel();
    void BuildCorrectionPanel();
    void BuildTimeoutPanel();
};

}  // namespace kt::app
