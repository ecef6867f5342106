#include "protocol/SmsRunLog.h"

#include <cstdio>

#include "config/UserFolders.h"
#include "protocol/Escapes.h"

namespace kt::protocol {

namespace {

// A tab inside a field would split it; the escapes write one as \t.
std::string Field(const std::string& text) {
    return Escape(text);
}

}  // namespace

SmsRunLog::SmsRunLog(const IClock* clock) : clock_(clock) {}

std::filesystem::path SmsRunLog::DefaultPath() {
    const std::filesystem::path folder = kt::config::DataFolder();
    return folder.empty() ? folder : folder / kSmsRunLogName;
}

bool SmsRunLog::Open(const std::filesystem::path& file, std::string* error) {
    if (file.empty()) {
        if (error)
            *error = "no per-user data folder for the delivery log (neither KT4470_DATA_DIR nor HOME is set)";
        return false;
    }
    if (file.has_parent_path() && !kt::config::EnsureFolder(file.parent_path(), error)) return false;
    out_.close();
    out_.clear();
    out_.open(file, std::ios::out | std::ios::app | std::ios::binary);
    if (!out_.is_open()) {
        if (error) *error = "cannot open the delivery log " + file.string();
        return false;
    }
    path_ = file;
    return true;
}

std::string SmsRunLog::Line(const LocalTime& t, const std::string& number, const std::string& command,
                            const SmsEvent& event) {
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    std::string detail;
    if (event.kind == SmsEvent::Kind::Submitted)
        detail = event.reference >= 0 ? "reference " + std::to_string(event.reference) : "no reference";
    else
        detail = Field(event.text);
    return std::string(when) + '\t' + Field(number) + '\t' + Field(command) + '\t' + StateName(event.kind) +
           '\t' + detail + '\n';
}

bool SmsRunLog::Append(const std::string& number, const std::string& command, const SmsEvent& event) {
    if (!out_.is_open()) return false;
    const LocalTime now = clock_ ? clock_->Now() : SystemClock().Now();
    out_ << Line(now, number, command, event);
    // Each line reaches the file before the run goes on.
    out_.flush();
    return static_cast<bool>(out_);
}

}  // namespace kt::protocol
