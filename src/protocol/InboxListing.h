// Messages of the modem's inbox listing ("+CMGL: <index>,<stat>,..." and
// the PDU line under it), read by one rule: the window's inbox poll takes
// the first message of a reception, the SMS exchange of a run every message
// of a whole listing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kt::protocol {

inline constexpr int kInboxLimit = 254;  // the header must start within it

struct InboxEntry {
    bool complete = false;  // a message line that ends before the text does
    std::string index;      // up to three digits before the header's first comma; empty when none
    std::string line;       // the message (PDU) line
    size_t end = 0;         // where the text after the message line begins
};

// The first message of text: the header "CMGL:" within kInboxLimit
// characters, the rest of its line, the white space after it, then the
// message line up to the first character at or below a blank. A message
// line that runs into the end of the text was cut by the poll and is not
// complete.
InboxEntry FirstInboxEntry(std::string_view text);

// Every complete message of a listing, each found by the same rule in the
// text after the one before.
std::vector<InboxEntry> InboxEntries(std::string_view listing);

}  // namespace kt::protocol
