// The three text pages: "External SMS" (the alarm texts the module sends,
// slots 1..57), "Int/Ext SMS" (the short internal texts of the same 57
// events) and "IOname" (the names of the input and output states, slots
// 58..97). One class serves all three; each page is built from its table of
// slots. Every slot is an edit and a button that writes the edit's text to
// the module or, with the page's "Read" box ticked, reads it back. The
// internal texts and the names share one numbering (1..97) and one record
// field.
#pragma once

#include <QCheckBox>
#include <QString>
#include <array>
#include <span>

#include "pages/Page.h"
#include "protocol/AlternateModule.h"
#include "protocol/ModuleCommands.h"

namespace kt::app {

using kt::protocol::SlotRange;

enum class SlotLayout {
    Events,  // rows of sources (temperature, analog, digital inputs), columns of conditions
    Names,   // the input and output states in two group boxes
};

struct TextSlotTable {
    kt::protocol::PageIndex page;
    SlotLayout layout;
    int first, last;      // slot numbers
    const char* edit;     // object names, "%1" standing for the slot number
    const char* button;   //
    const char* readBox;  // the "Read" check box
    const char* prefix;   // of the object names of the page's own labels
    kt::protocol::cmd::TextBank bank;
    kt::config::FieldId field;  // element n holds slot n
    int maxLength;              // typing limit of the edits
    bool readBoxClears;         // the "Read" box runs Clear; else it only clears RawMode
    bool legend;                // the legend of the internal texts' form
    // Loading and saving bind the whole field to the edits named by `edit`;
    // the internal field spans two pages, so only one of them binds it.
    bool bindsField;
    Order load, save;
    // Slots whose edit and button the sibling module's layout disables.
    std::span<const SlotRange> alternateOff;
};

inline const std::array<TextSlotTable, 3> kTextSlotTables{{
    {kt::protocol::PageIndex::ExternalSms,
     SlotLayout::Events,
     1,
     57,
     "TXTSMS%1",
     "TXTSMSb%1",
     "GetText",
     "",
     kt::protocol::cmd::TextBank::External,
     kt::config::FieldId::ExtSmsText,
     32,
     true,
     false,
     true,
     {16, 1},
     {11, 1},
     kt::protocol::kAlternateOffEventSlots},
    {kt::protocol::PageIndex::IntExtSms,
     SlotLayout::Events,
     1,
     57,
     "iTXTSMS%1",
     "iTXTSMSb%1",
     "iGetText",
     "i",
     kt::protocol::cmd::TextBank::Internal,
     kt::config::FieldId::IntSmsText,
     15,
     false,
     true,
     true,
     {16, 2},
     {11, 2},
     kt::protocol::kAlternateOffEventSlots},
    {kt::protocol::PageIndex::IOname,
     SlotLayout::Names,
     58,
     97,
     "iTXTSMS%1",
     "TXTSMSb%1",
     "nGetText",
     "n",
     kt::protocol::cmd::TextBank::Internal,
     kt::config::FieldId::IntSmsText,
     15,
     false,
     false,
     false,
     {},
     {},
     kt::protocol::kAlternateOffNameSlots},
}};

// The table of one of the three pages.
const TextSlotTable& TextSlotsOf(kt::protocol::PageIndex page);

// The text a slot's edit is defined with: the alarm texts (some with a
// trailing blank) and the input and output names; the internal texts have
// none.
QString DefaultSlotText(kt::protocol::cmd::TextBank bank, int slot);

// Where a slot shows: its group box (names only), row and column captions.
// The sibling module's layout relabels the rows of temperature inputs 2
// and 3 as its runtime counters.
struct SlotCaptions {
    QString group;
    QString row;
    QString column;
};
SlotCaptions CaptionsOf(int slot, bool alternate);
// The accessible description of a slot's edit and button: its captions.
QString SlotDescription(int slot, bool alternate);

class TextSlotsPage : public Page {
    Q_OBJECT
  public:
    TextSlotsPage(PageHost& host, kt::protocol::PageIndex page);

    const TextSlotTable& Table() const { return table_; }

    // TXTSMSb1Click .. TXTSMSb97Click, iTXTSMSb1Click .. iTXTSMSb57Click:
    // Clear, then the read command, or the write command with the record
    // keeping its share of the text at once; the memo shows the write with a
    // comma after the slot number.
    void SlotClick(int slot);
    // GetTextClick, iGetTextClick, nGetTextClick: every slot button of the
    // page captioned "RD" (checked) or "WR".
    void ReadBoxClick();

    void ApplyAlternateModule(bool on, AlternateRow row) override;
    void AddSettings(SettingsTable& table) override;

    QCheckBox* ReadBox = nullptr;

  private:
    void BuildEvents();
    void BuildNames();
    void BuildLegend();
    // The slots' edits and buttons of one container (the page or a group box).
    void BuildSlots(PageBuilder b, int first, int last, const std::function<QRect(int)>& editAt);
    // Accessible descriptions from the captions the layout shows.
    void Describe();
    std::string Label(const char* name) const { return std::string(table_.prefix) + name; }
    // The layout row of this page's text pairs.
    AlternateRow PairsRow() const;

    const TextSlotTable& table_;
    bool alternate_ = false;
};

}  // namespace kt::app
