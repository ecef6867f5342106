#include "protocol/RunTally.h"

namespace kt::protocol {

bool IsErrorAnswer(std::string_view answer) {
    const auto filler = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\0'; };
    while (!answer.empty() && filler(answer.front()))
        answer.remove_prefix(1);
    while (!answer.empty() && filler(answer.back()))
        answer.remove_suffix(1);
    return answer == "ERROR";
}

RunTally::Outcome RunTally::Count(bool answered, std::string_view answer) {
    if (!answered) {
        ++missed_;
        ++missesInARow_;
        return Outcome::NoAnswer;
    }
    missesInARow_ = 0;
    if (IsErrorAnswer(answer)) {
        ++errors_;
        return Outcome::AnsweredError;
    }
    ++answered_;
    return Outcome::Answered;
}

namespace {

// "1 command", "205 commands" (the noun is given in the plural).
std::string CountOf(size_t n, const std::string& noun) {
    return std::to_string(n) + " " +
           (n == 1 && !noun.empty() && noun.back() == 's' ? noun.substr(0, noun.size() - 1) : noun);
}

}  // namespace

std::string RunTally::Summary(size_t total, End end, const std::string& noun) const {
    const std::string counts = std::to_string(answered_) + " answered, " + std::to_string(errors_) +
                               " answered ERROR, " + std::to_string(missed_) + " no answer";
    const size_t sent = Counted();
    const std::string notSent = ", " + std::to_string(total > sent ? total - sent : 0) + " not sent.";
    switch (end) {
        case End::Cancelled:
            return "Cancelled after " + std::to_string(sent) + " of " + std::to_string(total) + " " + noun +
                   ": " + counts + notSent;
        case End::Stopped:
            return "Stopped: " + std::to_string(kMaxMissesInARow) + " " + noun + " in a row got no answer. " +
                   std::to_string(sent) + " of " + std::to_string(total) + " " + noun + " sent: " + counts +
                   notSent;
        case End::LineLost:
            return "Stopped: the line was lost. " + std::to_string(sent) + " of " + CountOf(total, noun) +
                   " sent: " + counts + notSent;
        case End::Complete:
            break;
    }
    return CountOf(total, noun) + ": " + counts + ".";
}

}  // namespace kt::protocol
