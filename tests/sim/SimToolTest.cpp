// The built kt4470-sim on real pseudo-terminals: the test starts it in a
// temporary folder, opens the linked device like the terminal does and talks.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SimProcess.h"
#include "gsm/PduCodec.h"

namespace kt::sim {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Framed(const std::string& command) {
    return std::string(14, ' ') + "SETUP:" + command + '\r' + std::string(1, '\0');
}

// The terminal's side: the linked device opened raw.
class Line {
  public:
    explicit Line(const fs::path& link) {
        fd_ = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0) return;
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
    ~Line() {
        if (fd_ >= 0) close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }
    void Write(const std::string& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), (ssize_t)bytes.size());
    }

    // Reads until the text ends with `end` or 5 s pass.
    std::string ReadUntil(const std::string& end) {
        std::string got;
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            if (got.size() >= end.size() && got.compare(got.size() - end.size(), end.size(), end) == 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char buf[512];
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }
    // Everything within ms.
    std::string ReadFor(int ms) {
        std::string got;
        const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[512];
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }
    // True when the line hangs up within 5 s (EOF, EIO or POLLHUP).
    bool HangsUp() {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            if (p.revents & (POLLHUP | POLLERR)) return true;
            char buf[64];
            const ssize_t n = read(fd_, buf, sizeof buf);
            if (n == 0 || (n < 0 && errno == EIO)) return true;
        }
        return false;
    }

  private:
    int fd_ = -1;
};

