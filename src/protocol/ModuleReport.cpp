#include "protocol/ModuleReport.h"

#include <algorithm>
#include <stdexcept>

#include "protocol/AlternateModule.h"
#include "protocol/Escapes.h"
#include "protocol/ModuleCommands.h"
#include "protocol/PageReply.h"

namespace kt::protocol {

namespace {

std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// "SETNN3," and "SETPB3," (or "SETPB1 ") come before the number, "SETTX09 "
// before the text.
constexpr size_t kNumberPrefix = 7;
constexpr size_t kTextPrefix = 8;

std::string WithoutBlanks(std::string s, bool leading) {
    s.erase(s.find_last_not_of(' ') + 1);
    if (leading) s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    return s;
}

}  // namespace

std::string ReportedSetting::Label() const {
    const kt::config::FieldDef* f = kt::config::FindField(field);
    if (f && f->IsArray()) return field + "[" + std::to_string(element) + "]";
    return field;
}

std::vector<ReportRequest> ReportRequests(bool alternateModule) {
    std::vector<ReportRequest> out;
    for (int n = 1; n <= 7; ++n)
        out.push_back({cmd::ReadAlarmNumber(n),
                       PageIndex::Abonents,
                       {{"NNumber" + std::to_string(n), "AlarmNumber", n, "SETNN" + std::to_string(n),
                         kNumberPrefix, false}}});
    ReportRequest book{cmd::ReadPhoneBook().command, PageIndex::Abonents, {}};
    for (int n = 1; n <= 7; ++n)
        book.settings.push_back({"PBnr" + std::to_string(n), "PhoneBookNumber", n,
                                 "SETPB" + std::to_string(n), kNumberPrefix, false});
    out.push_back(std::move(book));
    const struct {
        cmd::TextBank bank;
        int last;
        const char* control;
        const char* field;
        const char* keyword;
    } banks[] = {
        {cmd::TextBank::External, 57, "TXTSMS", "ExtSmsText", "SETTX"},
        {cmd::TextBank::Internal, 97, "iTXTSMS", "IntSmsText", "SETTI"},
    };
    for (const auto& b : banks)
        for (int n = 1; n <= b.last; ++n) {
            if (alternateModule && AlternateOmitsText(b.bank, n)) continue;
            const PageIndex page = b.bank == cmd::TextBank::External ? PageIndex::ExternalSms
                                   : n <= 57                         ? PageIndex::IntExtSms
                                                                     : PageIndex::IOname;
            out.push_back(
                {cmd::ReadText(b.bank, n),
                 page,
                 {{b.control + std::to_string(n), b.field, n, b.keyword + Two(n), kTextPrefix, true}}});
        }
    for (const auto& row : cmd::kGprsParameters)
        out.push_back({std::string(row.read),
                       PageIndex::GprsFtp,
                       {{std::string(row.edit), std::string(row.recordField), 1,
                         std::string(row.write.substr(0, 5)), row.write.size(), false}}});
    return out;
}

std::vector<ControlValue> ReportedValues(const ReportRequest& request, const std::string& answer) {
    std::string reply;
    // The receive path keeps a reply without its NULs.
    std::copy_if(answer.begin(), answer.end(), std::back_inserter(reply), [](char c) { return c != '\0'; });
    std::vector<ControlValue> out;
    for (ControlValue& v : PageReplyValues(request.page, reply)) {
        const bool asked = std::any_of(request.settings.begin(), request.settings.end(),
                                       [&](const ReportedSetting& s) { return s.control == v.first; });
        const bool again =
            std::any_of(out.begin(), out.end(), [&](const ControlValue& o) { return o.first == v.first; });
        if (asked && !again) out.push_back(std::move(v));
    }
    return out;
}

std::map<std::string, std::string> ExpectedValues(const ModuleSettings& s) {
    std::map<std::string, std::string> commands;
    for (SlotCommand& c : ProvisioningSlots(s))
        commands[c.slot] = std::move(c.command);
    std::map<std::string, std::string> out;
    for (const ReportRequest& r : ReportRequests(s.alternateModule))
        for (const ReportedSetting& setting : r.settings) {
            const auto c = commands.find(setting.slot);
            if (c != commands.end()) {
                out[setting.control] = c->second.substr(std::min(setting.prefix, c->second.size()));
                continue;
            }
            // No command for the slot: an alarm number or phone-book entry
            // that fails its check; the module keeps whatever it had.
            const auto& numbers = setting.field == "AlarmNumber" ? s.alarmNumbers : s.phoneBook;
            if (setting.field != "AlarmNumber" && setting.field != "PhoneBookNumber")
                throw std::logic_error("a reported setting without its command: " + setting.slot);
            out[setting.control] =
                numbers[static_cast<size_t>(setting.element - 1)].substr(0, cmd::kPhoneNumberLength);
        }
    return out;
}

bool SameValue(const ReportedSetting& setting, const std::string& module, const std::string& expected) {
    return WithoutBlanks(module, !setting.isText) == WithoutBlanks(expected, !setting.isText);
}

ModuleReport::ModuleReport(bool alternateModule)
    : requests_(ReportRequests(alternateModule)),
      asked_(requests_.size(), Asked::Not),
      answers_(requests_.size()) {}

std::vector<ControlValue> ModuleReport::Answer(size_t index, const std::string& answer) {
    asked_.at(index) = Asked::Answered;
    answers_.at(index) = answer;
    std::vector<ControlValue> values = ReportedValues(requests_[index], answer);
    for (auto& [control, value] : values) {
        for (const ReportedSetting& s : requests_[index].settings)
            if (s.control == control) value = WithoutBlanks(value, !s.isText);
        values_[control] = value;
    }
    return values;
}

void ModuleReport::NoAnswer(size_t index) {
    asked_.at(index) = Asked::NoAnswer;
}

ModuleReport::Comparison ModuleReport::Compare(const std::map<std::string, std::string>& expected,
                                               const std::string& other) const {
    Comparison c;
    for (size_t k = 0; k < requests_.size(); ++k)
        for (const ReportedSetting& s : requests_[k].settings) {
            const size_t missing = c.missing.size();
            const auto want = expected.find(s.control);
            const std::string wanted = want == expected.end() ? std::string() : want->second;
            const auto got = values_.find(s.control);
            if (asked_[k] != Asked::Answered) {
                ++c.unanswered;
                if (asked_[k] == Asked::NoAnswer)
                    c.missing.push_back(s.Label() + ": no answer to " +
                                        Escape(WithoutBlanks(requests_[k].command, true)));
            } else if (got == values_.end()) {
                ++c.unanswered;
                c.missing.push_back(s.Label() + ": no value in the module's answer \"" + Escape(answers_[k]) +
                                    "\"");
            } else if (SameValue(s, got->second, wanted)) {
                ++c.equal;
                c.equalSlots.push_back(s.slot);
            } else {
                ++c.different;
                c.differentSlots.push_back(s.slot);
                c.lines.push_back(s.Label() + ": module \"" + Escape(got->second) + "\", " + other + " \"" +
                                  Escape(WithoutBlanks(wanted, !s.isText)) + "\"");
            }
            if (c.missing.size() > missing) c.lines.push_back(c.missing.back());
        }
    return c;
}

std::string ModuleReport::Comparison::Summary() const {
    return std::to_string(equal + different + unanswered) + " settings: " + std::to_string(equal) +
           " equal, " + std::to_string(different) + " different, " + std::to_string(unanswered) +
           " without an answer.";
}

void ModuleReport::Store(kt::config::ConfigRecord& record) const {
    for (const ReportRequest& r : requests_)
        for (const ReportedSetting& s : r.settings) {
            const auto got = values_.find(s.control);
            if (got == values_.end()) continue;
            const kt::config::FieldDef* f = kt::config::FindField(s.field);
            if (!f) throw std::logic_error("a reported setting names no record field: " + s.field);
            record.SetString(*f, s.element, got->second);
        }
}

}  // namespace kt::protocol
