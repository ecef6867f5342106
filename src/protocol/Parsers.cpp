// Modem-reply parsers (run by the receive path on the raw reception) and the
// page reply parser (run by the timer on LastReply). Every scan is bounded by
// the text's length and by its limit.
#include <string>
#include <vector>

#include "gsm/PduCodec.h"
#include "protocol/Engine.h"
#include "protocol/InboxListing.h"
#include "protocol/ModuleCommands.h"
#include "protocol/PageIndex.h"
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
}

namespace {

// 1-based position of the first character at or below a blank in s; one
// past the end when there is none. A number ends there: at a blank, at a line
// end, or with the text.
int NumberEnd(const std::string& s) {
    int p = 1;
    while (p <= Len(s) && At(s, p) > ' ')
        ++p;
    return p;
}

void PhonePage(const std::string& reply, std::vector<ControlValue>& out) {
    const int colon = text::Pos(':', reply);
    const std::string key = Copy(reply, 1, colon - 1);
    if (key.empty()) return;
    // At most 20 characters after ": ", ending before the first blank or line
    // end; a 20-digit number and a reply ending right after the number count whole.
    const std::string field = Copy(reply, colon + 2, 20);
    const std::string value = Copy(field, 1, NumberEnd(field) - 1);

    const unsigned char d = At(key, 4);
    if (Len(key) >= 4 && d >= '1' && d <= '7') {
        out.emplace_back("NNumber" + std::string(1, static_cast<char>(d)), value);
        return;
    }
    // Phone-book listing: entries "Nn:<number>", each ending like a number.
    if (At(reply, 1) != 'N' && At(reply, 2) != 'N') return;
    if (At(reply, 2) == '1') out.emplace_back("PBnr1", value);
    std::string rest = reply;
    int p = 1;
    for (int i = 0; i < 7; ++i) {
        if ((At(rest, p) == 'N' || At(rest, p + 1) == 'N') && At(rest, p) != 'I') {
            rest = text::From(rest, p + 1);
            const int b = NumberEnd(rest);
            const std::string entry = Copy(rest, 4, b - 4);
            const unsigned char n = At(rest, 2);
            if (n >= '1' && n <= '7') out.emplace_back("PBnr" + std::string(1, static_cast<char>(n)), entry);
            p = b;
        }
    }
}

// A text slot's value ends at its first line end: a reply's CR LF must not
// reach the edit, from where the next write would send it inside the command
// and the settings file would store it.
std::string UpToLineEnd(std::string value) {
    const size_t end = value.find_first_of("\r\n");
    if (end != std::string::npos) value.resize(end);
    return value;
}

// Keys of the "GPRS, FTP" page's replies and the edits they fill.
const std::pair<const char*, const char*> kGprsReplyRows[] = {
    {"PASSWORD", "Password"},
    {"UserID", "UserID"},
    {"Password FTP", "PasswordFTP"},
    {"UserName FTP", "UserNameFTP"},
    {"Remote Host", "HTTPhostName"},
    {"IP address", "IPaddress"},
    {"APN", "APN"},
    {"FTPHOST", "FTPHostName"},
    {"DirName", "DirName"},
    {"FTP host", "FTPHostName"},
    {"HTTP Host", "HTTPhostName"},
};

void GprsPage(const std::string& reply, std::vector<ControlValue>& out) {
    const int colon = text::Pos(':', reply);
    const std::string key = Copy(reply, 1, colon - 1);
    if (key.empty()) return;
    std::string value = Copy(reply, colon + 2, Len(reply) - colon - 2);
    // One line only: a line end and what follows it (the module's "OK", a
    // second reply) never reach the edit and so never go out in a command.
    const size_t lineEnd = value.find_first_of("\r\n");
    if (lineEnd != std::string::npos) value.resize(lineEnd);
    for (const auto& [k, control] : kGprsReplyRows)
        if (key == k) out.emplace_back(control, value);
}

}  // namespace

std::vector<std::pair<PageIndex, std::string>> ProtocolEngine::PageReplyTargets() {
    std::vector<std::pair<PageIndex, std::string>> targets;
    for (int n = 1; n <= 7; ++n) {
        targets.emplace_back(PageIndex::Abonents, "NNumber" + std::to_string(n));
        targets.emplace_back(PageIndex::Abonents, "PBnr" + std::to_string(n));
    }
    for (int n = 1; n <= 57; ++n)
        targets.emplace_back(PageIndex::ExternalSms, "TXTSMS" + std::to_string(n));
    for (int n = 1; n <= 97; ++n)
        targets.emplace_back(n <= 57 ? PageIndex::IntExtSms : PageIndex::IOname,
                             "iTXTSMS" + std::to_string(n));
    for (const auto& [key, control] : kGprsReplyRows)
        targets.emplace_back(PageIndex::GprsFtp, control);
    return targets;
}

std::vector<ControlValue> ProtocolEngine::PageReplyParser() const {
    std::vector<ControlValue> out;
    if (window_.SmsModeChecked() || LastReply.empty() || !ReplyToShow) return out;
    const std::string& reply = LastReply;
    switch (static_cast<PageIndex>(window_.ActivePageIndex())) {
        case PageIndex::Abonents:
            PhonePage(reply, out);
            break;
        // Text slots: two decimal digits, then the text from position 5. The
        // internal texts and names drop the reply's last character.
        case PageIndex::ExternalSms: {
            const int nn = cmd::ReplySlotNumber(reply);
            if (nn >= 1 && nn <= 57)
                out.emplace_back("TXTSMS" + std::to_string(nn), UpToLineEnd(text::From(reply, 5)));
            break;
        }
        case PageIndex::IntExtSms:
        case PageIndex::IOname: {
            const int nn = cmd::ReplySlotNumber(reply);
            if (nn >= 1 && nn <= 97)
                out.emplace_back("iTXTSMS" + std::to_string(nn), UpToLineEnd(Copy(reply, 5, Len(reply) - 5)));
            break;
        }
        case PageIndex::GprsFtp:
            GprsPage(reply, out);
            break;
        default:
            break;
    }
    return out;
}

}  // namespace kt::protocol
