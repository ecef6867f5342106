// What the operator is told about a command without a box to press: a
// direct-mode command that got no byte back within the answer rule's
// time-out, a command the closed port refused, and where a single SMS-mode
// command stands (submitting, submitted, waiting for the answer, ...).
#include <string>

#include "protocol/Engine.h"
#include "serial/PortText.h"

namespace kt::protocol {

const char* SmsCommandWords(SmsCommandState state) {
    switch (state) {
        case SmsCommandState::Submitting:
            return "submitting";
        case SmsCommandState::Submitted:
            return "submitted";
        case SmsCommandState::NotSubmitted:
            return "not submitted";
        case SmsCommandState::AwaitingAnswer:
            return "waiting for the answer";
        case SmsCommandState::AnswerReceived:
            return "answer received";
        case SmsCommandState::NoAnswer:
            return "no answer";
        case SmsCommandState::Idle:
            break;
    }
    return "";
}

std::string CommandName(const std::string& command) {
    std::string name = command;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = ' ';
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::string NoAnswerText(const std::string& command) {
    return "No answer to " + CommandName(command) + " within " +
           std::to_string(AnswerRule::kDefaultTimeoutMs / 1000) + " s";
}

void ProtocolEngine::Notice(const std::string& text) {
    window_.ShowNotice(text);
    noticeUp_ = !text.empty();
}

void ProtocolEngine::WatchAnswer(const std::string& command) {
    // The notice of an earlier command is no longer news.
    if (noticeUp_) Notice("");
    watching_ = !window_.RunReportsAnswers() && port_.IsOpen();
    if (!watching_) return;
    watched_ = CommandName(command);
    answerWatch_.Start(clock_.SteadyMs());
}

void ProtocolEngine::CheckAnswer() {
    if (!watching_) return;
    if (answerWatch_.At(clock_.SteadyMs()) == AnswerRule::State::Waiting) return;
    // After a send the port is polled only every 4 s: bytes that came in
    // since then count.
    if (answerWatch_.Answer().empty() && port_.IsOpen()) port_.Poll();
    watching_ = false;
    if (!answerWatch_.Answer().empty()) return;
    const std::string text = NoAnswerText(watched_);
    Notice(text);
    AppendToMemo(Memo::SmsInput, text + "\r\n");
    window_.SetBusyCursor(false);  // nothing is coming to end the hourglass
}

void ProtocolEngine::SetCommandState(SmsCommandState state, const std::string& detail) {
    CommandState = state;
    if (state == SmsCommandState::AwaitingAnswer) smsWaitTicks_ = smsPolls_ = 0;
    if (window_.RunReportsAnswers()) return;
    const std::string words = SmsCommandWords(state);
    window_.SetStatusText(words);
    Notice("SMS " + smsCommand_ + ": " + words + (detail.empty() ? "" : ": " + detail));
}

void ProtocolEngine::ExchangeReceived(const std::string& raw) {
    if (CommandState != SmsCommandState::Submitted) return;
    // The modem's result of the submission: "+CMGS: <reference>" and "OK",
    // or an error in its own words.
    if (raw.find("+CMGS:") != std::string::npos) {
        SetCommandState(SmsCommandState::AwaitingAnswer);
        return;
    }
    const size_t error = raw.find("ERROR");
    if (error == std::string::npos) return;
    size_t start = raw.find_last_of("\r\n", error);
    start = start == std::string::npos ? 0 : start + 1;
    const size_t end = raw.find_first_of("\r\n", error);
    SetCommandState(SmsCommandState::NotSubmitted, CommandName(raw.substr(start, end - start)));
}

void ProtocolEngine::ExchangeTick(bool inboxPolled) {
    if (CommandState != SmsCommandState::AwaitingAnswer) return;
    ++smsWaitTicks_;
    if (inboxPolled) ++smsPolls_;
    // Lost only once the inbox has been looked at since, and its listing came back.
    // Ticks are seconds.
    if (smsWaitTicks_ >= kSmsAnswerTimeoutMs / 1000 && smsPolls_ > 0 && !InboxPolling)
        SetCommandState(SmsCommandState::NoAnswer);
}

}  // namespace kt::protocol
