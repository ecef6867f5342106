#include "pages/PageBuilder.h"

#include <QGroupBox>
#include <stdexcept>

namespace kt::app {

QString Text::Of(int index) const {
    if (fn_) return fn_(index);
    if (!pattern_.contains(QLatin1String("%1"))) return pattern_;
    return QString(pattern_).replace(QLatin1String("%1"), QString::number(index));
}

std::string NameOf(const std::string& pattern, int index) {
    const auto at = pattern.find("%1");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + std::to_string(index) + pattern.substr(at + 2);
}

Family::Family(std::string name, Place at) : pattern(std::move(name)), place(std::move(at)) {}

Family::Family(std::string namePattern, int firstIndex, int lastIndex, Place at)
    : pattern(std::move(namePattern)), first(firstIndex), last(lastIndex), place(std::move(at)) {}

Family::Family(std::function<std::string(int)> names, int firstIndex, int lastIndex, Place at)
    : nameOf(std::move(names)), first(firstIndex), last(lastIndex), place(std::move(at)) {}

std::string Family::NameOf(int index) const {
    return nameOf ? nameOf(index) : kt::app::NameOf(pattern, index);
}

QRect Family::PlaceOf(int index) const {
    const auto& p = place;
    if (p.of) return p.of(index);
    const int member = index - first;
    const int line = p.perLine > 0 ? member / p.perLine : 0;
    const int column = p.perLine > 0 ? member % p.perLine : member;
    return QRect(p.x + column * p.dx + line * p.lineDx, p.y + column * p.dy + line * p.lineDy, p.w, p.h);
}

// ---- common steps ----------------------------------------------------------

void PageBuilder::Place(QWidget* control, const Family& family, int index, bool recolour) {
    control->setObjectName(QString::fromStdString(family.NameOf(index)));
    control->setGeometry(family.PlaceOf(index));
    registry_.Add(control, recolour);
}

void PageBuilder::Describe(QWidget* control, const Text& accessible, const Text& tip, int index) {
    if (!accessible.Empty()) control->setAccessibleName(accessible.Of(index));
    if (!tip.Empty()) control->setToolTip(tip.Of(index));
}

std::function<void()> PageBuilder::Wire(const Family& family, int index, const std::string& handler,
                                        const char* event, const Handler& fn) {
    if (!fn) return {};
    std::function<void()> run = [fn, index] { fn(index); };
    const bool shared = !handler.empty() && handler.find("%1") == std::string::npos;
    const std::string name = handler.empty() ? family.NameOf(index) + event : NameOf(handler, index);
    // A shared handler is one function, registered by the first control that names it.
    if (!shared || !registry_.HasHandler(name)) registry_.AddHandler(name, run);
    return run;
}

// ---- kinds -------------------------------------------------------------------

std::vector<QLineEdit*> PageBuilder::Edits(const Family& family, const EditSpec& spec) {
    std::vector<QLineEdit*> made;
    for (int i = family.first; i <= family.last; ++i) {
        auto* edit = new TEdit(QString(), parent_, spec.maxLength);
        Place(edit, family, i, spec.recolour);
        edit->setText(spec.text.Of(i));
        edit->setReadOnly(spec.readOnly);
        Describe(edit, spec.accessible, spec.tip, i);
        if (auto run = Wire(family, i, spec.handler, "Change", spec.change))
            QObject::connect(edit, &QLineEdit::textChanged, edit, [run] { run(); });
        made.push_back(edit);
    }
    return made;
}

std::vector<QPushButton*> PageBuilder::Buttons(const Family& family, const ButtonSpec& spec) {
    std::vector<QPushButton*> made;
    for (int i = family.first; i <= family.last; ++i) {
        auto* button = new QPushButton(spec.caption.Of(i), parent_);
        Place(button, family, i);
        Describe(button, spec.accessible, spec.tip, i);
        if (auto run = Wire(family, i, spec.handler, "Click", spec.click))
            QObject::connect(button, &QPushButton::clicked, button, [run] { run(); });
        made.push_back(button);
    }
    return made;
}

std::vector<QCheckBox*> PageBuilder::Checks(const Family& family, const CheckSpec& spec) {
    std::vector<QCheckBox*> made;
    for (int i = family.first; i <= family.last; ++i) {
        auto* box = new QCheckBox(spec.caption.Of(i), parent_);
        Place(box, family, i);
        box->setChecked(spec.checkedOf ? spec.checkedOf(i) : spec.checked);
        Describe(box, spec.accessible, spec.tip, i);
        // Toggled, not clicked: the program's changes run the handler too.
        if (auto run = Wire(family, i, spec.handler, "Click", spec.click))
            QObject::connect(box, &QCheckBox::toggled, box, [run] { run(); });
        made.push_back(box);
    }
    return made;
}

std::vector<TRadioGroup*> PageBuilder::Radios(const Family& family, const RadioSpec& spec) {
    std::vector<TRadioGroup*> made;
    for (int i = family.first; i <= family.last; ++i) {
        auto* group = new TRadioGroup(QString::fromStdString(family.NameOf(i)), spec.caption.Of(i),
                                      spec.items, parent_, spec.columns);
        group->setGeometry(family.PlaceOf(i));
        registry_.Add(group);
        group->SetItemIndex(spec.index);
        Describe(group, spec.accessible, {}, i);
        if (auto run = Wire(family, i, spec.handler, "Click", spec.click))
            QObject::connect(group, &TRadioGroup::Click, group, [run] { run(); });
        made.push_back(group);
    }
    return made;
}

namespace {

void SetUpBar(QAbstractSlider* bar, const BarSpec& spec) {
    bar->setOrientation(spec.vertical ? Qt::Vertical : Qt::Horizontal);
    bar->setRange(spec.min, spec.max);
    bar->setSingleStep(1);
    bar->setPageStep(spec.largeStep);
    bar->setValue(spec.position);
}

}  // namespace

std::vector<QScrollBar*> PageBuilder::ScrollBars(const Family& family, const BarSpec& spec) {
    std::vector<QScrollBar*> made;
    for (int i = family.first; i <= family.last; ++i) {
        auto* bar = new QScrollBar(parent_);
        Place(bar, family, i);
        SetUpBar(bar, spec);
        Describe(bar, spec.accessible, spec.tip, i);
        // valueChanged fires only on a real change, so twins stop after one step.
        if (auto run = Wire(family, i, spec.handler, "Change", spec.change))
            QObject::connect(bar, &QScrollBar::valueChanged, bar, [run] { run(); });
        made.push_back(bar);
    }
    return made;
}

std::vector<QSlider*> PageBuilder::TrackBars(const Family& family, const BarSpec& spec) {
    std::vector<QSlider*> made;
    for (int i = family.first; i <= family.last; ++i) {
        auto* bar = new QSlider(parent_);
        Place(bar, family, i);
        SetUpBar(bar, spec);
        bar->setTickPosition(QSlider::TicksBelow);
        bar->setTickInterval(1);
        Describe(bar, spec.accessible, spec.tip, i);
        if (auto run = Wire(family, i, spec.handler, "Change", spec.change))
            QObject::connect(bar, &QSlider::valueChanged, bar, [run] { run(); });
        made.push_back(bar);
    }
    return made;
}

std::vector<QLabel*> PageBuilder::Labels(const Family& family, const LabelSpec& spec) {
    std::vector<QLabel*> made;
    for (int i = family.first; i <= family.last; ++i) {
        auto* label = new QLabel(spec.caption.Of(i), parent_);
        Place(label, family, i);
        label->setWordWrap(spec.wrap);
        if (!spec.buddy.empty()) {
            QWidget* buddy = registry_.Find(NameOf(spec.buddy, i));
            if (!buddy) throw std::logic_error("label buddy not built yet: " + NameOf(spec.buddy, i));
            label->setBuddy(buddy);
        }
        made.push_back(label);
    }
    return made;
}

std::vector<QWidget*> PageBuilder::Panels(const Family& family, const PanelSpec& spec) {
    std::vector<QWidget*> made;
    for (int i = family.first; i <= family.last; ++i) {
        QWidget* panel = nullptr;
        if (spec.group || !spec.caption.Empty()) {
            panel = new QGroupBox(spec.caption.Of(i), parent_);
        } else {
            auto* frame = new QFrame(parent_);
            frame->setFrameShape(spec.plain ? QFrame::NoFrame : QFrame::StyledPanel);
            panel = frame;
        }
        Place(panel, family, i);
        Describe(panel, spec.accessible, {}, i);
        made.push_back(panel);
    }
    return made;
}

}  // namespace kt::app
