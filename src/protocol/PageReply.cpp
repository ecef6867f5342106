#include "protocol/PageReply.h"

#include "protocol/ModuleCommands.h"
#include "protocol/TextPos.h"

namespace kt::protocol {

using text::At;
using text::Copy;
using text::Len;

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

std::vector<std::pair<PageIndex, std::string>> PageReplyTargets() {
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

std::vector<ControlValue> PageReplyValues(PageIndex page, const std::string& reply) {
    std::vector<ControlValue> out;
    switch (page) {
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
