// kt4470ctl commands and send run as processes: the commands of a full
// settings file against a list written out by hand, and sending to
// kt4470-sim (answered, a silent module, a hang-up half-way, no port), with
// its traffic log byte for byte against what the simulator got and sent.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/SettingsFile.h"
#include "protocol/Framing.h"
#include "sim/SimProcess.h"
#include "support/ProvisioningRecord.h"
#include "support/TextFiles.h"
#include "traffic/TrafficLog.h"
#include "version/Version.h"

namespace {

using kt::test::Lines;
using kt::test::Slurp;

struct CtlRun {
    int status = -1;
    std::string out, err;
};

// Starts the built tool in `dir`; output goes through files so no pipe fills up.
pid_t StartCtl(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    const auto out = dir / "ctl.out", err = dir / "ctl.err";
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
    return pid;
}

CtlRun FinishCtl(const std::filesystem::path& dir, pid_t pid) {
    const auto out = dir / "ctl.out", err = dir / "ctl.err";
    CtlRun r;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
}

CtlRun Ctl(const std::filesystem::path& dir, const std::vector<std::string>& args) {
    return FinishCtl(dir, StartCtl(dir, args));
}

std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// The commands of ProvisioningRecord(), spelled out from the worked examples
// of the command pages: the families of empty slots and untouched inputs in
// loops, everything else as the line the module gets. Its alternate layout
// leaves out what the sibling module lacks; `alternate` false: the same
// record with the default layout.
std::vector<std::string> ExpectedCommands(bool alternate = true) {
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
        if (!alternate || !kt::test::AlternateOmits("SETTX", n)) e.push_back("SETTX" + Two(n) + " " + text);
    }
    for (int n = 1; n <= 97; ++n)
        if (!alternate || !kt::test::AlternateOmits("SETTI", n))
            e.push_back("SETTI" + Two(n) + " " + (n == 70 ? "INP1 0" : ""));
    e.push_back("ANLEV1,99,00");
    e.push_back("ANLEV2,00,00");
    e.push_back("ANLEV3,05,80");
    for (int n = 4; n <= 8; ++n)
        if (!alternate || !kt::test::AlternateOmits("ANLEV", n))
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
    EXPECT_EQ(Lines(r.out).size(), 205u - 22 - 38 - 4);
    ASSERT_EQ(Ctl(dir.Path(), {"cfg", "set", "KT4470.cfg", "AlternateModule=0"}).status, 0);
    EXPECT_EQ(Lines(Ctl(dir.Path(), {"commands", "KT4470.cfg"}).out), ExpectedCommands(false));

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

// kt4470ctl send --sms against kt4470-sim's modem: answers in order, a
// refused submission, lost answers, another sender's message left alone, the
// delivery log after a run and after one cut short, the count before sending.
TEST_F(ProvisionCli, SendBySmsThroughTheSimulatedModem) {
    const std::string data = (dir.Path() / "data").string();
    const char* before = std::getenv("KT4470_DATA_DIR");
    const std::string saved = before ? before : "";
    setenv("KT4470_DATA_DIR", data.c_str(), 1);
    const std::filesystem::path logFile = dir.Path() / "data" / "sms-runs.log";
    WriteFile("commands.txt", "GETVR\nSETTF,05,10,3\nGETTC\n");
    const std::vector<std::string> to{"send", "--sms", "--to", "+4917012345", "--port", "COM1"};
    auto withArgs = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = to;
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("commands.txt");
        return args;
    };
    auto startSim = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"--mode",          "modem",
                                      "--module-number", "+4917012345",
                                      "--link",          (dir.Path() / "COM1").string(),
                                      "--log",           (dir.Path() / "sim.log").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return std::make_unique<kt::sim::SimProcess>(args);
    };

    {
        auto sim = startSim({"--fail-submit", "2", "--inbox-other", "+4915550000=Hello"});
        ASSERT_FALSE(sim->FirstLine().empty());
        const CtlRun r = Ctl(dir.Path(), withArgs({}));
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(Lines(r.out), (std::vector<std::string>{"3 SMS to +4917012345, one per command", "> GETVR",
                                                          "< VR: KT4470QD25E SIM 1.0", "> SETTF,05,10,3",
                                                          "! not submitted: +CMS ERROR: 38", "> GETTC",
                                                          "< TC: T1 +21.5 T2 +19.0 T3 +23.0"}));
        EXPECT_NE(r.err.find("1 of 3 commands not answered"), std::string::npos) << r.err;
        // The other sender's message (index 1) was listed but never deleted;
        // each answer took index 2 and was deleted.
        const std::string simLog = Slurp(dir.Path() / "sim.log");
        EXPECT_EQ(simLog.find("AT+CMGD=1"), std::string::npos);
        EXPECT_NE(simLog.find("AT+CMGD=2"), simLog.rfind("AT+CMGD=2"));

        const auto log = Lines(Slurp(logFile));
        ASSERT_EQ(log.size(), 5u) << Slurp(logFile);
        const std::vector<std::string> tails = {
            "\t+4917012345\tGETVR\tsubmitted\treference 1",
            "\t+4917012345\tGETVR\tanswered\tVR: KT4470QD25E SIM 1.0",
            "\t+4917012345\tSETTF,05,10,3\tnot submitted\t+CMS ERROR: 38",
            "\t+4917012345\tGETTC\tsubmitted\treference 2",
            "\t+4917012345\tGETTC\tanswered\tTC: T1 +21.5 T2 +19.0 T3 +23.0",
        };
        for (size_t k = 0; k < log.size(); ++k) {
            // "yyyy-MM-dd hh:mm:ss", then the fields.
            ASSERT_GE(log[k].size(), 19u);
            EXPECT_EQ(log[k].substr(19), tails[k]);
            EXPECT_EQ(log[k][4], '-');
            EXPECT_EQ(log[k][13], ':');
        }
    }
    std::filesystem::remove(logFile);

    {
        // A network slower than the answer time-out: every answer lost, the
        // run goes on to the end.
        auto sim = startSim({"--sms-delay", "1"});
        ASSERT_FALSE(sim->FirstLine().empty());
        const CtlRun r = Ctl(dir.Path(), withArgs({"--answer-timeout", "0.2"}));
        EXPECT_EQ(r.status, 1);
        const auto lines = Lines(r.out);
        ASSERT_EQ(lines.size(), 7u) << r.out;
        EXPECT_EQ(lines[2], "! no answer after 0.2 s");
        EXPECT_EQ(lines[6], "! no answer after 0.2 s");
    }
    std::filesystem::remove(logFile);

    {
        // Cut short while the first answer is awaited: the submission is in
        // the log, a whole line.
        auto sim = startSim({"--sms-delay", "30"});
        ASSERT_FALSE(sim->FirstLine().empty());
        const pid_t ctl = StartCtl(dir.Path(), withArgs({}));
        std::string log;
        for (int i = 0; i < 500 && log.find('\n') == std::string::npos; ++i) {
            usleep(10000);
            log = Slurp(logFile);
        }
        kill(ctl, SIGKILL);
        FinishCtl(dir.Path(), ctl);
        ASSERT_EQ(Lines(log).size(), 1u) << log;
        EXPECT_EQ(log.substr(19), "\t+4917012345\tGETVR\tsubmitted\treference 1\n");
    }

    // The count alone, without a port; bad arguments.
    const CtlRun dry = Ctl(dir.Path(), {"send", "--sms", "--to", "+4917012345", "--dry-run", "commands.txt"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, "3 SMS to +4917012345, one per command\n");
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"send", "--sms", "--port", "COM1", "commands.txt"},
          {"send", "--sms", "--to", "+49x", "--port", "COM1", "commands.txt"},
          {"send", "--to", "+4917012345", "--port", "COM1", "commands.txt"},
          {"send", "--sms=1", "--to", "+4917012345", "--port", "COM1", "commands.txt"},
          {"send", "--sms", "--to", "+4917012345", "--answer-timeout", "0", "--port", "COM1"}}) {
        const CtlRun r = Ctl(dir.Path(), bad);
        EXPECT_EQ(r.status, 2) << bad[2];
        EXPECT_TRUE(r.out.empty()) << "no SMS counted for bad arguments";
    }
    if (before)
        setenv("KT4470_DATA_DIR", saved.c_str(), 1);
    else
        unsetenv("KT4470_DATA_DIR");
}

