// TCommPortDriver with its POSIX backend on real pseudo-terminals: the driver
// opens the slave, the test sits on the master side.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "serial/CommPortDriver.h"
#include "serial/PosixBackend.h"
#include "support/Pty.h"

using namespace kt::serial;
using kt::test::ManualPollTimer;
using kt::test::Pty;

namespace {

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Polls until `done` holds or two seconds pass (the kernel moves bytes
// between the two sides asynchronously).
bool PollUntil(TCommPortDriver& d, const std::function<bool()>& done) {
    for (int i = 0; i < 400; ++i) {
        d.Poll();
        if (done()) return true;
        SleepMs(5);
    }
    return false;
}

// Records every receive event.
struct Received {
    std::vector<std::string> data;
    std::vector<std::string> packets;
    std::string AllData() const {
        std::string all;
        for (const auto& s : data)
            all += s;
        return all;
    }
    void Attach(TCommPortDriver& d) {
        d.OnReceiveData = [this, &d](TCommPortDriver* sender, const void* p, uint32_t n) {
            EXPECT_EQ(sender, &d);
            data.emplace_back(static_cast<const char*>(p), n);
        };
        d.OnReceivePacket = [this, &d](TCommPortDriver* sender, const void* p, uint32_t n) {
            EXPECT_EQ(sender, &d);
            packets.emplace_back(static_cast<const char*>(p), n);
        };
    }
};

class DriverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        driver.SetPortName(pty.SlavePath());
    }

    Pty pty;
    ManualPollTimer timer;
    TCommPortDriver driver{&timer};
};

}  // namespace

TEST_F(DriverPty, OpenCloseDrivesThePollTimer) {
    driver.SetPollingDelay(40);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    EXPECT_TRUE(driver.IsOpen());
    EXPECT_EQ(driver.LastOpenError(), OpenError::None);
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(timer.period, 40u);
    EXPECT_TRUE(driver.OpenPort());  // already open: no second start
    EXPECT_EQ(timer.starts, 1);

    driver.SetPollingDelay(60);  // restarts with the new period while open
    EXPECT_TRUE(timer.running);
    EXPECT_EQ(timer.period, 60u);
    EXPECT_EQ(timer.starts, 2);
    driver.SetPollingDelay(60);  // unchanged: nothing happens
    EXPECT_EQ(timer.starts, 2);

    driver.ClosePort();
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(timer.running);
    driver.SetPollingDelay(80);  // closed: stored only
    EXPECT_FALSE(timer.running);

    // The exclusive flag is cleared on close: the port opens again.
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    EXPECT_EQ(timer.period, 80u);
}

TEST(DriverOpenErrors, MissingDeviceNotATtyAndBusy) {
    TCommPortDriver d;
    d.SetPortName("/dev/kt4470-no-such-port");
    EXPECT_FALSE(d.OpenPort());
    EXPECT_FALSE(d.IsOpen());
    EXPECT_EQ(d.LastOpenError(), OpenError::NoSuchDevice);
    EXPECT_NE(d.LastErrorText().find("no such device"), std::string::npos);
    EXPECT_EQ(d.LastErrorText().find('\n'), std::string::npos);

    d.SetPortName("/dev/null");
    EXPECT_FALSE(d.OpenPort());
    EXPECT_EQ(d.LastOpenError(), OpenError::NotConfigurable);

    Pty pty;
    ASSERT_TRUE(pty.Ok());
    TCommPortDriver first, second;
    first.SetPortName(pty.SlavePath());
    second.SetPortName(pty.SlavePath());
    ASSERT_TRUE(first.OpenPort());
    EXPECT_FALSE(second.OpenPort());
    EXPECT_EQ(second.LastOpenError(), OpenError::Busy);
    EXPECT_NE(second.LastErrorText().find("in use by another program"), std::string::npos);
    first.ClosePort();
    EXPECT_TRUE(second.OpenPort());
    EXPECT_EQ(second.LastOpenError(), OpenError::None);
    EXPECT_TRUE(second.LastErrorText().empty());
}

