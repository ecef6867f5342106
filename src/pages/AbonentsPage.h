// Page "Abonents": the seven alarm numbers kept by the module, the SIM phone
// book, and the alarm routing masks. Every alarm source (three T/C inputs,
// eight analog and twelve digital inputs) has four alarm-number bits and a
// "Disable" box; the rows of a group are one mask string of hex digits ('-'
// for a disabled row) shown in a read-only edit and sent with "SETME".
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <array>
#include <string>

#include "pages/Page.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

class AbonentsPage : public Page {
    Q_OBJECT
  public:
    using MaskGroup = kt::protocol::cmd::MaskGroup;

    explicit AbonentsPage(PageHost& host);

    // ---- Alarm numbers and SIM phone book (slot = radio item + 1) ----
    void GetNrClick();
    void SetNrClick();
    void ClrNrClick();
    void ReadPBClick();
    void ToPhoneBookClick();

    // ---- Routing masks ----
    // The 92 bit boxes: index = source * 4 + column - 1 (sources 0..22 are
    // T/C 1..3, analog 1..8, digital 1..12; columns are alarm numbers 1..4).
    void BitBoxClick(int index);
    // The 23 "Disable" boxes: index = source.
    void DisableBoxClick(int source);
    void SetNfilter1Click();

    // The digits of a group's rows saved while they are disabled.
    const std::string& SavedDigits(MaskGroup g) const { return saved_[static_cast<size_t>(g)]; }

    // T/C rows 2 and 3 become the two runtime counters; analog 5..8 and
    // digital 8..12 are disabled (their boxes' handlers run).
    void ApplyAlternateModule(bool on, AlternateRow row) override;
    void AddSettings(SettingsTable& table) override;

    TRadioGroup* RadioGroupNR = nullptr;
    TRadioGroup* RadioGroupPB = nullptr;
    QLabel* RTname1 = nullptr;
    QLabel* RTname2 = nullptr;

  private:
    void BuildNumbers();
    void BuildMasks();
    // Refused only while an inbox poll of the SMS exchange is under way.
    bool InboxPollUnderWay() const;
    // A number that was not sent: why, in the status bar and as the edit's
    // tool tip until the operator edits it.
    void Refused(const std::string& edit, const std::string& what, const std::string& problem);
    QLineEdit* MaskEdit(MaskGroup g) const { return maskEdits_[static_cast<size_t>(g)]; }
    // The mask edit's text and the saved digits of a group.
    kt::protocol::cmd::MaskState MaskOf(MaskGroup g) const;
    void LoadMasks(kt::config::ConfigRecord& c);

    std::array<QLineEdit*, 3> maskEdits_{};
    std::array<std::string, 3> saved_;
};

}  // namespace kt::app