// The "text" of a line of the simulator's JSON log, decoded.
std::string JsonText(const std::string& line) {
    const std::string key = "\"text\":\"";
    std::string out;
    for (size_t i = line.find(key) + key.size(); i < line.size() && line[i] != '"'; ++i) {
        if (line[i] != '\\') {
            out += line[i];
            continue;
        }
        const char e = line[++i];
        if (e == 'u') {
            out += static_cast<char>(std::stoi(line.substr(i + 1, 4), nullptr, 16));
            i += 4;
        } else {
            out += e == 'r'   ? '\r'
                   : e == 'n' ? '\n'
                   : e == 't' ? '\t'
                   : e == 'b' ? '\b'
                   : e == 'f' ? '\f'
                              : e;
        }
    }
    return out;
}

// The traffic log of send holds exactly the bytes that went to the simulator
// and came back, NUL, CR, Ctrl-Z and bytes above 0x7F included: every frame
// as one TX entry, every answer and the random noise after it as RX.
TEST_F(ProvisionCli, SendLogsEveryByteBothWays) {
    const std::vector<std::string> commands = {"GETST", std::string("SETTX01 A\0\x1A\xE9\xFF\\", 14), "  OK"};
    WriteFile("commands.txt", "GETST\nSETTX01 A\\x00\\x1A\\xE9\\xFF\\\\\n  OK\n");
    const std::string link = (dir.Path() / "COM1").string();
    const auto simLog = dir.Path() / "sim.jsonl";
    std::string simSent;
    {
        kt::sim::SimProcess sim({"--link", link, "--noise", "1", "--seed", "7", "--log", simLog.string()});
        ASSERT_FALSE(sim.FirstLine().empty());
        const CtlRun r = Ctl(dir.Path(), {"send", "--port", "COM1", "--log", "traffic.log", "commands.txt"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(sim.Stop(), 0);
    }
    std::vector<std::string> simReceived;
    for (const std::string& line : Lines(Slurp(simLog))) {
        if (line.find("\"dir\":\"tx\"") != std::string::npos) simSent += JsonText(line);
        if (line.find("\"dir\":\"rx\"") != std::string::npos) simReceived.push_back(JsonText(line));
    }
    ASSERT_EQ(simReceived.size(), commands.size());

    const auto lines = Lines(Slurp(dir.Path() / "traffic.log"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind(std::string("# kt4470ctl ") + kt::Version() + " traffic log started ", 0), 0u)
        << lines[0];
    EXPECT_NE(lines[0].find("; port COM1 -> "), std::string::npos) << lines[0];
    std::vector<std::string> tx;
    std::string rx;
    std::vector<std::string> notes;
    for (size_t i = 1; i < lines.size(); ++i) {
        kt::traffic::ParsedLine p;
        std::string error;
        ASSERT_TRUE(kt::traffic::ParseLine(lines[i], p, &error)) << lines[i] << ": " << error;
        if (p.kind == kt::traffic::Kind::Tx) tx.push_back(p.bytes);
        if (p.kind == kt::traffic::Kind::Rx) rx += p.bytes;
        if (p.kind == kt::traffic::Kind::Note) notes.push_back(p.bytes);
    }
    ASSERT_EQ(tx.size(), commands.size());
    for (size_t k = 0; k < commands.size(); ++k) {
        EXPECT_EQ(tx[k], kt::protocol::DirectFrame(commands[k])) << k;
        // The simulator logs a framed command from after "SETUP:", its NULs dropped.
        std::string got = tx[k].substr(tx[k].find("SETUP:") + 6);
        got.erase(std::remove(got.begin(), got.end(), '\0'), got.end());
        EXPECT_EQ(simReceived[k], got) << k;
    }
    EXPECT_EQ(rx, simSent);
    EXPECT_NE(rx.find_first_of(std::string("\0\x80\xff", 3)), std::string::npos)
        << "the noise holds such bytes";
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find(" open: 2400 8N1"), std::string::npos) << notes[0];
    EXPECT_NE(notes[1].find(" closed"), std::string::npos) << notes[1];

    // A second run appends, under a header of its own; a log that cannot be
    // written stops the run before anything is sent.
    {
        kt::sim::SimProcess sim({"--link", link});
        ASSERT_FALSE(sim.FirstLine().empty());
        EXPECT_EQ(Ctl(dir.Path(), {"send", "--port", "COM1", "--log=traffic.log", "commands.txt"}).status, 0);
        const CtlRun bad =
            Ctl(dir.Path(), {"send", "--port", "COM1", "--log", "no/such/dir/t.log", "commands.txt"});
        EXPECT_EQ(bad.status, 2);
        EXPECT_NE(bad.err.find("cannot open no/such/dir/t.log"), std::string::npos) << bad.err;
        EXPECT_EQ(bad.out, "");
    }
    int headers = 0;
    for (const std::string& line : Lines(Slurp(dir.Path() / "traffic.log")))
        headers += line.rfind("# kt4470ctl ", 0) == 0;
    EXPECT_EQ(headers, 2);
}

}  // namespace
