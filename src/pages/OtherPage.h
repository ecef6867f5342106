// Page "TabSheet10": the module's option string (out-of-limit marks and
// thirteen switches), the three timeout filters, the date/time
// synchronisation source and the restart enable. Replies are only shown in
// the reply memo.
#pragma once

#include <string>

#include "pages/Page.h"

namespace kt::app {

class OtherPage : public Page {
    Q_OBJECT
  public:
    explicit OtherPage(PageHost& host);

    // ---- Handlers ----------------------------------------------------------------
    void MinusMarkChange();
    void PlusMarkChange();
    void oCheckBoxClick(int k);  // oCheckBox3Click .. oCheckBox15Click
    void SetOtherClick();
    void GetOtherClick();
    // Each bar shows its own value; the window mirrors it to its twin.
    void TTimeout1SBChange();
    void ATimeout1SBChange();
    void DFilterSBChange();
    void SetTimeoutFilterClick();
    void Button1Click();        // the date/time source
    void RestartEnableClick();  // on Button19

    void AddSettings(SettingsTable& table) override;

    // The option string last sent with "SET", saved as OtherFlags (loaded
    // from it padded to 16 characters, never shown).
    const std::string& StoredOptions() const { return storedOptions_; }

  private:
    void BuildOptions();
    void BuildTimeouts();
    void BuildDateTimeAndRestart();

    std::string storedOptions_;
};

}  // namespace kt::app
