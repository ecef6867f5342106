// The delivery log of SMS runs: every state of every command of a run (the
// window's and kt4470ctl send --sms) appended as one line to sms-runs.log in
// the per-user data folder, and flushed at once, so that a run cut short by
// a closed window or a pulled adapter can be read afterwards. A line holds
// five fields separated by tabs: local time with seconds, the module's
// number, the command, the state and its detail (the message reference, the
// answer, the modem's words, the time waited), texts with kt4470ctl's
// escapes:
//
//   2026-12-07 21:00:05<TAB>+4917012345<TAB>SETTF,05,10,3<TAB>submitted<TAB>reference 12
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "protocol/SmsExchange.h"
#include "protocol/WindowInterface.h"

namespace kt::protocol {

inline constexpr const char* kSmsRunLogName = "sms-runs.log";

class SmsRunLog {
  public:
    // Times come from clock (the machine's local clock when none is given).
    explicit SmsRunLog(const IClock* clock = nullptr);

    // sms-runs.log in kt::config::DataFolder(); empty when there is no such folder.
    static std::filesystem::path DefaultPath();

    // Opens file for appending, creating its folder; false with the reason.
    bool Open(const std::filesystem::path& file, std::string* error);
    bool IsOpen() const { return out_.is_open(); }
    const std::filesystem::path& Path() const { return path_; }

    // Appends one line now; false when it could not be written.
    bool Append(const std::string& number, const std::string& command, const SmsEvent& event);

    static std::string Line(const LocalTime& when, const std::string& number, const std::string& command,
                            const SmsEvent& event);

  private:
    const IClock* clock_;
    std::filesystem::path path_;
    std::ofstream out_;
};

}  // namespace kt::protocol
