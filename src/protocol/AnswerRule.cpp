#include "protocol/AnswerRule.h"

#include <algorithm>

namespace kt::protocol {

void AnswerRule::Start(int64_t nowMs) {
    startMs_ = nowMs;
    firstByteMs_ = lastByteMs_ = nowMs;
    answer_.clear();
}

void AnswerRule::Received(std::string_view bytes, int64_t nowMs) {
    if (bytes.empty()) return;
    if (answer_.empty()) firstByteMs_ = nowMs;
    answer_.append(bytes);
    lastByteMs_ = nowMs;
}

AnswerRule::State AnswerRule::At(int64_t nowMs) const {
    return MsUntilDecision(nowMs) > 0 ? State::Waiting : answer_.empty() ? State::NoAnswer : State::Answered;
}

int64_t AnswerRule::MsUntilDecision(int64_t nowMs) const {
    const int64_t due =
        answer_.empty() ? startMs_ + timeoutMs_ : std::min(lastByteMs_ + quietMs_, firstByteMs_ + timeoutMs_);
    return std::max<int64_t>(due - nowMs, 0);
}

}  // namespace kt::protocol
