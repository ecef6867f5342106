// Loading the settings record into the window and saving the window into it,
// as two ordered tables of rows. Every page adds its rows at their place in
// the order (a step number, and a sub-step for rows of one step that come
// from different pages); the window runs them sorted. Families bind as one
// row: "texts TXTSMS1..57 to and from ExtSmsText" or "positions
// ScrollBarMin1..16 to and from AnalogMin". Each row declares the record
// fields it writes, so the set of fields the window owns is derived from the
// save rows, and every other byte of a loaded file is saved as it was read.
#pragma once

#include <compare>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "config/ConfigRecord.h"
#include "pages/ControlRegistry.h"

namespace kt::app {

// A row's place: the step of loading (1..26) or saving (1..20), then the
// sub-step among the rows of the same step.
struct Order {
    int step = 0;
    int sub = 0;
    friend auto operator<=>(const Order&, const Order&) = default;
};

struct SettingsRow {
    Order order;
    std::string what;                         // fields and controls, for reading the table
    std::vector<kt::config::FieldId> writes;  // record fields the row writes
    std::function<void(kt::config::ConfigRecord&)> run;
};

class SettingsTable {
  public:
    explicit SettingsTable(const ControlRegistry& controls) : controls_(controls) {}

    // A row of its own. Loading rows write the record only for defaults and
    // write-backs; they say which fields.
    void Load(Order order, std::string what, std::function<void(kt::config::ConfigRecord&)> run,
              std::vector<kt::config::FieldId> writes = {});
    void Save(Order order, std::string what, std::vector<kt::config::FieldId> writes,
              std::function<void(kt::config::ConfigRecord&)> run);

    // A family bound to a field: control k (named by the pattern, "%1"
    // standing for k) with element k of the field, k = 1..the field's element
    // count; a single field binds the one control named by the pattern.
    // Texts: an edit's text, saved cut to the field's length. Values: a
    // position, a radio group's index or a check state.
    void Texts(Order load, Order save, const std::string& pattern, kt::config::FieldId field);
    void Values(Order load, Order save, const std::string& pattern, kt::config::FieldId field);

    // The rows in their order (rows of the same place in the order they were added).
    std::vector<const SettingsRow*> LoadRows() const { return Sorted(load_); }
    std::vector<const SettingsRow*> SaveRows() const { return Sorted(save_); }
    void RunLoad(kt::config::ConfigRecord& record) const;
    void RunSave(kt::config::ConfigRecord& record) const;
    // The save rows that write the record, without the rows that only act
    // (the port's parity): what a save would write, and nothing else done.
    void FillRecord(kt::config::ConfigRecord& record) const;

    // The fields the save rows write: the fields the window owns.
    std::set<kt::config::FieldId> OwnedFields() const;
    // The control names the family rows bind.
    const std::vector<std::string>& BoundNames() const { return bound_; }

  private:
    static std::vector<const SettingsRow*> Sorted(const std::vector<SettingsRow>& rows);
    // The controls of a family binding, element 1 first; throws when one is
    // missing (a row naming a control no page built is a programming error).
    std::vector<QWidget*> Resolve(const std::string& pattern, kt::config::FieldId field) const;

    const ControlRegistry& controls_;
    std::vector<SettingsRow> load_;
    std::vector<SettingsRow> save_;
    std::vector<std::string> bound_;
};

}  // namespace kt::app