TEST(DriverOpenErrors, PermissionDeniedNamesTheDialoutGroup) {
    // Root may open anything, so the check runs in a child without privileges.
    char path[] = "/tmp/kt-serial-denied-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    chmod(path, 0600);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        TCommPortDriver d;
        d.SetPortName(path);
        const bool ok = !d.OpenPort() && d.LastOpenError() == OpenError::PermissionDenied &&
                        d.LastErrorText().find("dialout") != std::string::npos;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    unlink(path);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(DriverPty, LineSettingsSeenFromTheOtherSide) {
    driver.SetBaudRate(br57600);
    driver.SetStopBits(sb2BITS);
    driver.SetHwFlow(hfRTSCTS);
    driver.SetSwFlow(sfXONXOFF);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    auto line = pty.Line();
    EXPECT_EQ(line.speed, 57600u);
    EXPECT_EQ(line.stopBits, 2);
    EXPECT_TRUE(line.rtsCts);
    EXPECT_TRUE(line.xonXoff);
    EXPECT_TRUE(line.raw);

    // Changes while open reconfigure the live port.
    driver.SetBaudRate(br9600);
    driver.SetStopBits(sb1HALFBITS);  // no 1.5 stop bits on POSIX: 2
    driver.SetHwFlow(hfNONE);
    driver.SetSwFlow(sfNONE);
    driver.SetParity(ptMARK);
    line = pty.Line();
    EXPECT_EQ(line.speed, 9600u);
    EXPECT_EQ(line.stopBits, 2);
    EXPECT_FALSE(line.rtsCts);
    EXPECT_FALSE(line.xonXoff);
    // A pty forces CS8 and clears PARENB, but the parity kind survives.
    EXPECT_TRUE(line.cflag & CMSPAR);
    EXPECT_TRUE(line.cflag & PARODD);
    driver.SetParity(ptEVEN);
    driver.SetStopBits(sb1BITS);
    line = pty.Line();
    EXPECT_FALSE(line.cflag & (CMSPAR | PARODD));
    EXPECT_EQ(line.stopBits, 1);
}

TEST_F(DriverPty, CustomRatesOnTheLivePort) {
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    driver.SetBaudRateValue(250000);
    EXPECT_EQ(driver.BaudRate(), brCustom);
    EXPECT_EQ(pty.Line().speed, 250000u);
    EXPECT_EQ(pty.Line().inSpeed, 250000u);
    driver.SetBaudRate(br14400);  // in the table, but no termios constant
    EXPECT_EQ(pty.Line().speed, 14400u);
    driver.SetBaudRate(br115200);  // and back to a standard one
    EXPECT_EQ(pty.Line().speed, 115200u);
    // The custom input rate does not linger: the line reads at 115200 too.
    EXPECT_EQ(pty.Line().inSpeed, 115200u);
    driver.SetBaudRateValue(14400);
    driver.SetBaudRate(br9600);
    EXPECT_EQ(pty.Line().inSpeed, 9600u);
    EXPECT_TRUE(driver.ApplyLineSettings());
}

TEST_F(DriverPty, SettersIgnoredWhileOpen) {
    driver.SetInBufSize(512);
    driver.SetOutBufSize(256);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    const std::string name = driver.PortName();
    driver.SetPort(pnCOM3);
    driver.SetPortName("/dev/ttyS9");
    driver.SetInBufSize(4096);
    driver.SetOutBufSize(4096);
    EXPECT_EQ(driver.Port(), pnCustom);
    EXPECT_EQ(driver.PortName(), name);
    EXPECT_EQ(driver.InBufSize(), 512u);
    EXPECT_EQ(driver.OutBufSize(), 256u);
    // The input buffer cannot grow while open, so a packet is limited to it.
    driver.SetPacketSize(1000);
    EXPECT_EQ(driver.PacketSize(), 512);
    driver.ClosePort();
    driver.SetPortName("/dev/ttyS9");
    EXPECT_EQ(driver.PortName(), "/dev/ttyS9");
}

TEST_F(DriverPty, WritesReachTheOtherSide) {
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    const std::string cmd("              SETUP:GETST\r\0", 27);
    EXPECT_EQ(driver.WriteBuffer(cmd.data(), static_cast<uint32_t>(cmd.size())), cmd.size());
    EXPECT_TRUE(driver.WriteByte(0x1A));
    EXPECT_EQ(pty.Read(cmd.size() + 1, 2000), cmd + "\x1A");
    EXPECT_EQ(driver.FreeOutputSpace(), driver.OutBufSize());  // a pty queues nothing on our side
    EXPECT_EQ(driver.ModemLineState(), 0u);                    // and has no modem lines
}

TEST_F(DriverPty, WriteToASideThatNeverDrainsReturnsShort) {
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    const std::string big(1 << 20, 'x');
    const uint32_t written = driver.WriteBufferTimed(big.data(), static_cast<uint32_t>(big.size()), 50);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, big.size());
    // What was counted is what the other side gets.
    EXPECT_EQ(pty.Read(written, 5000), big.substr(0, written));
    EXPECT_EQ(pty.ReadAll(50), "");
}

