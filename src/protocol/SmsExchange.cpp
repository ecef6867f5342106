#include "protocol/SmsExchange.h"

#include <algorithm>

#include "gsm/PduCodec.h"
#include "protocol/Framing.h"
#include "protocol/InboxListing.h"

namespace kt::protocol {

namespace {

constexpr char kEsc = '\x1B';

std::string Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

// The lines of text that a CR or LF has ended, without surrounding blanks,
// empty ones left out.
std::vector<std::string> CompleteLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        std::string line = Trim(text.substr(start, i - start));
        if (!line.empty()) lines.push_back(std::move(line));
        start = i + 1;
    }
    return lines;
}

bool IsErrorLine(std::string_view line) {
    return line == "ERROR" || line.rfind("+CMS ERROR", 0) == 0 || line.rfind("+CME ERROR", 0) == 0;
}

bool IsFinalLine(std::string_view line) {
    return line == "OK" || IsErrorLine(line);
}

std::string DigitsOf(std::string_view s) {
    std::string d;
    for (char c : s)
        if (c >= '0' && c <= '9') d += c;
    return d;
}

}  // namespace

const char* StateName(SmsEvent::Kind kind) {
    switch (kind) {
        case SmsEvent::Kind::Submitted:
            return "submitted";
        case SmsEvent::Kind::Answered:
            return "answered";
        case SmsEvent::Kind::NotSubmitted:
            return "not submitted";
        case SmsEvent::Kind::NoAnswer:
            return "no answer";
        case SmsEvent::Kind::Abandoned:
            return "abandoned";
        case SmsEvent::Kind::LateAnswer:
            return "late answer";
        case SmsEvent::Kind::EarlierMessage:
            return "earlier message";
    }
    return "";
}

std::string SecondsText(int64_t ms) {
    if (ms % 1000 == 0) return std::to_string(ms / 1000);
    std::string s = std::to_string(ms / 1000) + "." + std::to_string(1000 + ms % 1000).substr(1);
    while (s.back() == '0')
        s.pop_back();
    return s;
}

bool SameNumber(std::string_view sender, std::string_view number) {
    std::string a = DigitsOf(sender), b = DigitsOf(number);
    if (a.empty() || b.empty()) return false;
    if (a == b) return true;
    auto national = [](std::string& s) { s.erase(0, s.find_first_not_of('0')); };
    national(a);
    national(b);
    if (a.size() > b.size()) std::swap(a, b);
    return a.size() >= 6 && b.compare(b.size() - a.size(), a.size(), a) == 0;
}

SmsExchange::SmsExchange(std::string number, SmsTimes times) : number_(std::move(number)), times_(times) {}

void SmsExchange::Write(const std::string& bytes, int64_t nowMs) {
    output_ += bytes;
    received_.clear();
    phaseStartMs_ = nowMs;
}

std::string SmsExchange::TakeOutput() {
    std::string out;
    out.swap(output_);
    return out;
}

std::vector<SmsEvent> SmsExchange::TakeEvents() {
    std::vector<SmsEvent> out;
    out.swap(events_);
    return out;
}

void SmsExchange::Survey(int64_t nowMs) {
    outcome_ = Outcome::Pending;
    survey_ = true;
    StartListing(nowMs);
}

void SmsExchange::Start(std::string_view command, int64_t nowMs) {
    outcome_ = Outcome::Pending;
    answer_.clear();
    words_.clear();
    reference_ = -1;
    deletions_.clear();
    received_.clear();
    survey_ = false;
    std::string why;
    if (!CommandPdu(command, number_, pdu_,
                    [&why](const std::string& text, const std::string&) { why = text; })) {
        // The codec's message box text, on one line.
        for (size_t at; (at = why.find("\r\n")) != std::string::npos;)
            why.replace(at, 2, " ");
        Finish(Outcome::NotSubmitted, SmsEvent::Kind::NotSubmitted, why);
        return;
    }
    Write(SmsSubmitCommand(pdu_) + '\r', nowMs);
    phase_ = Phase::Prompt;
}

