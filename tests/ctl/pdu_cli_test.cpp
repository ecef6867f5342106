// kt4470ctl pdu run as a process: stdout, stderr and exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Program.h"

namespace {

using CtlRun = kt::test::ProgramRun;

CtlRun Ctl(const std::vector<std::string>& args) {
    return kt::test::RunProgram(KT4470CTL, args);
}

void ExpectBadArguments(const std::vector<std::string>& args) {
    std::string line;
    for (const auto& a : args)
        line += a + " ";
    const CtlRun r = Ctl(args);
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_EQ(r.out, "") << line;
    // One line on stderr.
    ASSERT_FALSE(r.err.empty()) << line;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << line << r.err;
}

}  // namespace

TEST(CtlPduCli, EncodeWorkedExample) {
    const CtlRun r = Ctl({"pdu", "encode", "--to", "+12345", "GETST\\r"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "00113005912143F500000B06C722754A6D00\n");
    EXPECT_EQ(r.err, "");
    // Option after the text, and the --to=NUMBER form.
    EXPECT_EQ(Ctl({"pdu", "encode", "GETST\\r", "--to=+12345"}).out, r.out);
    EXPECT_EQ(Ctl({"pdu", "encode", "--to", "12345678", "GETST\\r"}).out.substr(6, 14), "08812143658700");
}

TEST(CtlPduCli, DecodeShowsEscapedText) {
    CtlRun r = Ctl({"pdu", "decode", "00113005912143F500000B06C722754A6D00"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "GETST\\r\n");
    // Lower-case input is accepted by the tool.
    EXPECT_EQ(Ctl({"pdu", "decode", "00113005912143f500000b06c722754a6d00"}).out, "GETST\\r\n");
    r = Ctl({"pdu", "decode", "07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37"});
    EXPECT_EQ(r.out, "hellohello\n");
    // Bytes outside printable ASCII and the backslash come out escaped.
    const CtlRun enc = Ctl({"pdu", "encode", "--to", "+1", "\\x00\\x7C\\\\\\t\\x7B"});
    ASSERT_EQ(enc.status, 0) << enc.err;
    r = Ctl({"pdu", "decode", enc.out.substr(0, enc.out.size() - 1)});
    EXPECT_EQ(r.out, "@\\xF5*\\xE7\\xE4\n");
    // Nothing to decode: an empty line.
    r = Ctl({"pdu", "decode", "0000000000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\n");
}

TEST(CtlPduCli, BadArguments) {
    ExpectBadArguments({"pdu"});
    ExpectBadArguments({"pdu", "frobnicate"});
    ExpectBadArguments({"pdu", "encode", "GETST\\r"});
    ExpectBadArguments({"pdu", "encode", "--to"});
    ExpectBadArguments({"pdu", "encode", "--to", "+12345"});
    ExpectBadArguments({"pdu", "encode", "--to", "+12345", "A", "B"});
    ExpectBadArguments({"pdu", "encode", "--to", "+12345", "--verbose", "A"});
    ExpectBadArguments({"pdu", "encode", "--to", "+12345", "GETST\\q"});
    ExpectBadArguments({"pdu", "encode", "--to", "+12345", "GETST\\"});
    ExpectBadArguments({"pdu", "encode", "--to", "", "GETST\\r"});
    ExpectBadArguments({"pdu", "decode"});
    ExpectBadArguments({"pdu", "decode", "0011", "22"});
    ExpectBadArguments({"pdu", "decode", "00 11"});
    ExpectBadArguments({"pdu", "decode", "--raw", "0011"});
    // The empty number names the fault.
    EXPECT_NE(Ctl({"pdu", "encode", "--to", "", "X"}).err.find("Phone Number Error."), std::string::npos);
}

TEST(CtlPduCli, Help) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"pdu", "--help"}, {"pdu", "encode", "--help"}, {"--help"}}) {
        const CtlRun r = Ctl(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("pdu encode --to NUMBER TEXT"), std::string::npos);
        EXPECT_NE(r.out.find("pdu decode HEX"), std::string::npos);
    }
}

// Arguments and file names echoed in an error come back with the tool's own
// escapes: one line of printable ASCII, whatever bytes the argument held.
TEST(CtlCli, EchoedArgumentsAreEscaped) {
    char tmpl[] = "/tmp/kt-ctl-\x1b[2J\n-XXXXXX";
    const int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::string hostileFile = tmpl;
    const std::string shownFile = "/tmp/kt-ctl-\\x1B[2J\\n-" + hostileFile.substr(hostileFile.size() - 6);

    const struct {
        std::vector<std::string> args;
        int status;
        std::string shown;  // as the message must show it
    } cases[] = {
        {{"x\ny\x1b[2J"}, 2, "'x\\ny\\x1B[2J'"},
        {{"\xff\xfe\\"}, 2, "'\\xFF\\xFE\\\\'"},
        {{"pdu", "fr\x1b]0;owned\x07"}, 2, "'fr\\x1B]0;owned\\x07'"},
        {{"pdu", "encode", "--to", "+1", "-\r\x9b"}, 2, "'-\\r\\x9B'"},
        {{"pdu", "decode", "-\x1b"}, 2, "'-\\x1B'"},
        {{"pdu", "encode", "--to", "+1", "A\\\x1b"}, 2, "unknown escape \\\\x1B"},
        {{"cfg", "frob\tnicate"}, 2, "'frob\\tnicate'"},
        {{"cfg", "set", "f.cfg", "\x1b"}, 2, "got '\\x1B'"},
        {{"cfg", "set", "f.cfg", "Port\x1bIndex=1"}, 2, "'Port\\x1BIndex'"},
        {{"cfg", "set", "f.cfg", "PortIndex[\r=1"}, 2, "'PortIndex[\\r'"},
        {{"cfg", "set", "f.cfg", "AlarmNumber[\n]=1"}, 2, "'\\n'"},
        {{"cfg", "set", "f.cfg", "PortIndex=1\r\n"}, 2, "'1\\r\\n'"},
        {{"cfg", "set", "f.cfg", "SmsModeOn=\x1b[31m"}, 2, "'\\x1B[31m'"},
        {{"cfg", "set", "f.cfg", "Reserved6=\x1b\x1b"}, 2, "'\\x1B\\x1B'"},
        {{"cfg", "show", "/no/such\x1b[31m.cfg"}, 1, "/no/such\\x1B[31m.cfg"},
        {{"cfg", "set", "/no/such\n.cfg", "PortIndex=1"}, 1, "/no/such\\n.cfg"},
        {{"cfg", "new", hostileFile}, 1, shownFile + " already exists"},
        {{"cfg", "show", hostileFile}, 1, shownFile + " holds 0 bytes"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args)
            line += a + " ";
        const CtlRun r = Ctl(c.args);
        EXPECT_EQ(r.status, c.status) << line;
        ASSERT_FALSE(r.err.empty()) << line;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        for (std::size_t i = 0; i + 1 < r.err.size(); ++i) {
            const auto b = static_cast<unsigned char>(r.err[i]);
            EXPECT_TRUE(b >= 0x20 && b <= 0x7E) << "byte " << int(b) << " in " << r.err;
        }
        EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err << " lacks " << c.shown;
    }
    unlink(hostileFile.c_str());
}