TEST_F(DriverPty, WriteToAVanishedLineCountsNothing) {
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    pty.CloseMaster();
    driver.SetOutputTimeout(60000);  // a gone line is not waited for
    EXPECT_EQ(driver.WriteBuffer("AT+CGMI\r", 8), 0u);
    EXPECT_FALSE(driver.WriteByte('A'));
}

namespace {

// The POSIX backend reporting more queued output than OutBufSize, as a
// real UART's kernel queue can.
class DeepQueueBackend : public PosixBackend {
  public:
    int32_t QueuedOutput() override { return PosixBackend::QueuedOutput() < 0 ? -1 : 10000; }
};

}  // namespace

TEST(DriverOutputSpace, AQueueDeeperThanOutBufSizeLeavesNoSpace) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    TCommPortDriver driver(nullptr, std::make_unique<DeepQueueBackend>());
    driver.SetPortName(pty.SlavePath());
    driver.SetOutBufSize(128);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    EXPECT_EQ(driver.FreeOutputSpace(), 0);  // not 128 - 10000 in 16 bits
    EXPECT_EQ(driver.WriteBufferTimed("x", 1, 20), 0u);
    EXPECT_EQ(pty.ReadAll(50), "");
}

TEST_F(DriverPty, CheckLineStatusWithoutModemLinesWritesNothing) {
    driver.SetCheckLineStatus(true);
    driver.SetOutputTimeout(60000);  // must not be waited for
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    EXPECT_EQ(driver.WriteBuffer("AT\r", 3), 0u);
    EXPECT_FALSE(driver.WriteByte('A'));
    EXPECT_EQ(pty.ReadAll(100), "");
}

TEST_F(DriverPty, PollDeliversWhatTheOtherSideWrote) {
    Received rx;
    rx.Attach(driver);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    driver.Poll();  // nothing waiting: no event
    EXPECT_TRUE(rx.data.empty());

    const std::string reply("\r\nOK\r\n\0+CMGS: 12\r\n", 19);
    ASSERT_TRUE(pty.Write(reply));
    ASSERT_TRUE(PollUntil(driver, [&] { return rx.AllData().size() >= reply.size(); }));
    EXPECT_EQ(rx.AllData(), reply);
    EXPECT_TRUE(rx.packets.empty());
}

TEST_F(DriverPty, PollReadsAtMostTheInputBuffer) {
    driver.SetInBufSize(128);
    Received rx;
    rx.Attach(driver);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    std::string reply;
    for (int i = 0; i < 300; ++i)
        reply += static_cast<char>('A' + i % 26);
    ASSERT_TRUE(pty.Write(reply));
    ASSERT_TRUE(PollUntil(driver, [&] { return rx.AllData().size() >= reply.size(); }));
    EXPECT_EQ(rx.AllData(), reply);
    for (const auto& chunk : rx.data)
        EXPECT_LE(chunk.size(), 128u);
}

TEST_F(DriverPty, PurgeDiscardsPendingInput) {
    Received rx;
    rx.Attach(driver);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    ASSERT_TRUE(pty.Write("stale"));
    SleepMs(50);
    EXPECT_TRUE(driver.PurgeBuffers(true, false));
    ASSERT_TRUE(pty.Write("fresh"));
    ASSERT_TRUE(PollUntil(driver, [&] { return rx.AllData().size() >= 5; }));
    EXPECT_EQ(rx.AllData(), "fresh");
}

namespace {

// The POSIX backend with a clock the test moves, for packet time-outs
// without sleeping. Nothing here writes, so a still clock is safe.
class SteppedClockBackend : public PosixBackend {
  public:
    explicit SteppedClockBackend(int64_t* now) : now_(now) {}
    int64_t TickMs() const override { return *now_; }

  private:
    int64_t* now_;
};

class DriverPackets : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        driver.SetPortName(pty.SlavePath());
        driver.SetPollingDelay(5);
        driver.SetPacketSize(4);
        driver.SetPacketTimeout(100);
        rx.Attach(driver);
        ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    }

    // Waits until the driver's side has `n` bytes queued, without reading.
    void WaitQueued(int n) {
        for (int i = 0; i < 400 && driver.Backend().QueuedInput() < n; ++i)
            SleepMs(5);
        ASSERT_EQ(driver.Backend().QueuedInput(), n);
    }

    int64_t now = 1000;
    Pty pty;
    TCommPortDriver driver{nullptr, std::make_unique<SteppedClockBackend>(&now)};
    Received rx;
};

}  // namespace

