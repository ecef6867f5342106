// kt4470ctl commands and send run as processes: the commands of a full
// settings file against a list written out by hand, and sending to
// kt4470-sim (answered, a silent module, a hang-up half-way, no port).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "config/SettingsFile.h"
#include "sim/SimProcess.h"
#include "support/ProvisioningRecord.h"

namespace {

struct CtlRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the built tool in `dir`; output goes through files so no pipe fills up.
CtlRun Ctl(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    const auto out = dir / "ctl.out", err = dir / "ctl.err";
    CtlRun r;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0 || !freopen(out.c_str(), "wb", stdout) ||
            !freopen(err.c_str(), "wb", stderr))
            _exit(127);
        std::vector<char*> argv{const_cast<char*>(KT4470CTL)};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(KT4470CTL, argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// The commands of ProvisioningRecord(), spelled out from the worked examples
// of the command pages: the families of empty slots and untouched inputs in
// loops, everything else as the line the module gets.
std::vector<std::string> ExpectedCommands() {
    std::vector<std::string> e = {
        "SETNN1,+4917012345", "SETNN3,+12345678",
        "SETNN5,12+9",        "SETPB1 +99",
        "SETPB2,+4917",       "SETPB4,+99",
        "SETPB5,0171",        "SETPB6,+99",
        "SETPB7,+99",         "SETME,F-F,,FFFFFFFF,FFFFFFFFFFF-",
    };
    for (int n = 1; n <= 57; ++n) {
        const char* text = n == 1   ? "Temperature 1 < MINIMUM "
                           : n == 2 ? "Temperature 1 Normal, and "
                           : n == 5 ? "A B"
                           : n == 6 ? "Caf\\xE9"
                                    : "";
        e.push_back("SETTX" + Two(n) + " " + text);
    }
    for (int n = 1; n <= 97; ++n)
        e.push_back("SETTI" + Two(n) + " " + (n == 70 ? "INP1 0" : ""));
    e.push_back("ANLEV1,99,00");
    e.push_back("ANLEV2,00,00");
    e.push_back("ANLEV3,05,80");
    for (int n = 4; n <= 8; ++n)
        e.push_back("ANLEV" + std::to_string(n) + ",00,00");
    for (int n = 1; n <= 7; ++n)
        e.push_back(n == 3 ? "ANLEW3,05,80" : "ANLEW" + std::to_string(n) + ",00,00");
    e.push_back("ANLEW8,99,99");
    e.push_back("AMODE11121102,11111111,11111111");
    e.push_back("K20MA1,100");
    e.push_back("K20MA2,123");
    for (int n = 3; n <= 8; ++n)
        e.push_back("K20MA" + std::to_string(n) + ",");
    for (const char* line :
         {"SETTF,05,30,2", "TCLEV1-099+149", "TCLEV2-005+035", "TCLEV3-099+000", "SETTN3,6,09000009",
          "SETAP    ", "SETID user", "SETPW ", "SETIP 10.0.0.1", "SETFT ftp.example.org", "SETAF ",
          "SETPF s3cret", "SETDN IMEI", "SETRH,   ", "SETSH,T4407    ", "SETMP MPEDEDDDDEEDEDE "})
        e.push_back(line);
    return e;
}

class ProvisionCli : public ::testing::Test {
  protected:
    void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(dir.Path() / name, std::ios::binary) << text;
    }
    kt::sim::TempDir dir;
};

TEST_F(ProvisionCli, CommandsOfAFullSettingsFile) {
    std::string error;
    ASSERT_TRUE(kt::config::SaveRecordFile((dir.Path() / "KT4470.cfg").string(),
                                           kt::test::ProvisioningRecord(), &error))
        << error;
    const CtlRun r = Ctl(dir.Path(), {"commands", "KT4470.cfg"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.out), ExpectedCommands());

    // An all-zero file: no alarm number, every phone-book slot the placeholder,
    // the default masks and no option string.
    ASSERT_EQ(Ctl(dir.Path(), {"cfg", "new", "empty.cfg"}).status, 0);
    const auto empty = Lines(Ctl(dir.Path(), {"commands", "empty.cfg"}).out);
    ASSERT_EQ(empty.size(), 7u + 1 + 57 + 97 + 16 + 1 + 8 + 1 + 3 + 1 + 9 + 1);
    EXPECT_EQ(empty.front(), "SETPB1 +99");
    EXPECT_EQ(empty[7], "SETME,---,,--------,000000000000");
    EXPECT_EQ(empty.back(), "SETSH,         ");

    EXPECT_EQ(Ctl(dir.Path(), {"commands", "missing.cfg"}).status, 1);
    EXPECT_EQ(Ctl(dir.Path(), {"commands"}).status, 2);
    const CtlRun help = Ctl(dir.Path(), {"commands", "--help"});
    EXPECT_NE(help.out.find("alarm numbers that pass their check (SETNN)"), std::string::npos) << help.out;
}

// Each case: the simulator's fault, the tool's extra arguments, the commands,
// what the tool must end with and say.
TEST_F(ProvisionCli, SendToTheSimulatedModule) {
    const std::string commands = "GETST\nSETNN1,+4917012345\n\nSETTX05 A\\x20B\nSETMP MPEDEDDDDEEDEDE \n";
    WriteFile("commands.txt", commands);
    const struct {
        const char* name;
        std::vector<std::string> sim;
        std::vector<std::string> ctl;
        int status;
        int answered;
        const char* err;
    } cases[] = {
        {"answered", {}, {}, 0, 4, ""},
        {"silent", {"--silent"}, {"--timeout", "0.2"}, 1, 0, "4 of 4 commands not answered"},
        {"hang-up after 2", {"--hangup-after", "2"}, {"--timeout=1"}, 1, 2, "2 of 4 commands not answered"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> simArgs{"--link", (dir.Path() / "COM1").string()};
        simArgs.insert(simArgs.end(), c.sim.begin(), c.sim.end());
        kt::sim::SimProcess sim(simArgs);
        ASSERT_FALSE(sim.FirstLine().empty());
        std::vector<std::string> args{"send", "--port", "COM1"};
        args.insert(args.end(), c.ctl.begin(), c.ctl.end());
        args.push_back("commands.txt");
        const CtlRun r = Ctl(dir.Path(), args);
        EXPECT_EQ(r.status, c.status) << r.err;
        const auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 8u) << r.out;
        EXPECT_EQ(lines[0], "> GETST");
        EXPECT_EQ(lines[4], "> SETTX05 A B");
        EXPECT_EQ(lines[6], "> SETMP MPEDEDDDDEEDEDE ");
        int answered = 0;
        for (size_t k = 1; k < lines.size(); k += 2)
            answered += lines[k].rfind("< ", 0) == 0;
        EXPECT_EQ(answered, c.answered) << r.out;
        if (c.answered == 4) {
            EXPECT_EQ(lines[1].rfind("< ST: IN ", 0), 0u) << lines[1];
            EXPECT_EQ(lines[5], "< 05: A B");  // the module's text answer has no line end
            EXPECT_EQ(lines[7], "< MP: MPEDEDDDDEEDEDE \\r\\n");
        }
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }

    // No port, or bad arguments: nothing is sent, the reason is given.
    const CtlRun missing = Ctl(dir.Path(), {"send", "--port", "/dev/kt4470-none", "commands.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("/dev/kt4470-none: cannot open: no such device"), std::string::npos)
        << missing.err;
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"send", "commands.txt"},
                                                {"send", "--port", "COM1", "--parity", "odd"},
                                                {"send", "--port", "COM1", "--timeout", "0"}}) {
        EXPECT_EQ(Ctl(dir.Path(), bad).status, 2) << bad.back();
    }
    WriteFile("bad.txt", "GETST\nSETTX01 \\q\n");
    const CtlRun badLine = Ctl(dir.Path(), {"send", "--port", "COM1", "bad.txt"});
    EXPECT_EQ(badLine.status, 2);
    EXPECT_NE(badLine.err.find("line 2"), std::string::npos) << badLine.err;
}

}  // namespace
