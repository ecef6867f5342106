// Base of the 13 pages of PageControl1 and what a page sees of the window.
// A page builds its controls from rows (PageBuilder), finds controls by
// name (ControlRegistry), sends module commands through the page pattern
// (Clear, SendSMS, DisplayOnMemo, ReplyToShow in the order its handler
// needs), adds its rows to the settings tables and applies its share of the
// alternate module layout.
#pragma once

#include <QWidget>
#include <initializer_list>
#include <string>
#include <string_view>

#include "config/ConfigRecord.h"
#include "pages/ControlRegistry.h"
#include "pages/PageBuilder.h"
#include "pages/SettingsTable.h"
#include "protocol/Engine.h"
#include "protocol/PageIndex.h"
#include "protocol/WindowInterface.h"

namespace kt::app {

// The window as the pages see it.
class PageHost {
  public:
    virtual ~PageHost() = default;
    virtual kt::protocol::ProtocolEngine& Engine() = 0;
    virtual kt::protocol::IWindow& Window() = 0;
    virtual ControlRegistry& Controls() = 0;
    virtual kt::config::ConfigRecord& Record() = 0;
    // Empties both memos, sets ReplyToShow, clears RawMode: the routine
    // nearly every page action calls first.
    virtual void Clear() = 0;
};

// The rows of the alternate module layout, applied in this order on every
// page: the controls shown, the controls hidden, the analog modes disabled,
// the text pairs of "External SMS", "Int/Ext SMS" and "IOname" disabled, the
// routing masks' Disable boxes checked, the runtime row captions.
enum class AlternateRow {
    Shown,
    Hidden,
    AnalogModes,
    ExternalTexts,
    IntExtTexts,
    IONames,
    DisableBoxes,
    RowCaptions
};
inline constexpr AlternateRow kAlternateRows[] = {
    AlternateRow::Shown,       AlternateRow::Hidden,  AlternateRow::AnalogModes,  AlternateRow::ExternalTexts,
    AlternateRow::IntExtTexts, AlternateRow::IONames, AlternateRow::DisableBoxes, AlternateRow::RowCaptions};

class Page : public QWidget {
    Q_OBJECT
  public:
    Page(PageHost& host, kt::protocol::PageIndex index);

    kt::protocol::PageIndex Index() const { return index_; }

    // The page's share of one row of the alternate module layout (on) or of
    // the default one (off). The window runs each row on every page before
    // the next row.
    virtual void ApplyAlternateModule(bool on, AlternateRow row) {
        (void)on;
        (void)row;
    }
    // The page's rows of loading and saving the settings record.
    virtual void AddSettings(SettingsTable& table) { (void)table; }

  protected:
    // The steps of a page action, run in the order given.
    enum class Step {
        Clear,        // the window's Clear
        RawModeOff,   // only RawMode cleared (actions that do not clear the memos)
        Send,         // SendSMS of the command
        Display,      // DisplayOnMemo of the display text
        ShowCommand,  // both memos emptied, the command as the one line of MemoS
        ReplyToShow,  // the module's answer will be shown
    };
    // Runs the steps; the display text defaults to the command. True when a
    // Send step handed the command to the driver (what a page changes after
    // sending changes only then); true without a Send step.
    bool Run(std::initializer_list<Step> steps, const std::string& command, const std::string& display = {});
    // The common pattern: Clear, SendSMS, DisplayOnMemo.
    bool Request(const std::string& command, const std::string& display = {}) {
        return Run({Step::Clear, Step::Send, Step::Display}, command, display);
    }
    // Pass-through AT text for the module's own GSM engine: optionally empty
    // MemoS, save the "Skip CR/LF" state, set RawMode, empty MemoSMSinput,
    // SendSMS.
    bool PassThrough(const std::string& text, bool clearMonitor);

    // A handler that runs the handler registered under that name (a button
    // wired to another page's handler, such as "ReadAnalogClick").
    Handler Calls(std::string handlerName) const;

    // Controls by name; a pattern with "%1" and an index names a family member.
    QWidget* Control(std::string_view name) const { return host_.Controls().Find(name); }
    template <class T>
    T* Control(std::string_view name) const {
        return qobject_cast<T*>(Control(name));
    }
    QWidget* Member(const std::string& pattern, int index) const { return Control(NameOf(pattern, index)); }
    template <class T>
    T* Member(const std::string& pattern, int index) const {
        return qobject_cast<T*>(Member(pattern, index));
    }
    // Texts are Latin-1 bytes; values are positions, indexes or check states.
    std::string TextAt(std::string_view name) const { return TextOf(Control(name)); }
    void SetTextAt(std::string_view name, const std::string& text) { SetTextOf(Control(name), text); }
    int ValueAt(std::string_view name) const { return ValueOf(Control(name)); }
    void SetValueAt(std::string_view name, int value) { SetValueOf(Control(name), value); }

    kt::protocol::ProtocolEngine& Engine() const { return host_.Engine(); }
    // The builder placing controls on this page.
    PageBuilder Builder() { return PageBuilder(this, host_.Controls()); }

    PageHost& host_;

  private:
    kt::protocol::PageIndex index_;
};

}  // namespace kt::app
