#include "protocol/InboxListing.h"

#include "protocol/TextPos.h"

namespace kt::protocol {

using text::At;
using text::Copy;

InboxEntry FirstInboxEntry(std::string_view raw) {
    InboxEntry e;
    const int len = text::Len(raw);
    auto atEnd = [len](int p) { return p >= len || p >= kInboxLimit; };

    // The listing header "+CMGL:".
    int p = 6;
    while (p < len && p <= kInboxLimit && Copy(raw, p - 5, 5) != "CMGL:")
        ++p;
    if (atEnd(p)) return e;
    const int header = p;  // just after "CMGL:"
    // Rest of the header line, then the line end.
    while (At(raw, p) > 13 && p < len && p <= kInboxLimit)
        ++p;
    if (atEnd(p)) return e;
    while (At(raw, p) <= 32 && p < len && p <= kInboxLimit)
        ++p;
    if (atEnd(p)) return e;
    // The message line (the text's last character is never part of it). It
    // runs to its own end: a full-length message line is over 300
    // characters, and cutting it at the header's search limit would lose the
    // end of the module's answer.
    while (p < len && At(raw, p) > 32)
        e.line += static_cast<char>(At(raw, p++));
    // A line that runs into the end of the text was cut by the poll: taking
    // it would show a fragment and delete the whole message. Left in the
    // modem, it is listed again by the next poll.
    if (At(raw, p) > 32) return e;
    e.complete = true;
    e.end = static_cast<size_t>(p - 1);

    // Message index: the digits before the first comma of the header line.
    // Taken from that line, not from the start of the text: an unsolicited
    // line ("+CIEV: 2,3") queued before the listing would otherwise name a
    // message nobody has read.
    for (int i = header; i <= len && !text::IsLineBreak(At(raw, i)); ++i) {
        if (At(raw, i) != ',') continue;
        int digits = 0;
        while (digits < 3 && text::IsDigit(At(raw, i - 1 - digits)))
            ++digits;
        e.index = Copy(raw, i - digits, digits);
        break;
    }
    return e;
}

std::vector<InboxEntry> InboxEntries(std::string_view listing) {
    std::vector<InboxEntry> out;
    size_t from = 0;
    while (from < listing.size()) {
        InboxEntry e = FirstInboxEntry(listing.substr(from));
        if (!e.complete) break;
        e.end += from;
        from = e.end;
        out.push_back(std::move(e));
    }
    return out;
}

}  // namespace kt::protocol
