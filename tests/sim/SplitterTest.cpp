// The command splitter: the same commands however the reads cut the stream.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandSplitter.h"

using namespace std::string_literals;

namespace kt::sim {
namespace {

std::string Framed(const std::string& command) {
    return std::string(14, ' ') + "SETUP:" + command + '\r' + std::string(1, '\0');
}

std::vector<std::pair<bool, std::string>> Flatten(const std::vector<Frame>& frames) {
    std::vector<std::pair<bool, std::string>> out;
    for (const Frame& f : frames)
        out.emplace_back(f.framed, f.text);
    return out;
}

// What the terminal sends in a session: framed commands (one with the
// fixed-width blanks), raw AT lines, Ctrl-Z.
const std::string kStream = Framed("GETST") + "  AT+CSQ\r" + Framed("GETTX05 " + std::string(32, ' ')) +
                            "\x1A\r" + Framed("  OK") + "  AT#BND=?\r";
const std::vector<std::pair<bool, std::string>> kExpected = {
    {true, "GETST"}, {false, "  AT+CSQ"}, {true, "GETTX05 " + std::string(32, ' ')},
    {false, "\x1A"}, {true, "  OK"},      {false, "  AT#BND=?"},
};

TEST(CommandSplitter, SameCommandsWhereverTheStreamIsCut) {
    for (size_t cut = 0; cut <= kStream.size(); ++cut) {
        CommandSplitter s;
        auto frames = Flatten(s.Feed(kStream.substr(0, cut)));
        const auto rest = Flatten(s.Feed(kStream.substr(cut)));
        frames.insert(frames.end(), rest.begin(), rest.end());
        EXPECT_EQ(frames, kExpected) << "cut at " << cut;
        EXPECT_EQ(s.Pending(), "");
    }
}

TEST(CommandSplitter, IncompleteLineWaitsForItsCarriageReturn) {
    CommandSplitter s;
    EXPECT_TRUE(s.Feed(std::string(14, ' ') + "SETUP:GET").empty());
    EXPECT_EQ(s.Pending(), std::string(14, ' ') + "SETUP:GET");
    const auto f = s.Feed("ST\r");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_TRUE(f[0].framed);
    EXPECT_EQ(f[0].text, "GETST");
}

TEST(CommandSplitter, LineFeedsAndStrayNulsAreNotCommands) {
    CommandSplitter s;
    // A CR LF line end, NULs between commands, a LF alone.
    const auto f = Flatten(s.Feed("AT\r\n\0\0\nAT+CSQ\r\0"s));
    EXPECT_EQ(f, (std::vector<std::pair<bool, std::string>>{{false, "AT"}, {false, "AT+CSQ"}}));
}

TEST(CommandSplitter, EndlessLineNoiseIsDropped) {
    CommandSplitter s;
    EXPECT_TRUE(s.Feed(std::string(3 * CommandSplitter::kMaxLine, 'x')).empty());
    EXPECT_LE(s.Pending().size(), CommandSplitter::kMaxLine);
    const auto f = s.Feed("\r" + Framed("GETVR"));
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[1].text, "GETVR");
}

}  // namespace
}  // namespace kt::sim
