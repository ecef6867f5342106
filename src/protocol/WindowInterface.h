// The narrow view the protocol engine has of the main window: the values of
// a few named controls, the two memos, the status field, the cursor, message
// boxes and the active page. The Qt window implements it; tests use a fake
// that records what happened. Texts are 8-bit byte strings.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kt::protocol {

// The two memos the engine writes to.
enum class Memo { SmsInput /* MemoSMSinput */, Monitor /* MemoS */ };

enum class MsgIcon { Error, Warning, Information };

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kCyan{0, 255, 255};

// A (control object name, text) pair that a reply parser wants shown.
using ControlValue = std::pair<std::string, std::string>;

class IWindow {
  public:
    virtual ~IWindow() = default;

    // Controls read by the engine.
    virtual bool SmsModeChecked() const = 0;            // SMSmode
    virtual std::string ModuleNumber() const = 0;       // BRnumber
    virtual bool SkipCrLfChecked() const = 0;           // SkipCRLFcb
    virtual void SetSkipCrLfChecked(bool checked) = 0;  // runs its click handler if it changes
    virtual int ActivePageIndex() const = 0;            // PageControl1, 0-based

    // Any edit by object name (Hersteller, TimeZone, NNumber3, ...). Unknown names read
    // as empty and are ignored on write.
    virtual std::string ControlText(const std::string& name) const = 0;
    virtual void SetControlText(const std::string& name, const std::string& text) = 0;

    // Memos as lists of lines (TStrings semantics: the text is the lines each
    // followed by CR LF; setting the text splits it at CR LF, CR or LF).
    virtual int MemoLineCount(Memo memo) const = 0;
    virtual std::string MemoLine(Memo memo, int index) const = 0;
    virtual void SetMemoLine(Memo memo, int index, const std::string& text) = 0;  // no such line: nothing
    virtual void AppendMemoLine(Memo memo, const std::string& text) = 0;
    virtual std::string MemoText(Memo memo) const = 0;
    virtual void SetMemoText(Memo memo, const std::string& text) = 0;

    // Status field (the edit Status).
    virtual void SetStatusColor(Rgb color) = 0;
    virtual void SetStatusText(const std::string& text) = 0;

    virtual void SetBusyCursor(bool busy) = 0;  // hourglass / default arrow

    // Modal message box with one OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption, MsgIcon icon) = 0;

    // A line for the operator that needs no answer (the window's status bar):
    // a command not sent, not answered, the state of an SMS exchange. An
    // empty text takes the last notice back.
    virtual void ShowNotice(const std::string& text) = 0;
    // A run of commands (provisioning) is under way and reports every
    // command's fate itself: the engine adds no notices of its own.
    virtual bool RunReportsAnswers() const = 0;
};

// Local time of day and date, from an injected clock.
struct LocalTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class IClock {
  public:
    virtual ~IClock() = default;
    virtual LocalTime Now() const = 0;
    // Milliseconds of a monotonic clock (the machine's steady clock unless
    // a test sets the time).
    virtual int64_t SteadyMs() const;
};

// The real local clock of the machine.
class SystemClock : public IClock {
  public:
    LocalTime Now() const override;
};

}  // namespace kt::protocol