TEST(SimTool, ModuleAnswersFramedCommandsAndLogsThem) {
    TempDir dir;
    const fs::path link = dir.Path() / "COM1";
    const fs::path log = dir.Path() / "frames.jsonl";
    SimProcess sim({"--mode", "module", "--link", link.string(), "--log", log.string()});
    const std::string device = sim.FirstLine();
    ASSERT_EQ(device.rfind("/dev/", 0), 0u) << device;
    EXPECT_EQ(fs::read_symlink(link).string(), device);
    {
        Line line(link);
        ASSERT_TRUE(line.Ok());
        line.Write(Framed("  OK"));
        EXPECT_EQ(line.ReadUntil("\r\n"), "OK\r\n");
        line.Write(Framed("SETNN3,+12345678"));
        EXPECT_EQ(line.ReadUntil("\r\n"), "NUM3: +12345678 \r\n");
        // Cut anywhere: one answer once the command is whole.
        const std::string cmd = Framed("GETNR3");
        line.Write(cmd.substr(0, 9));
        EXPECT_EQ(line.ReadFor(100), "");
        line.Write(cmd.substr(9));
        EXPECT_EQ(line.ReadUntil("\r\n"), "NUM3: +12345678 \r\n");
        line.Write("  AT+CSQ\r");
        EXPECT_EQ(line.ReadUntil("OK\r\n"), "\r\n+CSQ: 20,0\r\n\r\nOK\r\n");
    }
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the link goes with the simulator";

    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_NE(lines[0].find(R"("dir":"rx","mode":"module","text":"  OK\r"})"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(R"("dir":"tx","mode":"module","text":"OK\r\n"})"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[0].rfind(R"({"t":"20)", 0), 0u);
    EXPECT_EQ(lines[0][29], 'Z') << lines[0];
}

TEST(SimTool, TerminalCanCloseAndReopenThePort) {
    TempDir dir;
    const fs::path link = dir.Path() / "COM2";
    SimProcess sim({"--link", link.string()});
    ASSERT_FALSE(sim.FirstLine().empty());
    for (int round = 0; round < 3; ++round) {
        Line line(link);
        ASSERT_TRUE(line.Ok());
        line.Write(Framed("  GETVR"));
        EXPECT_EQ(line.ReadUntil("\r\n"), "VR: KT4470QD25E SIM 1.0\r\n") << "round " << round;
    }
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimTool, ModemTakesAnSmsAndListsTheModulesAnswer) {
    TempDir dir;
    const fs::path link = dir.Path() / "COM1";
    const std::string number = "+4917012345";
    SimProcess sim({"--mode", "modem", "--module-number", number, "--link", link.string()});
    ASSERT_FALSE(sim.FirstLine().empty());
    Line line(link);
    ASSERT_TRUE(line.Ok());

    std::string pdu;
    ASSERT_TRUE(kt::gsm::TextToPDUConversion("  GETVR\r", number, pdu));
    const std::string announce = "AT+CMGS=" + std::to_string(pdu.size() / 2 - 1) + "\r";
    line.Write(announce);
    EXPECT_EQ(line.ReadUntil("> "), announce + "\r\n> ");
    const std::string digits = pdu.substr(0, pdu.size() - 1);
    line.Write(digits + "\x1A");
    EXPECT_EQ(line.ReadUntil("OK\r\n"), digits + "\r\n+CMGS: 1\r\n\r\nOK\r\n");

    line.Write("AT+CMGL=0\r");
    const std::string listing = line.ReadUntil("OK\r\n");
    const std::string header = "AT+CMGL=0\r\r\n+CMGL: 1,0,,";
    ASSERT_EQ(listing.substr(0, header.size()), header) << listing;
    const size_t start = listing.find("\r\n", header.size()) + 2;
    const std::string listed = listing.substr(start, listing.find("\r\n", start) - start);
    std::string text;
    kt::gsm::PDUTextConversion(listed, text);
    EXPECT_EQ(text, "VR: KT4470QD25E SIM 1.0");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimTool, HangupAfterClosesTheLineAndExits) {
    TempDir dir;
    const fs::path link = dir.Path() / "COM1";
    SimProcess sim({"--hangup-after", "2", "--link", link.string()});
    ASSERT_FALSE(sim.FirstLine().empty());
    Line line(link);
    ASSERT_TRUE(line.Ok());
    line.Write(Framed("GETST"));
    EXPECT_EQ(line.ReadUntil("\r\n").substr(0, 4), "ST: ");
    line.Write(Framed("GETCT"));
    EXPECT_EQ(line.ReadUntil("\r\n"), "CT: 1=00000 2=00000\r\n") << "the last command is still answered";
    EXPECT_TRUE(line.HangsUp());
    EXPECT_EQ(sim.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimTool, FaultsSilentSplitNoiseAndFlood) {
    TempDir dir;
    {
        SimProcess silent({"--silent", "--link", (dir.Path() / "S").string()});
        ASSERT_FALSE(silent.FirstLine().empty());
        Line line(dir.Path() / "S");
        line.Write(Framed("GETST"));
        EXPECT_EQ(line.ReadFor(300), "");
        EXPECT_EQ(silent.Stop(), 0);
    }
    {
        SimProcess split({"--split", "--seed", "7", "--link", (dir.Path() / "P").string()});
        ASSERT_FALSE(split.FirstLine().empty());
        Line line(dir.Path() / "P");
        line.Write(Framed("GETOS0"));
        EXPECT_EQ(line.ReadUntil("\r\n"), "OUT1 0 OUT2 0 OUT3 0 OUT4 0 OUT5 0 OUT6 0 OUT7 0 OUT8 0\r\n");
        EXPECT_EQ(split.Stop(), 0);
    }
    {
        SimProcess noisy({"--noise", "1", "--seed", "3", "--link", (dir.Path() / "N").string()});
        ASSERT_FALSE(noisy.FirstLine().empty());
        Line line(dir.Path() / "N");
        line.Write(Framed("  OK"));
        const std::string got = line.ReadFor(300);
        EXPECT_EQ(got.substr(0, 4), "OK\r\n");
        EXPECT_GT(got.size(), 4u) << "noise follows every answer at rate 1";
        EXPECT_LE(got.size(), 12u);
        EXPECT_EQ(noisy.Stop(), 0);
    }
    {
        // A steady stream at 100 kB/s, and the answers within it.
        SimProcess flood({"--noise-flood", "100k", "--link", (dir.Path() / "F").string()});
        ASSERT_FALSE(flood.FirstLine().empty());
        Line line(dir.Path() / "F");
        line.ReadFor(50);
        line.Write(Framed("  OK"));
        const std::string got = line.ReadFor(300);
        EXPECT_GT(got.size(), 15000u);
        EXPECT_LT(got.size(), 60000u);
        EXPECT_NE(got.find("OK\r\n"), std::string::npos);
        EXPECT_EQ(flood.Stop(), 0);
    }
}

TEST(SimTool, LinkHandling) {
    TempDir dir;
    const fs::path file = dir.Path() / "COM1";
    { std::ofstream(file) << "keep me"; }
    SimProcess refused({"--link", file.string()});
    EXPECT_EQ(refused.Wait(), 1);
    EXPECT_NE(refused.ErrorLine().find("not a symbolic link"), std::string::npos);
    std::ifstream in(file);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");

    const fs::path stale = dir.Path() / "COM4";
    fs::create_symlink("/dev/nonexistent-device", stale);
    SimProcess sim({"--link", stale.string()});
    const std::string device = sim.FirstLine();
    EXPECT_EQ(fs::read_symlink(stale).string(), device);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SimTool, BadArgumentsExitTwoWithOneLine) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--mode", "modem"}, std::vector<std::string>{"--noise", "2"},
          std::vector<std::string>{"--bogus"}}) {
        SimProcess sim(args);
        EXPECT_EQ(sim.Wait(), 2) << args[0];
        EXPECT_EQ(sim.ErrorLine().rfind("kt4470-sim: ", 0), 0u);
    }
    SimProcess help({"--help"});
    EXPECT_EQ(help.FirstLine().rfind("usage: kt4470-sim", 0), 0u);
    EXPECT_EQ(help.Wait(), 0);
}

}  // namespace
}  // namespace kt::sim
