// When the module has answered one command: the answer ends once the line
// has been quiet for 150 ms after at least one byte; no byte within the
// time-out is no answer. Times are milliseconds of any monotonic clock; the
// caller feeds what arrives and asks where things stand, so the same rule
// serves a blocking loop (kt4470ctl send) and an event loop (the window).
// A line that never falls quiet ends its answer one time-out after its first
// byte, so a chattering line cannot hold a run forever.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kt::protocol {

class AnswerRule {
  public:
    static constexpr int64_t kQuietMs = 150;
    static constexpr int64_t kDefaultTimeoutMs = 5000;

    enum class State { Waiting, Answered, NoAnswer };

    explicit AnswerRule(int64_t timeoutMs = kDefaultTimeoutMs, int64_t quietMs = kQuietMs)
        : timeoutMs_(timeoutMs), quietMs_(quietMs) {}

    // The command has left: a new wait begins, the answer so far is dropped.
    void Start(int64_t nowMs);
    // Bytes that arrived at nowMs.
    void Received(std::string_view bytes, int64_t nowMs);
    State At(int64_t nowMs) const;
    // How long nothing can change unless bytes arrive (0 once decided).
    int64_t MsUntilDecision(int64_t nowMs) const;

    const std::string& Answer() const { return answer_; }
    // When the last byte arrived (meaningful once there is an answer).
    int64_t LastByteMs() const { return lastByteMs_; }

  private:
    int64_t timeoutMs_;
    int64_t quietMs_;
    int64_t startMs_ = 0;
    int64_t firstByteMs_ = 0;
    int64_t lastByteMs_ = 0;
    std::string answer_;
};

}  // namespace kt::protocol
