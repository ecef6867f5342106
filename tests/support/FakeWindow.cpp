#include "support/FakeWindow.h"

namespace kt::test {

FakeWindow::FakeWindow() {
    controls["TimeZone"] = "+02";
}

std::string FakeWindow::ControlText(const std::string& name) const {
    const auto it = controls.find(name);
    return it == controls.end() ? std::string() : it->second;
}

void FakeWindow::SetControlText(const std::string& name, const std::string& text) {
    controls[name] = text;
}

}  // namespace kt::test