TEST_F(DriverPackets, FullPacketsThenShortPacketPassedAfterTimeout) {
    driver.SetPacketMode(pmPass);
    ASSERT_TRUE(pty.Write("ABCDEFGHxy"));
    WaitQueued(10);
    driver.Poll();
    EXPECT_EQ(rx.packets, (std::vector<std::string>{"ABCD", "EFGH"}));
    EXPECT_TRUE(rx.data.empty());

    // The two left over wait for the time-out, counted from this poll.
    now += 100;
    driver.Poll();
    EXPECT_EQ(rx.packets.size(), 2u);
    now += 1;
    driver.Poll();
    EXPECT_EQ(rx.packets, (std::vector<std::string>{"ABCD", "EFGH", "xy"}));
}

TEST_F(DriverPackets, ShortPacketDiscardedAfterTimeout) {
    driver.SetPacketMode(pmDiscard);
    ASSERT_TRUE(pty.Write("xy"));
    WaitQueued(2);
    driver.Poll();  // first sight of the incomplete packet
    now += 50;
    driver.Poll();
    EXPECT_EQ(driver.Backend().QueuedInput(), 2);
    now += 51;
    driver.Poll();  // timed out: dropped
    EXPECT_EQ(driver.Backend().QueuedInput(), 0);
    EXPECT_TRUE(rx.packets.empty());

    // The dropped bytes do not leak into the next packet.
    ASSERT_TRUE(pty.Write("1234"));
    WaitQueued(4);
    driver.Poll();
    EXPECT_EQ(rx.packets, (std::vector<std::string>{"1234"}));
}

TEST_F(DriverPackets, NoTimeoutMeansWaitForTheWholePacket) {
    driver.SetPacketTimeout(-1);
    driver.SetPacketMode(pmPass);
    ASSERT_TRUE(pty.Write("abc"));
    WaitQueued(3);
    driver.Poll();
    now += 1000000;
    driver.Poll();
    EXPECT_TRUE(rx.packets.empty());
    ASSERT_TRUE(pty.Write("d"));
    WaitQueued(4);
    driver.Poll();
    EXPECT_EQ(rx.packets, (std::vector<std::string>{"abcd"}));
}

TEST_F(DriverPty, VanishedLineIsReportedOnceAndClosesThePort) {
    int lost = 0;
    std::string reason;
    driver.OnLineLost = [&](TCommPortDriver* sender, const std::string& why) {
        EXPECT_EQ(sender, &driver);
        EXPECT_FALSE(driver.IsOpen());
        ++lost;
        reason = why;
    };
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    driver.Poll();
    EXPECT_EQ(lost, 0);

    pty.CloseMaster();
    ASSERT_TRUE(PollUntil(driver, [&] { return lost > 0; }));
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(driver.IsOpen());
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(reason.find('\n'), std::string::npos);
    driver.Poll();
    driver.Poll();
    EXPECT_EQ(lost, 1);
}

TEST(DriverReopen, ReopenThroughALinkToANewPseudoTerminal) {
    const auto dir = std::filesystem::temp_directory_path() / ("kt-serial-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto link = dir / "COM1";
    std::filesystem::remove(link);

    auto first = std::make_unique<Pty>();
    ASSERT_TRUE(first->Ok());
    std::filesystem::create_symlink(first->SlavePath(), link);

    ManualPollTimer timer;
    TCommPortDriver driver(&timer);
    Received rx;
    rx.Attach(driver);
    int lost = 0;
    driver.OnLineLost = [&](TCommPortDriver*, const std::string&) { ++lost; };
    driver.SetPortName(link.string());
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();

    first->CloseMaster();
    ASSERT_TRUE(PollUntil(driver, [&] { return lost > 0; }));
    EXPECT_FALSE(driver.IsOpen());

    Pty second;
    ASSERT_TRUE(second.Ok());
    std::filesystem::remove(link);
    std::filesystem::create_symlink(second.SlavePath(), link);
    ASSERT_TRUE(driver.OpenPort()) << driver.LastErrorText();
    EXPECT_TRUE(timer.running);
    ASSERT_TRUE(second.Write("OK\r\n"));
    ASSERT_TRUE(PollUntil(driver, [&] { return rx.AllData().size() >= 4; }));
    EXPECT_EQ(rx.AllData(), "OK\r\n");
    EXPECT_EQ(lost, 1);

    driver.ClosePort();
    std::filesystem::remove_all(dir);
}
