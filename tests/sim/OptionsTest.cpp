// kt4470-sim's command line.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "SimOptions.h"

namespace kt::sim {
namespace {

TEST(SimOptions, DefaultsAndEveryOption) {
    SimOptions o;
    std::string error;
    ASSERT_TRUE(ParseOptions({}, o, error));
    EXPECT_EQ(o.mode, SimOptions::Mode::Module);
    EXPECT_EQ(o.link, "./COM1");
    EXPECT_EQ(o.hangupAfter, 0);

    SimOptions m;
    ASSERT_TRUE(ParseOptions(
        {"--mode", "modem", "--module-number=+4917012345", "--link", "/tmp/x/COM3", "--silent", "--split",
         "--hangup-after", "3", "--noise=0.25", "--noise-flood", "250k", "--seed", "42", "--log", "f.jsonl"},
        m, error))
        << error;
    EXPECT_EQ(m.mode, SimOptions::Mode::Modem);
    EXPECT_EQ(m.moduleNumber, "+4917012345");
    EXPECT_EQ(m.link, "/tmp/x/COM3");
    EXPECT_TRUE(m.silent && m.split && m.seedGiven);
    EXPECT_EQ(m.hangupAfter, 3);
    EXPECT_DOUBLE_EQ(m.noise, 0.25);
    EXPECT_EQ(m.noiseFlood, 250000);
    for (const auto& [text, rate] : {std::pair{"1M", 1000000L}, {"100M", 100000000L}, {"1", 1L}}) {
        SimOptions f;
        ASSERT_TRUE(ParseOptions({"--noise-flood", text}, f, error)) << error;
        EXPECT_EQ(f.noiseFlood, rate) << text;
    }
    EXPECT_EQ(m.seed, 42u);
    EXPECT_EQ(m.logPath, "f.jsonl");

    SimOptions slow;
    ASSERT_TRUE(
        ParseOptions({"--mode=modem", "--module-number", "+49170", "--sms-delay", "2.5", "--fail-submit=3",
                      "--inbox-other", "+4915550000=Hello, world", "--inbox-other", "112="},
                     slow, error))
        << error;
    EXPECT_EQ(slow.smsDelayMs, 2500);
    EXPECT_EQ(slow.failSubmit, 3);
    ASSERT_EQ(slow.inboxOther.size(), 2u);
    EXPECT_EQ(slow.inboxOther[0], std::make_pair(std::string("+4915550000"), std::string("Hello, world")));
    EXPECT_EQ(slow.inboxOther[1].second, "");
}

TEST(SimOptions, BadArgumentsSayWhyOnOneLine) {
    const std::vector<std::vector<std::string>> bad = {
        {"--mode", "phone"},
        {"--mode", "modem"},
        {"--module-number", "abc"},
        {"--hangup-after", "0"},
        {"--hangup-after", "x"},
        {"--noise", "1.5"},
        {"--noise", "-0.1"},
        {"--noise", "nan"},
        {"--noise-flood", "0"},
        {"--noise-flood", "101M"},
        {"--noise-flood", "1G"},
        {"--noise-flood", "k"},
        {"--noise-flood", "-5"},
        {"--seed", "-1"},
        {"--link"},
        {"--link="},
        {"--silent=yes"},
        {"--frobnicate"},
        {"stray"},
        {"--log", ""},
        {"--sms-delay", "1"},  // the module role has no inbox
        {"--mode=modem", "--module-number=1", "--sms-delay", "-1"},
        {"--mode=modem", "--module-number=1", "--fail-submit", "0"},
        {"--mode=modem", "--module-number=1", "--inbox-other", "Hello"},
        {"--mode=modem", "--module-number=1", "--inbox-other", "abc=Hello"},
        {"--mode=modem", "--module-number=1", "--inbox-other", "1=" + std::string(161, 'x')},
    };
    for (const auto& args : bad) {
        SimOptions o;
        std::string error;
        EXPECT_FALSE(ParseOptions(args, o, error)) << args.back();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

}  // namespace
}  // namespace kt::sim
