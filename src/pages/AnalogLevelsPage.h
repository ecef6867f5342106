// The level groups of eight analog inputs: what "Analog 1-8" and "Analog
// 9-16" share. Each input has a minimum and a maximum scroll bar (0..99 %),
// a read-only edit per bar showing its position as two digits, and a "WR"
// button writing both levels ("ANLEV1,".."ANLEV8," for inputs 1..8,
// "ANLEW1,".."ANLEW8," for 9..16).
#pragma once

#include <QRect>
#include <string>

#include "pages/Page.h"

namespace kt::app {

// The object names of one input's level group. The edits are named
// irregularly: Minlv1, MinLv2..MinLv8, Minlv9..Minlv16 (and Max alike).
struct LevelGroupNames {
    std::string group;    // the titled frame, "ANALOG INPUT n"
    std::string minBar;   // ScrollBarMin n
    std::string maxBar;   // ScrollBarMax n
    std::string minEdit;  // Minlv1, MinLv2, ..., Minlv16
    std::string maxEdit;  // Maxlv1, MaxLv2, ..., Maxlv16
    std::string button;   // Level n Cmd
};
LevelGroupNames LevelGroup(int input);

class AnalogLevelsPage : public Page {
    Q_OBJECT
  public:
    // Inputs first..first+7 on the page of that index.
    AnalogLevelsPage(PageHost& host, kt::protocol::PageIndex index, int first);

    int FirstInput() const { return first_; }
    int LastInput() const { return first_ + 7; }

    // ScrollBarMin n / ScrollBarMax n: the edit shows the position as two digits.
    void ScrollBarMinChange(int input);
    void ScrollBarMaxChange(int input);
    // Level n Cmd: writes both levels of input n.
    void LevelCmdClick(int input);

    // Loading (the bars, then every level edit written, since a bar set to
    // the position it has runs no change handler), the write-back of the
    // limited positions, and saving.
    void AddSettings(SettingsTable& table) override;

    // Where one input's group lies on the page.
    QRect GroupRect(int input) const;
    // The right of the page, beside the groups.
    static constexpr int kBesideX = 410;
    static constexpr int kBesideWidth = 434;

  protected:
    // Enables or disables every control of one input's group.
    void EnableGroup(int input, bool enabled);

  private:
    // The positions of the page's bars into AnalogMin / AnalogMax.
    void StoreLimits(kt::config::ConfigRecord& c) const;

    int first_;
};

}  // namespace kt::app
