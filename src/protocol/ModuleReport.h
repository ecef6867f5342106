// Reading back what a module holds: the requests for every setting the
// module can report (alarm numbers, SIM phone book, external texts,
// internal texts and names, the GPRS, FTP and HTTP parameters), their answers
// read with the page reply rules, the comparison with what a set of settings
// would have written, and the settings record filled from the answers.
// kt4470ctl verify and read and the window's "Verify Module..." and "Read
// Settings from Module..." all work through this, so they read an answer
// alike.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "config/ConfigRecord.h"
#include "protocol/PageIndex.h"
#include "protocol/Provisioning.h"
#include "protocol/WindowInterface.h"

namespace kt::protocol {

// One setting the module reports.
struct ReportedSetting {
    std::string control;        // the control its reply fills ("TXTSMS9")
    std::string field;          // the record field that stores it ("ExtSmsText")
    int element = 1;            // its element of that field
    std::string slot;           // the slot of the command that writes it ("SETTX09")
    size_t prefix = 0;          // characters of that command before the value
    bool isText = false;        // a text slot: leading blanks belong to the value
    std::string Label() const;  // "ExtSmsText[9]", "Apn"
};

// One request and the settings its answer reports.
struct ReportRequest {
    std::string command;  // as handed to SendSMS ("GETNR3", "  GETPB", "GETTX09 ", "GETAP ")
    PageIndex page;       // the page whose reply rules read the answer
    std::vector<ReportedSetting> settings;
};

// In this order: GETNR1..GETNR7, GETPB, GETTX01..GETTX57, GETTI01..GETTI97
// and the nine parameters (GETAP .. GETRH). With the alternate layout, the
// text slots it disables are not asked for (they are not written either).
std::vector<ReportRequest> ReportRequests(bool alternateModule);

// What the module cannot report, so nothing compares or reads it.
inline constexpr const char* kNotReportedText =
    "Not reported by the module, not compared: the routing masks, the analog and temperature levels, the "
    "analog modes, multipliers and dividers, the 20 mA corrections, the timeout filters, the sampling rate, "
    "logger period and pulses, the SMS schedule, the option string";

// The values an answer reports for the request's settings, read with the
// page reply rules; a value for any other control (a late answer to another
// request) is dropped.
std::vector<ControlValue> ReportedValues(const ReportRequest& request, const std::string& answer);

// What a module holds after it was given the settings: each reported setting
// as its write command puts it (an empty phone-book entry as "+99", a
// parameter cut before its first blank); a setting whose command is not sent
// (an alarm number that fails its check) as the settings hold it. By control.
std::map<std::string, std::string> ExpectedValues(const ModuleSettings& s);

// Equal as a module reports them: blanks at the end do not count (the text
// commands are filled with blanks), nor, outside the texts, at the start.
bool SameValue(const ReportedSetting& setting, const std::string& module, const std::string& expected);

// The answers of one run of ReportRequests.
class ModuleReport {
  public:
    explicit ModuleReport(bool alternateModule);

    const std::vector<ReportRequest>& Requests() const { return requests_; }
    // The answer to request `index`; its values are kept, and returned,
    // without the blanks SameValue does not count.
    std::vector<ControlValue> Answer(size_t index, const std::string& answer);
    // Request `index` was sent (or not) and got no answer. A request neither
    // answered nor marked so was never asked: it counts as without an answer
    // but gets no line of its own (the run's summary says how many were not
    // sent).
    void NoAnswer(size_t index);

    // The values answered so far, by control.
    const std::map<std::string, std::string>& Values() const { return values_; }

    struct Comparison {
        std::vector<std::string> lines;    // one per setting that is not equal, in request order
        std::vector<std::string> missing;  // those of settings without an answer
        size_t equal = 0, different = 0, unanswered = 0;
        std::vector<std::string> equalSlots, differentSlots;  // slots of the settings compared
        // "177 settings: 176 equal, 1 different, 0 without an answer."
        std::string Summary() const;
    };
    // Compares with the expected values; `other` names them in the lines
    // ("file": ExtSmsText[9]: module "Pump on", file "Pump 1 on").
    Comparison Compare(const std::map<std::string, std::string>& expected, const std::string& other) const;

    // Writes every answered value into its record field (cut to the field).
    void Store(kt::config::ConfigRecord& record) const;

  private:
    std::vector<ReportRequest> requests_;
    enum class Asked : char { Not, NoAnswer, Answered };
    std::vector<Asked> asked_;
    std::vector<std::string> answers_;  // as received, for the lines of an unreadable answer
    std::map<std::string, std::string> values_;
};

}  // namespace kt::protocol
