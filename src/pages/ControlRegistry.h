// Every named control of the window by its object name, filled by the page
// builder: the engine's named control texts, the values a reply parser
// returns, the settings rows and the page-change recolouring all find their
// controls here. It also keeps the handlers by their names ("TXTSMSb5Click",
// "CheckBoxD412Click"), so that a handler of a family can be run by the name
// of one member.
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kt::app {

class ControlRegistry {
  public:
    // Registers a control under its object name. A name may be registered
    // once; a second control of the same name is a programming error and
    // throws std::logic_error.
    void Add(QWidget* control, bool recolour = false);
    QWidget* Find(std::string_view name) const;
    template <class T>
    T* Get(std::string_view name) const {
        return qobject_cast<T*>(Find(name));
    }
    // Controls given the common entry colour when the page changes.
    const std::vector<QWidget*>& Recoloured() const { return recoloured_; }
    std::vector<std::string> Names() const;

    // Handlers by name. Adding a name twice throws std::logic_error.
    void AddHandler(const std::string& name, std::function<void()> handler);
    // Runs the handler of that name; false when there is none.
    bool RunHandler(std::string_view name) const;
    bool HasHandler(std::string_view name) const;
    std::vector<std::string> HandlerNames() const;

  private:
    std::unordered_map<std::string, QWidget*> controls_;
    std::vector<QWidget*> recoloured_;
    std::map<std::string, std::function<void()>, std::less<>> handlers_;
};

// Pairs of scroll bars that show one value on two pages: each bar's moves
// are mirrored to its twin. Each bar's own change handler shows its
// position; the twin's handler runs only when its position really changes
// (a twin limits it to its own range), so the mirroring stops after one
// step. A pair with a side not built (yet) is left out.
struct Twin {
    const char* one;
    const char* other;
};
void MirrorTwins(const ControlRegistry& controls, const std::vector<Twin>& twins);

// A control's value by its kind, for the settings rows and the replies.
// Text: an edit's or memo's text, a label's or button's caption (Latin-1
// bytes). Value: a scroll bar's or track bar's position, a radio group's item
// index, a check box's state (0 or 1). Setting runs the control's change or
// click handler when the value really changes. Other kinds read as empty or 0
// and ignore writes.
std::string TextOf(const QWidget* control);
void SetTextOf(QWidget* control, const std::string& text);
int ValueOf(const QWidget* control);
void SetValueOf(QWidget* control, int value);

}  // namespace kt::app
