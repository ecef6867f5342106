// Builds a page's controls from rows of data. A row is one control or a
// family of like controls (TXTSMS1..TXTSMS57, ScrollBarMin1..ScrollBarMin16):
// object names from a pattern or a name function over an index range,
// positions from an origin and a step or a grid, captions, limits, and one
// handler that takes the member's index. Every control is registered by its
// object name, and every handler by its name ("TXTSMSb5Click"), so that a
// test or another page can run it by that name.
#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QScrollBar>
#include <QSlider>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "pages/ControlRegistry.h"
#include "widgets/Widgets.h"

namespace kt::app {

// The handler of a family: called with the member's index.
using Handler = std::function<void(int index)>;

// A caption, default text, hint or accessible name: fixed, a pattern in
// which "%1" stands for the member's index, or a function of the index.
class Text {
  public:
    Text() = default;
    Text(const char* pattern) : pattern_(QString::fromUtf8(pattern)) {}
    Text(QString pattern) : pattern_(std::move(pattern)) {}
    template <class F>
    requires std::is_invocable_r_v<QString, F, int> Text(F fn) : fn_(std::move(fn)) {}

    QString Of(int index) const;
    bool Empty() const { return !fn_ && pattern_.isEmpty(); }

  private:
    QString pattern_;
    std::function<QString(int)> fn_;
};

// Where the members of a row go: the rectangle of the first member, the
// step from one member to the next and, for a grid, the members per line and
// the step from one line to the next. `of` places members that follow no
// regular pattern (it gets the index, not the member number).
struct Place {
    int x = 0, y = 0, w = 0, h = 0;
    int dx = 0, dy = 0;
    int perLine = 0;
    int lineDx = 0, lineDy = 0;
    std::function<QRect(int index)> of;

    // One control at a rectangle.
    static Place At(const QRect& r) { return {.x = r.x(), .y = r.y(), .w = r.width(), .h = r.height()}; }
    // The same rows in another column: x and width replaced, y shifted by dy.
    Place Column(int columnX, int width, int shiftY = 0) const {
        Place p = *this;
        p.x = columnX;
        p.w = width;
        p.y += shiftY;
        return p;
    }
};

// The object names and positions of one control or of a family.
struct Family {
    // One control.
    Family(std::string name, Place place);
    // Members first..last named by the pattern, "%1" standing for the index.
    Family(std::string pattern, int first, int last, Place place);
    // Members first..last named by a function (irregular families such as
    // Minlv1, MinLv2..MinLv8, Minlv9..Minlv16).
    Family(std::function<std::string(int)> nameOf, int first, int last, Place place);

    std::string NameOf(int index) const;
    QRect PlaceOf(int index) const;

    std::string pattern;
    std::function<std::string(int)> nameOf;
    int first = 0, last = 0;
    Place place;
};

// "%1" in a pattern replaced by the index.
std::string NameOf(const std::string& pattern, int index);

// Handler names: empty means the object name followed by "Click" (buttons,
// check boxes, radio groups) or "Change" (edits, scroll bars, track bars);
// a pattern with "%1" names each member's handler; a plain name is one
// handler shared by every control that gives it (RadioGroup1Click).

struct EditSpec {
    Text text;              // text the window is defined with
    int maxLength = 0;      // typing limit, 0 = none (texts set by the program are kept whole)
    bool readOnly = false;  //
    bool recolour = false;  // given the common entry colour on every page change
    Text accessible;        // needed unless a label names it (LabelSpec::buddy)
    Text tip;
    Handler change;  // on every change of the text, by the operator or the program
    std::string handler;
};

struct ButtonSpec {
    Text caption;
    Text accessible;  // where the caption repeats on the page ("WR", "OK")
    Text tip;
    Handler click;
    std::string handler;
};

struct CheckSpec {
    Text caption;
    bool checked = false;
    std::function<bool(int index)> checkedOf;  // a family's states member by member (instead of `checked`)
    Text accessible;
    Text tip;
    Handler click;  // on every change of the check state
    std::string handler;
};

struct RadioSpec {
    Text caption;
    QStringList items;
    int columns = 1;
    int index = 0;  // selected entry, -1 = none
    Text accessible;
    Handler click;  // on every change of the selected entry
    std::string handler;
};

// Scroll bars and track bars.
struct BarSpec {
    int min = 0, max = 100;
    int position = 0;
    int largeStep = 1;
    bool vertical = false;
    Text accessible;
    Text tip;
    Handler change;  // on every change of the position
    std::string handler;
};

struct LabelSpec {
    Text caption;
    std::string buddy;  // name (pattern) of the control the label names
    bool wrap = false;
};

struct PanelSpec {
    Text caption;        // a group box's title
    bool group = false;  // a group box even without a title (always with one)
    Text accessible;     // for a group whose title repeats on the page, or has none
    bool plain = false;  // no frame (an untitled container)
};

class PageBuilder {
  public:
    PageBuilder(QWidget* parent, ControlRegistry& registry) : parent_(parent), registry_(registry) {}

    // The same builder placing its controls into a panel or group.
    PageBuilder In(QWidget* container) const { return PageBuilder(container, registry_); }
    QWidget* Parent() const { return parent_; }
    ControlRegistry& Registry() const { return registry_; }

    std::vector<QLineEdit*> Edits(const Family& family, const EditSpec& spec);
    std::vector<QPushButton*> Buttons(const Family& family, const ButtonSpec& spec);
    std::vector<QCheckBox*> Checks(const Family& family, const CheckSpec& spec);
    std::vector<TRadioGroup*> Radios(const Family& family, const RadioSpec& spec);
    std::vector<QScrollBar*> ScrollBars(const Family& family, const BarSpec& spec);
    std::vector<QSlider*> TrackBars(const Family& family, const BarSpec& spec);
    std::vector<QLabel*> Labels(const Family& family, const LabelSpec& spec);
    // A group box (QGroupBox) when the row has a caption or asks for one, else a QFrame.
    std::vector<QWidget*> Panels(const Family& family, const PanelSpec& spec);

    // One control: the first member of a one-member row.
    QLineEdit* Edit(const Family& f, const EditSpec& s) { return Edits(f, s).front(); }
    QPushButton* Button(const Family& f, const ButtonSpec& s) { return Buttons(f, s).front(); }
    QCheckBox* Check(const Family& f, const CheckSpec& s) { return Checks(f, s).front(); }
    TRadioGroup* Radio(const Family& f, const RadioSpec& s) { return Radios(f, s).front(); }
    QScrollBar* ScrollBar(const Family& f, const BarSpec& s) { return ScrollBars(f, s).front(); }
    QSlider* TrackBar(const Family& f, const BarSpec& s) { return TrackBars(f, s).front(); }
    QLabel* Label(const Family& f, const LabelSpec& s) { return Labels(f, s).front(); }
    QWidget* Panel(const Family& f, const PanelSpec& s = {}) { return Panels(f, s).front(); }

  private:
    // Names, places and registers one member; `recolour` as the row says.
    void Place(QWidget* control, const Family& family, int index, bool recolour = false);
    void Describe(QWidget* control, const Text& accessible, const Text& tip, int index);
    // Registers the member's handler under its name; the returned callable
    // runs it.
    std::function<void()> Wire(const Family& family, int index, const std::string& handler, const char* event,
                               const Handler& fn);

    QWidget* parent_;
    ControlRegistry& registry_;
};

}  // namespace kt::app
