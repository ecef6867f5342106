// The decoder against lines that no modem should produce. Built with
// bounds-checked strings, so a read past the end of a line aborts.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "gsm/PduCodec.h"

using kt::gsm::GSMToTextTable;
using kt::gsm::PDUTextConversion;

namespace {

bool InTable(char c) {
    return std::find(GSMToTextTable.begin(), GSMToTextTable.end(), static_cast<uint8_t>(c)) !=
           GSMToTextTable.end();
}

// What must hold for any line: output drawn from the table, no more septets
// than the octets of the line can carry, at most 255 of them, and the text
// of every prefix of the line is a prefix of the text of the whole line.
void CheckLine(const std::string& line) {
    std::string text;
    PDUTextConversion(line, text);
    ASSERT_LE(text.size(), 255u);
    ASSERT_LE(text.size(), (line.size() / 2) * 8 / 7 + 1);
    for (char c : text)
        ASSERT_TRUE(InTable(c));
    for (std::size_t k = 0; k < line.size(); k += 1 + k / 8) {
        std::string part;
        PDUTextConversion(line.substr(0, k), part);
        ASSERT_EQ(text.compare(0, part.size(), part), 0) << "prefix " << k << " of " << line;
        ASSERT_LE(part.size(), text.size());
    }
}

std::string RandomHex(std::mt19937& rng, std::size_t n, const char* alphabet = "0123456789ABCDEF") {
    const std::string a = alphabet;
    std::uniform_int_distribution<std::size_t> pick(0, a.size() - 1);
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += a[pick(rng)];
    return s;
}

}  // namespace

TEST(PduDecodeHostile, RandomHexLines) {
    std::mt19937 rng(4470);
    std::uniform_int_distribution<std::size_t> len(0, 400);
    for (int i = 0; i < 2000; ++i)
        CheckLine(RandomHex(rng, len(rng)));
}

TEST(PduDecodeHostile, RandomBytesAndHexWithGarbage) {
    std::mt19937 rng(17);
    std::uniform_int_distribution<std::size_t> len(0, 120);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 1000; ++i) {
        std::string s;
        const std::size_t n = len(rng);
        for (std::size_t k = 0; k < n; ++k)
            s += static_cast<char>(byte(rng));
        CheckLine(s);
    }
    for (int i = 0; i < 1000; ++i)
        CheckLine(RandomHex(rng, len(rng), "0123456789ABCDEFabcdefGZ -\r\n"));
}

TEST(PduDecodeHostile, TruncatedValidLines) {
    const std::string lines[] = {
        "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37",
        "00113005912143F500000B06C722754A6D00",
    };
    for (const std::string& line : lines) {
        std::string whole;
        PDUTextConversion(line, whole);
        ASSERT_FALSE(whole.empty());
        CheckLine(line);
        for (std::size_t k = 0; k <= line.size(); ++k)
            CheckLine(line.substr(0, k));
    }
}

TEST(PduDecodeHostile, LyingLengthOctets) {
    std::mt19937 rng(99);
    // Huge service-centre, address and user-data lengths, each alone and
    // together, over short and long bodies.
    for (const std::string sca : {"00", "FF", "7F", "G0", "0G"}) {
        for (const std::string addr : {"05", "FF", "0G", "GG"}) {
            for (const std::string udl : {"FF", "A0", "GG", "01"}) {
                for (std::size_t body : {0u, 1u, 7u, 13u, 14u, 300u}) {
                    const std::string line =
                        sca + "1130" + addr + "912143F500000B" + udl + RandomHex(rng, body);
                    CheckLine(line);
                    CheckLine(sca + "04" + addr + "912143F500001111111111111111" + udl +
                              RandomHex(rng, body));
                }
            }
        }
    }
    // A user-data length of 255 over 300 octets stops at 255 characters.
    std::string text;
    PDUTextConversion("00113005912143F500000BFF" + std::string(600, '0'), text);
    EXPECT_EQ(text.size(), 255u);
}