void SmsExchange::Received(std::string_view bytes, int64_t nowMs) {
    if (phase_ == Phase::Idle) return;
    received_.append(bytes);
    Check(nowMs);
}

void SmsExchange::Advance(int64_t nowMs) {
    Check(nowMs);
}

int64_t SmsExchange::MsUntilDue(int64_t nowMs) const {
    switch (phase_) {
        case Phase::Idle:
            return 0;
        case Phase::Between:
            return std::max<int64_t>(nextPollMs_ - nowMs, 0);
        default:
            return std::max<int64_t>(phaseStartMs_ + times_.modemMs - nowMs, 0);
    }
}

void SmsExchange::Check(int64_t nowMs) {
    switch (phase_) {
        case Phase::Idle:
            return;
        case Phase::Prompt:
            CheckPrompt(nowMs);
            return;
        case Phase::Result:
            CheckResult(nowMs);
            return;
        case Phase::Listing:
            CheckListing(nowMs);
            return;
        case Phase::Between:
            // A modem that announces new messages ("+CMTI: ...") is listed at once.
            if (nowMs >= nextPollMs_ || received_.find("+CMTI:") != std::string::npos) StartListing(nowMs);
            return;
        case Phase::Deleting:
            for (const std::string& line : CompleteLines(received_))
                if (IsFinalLine(line)) {
                    NextDeletion(nowMs);
                    return;
                }
            // A deletion the modem does not confirm leaves a read message
            // behind, which no later listing of unread messages takes again.
            if (TimedOut(nowMs)) NextDeletion(nowMs);
            return;
    }
}

std::string SmsExchange::ModemSilent() const {
    return "no answer from the modem within " + SecondsText(times_.modemMs) + " s";
}

void SmsExchange::CheckPrompt(int64_t nowMs) {
    // The prompt, unless the modem refused the command before it.
    size_t lineStart = 0;
    for (size_t i = 0; i < received_.size(); ++i) {
        const char c = received_[i];
        if (c == '>') {
            Write(SmsPduDigits(pdu_) + kCtrlZ, nowMs);
            phase_ = Phase::Result;
            return;
        }
        if (c != '\r' && c != '\n') continue;
        const std::string line = Trim(std::string_view(received_).substr(lineStart, i - lineStart));
        if (IsErrorLine(line)) {
            Finish(Outcome::NotSubmitted, SmsEvent::Kind::NotSubmitted, line);
            return;
        }
        lineStart = i + 1;
    }
    if (TimedOut(nowMs)) {
        // Leaves the message input, should the prompt come after all.
        output_ += kEsc;
        Finish(Outcome::NotSubmitted, SmsEvent::Kind::NotSubmitted, ModemSilent());
    }
}

void SmsExchange::CheckResult(int64_t nowMs) {
    for (const std::string& line : CompleteLines(received_)) {
        if (line.rfind("+CMGS:", 0) == 0) {
            const std::string digits = DigitsOf(line.substr(6, 4));
            if (!digits.empty()) reference_ = std::stoi(digits);
        } else if (line == "OK") {
            events_.push_back({SmsEvent::Kind::Submitted, {}, reference_});
            deadlineMs_ = nowMs + times_.answerMs;
            StartListing(nowMs);
            return;
        } else if (IsErrorLine(line)) {
            Finish(Outcome::NotSubmitted, SmsEvent::Kind::NotSubmitted, line);
            return;
        }
    }
    if (TimedOut(nowMs)) Finish(Outcome::NotSubmitted, SmsEvent::Kind::NotSubmitted, ModemSilent());
}

void SmsExchange::StartListing(int64_t nowMs) {
    Write(std::string(kSmsListCommand) + '\r', nowMs);
    listingStartMs_ = nowMs;
    phase_ = Phase::Listing;
}

