// The count of a run of commands sent one by one, each answered before the
// next: answered, answered with the module's error reply, not answered; the
// stop after three commands in a row got no answer (a silent module, a
// missing device, a line gone); the summary the operator reads at the end.
// The window's runs and kt4470ctl verify and read count alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kt::protocol {

// The module's error reply: "ERROR", with nothing but blanks, line ends and
// NULs around it.
bool IsErrorAnswer(std::string_view answer);

class RunTally {
  public:
    static constexpr int kMaxMissesInARow = 3;
    enum class Outcome { Answered, AnsweredError, NoAnswer };
    enum class End { Complete, Cancelled, Stopped, LineLost };

    // One command's fate (an unsent command counts as not answered).
    Outcome Count(bool answered, std::string_view answer);
    // Three commands in a row got no answer: send nothing more.
    bool Stopped() const { return missesInARow_ >= kMaxMissesInARow; }

    size_t Counted() const { return answered_ + errors_ + missed_; }
    size_t Answered() const { return answered_; }  // without the error replies
    size_t Errors() const { return errors_; }
    size_t Missed() const { return missed_; }

    // "205 commands: 203 answered, 1 answered ERROR, 1 no answer." or, for a
    // run that ended early, how it ended, how many of the total were sent
    // and how many were not; `noun` names what was sent ("commands").
    std::string Summary(size_t total, End end, const std::string& noun = "commands") const;

  private:
    size_t answered_ = 0, errors_ = 0, missed_ = 0;
    int missesInARow_ = 0;
};

}  // namespace kt::protocol
