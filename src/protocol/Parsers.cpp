// Modem-reply parsers (run by the receive path on the raw reception) and the
// page reply parser (run by the timer on LastReply with the rules of
// PageReply.h). Every scan is bounded by the text's length and by its limit.
#include <string>
#include <vector>

#include "gsm/PduCodec.h"
#include "protocol/Engine.h"
#include "protocol/InboxListing.h"
#include "protocol/ModuleCommands.h"
#include "protocol/PageIndex.h"
#include "protocol/PageReply.h"
#include "protocol/TextPos.h"

namespace kt::protocol {

using text::At;
using text::Copy;
using text::CutBefore;
using text::Len;

namespace {

constexpr int kLimit = 250;         // positions at or past it count as not found
constexpr int kCharSetLimit = 254;  // the character-set answer may run longer

// The modem echoes the AT command as its first line: the position of the
// first line break from position 2 on (or the limit, or one past the end).
int SkipEchoLine(const std::string& s, int limit) {
    int p = 1;
    do {
        ++p;
    } while (p <= Len(s) && p < limit && !text::IsLineBreak(At(s, p)));
    return p;
}

// From one past p, skip the line ends (characters below 32).
int SkipControls(const std::string& s, int p, int limit) {
    ++p;
    while (p <= Len(s) && p < limit && At(s, p) < 32)
        ++p;
    return p;
}

// The answer line that starts at p: up to the first CR, ignoring the very
// last character of the reception. Empty when no CR ends it.
std::string AnswerLine(const std::string& s, int p) {
    return CutBefore(Copy(s, p, Len(s) - p), '\r');
}

bool FoundWithin(const std::string& s, int p, int limit) {
    return p < limit && p <= Len(s) + 1;
}

// Second scan of the clock and character-set answers: to the first '"' or
// ':', stepping over a ':'.
int ScanToValue(const std::string& s, int limit) {
    int p = SkipEchoLine(s, limit) + 1;
    while (p <= Len(s) && p < limit && At(s, p) != '"' && At(s, p) != ':')
        ++p;
    if (At(s, p) == ':') ++p;
    return p;
}

}  // namespace

void ProtocolEngine::ManufacturerParser(const std::string& raw) {
    if (!WantManufacturer) return;
    const int p = SkipControls(raw, SkipEchoLine(raw, kLimit), kLimit);
    if (!FoundWithin(raw, p, kLimit)) return;
    const std::string value = AnswerLine(raw, p);
    if (value.empty()) return;  // only the echo so far: try the next reception
    ManufacturerText = value;
    WantManufacturer = false;
}

void ProtocolEngine::ModelParser(const std::string& raw) {
    if (!WantModel) return;
    const int p = SkipControls(raw, SkipEchoLine(raw, kLimit), kLimit);
    if (!FoundWithin(raw, p, kLimit)) return;
    const std::string value = AnswerLine(raw, p);
    if (!value.empty()) ModelText = value;
    WantModel = false;
}

void ProtocolEngine::DateTimeParser(const std::string& raw) {
    if (!WantDateTime) return;
    int p = ScanToValue(raw, kLimit);
    if (p >= kLimit) return;
    if (At(raw, p) == ' ') ++p;
    const std::string value = AnswerLine(raw, p);
    if (!value.empty()) DateTimeText = value;  // a quoted clock keeps its quotes
    WantDateTime = false;
}

void ProtocolEngine::CharSetParser(const std::string& raw) {
    if (!WantCharSet) return;
    if (ScanToValue(raw, kCharSetLimit) < kCharSetLimit) WantCharSet = false;
}

void ProtocolEngine::SmsFormatParser(const std::string& raw) {
    if (!WantSmsFormat) return;
    int p = SkipEchoLine(raw, kLimit) + 1;
    while (p <= Len(raw) && p < kLimit && At(raw, p) != ' ')
        ++p;
    if (!FoundWithin(raw, p, kLimit)) return;
    if (p + 1 <= Len(raw)) SmsFormatChar = static_cast<char>(At(raw, p + 1));
    WantSmsFormat = false;
}

void ProtocolEngine::FormatEchoParser(const std::string& raw) {
    if (!WantFormatEcho) return;
    const int p = SkipControls(raw, SkipEchoLine(raw, kLimit), kLimit);
    if (FoundWithin(raw, p, kLimit)) WantFormatEcho = false;
}

void ProtocolEngine::InboxParser(const std::string& raw) {
    if (!WantInbox) return;
    const InboxEntry message = FirstInboxEntry(raw);
    if (message.complete) {
        if (window_.SmsModeChecked())
            kt::gsm::PDUTextConversion(message.line, InboxText);
        else
            InboxText = message.line;
        ShowInboxText();
        if (!message.index.empty() && DeleteIncoming) {
            SendStrings("AT+CMGD=", 8);
            SendStrings(message.index, static_cast<int>(message.index.size()));
            SendCR();
        }
    }
    InboxPollHold = false;
    WantInbox = false;
}

void ProtocolEngine::ShowInboxText() {
    // The module's answer, so the operator sees it in SMS mode too.
    std::string shown = InboxText;
    while (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n'))
        shown.pop_back();
    if (shown.empty()) return;
    AppendToMemo(Memo::SmsInput, shown);
    if (CommandState == SmsCommandState::Submitted || CommandState == SmsCommandState::AwaitingAnswer ||
        CommandState == SmsCommandState::NoAnswer)
        SetCommandState(SmsCommandState::AnswerReceived);
}

std::vector<ControlValue> ProtocolEngine::PageReplyParser() const {
    if (window_.SmsModeChecked() || LastReply.empty() || !ReplyToShow) return {};
    return PageReplyValues(static_cast<PageIndex>(window_.ActivePageIndex()), LastReply);
}

}  // namespace kt::protocol
