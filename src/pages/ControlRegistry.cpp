#include "pages/ControlRegistry.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <stdexcept>

#include "widgets/Widgets.h"

namespace kt::app {

void ControlRegistry::Add(QWidget* control, bool recolour) {
    const std::string name = control->objectName().toStdString();
    if (name.empty()) throw std::logic_error("a registered control needs an object name");
    if (!controls_.emplace(name, control).second) throw std::logic_error("control registered twice: " + name);
    if (recolour) recoloured_.push_back(control);
}

QWidget* ControlRegistry::Find(std::string_view name) const {
    const auto it = controls_.find(std::string(name));
    return it == controls_.end() ? nullptr : it->second;
}

std::vector<std::string> ControlRegistry::Names() const {
    std::vector<std::string> names;
    names.reserve(controls_.size());
    for (const auto& [name, control] : controls_)
        names.push_back(name);
    return names;
}

void ControlRegistry::AddHandler(const std::string& name, std::function<void()> handler) {
    if (!handlers_.emplace(name, std::move(handler)).second)
        throw std::logic_error("handler registered twice: " + name);
}

bool ControlRegistry::RunHandler(std::string_view name) const {
    const auto it = handlers_.find(name);
    if (it == handlers_.end()) return false;
    it->second();
    return true;
}

bool ControlRegistry::HasHandler(std::string_view name) const {
    return handlers_.find(name) != handlers_.end();
}

std::vector<std::string> ControlRegistry::HandlerNames() const {
    std::vector<std::string> names;
    for (const auto& [name, handler] : handlers_)
        names.push_back(name);
    return names;
}

void MirrorTwins(const ControlRegistry& controls, const std::vector<Twin>& twins) {
    for (const auto& [one, other] : twins) {
        auto* a = controls.Get<QAbstractSlider>(one);
        auto* b = controls.Get<QAbstractSlider>(other);
        if (!a || !b) continue;
        QObject::connect(a, &QAbstractSlider::valueChanged, b, &QAbstractSlider::setValue);
        QObject::connect(b, &QAbstractSlider::valueChanged, a, &QAbstractSlider::setValue);
    }
}

std::string TextOf(const QWidget* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) return ToBytes(edit->text());
    if (auto* memo = qobject_cast<const TMemo*>(control)) return memo->Text();
    if (auto* label = qobject_cast<const QLabel*>(control)) return ToBytes(label->text());
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return ToBytes(button->text());
    return {};
}

void SetTextOf(QWidget* control, const std::string& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(FromBytes(text));
    } else if (auto* memo = qobject_cast<TMemo*>(control)) {
        memo->SetText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(FromBytes(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(FromBytes(text));
    }
}

int ValueOf(const QWidget* control) {
    if (auto* bar = qobject_cast<const QAbstractSlider*>(control)) return bar->value();
    if (auto* group = qobject_cast<const TRadioGroup*>(control)) return group->ItemIndex();
    if (auto* box = qobject_cast<const QCheckBox*>(control)) return box->isChecked() ? 1 : 0;
    return 0;
}

void SetValueOf(QWidget* control, int value) {
    if (auto* bar = qobject_cast<QAbstractSlider*>(control)) {
        bar->setValue(value);  // limited to the bar's range
    } else if (auto* group = qobject_cast<TRadioGroup*>(control)) {
        group->SetItemIndex(value);
    } else if (auto* box = qobject_cast<QCheckBox*>(control)) {
        box->setChecked(value != 0);
    }
}

}  // namespace kt::app