void SmsExchange::CheckListing(int64_t nowMs) {
    bool ended = false;
    for (const std::string& line : CompleteLines(received_)) {
        if (!IsFinalLine(line)) continue;
        // A refused listing holds nothing; the next one may do better.
        if (line == "OK") TakeListing();
        ended = true;
        break;
    }
    if (!ended && !TimedOut(nowMs)) return;
    if (survey_) {
        survey_ = false;
        phase_ = Phase::Idle;
        return;
    }
    if (outcome_ == Outcome::Answered) {
        NextDeletion(nowMs);
        return;
    }
    if (listingStartMs_ >= deadlineMs_) {
        Finish(Outcome::NoAnswer, SmsEvent::Kind::NoAnswer, "after " + SecondsText(times_.answerMs) + " s");
        return;
    }
    // The last look falls on the deadline itself.
    nextPollMs_ = std::min(listingStartMs_ + times_.pollMs, deadlineMs_);
    received_.clear();
    phase_ = Phase::Between;
    Check(nowMs);
}

void SmsExchange::TakeListing() {
    struct Message {
        std::string index, stamp, text;
    };
    std::vector<Message> mine;
    for (const InboxEntry& e : InboxEntries(received_)) {
        std::string sender, stamp;
        if (!kt::gsm::DeliverSender(e.line, sender, stamp) || !SameNumber(sender, number_)) continue;
        Message m{e.index, stamp, {}};
        kt::gsm::PDUTextConversion(e.line, m.text);
        mine.push_back(std::move(m));
    }
    if (survey_) {
        for (const Message& m : mine)
            events_.push_back({SmsEvent::Kind::EarlierMessage, m.text, -1});
        return;
    }
    if (mine.empty()) return;
    // Several at once: the newest answers this command, the others are late
    // answers to earlier ones (their text goes to the log, and they are
    // deleted with the answer, so that none is taken for the next answer).
    size_t newest = 0;
    for (size_t i = 1; i < mine.size(); ++i)
        if (mine[i].stamp >= mine[newest].stamp) newest = i;
    for (size_t i = 0; i < mine.size(); ++i)
        if (i != newest) events_.push_back({SmsEvent::Kind::LateAnswer, mine[i].text, -1});
    answer_ = mine[newest].text;
    outcome_ = Outcome::Answered;
    events_.push_back({SmsEvent::Kind::Answered, answer_, reference_});
    if (!mine[newest].index.empty()) deletions_.push_back(mine[newest].index);
    for (size_t i = 0; i < mine.size(); ++i)
        if (i != newest && !mine[i].index.empty()) deletions_.push_back(mine[i].index);
}

void SmsExchange::NextDeletion(int64_t nowMs) {
    if (deletions_.empty()) {
        phase_ = Phase::Idle;
        return;
    }
    const std::string index = deletions_.front();
    deletions_.erase(deletions_.begin());
    Write("AT+CMGD=" + index + '\r', nowMs);
    phase_ = Phase::Deleting;
}

void SmsExchange::Abandon(const std::string& why, int64_t /*nowMs*/) {
    switch (phase_) {
        case Phase::Idle:
            return;
        case Phase::Prompt:
            output_ += kEsc;
            Finish(Outcome::NotSubmitted, SmsEvent::Kind::NotSubmitted, why);
            return;
        case Phase::Deleting:
            deletions_.clear();
            phase_ = Phase::Idle;
            return;
        default:
            if (survey_) {
                survey_ = false;
                phase_ = Phase::Idle;
                return;
            }
            Finish(Outcome::Abandoned, SmsEvent::Kind::Abandoned, why);
            return;
    }
}

void SmsExchange::Finish(Outcome outcome, SmsEvent::Kind kind, std::string text) {
    outcome_ = outcome;
    words_ = text;
    events_.push_back({kind, std::move(text), reference_});
    phase_ = Phase::Idle;
}

}  // namespace kt::protocol
