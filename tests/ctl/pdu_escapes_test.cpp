#include <gtest/gtest.h>

#include <string>

#include "Escapes.h"

using kt::ctl::Escape;
using kt::ctl::Unescape;

namespace {

std::string Un(const std::string& in) {
    std::string out = "stale";
    std::string error;
    EXPECT_TRUE(Unescape(in, out, error)) << in << ": " << error;
    return out;
}

}  // namespace

TEST(CtlEscapes, UnescapeKnownEscapes) {
    EXPECT_EQ(Un("GETST\\r"), "GETST\r");
    EXPECT_EQ(Un("a\\nb\\tc\\\\d"), "a\nb\tc\\d");
    EXPECT_EQ(Un("\\x00\\x1a\\xFF\\x7e"), std::string("\x00\x1a\xff\x7e", 4));
    EXPECT_EQ(Un(""), "");
    // A character after a complete \xHH is plain text again.
    EXPECT_EQ(Un("\\x414"), "A4");
}

TEST(CtlEscapes, UnescapeRejectsMalformed) {
    for (const std::string bad : {"\\", "abc\\", "\\q", "\\x", "\\x4", "\\xG0", "\\x4 ", "\\R"}) {
        std::string out = "kept";
        std::string error;
        EXPECT_FALSE(Unescape(bad, out, error)) << bad;
        EXPECT_EQ(out, "kept") << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(CtlEscapes, EscapeShowsEveryByteReadably) {
    EXPECT_EQ(Escape("GETST\r\n"), "GETST\\r\\n");
    EXPECT_EQ(Escape("a\\b\tc"), "a\\\\b\\tc");
    EXPECT_EQ(Escape(std::string("\x00\x1f\x7f\x80\xe4", 5)), "\\x00\\x1F\\x7F\\x80\\xE4");
    EXPECT_EQ(Escape(" ~"), " ~");
}

TEST(CtlEscapes, RoundTripOfAllBytes) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    for (const std::string& s : {all, std::string("\\\\x41"), std::string("\\r\r")}) {
        const std::string escaped = Escape(s);
        EXPECT_EQ(
            escaped.find_first_not_of(" !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`"
                                      "abcdefghijklmnopqrstuvwxyz{|}~"),
            std::string::npos);
        EXPECT_EQ(Un(escaped), s);
    }
}
