// One module command by SMS through the PC's GSM modem, from its submission
// to its answer: "AT+CMGS=" with the octet count, the PDU and Ctrl-Z after
// the modem's prompt (the bytes of the window's SMS path), "+CMGS: <mr>" and
// "OK" or the modem's refusal; then the inbox is listed ("AT+CMGL=0", the
// received unread messages) until a message from the module's number is
// there or the answer time-out passes; the answer is decoded and deleted
// with "AT+CMGD=<index>". Messages of other senders stay in the inbox.
//
// Driven by the bytes that arrive and by the time, in milliseconds of any
// monotonic clock: the caller writes what TakeOutput() hands it, feeds what
// the line delivers and calls Advance() when MsUntilDue() has passed. So the
// same exchange serves a blocking loop (kt4470ctl send --sms) and an event
// loop (the window's run).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kt::protocol {

// Between two looks at the inbox while an answer is awaited. An SMS answer
// takes seconds (the module's own submission and the network twice); a
// look costs one short listing, so two seconds keep the delay a run adds to
// one second on average without keeping the modem busy.
inline constexpr int64_t kSmsPollMs = 2000;
inline constexpr int64_t kSmsModemTimeoutMs = 60000;
inline constexpr int64_t kSmsAnswerTimeoutMs = 120000;
inline constexpr const char* kSmsListCommand = "AT+CMGL=0";

struct SmsTimes {
    int64_t modemMs = kSmsModemTimeoutMs;    // the prompt, the submission's result, a listing, a deletion
    int64_t answerMs = kSmsAnswerTimeoutMs;  // from the submission to the module's answer
    int64_t pollMs = kSmsPollMs;             // from one listing to the next
};

// What became of a command, as the delivery log and the front ends report it.
struct SmsEvent {
    enum class Kind {
        Submitted,      // the modem took the SMS; reference is its message reference (-1: none given)
        Answered,       // text: the module's answer
        NotSubmitted,   // text: the modem's words (or why nothing went out)
        NoAnswer,       // text: "after <S> s"
        Abandoned,      // the answer is no longer awaited; text: why
        LateAnswer,     // text: an older message of the module, listed with the answer and deleted
        EarlierMessage  // text: a message of the module that was waiting before the run; left in the inbox
    };
    Kind kind = Kind::Submitted;
    std::string text;
    int reference = -1;
};

// "submitted", "answered", "not submitted", "no answer", "abandoned",
// "late answer", "earlier message".
const char* StateName(SmsEvent::Kind kind);

// Seconds as a technician writes them: "120", "0.5".
std::string SecondsText(int64_t ms);

// Whether a sender's number is the module's number: the same digits, or the
// one a national form of the other ("0170 1234567" and "+49 170 1234567":
// the shorter, without its leading zeros and at least six digits long, ends
// the longer).
bool SameNumber(std::string_view sender, std::string_view number);

class SmsExchange {
  public:
    enum class Outcome { Pending, Answered, NotSubmitted, NoAnswer, Abandoned };

    explicit SmsExchange(std::string number, SmsTimes times = {});

    // Lists the inbox once before a run's first command: the module's
    // messages already waiting there were not sent in answer to the run;
    // they are reported (EarlierMessage), and being read now, no later
    // listing of unread messages takes them for an answer.
    void Survey(int64_t nowMs);
    // Starts one command (the previous one must be done).
    void Start(std::string_view command, int64_t nowMs);
    void Received(std::string_view bytes, int64_t nowMs);
    void Advance(int64_t nowMs);
    // The operator (or a lost line) ends the wait: before the prompt the
    // submission is cancelled (ESC, not submitted); once the PDU went out the
    // command is abandoned; an answer already read is kept.
    void Abandon(const std::string& why, int64_t nowMs);

    // The bytes to write now.
    std::string TakeOutput();
    // What happened since the last call, in order.
    std::vector<SmsEvent> TakeEvents();

    bool Done() const { return phase_ == Phase::Idle; }
    // How long nothing can happen unless bytes arrive (0 when done or due).
    int64_t MsUntilDue(int64_t nowMs) const;

    Outcome Result() const { return outcome_; }
    const std::string& Answer() const { return answer_; }
    // Why a command was not submitted or not answered, in the modem's words
    // where it gave any.
    const std::string& Words() const { return words_; }
    int Reference() const { return reference_; }
    const std::string& Number() const { return number_; }
    const SmsTimes& Times() const { return times_; }

  private:
    enum class Phase { Idle, Prompt, Result, Listing, Between, Deleting };

    void Write(const std::string& bytes, int64_t nowMs);
    void Check(int64_t nowMs);
    void CheckPrompt(int64_t nowMs);
    void CheckResult(int64_t nowMs);
    void CheckListing(int64_t nowMs);
    void TakeListing();
    void StartListing(int64_t nowMs);
    void NextDeletion(int64_t nowMs);
    void Finish(Outcome outcome, SmsEvent::Kind kind, std::string text);
    bool TimedOut(int64_t nowMs) const { return nowMs - phaseStartMs_ >= times_.modemMs; }
    std::string ModemSilent() const;

    std::string number_;
    SmsTimes times_;

    Phase phase_ = Phase::Idle;
    bool survey_ = false;
    int64_t phaseStartMs_ = 0;
    int64_t listingStartMs_ = 0;
    int64_t deadlineMs_ = 0;
    int64_t nextPollMs_ = 0;
    std::string pdu_;
    std::string received_;  // since the last write
    std::string output_;
    std::vector<SmsEvent> events_;
    std::vector<std::string> deletions_;

    Outcome outcome_ = Outcome::Pending;
    std::string answer_;
    std::string words_;
    int reference_ = -1;
};

}  // namespace kt::protocol
