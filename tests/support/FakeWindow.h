// A window for engine tests: memos as MemoLines, edits in a map, check boxes
// and the active page as plain fields, and everything the engine shows
// (status, cursor, message boxes) recorded instead of displayed.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "protocol/MemoLines.h"
#include "protocol/WindowInterface.h"

namespace kt::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    protocol::MsgIcon icon;
};

class FakeWindow : public protocol::IWindow {
  public:
    FakeWindow();

    bool SmsModeChecked() const override { return smsMode; }
    std::string ModuleNumber() const override { return moduleNumber; }
    bool SkipCrLfChecked() const override { return skipCrLf; }
    void SetSkipCrLfChecked(bool checked) override { skipCrLf = checked; }
    int ActivePageIndex() const override { return page; }

    std::string ControlText(const std::string& name) const override;
    void SetControlText(const std::string& name, const std::string& text) override;

    int MemoLineCount(protocol::Memo memo) const override { return Lines(memo).Count(); }
    std::string MemoLine(protocol::Memo memo, int index) const override { return Lines(memo).Line(index); }
    void SetMemoLine(protocol::Memo memo, int index, const std::string& text) override {
        Lines(memo).SetLine(index, text);
    }
    void AppendMemoLine(protocol::Memo memo, const std::string& text) override { Lines(memo).Append(text); }
    std::string MemoText(protocol::Memo memo) const override { return Lines(memo).Text(); }
    void SetMemoText(protocol::Memo memo, const std::string& text) override { Lines(memo).SetText(text); }

    void SetStatusColor(protocol::Rgb color) override { statusColors.push_back(color); }
    void SetStatusText(const std::string& text) override { statusText = text; }
    void SetBusyCursor(bool busy) override { busyCursor = busy; }
    void ShowMessage(const std::string& text, const std::string& caption, protocol::MsgIcon icon) override {
        messages.push_back({text, caption, icon});
    }
    void ShowNotice(const std::string& text) override { notices.push_back(text); }
    bool RunReportsAnswers() const override { return runUnderWay; }

    protocol::MemoLines& Lines(protocol::Memo memo) {
        return memo == protocol::Memo::SmsInput ? smsInput : monitor;
    }
    const protocol::MemoLines& Lines(protocol::Memo memo) const {
        return memo == protocol::Memo::SmsInput ? smsInput : monitor;
    }
    protocol::Rgb LastStatusColor() const {
        return statusColors.empty() ? protocol::Rgb{} : statusColors.back();
    }

    // Controls.
    bool smsMode = false;
    std::string moduleNumber = "+12345";
    bool skipCrLf = false;
    int page = 0;
    std::map<std::string, std::string> controls;  // TimeZone starts as "+02"

    // What the engine did to the window.
    protocol::MemoLines smsInput;  // MemoSMSinput
    protocol::MemoLines monitor;   // MemoS
    std::vector<protocol::Rgb> statusColors;
    std::string statusText = "Setting Mode";
    bool busyCursor = false;
    std::vector<ShownMessage> messages;
    std::vector<std::string> notices;  // status bar lines ("" takes the last back)
    bool runUnderWay = false;
};

// A clock the test sets.
class FakeClock : public protocol::IClock {
  public:
    protocol::LocalTime Now() const override { return now; }
    int64_t SteadyMs() const override { return steadyMs; }
    void Set(int hour, int minute, int second = 0) {
        now.hour = hour;
        now.minute = minute;
        now.second = second;
    }
    protocol::LocalTime now{2026, 12, 6, 17, 40, 5};
    int64_t steadyMs = 0;  // the monotonic time; the test moves it on
};

}  // namespace kt::test
