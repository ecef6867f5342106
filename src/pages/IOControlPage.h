// Page "TabSheet9": switching the module's eight outputs, reading the states
// of its outputs and twelve inputs, the output pulse lengths, the data
// logger's sampling rate and period, and the digital input signal filter.
// Replies are only shown in the reply memo.
#pragma once

#include <string>

#include "pages/Page.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

class IOControlPage : public Page {
    Q_OBJECT
  public:
    explicit IOControlPage(PageHost& host);

    // ---- Handlers (k: output 1..8 or input 1..12) ---------------------------
    void SetOutClick(int k);    // SetOut1Click .. SetOut8Click
    void ResetOutClick(int k);  // ResetOut1Click .. ResetOut8Click
    void GetOutClick(int k);    // GetOut1Click .. GetOut8Click
    void GetOutStateClick();
    void GetInpClick(int k);  // GetInp1Click .. GetInp12Click
    void GetAllInputClick();
    void SetOutBinClick();
    void PulseDsbChange(int k);  // PulseDsb1Change .. PulseDsb8Change
    // Each bar shows its own position; the window mirrors it to its twin on
    // "GPRS, FTP", whose handler shows the twin's.
    void SRateSBChange();
    void DLoggerTmSBChange();
    void SetPulseClick();
    // Also run by the "GPRS, FTP" page's Button9 and Button10.
    void bSRateClick();
    void bDLperiodClick();
    void DFilterSBdChange();
    void SetDtimeoutFilterClick();

    void AddSettings(SettingsTable& table) override;

  private:
    void BuildOutputs();
    void BuildInputs();
    void BuildParameters();
    void BuildFilter();

    kt::protocol::cmd::OutputStates OutputStates() const;
    // Clear, SendSMS, DisplayOnMemo; the output edits show `after` only when
    // the command was handed on.
    void SwitchOutputs(const std::string& command, const kt::protocol::cmd::OutputStates& after);
};

}  // namespace kt::app
