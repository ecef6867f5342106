#include "pages/SettingsTable.h"

#include <algorithm>
#include <stdexcept>

#include "pages/PageBuilder.h"

namespace kt::app {

using kt::config::ConfigRecord;
using kt::config::Field;
using kt::config::FieldId;

void SettingsTable::Load(Order order, std::string what, std::function<void(ConfigRecord&)> run,
                         std::vector<FieldId> writes) {
    load_.push_back({order, std::move(what), std::move(writes), std::move(run)});
}

void SettingsTable::Save(Order order, std::string what, std::vector<FieldId> writes,
                         std::function<void(ConfigRecord&)> run) {
    save_.push_back({order, std::move(what), std::move(writes), std::move(run)});
}

std::vector<QWidget*> SettingsTable::Resolve(const std::string& pattern, FieldId field) const {
    std::vector<QWidget*> controls;
    for (int k = 1; k <= Field(field).count; ++k) {
        const std::string name = NameOf(pattern, k);
        QWidget* control = controls_.Find(name);
        if (!control) throw std::logic_error("settings row names a missing control: " + name);
        controls.push_back(control);
    }
    return controls;
}

void SettingsTable::Texts(Order load, Order save, const std::string& pattern, FieldId field) {
    const std::string fieldName(Field(field).name);
    for (int k = 1; k <= Field(field).count; ++k)
        bound_.push_back(NameOf(pattern, k));
    Load(load, pattern + " <- " + fieldName, [this, pattern, field](ConfigRecord& c) {
        const auto controls = Resolve(pattern, field);
        for (size_t k = 0; k < controls.size(); ++k)
            SetTextOf(controls[k], c.GetString(Field(field), static_cast<int>(k) + 1));
    });
    Save(save, fieldName + " <- " + pattern, {field}, [this, pattern, field](ConfigRecord& c) {
        const auto controls = Resolve(pattern, field);
        for (size_t k = 0; k < controls.size(); ++k)
            c.SetString(Field(field), static_cast<int>(k) + 1, TextOf(controls[k]));  // cut to the field
    });
}

void SettingsTable::Values(Order load, Order save, const std::string& pattern, FieldId field) {
    const std::string fieldName(Field(field).name);
    for (int k = 1; k <= Field(field).count; ++k)
        bound_.push_back(NameOf(pattern, k));
    Load(load, pattern + " <- " + fieldName, [this, pattern, field](ConfigRecord& c) {
        const auto controls = Resolve(pattern, field);
        for (size_t k = 0; k < controls.size(); ++k) {
            // Stored numbers beyond int are limited by the control anyway.
            const int64_t v = c.GetInt(Field(field), static_cast<int>(k) + 1);
            SetValueOf(controls[k], static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
        }
    });
    Save(save, fieldName + " <- " + pattern, {field}, [this, pattern, field](ConfigRecord& c) {
        const auto controls = Resolve(pattern, field);
        for (size_t k = 0; k < controls.size(); ++k)
            c.SetInt(Field(field), static_cast<int>(k) + 1, ValueOf(controls[k]));
    });
}

std::vector<const SettingsRow*> SettingsTable::Sorted(const std::vector<SettingsRow>& rows) {
    std::vector<const SettingsRow*> sorted;
    for (const auto& row : rows)
        sorted.push_back(&row);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const SettingsRow* a, const SettingsRow* b) { return a->order < b->order; });
    return sorted;
}

void SettingsTable::RunLoad(ConfigRecord& record) const {
    for (const SettingsRow* row : LoadRows())
        row->run(record);
}

void SettingsTable::RunSave(ConfigRecord& record) const {
    for (const SettingsRow* row : SaveRows())
        row->run(record);
}

void SettingsTable::FillRecord(ConfigRecord& record) const {
    for (const SettingsRow* row : SaveRows())
        if (!row->writes.empty()) row->run(record);
}

std::set<FieldId> SettingsTable::OwnedFields() const {
    std::set<FieldId> owned;
    for (const auto& row : save_)
        owned.insert(row.writes.begin(), row.writes.end());
    return owned;
}

}  // namespace kt::app
