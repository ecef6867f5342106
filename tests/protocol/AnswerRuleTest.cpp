// The answer rule: quiet after the last byte ends an answer, silence until
// the time-out is no answer, a line that never falls quiet ends one time-out
// after its first byte.
#include <gtest/gtest.h>

#include "protocol/AnswerRule.h"

namespace kt::protocol {
namespace {

using State = AnswerRule::State;

TEST(AnswerRule, EndsAfterQuietOrTimeOut) {
    struct Byte {
        int64_t at;
        const char* text;
    };
    const struct {
        const char* name;
        std::vector<Byte> bytes;
        int64_t at;
        State state;
        int64_t left;  // MsUntilDecision
    } cases[] = {
        {"nothing yet", {}, 4999, State::Waiting, 1},
        {"no byte within the time-out", {}, 5000, State::NoAnswer, 0},
        {"quiet not long enough", {{300, "OK"}}, 449, State::Waiting, 1},
        {"quiet 150 ms after the last byte", {{300, "OK"}}, 450, State::Answered, 0},
        {"each byte restarts the quiet", {{300, "O"}, {440, "K"}}, 589, State::Waiting, 1},
        {"an answer may start just before the time-out", {{4990, "late"}}, 5100, State::Waiting, 40},
        {"a chattering line ends one time-out after its first byte",
         {{100, "a"}, {2000, "b"}, {4000, "c"}, {5050, "d"}},
         5100,
         State::Answered,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnswerRule rule;
        rule.Start(0);
        std::string all;
        for (const Byte& b : c.bytes) {
            rule.Received(b.text, b.at);
            all += b.text;
        }
        EXPECT_EQ(rule.At(c.at), c.state);
        EXPECT_EQ(rule.MsUntilDecision(c.at), c.left);
        EXPECT_EQ(rule.Answer(), all);
    }

    // A new command starts a new wait with nothing of the old answer.
    AnswerRule rule(200);
    rule.Start(0);
    rule.Received("old", 10);
    rule.Start(1000);
    EXPECT_EQ(rule.Answer(), "");
    EXPECT_EQ(rule.At(1199), State::Waiting);
    EXPECT_EQ(rule.At(1200), State::NoAnswer);
}

}  // namespace
}  // namespace kt::protocol
