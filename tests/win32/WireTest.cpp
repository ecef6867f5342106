// TCommPortDriver with the Win32 backend on a real line: a Wine COM port
// mapped to a pseudo-terminal whose far end kt_pty_peer holds. Every test
// gets a fresh pseudo-terminal.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PeerClient.h"
#include "serial/CommPortDriver.h"
#include "serial/Win32Backend.h"
#include "serial/Win32PollTimer.h"

namespace kt::serial {
namespace {

using test::PeerClient;

// Long enough for anything the line does; only failures ever wait it out.
constexpr unsigned kPatienceMs = 5000;

// A driver polled by the hidden-window timer, as a program without Qt runs it.
struct Line {
    Line() : timer([this] { driver.Poll(); }), driver(&timer) {}

    std::string received;
    std::vector<std::string> packets;
    std::string lostReason;
    int lost = 0;

    void Record() {
        driver.OnReceiveData = [this](TCommPortDriver*, const void* data, uint32_t size) {
            received.append(static_cast<const char*>(data), size);
        };
        driver.OnReceivePacket = [this](TCommPortDriver*, const void* data, uint32_t size) {
            packets.emplace_back(static_cast<const char*>(data), size);
        };
        driver.OnLineLost = [this](TCommPortDriver*, const std::string& reason) {
            ++lost;
            lostReason = reason;
        };
    }

    Win32PollTimer timer;
    TCommPortDriver driver;
};

class WineComPort : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        peer_ = new PeerClient;
        if (!peer_->Connect(peerError_)) {
            delete peer_;
            peer_ = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete peer_;
        peer_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(peer_, nullptr) << peerError_;
        ASSERT_TRUE(peer_->Renew());
        line_ = std::make_unique<Line>();
        line_->Record();
        ASSERT_TRUE(line_->timer.Valid());
    }

    static TPortNumber PortNumber() {
        return static_cast<TPortNumber>(std::stoi(PeerClient::ComName().substr(3)));
    }

    // Opens the peer's port the way the serial port page does: by number.
    bool Open(TCommPortDriver& d) {
        d.SetPort(PortNumber());
        return d.OpenPort();
    }

    // Pumps messages until `size` bytes have arrived through OnReceiveData.
    bool AwaitReceived(size_t size) {
        return Win32PollTimer::PumpMessages(kPatienceMs, [&] { return line_->received.size() >= size; });
    }

    static PeerClient* peer_;
    static std::string peerError_;
    std::unique_ptr<Line> line_;
};

PeerClient* WineComPort::peer_ = nullptr;
std::string WineComPort::peerError_;

TEST_F(WineComPort, OpensTheComPortByNumberAndClosesIt) {
    TCommPortDriver& d = line_->driver;
    d.SetPort(PortNumber());
    EXPECT_EQ(d.PortName(), "\\\\.\\" + PeerClient::ComName());
    ASSERT_TRUE(d.OpenPort()) << d.LastErrorText();
    EXPECT_TRUE(d.IsOpen());
    EXPECT_EQ(d.LastOpenError(), OpenError::None);
    EXPECT_TRUE(line_->timer.Running());
    EXPECT_TRUE(d.OpenPort()) << "opening an open port is no failure";

    d.ClosePort();
    EXPECT_FALSE(d.IsOpen());
    EXPECT_FALSE(line_->timer.Running());
    EXPECT_TRUE(d.OpenPort()) << "the port can be opened again after closing";
}

// Not checked: a second open of a port that is already open. Windows refuses
// it; Wine opens a device file twice without complaint.
TEST_F(WineComPort, OpenFailsForAMissingPort) {
    TCommPortDriver& d = line_->driver;
    d.SetPortName("\\\\.\\KTNOSUCHPORT");
    EXPECT_FALSE(d.OpenPort());
    EXPECT_FALSE(d.IsOpen());
    EXPECT_EQ(d.LastOpenError(), OpenError::NoSuchDevice);
    EXPECT_FALSE(d.LastErrorText().empty());
    EXPECT_FALSE(line_->timer.Running());
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
}

struct SettingsCase {
    TBaudRate rate;
    TDataBits bits;
    TParity parity;
    TStopBits stop;
    THwFlowControl hw;
    TSwFlowControl sw;
    const char* seen;  // as the pseudo-terminal reports them
};

// A pseudo-terminal has no data bits or parity (Linux forces 8 bits without
// parity on it); BackendTest checks those in the device control block. Here
// every parity and size must at least open.

class WineComPortSettings : public WineComPort, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(WineComPortSettings, ReachTheLine) {
    const SettingsCase& c = GetParam();
    TCommPortDriver& d = line_->driver;
    d.SetBaudRate(c.rate);
    d.SetDataBits(c.bits);
    d.SetParity(c.parity);
    d.SetStopBits(c.stop);
    d.SetHwFlow(c.hw);
    d.SetSwFlow(c.sw);
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    EXPECT_EQ(peer_->Settings(), c.seen);
}

INSTANTIATE_TEST_SUITE_P(Lines, WineComPortSettings,
                         ::testing::Values(SettingsCase{br9600, db8BITS, ptNONE, sb1BITS, hfNONE, sfNONE,
                                                        "speed=9600 cstopb=0 crtscts=0 ixon=0 ixoff=0"},
                                           SettingsCase{br115200, db7BITS, ptEVEN, sb2BITS, hfRTSCTS, sfNONE,
                                                        "speed=115200 cstopb=1 crtscts=1 ixon=0 ixoff=0"},
                                           SettingsCase{br19200, db8BITS, ptODD, sb1BITS, hfNONERTSON,
                                                        sfXONXOFF,
                                                        "speed=19200 cstopb=0 crtscts=0 ixon=1 ixoff=1"},
                                           SettingsCase{br1200, db5BITS, ptMARK, sb1HALFBITS, hfNONE, sfNONE,
                                                        "speed=1200 cstopb=1 crtscts=0 ixon=0 ixoff=0"},
                                           SettingsCase{br38400, db6BITS, ptSPACE, sb2BITS, hfNONE, sfXONXOFF,
                                                        "speed=38400 cstopb=1 crtscts=0 ixon=1 ixoff=1"}));

TEST_F(WineComPort, SettingsChangedWhileOpenReachTheLineAtOnce) {
    TCommPortDriver& d = line_->driver;
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    EXPECT_EQ(peer_->Settings(), "speed=9600 cstopb=0 crtscts=0 ixon=0 ixoff=0");
    d.SetBaudRate(br57600);
    d.SetStopBits(sb2BITS);
    d.SetSwFlow(sfXONXOFF);
    EXPECT_EQ(peer_->Settings(), "speed=57600 cstopb=1 crtscts=0 ixon=1 ixoff=1");
    d.SetBaudRateValue(4800);
    d.SetHwFlow(hfRTSCTS);
    d.SetSwFlow(sfNONE);
    EXPECT_EQ(peer_->Settings(), "speed=4800 cstopb=1 crtscts=1 ixon=0 ixoff=0");
    d.SetStopBits(sb1BITS);
    d.SetHwFlow(hfNONE);
    EXPECT_EQ(peer_->Settings(), "speed=4800 cstopb=0 crtscts=0 ixon=0 ixoff=0");
    EXPECT_TRUE(d.ApplyLineSettings());
}

TEST_F(WineComPort, WritesReachTheFarEndByteForByte) {
    TCommPortDriver& d = line_->driver;
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    // Every byte value, NUL and the flow-control characters included: the
    // port is in binary mode and XON/XOFF is off.
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(d.WriteBuffer(all.data(), static_cast<uint32_t>(all.size())), all.size());
    const std::string framed = std::string(14, ' ') + "SETUP:GETST\r" + std::string(1, '\0');
    EXPECT_EQ(d.WriteBuffer(framed.data(), static_cast<uint32_t>(framed.size())), framed.size());
    EXPECT_TRUE(d.WriteByte(0x1A));
    const std::string expected = all + framed + "\x1a";
    EXPECT_EQ(peer_->Receive(expected.size(), kPatienceMs), expected);
}

TEST_F(WineComPort, ALargeWriteArrivesWhole) {
    TCommPortDriver& d = line_->driver;
    d.SetOutBufSize(8192);
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    std::string data;
    for (int i = 0; i < 20000; ++i)
        data += "line " + std::to_string(i) + "\r\n";
    // Far more than the line buffers: the far end drains while the driver
    // writes in OutBufSize chunks.
    ASSERT_TRUE(peer_->Drain());
    EXPECT_EQ(d.WriteBuffer(data.data(), static_cast<uint32_t>(data.size())), data.size());
    const std::string got = peer_->Receive(data.size(), kPatienceMs);
    ASSERT_EQ(got.size(), data.size());
    EXPECT_TRUE(got == data) << "the bytes differ";
}

TEST_F(WineComPort, AWriteThatNeverDrainsStopsAtTheTimeoutWithoutLosingBytes) {
    TCommPortDriver& d = line_->driver;
    d.SetOutputTimeout(200);
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    // Far more than a pseudo-terminal buffers while nobody reads.
    std::string data(4 * 1024 * 1024, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>('a' + i % 26);
    const uint32_t written = d.WriteBuffer(data.data(), static_cast<uint32_t>(data.size()));
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, data.size());
    // What the driver counted as written is exactly what the line carries.
    const std::string got = peer_->Receive(data.size(), 1000);
    ASSERT_EQ(got.size(), written);
    EXPECT_TRUE(got == data.substr(0, got.size())) << "the bytes differ";
}

TEST_F(WineComPort, ThePollTimerDeliversReceivedBytes) {
    TCommPortDriver& d = line_->driver;
    d.SetPollingDelay(20);
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    const std::string reply = std::string("STATUS OK\r\n") + '\0' + "\x11\x13\xff end";
    ASSERT_TRUE(peer_->Send(reply));
    ASSERT_TRUE(AwaitReceived(reply.size()));
    EXPECT_EQ(line_->received, reply);

    // Closing stops the polls; bytes sent meanwhile wait for the next open.
    d.ClosePort();
    line_->received.clear();
    ASSERT_TRUE(peer_->Send("later"));
    Win32PollTimer::PumpMessages(200);
    EXPECT_EQ(line_->received, "");
}

TEST_F(WineComPort, ReadsAreLimitedToTheInputBuffer) {
    TCommPortDriver& d = line_->driver;
    d.SetInBufSize(128);
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    std::string burst;
    for (int i = 0; i < 1000; ++i)
        burst += static_cast<char>('0' + i % 10);
    ASSERT_TRUE(peer_->Send(burst));
    // Poll by hand: each poll reads at most InBufSize bytes.
    std::vector<size_t> sizes;
    d.OnReceiveData = [&](TCommPortDriver*, const void* data, uint32_t size) {
        sizes.push_back(size);
        line_->received.append(static_cast<const char*>(data), size);
    };
    Win32PollTimer::PumpMessages(kPatienceMs, [&] {
        d.Poll();
        return line_->received.size() >= burst.size();
    });
    EXPECT_TRUE(line_->received == burst) << line_->received.size() << " bytes";
    for (size_t s : sizes)
        EXPECT_LE(s, 128u);
}

TEST_F(WineComPort, PacketModeCutsTheInputIntoPackets) {
    TCommPortDriver& d = line_->driver;
    d.SetPollingDelay(20);
    d.SetPacketSize(4);
    d.SetPacketTimeout(100);
    d.SetPacketMode(pmPass);
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    ASSERT_TRUE(peer_->Send("abcdefghij"));
    // Two whole packets, then the rest as a short packet once the packet
    // time-out has passed.
    ASSERT_TRUE(Win32PollTimer::PumpMessages(kPatienceMs, [&] { return line_->packets.size() >= 3; }));
    EXPECT_EQ(line_->packets, (std::vector<std::string>{"abcd", "efgh", "ij"}));
    EXPECT_EQ(line_->received, "");
}

TEST_F(WineComPort, PurgeDiscardsPendingInput) {
    TCommPortDriver& d = line_->driver;
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    ASSERT_TRUE(peer_->Send("stale bytes"));
    // Wait until the bytes are queued at the port, without reading them.
    ASSERT_TRUE(Win32PollTimer::PumpMessages(kPatienceMs, [&] { return d.Backend().QueuedInput() >= 11; }));
    EXPECT_TRUE(d.PurgeBuffers(true, false));
    EXPECT_EQ(d.Backend().QueuedInput(), 0);
    ASSERT_TRUE(peer_->Send("fresh"));
    ASSERT_TRUE(Win32PollTimer::PumpMessages(kPatienceMs, [&] {
        d.Poll();
        return line_->received.size() >= 5;
    }));
    EXPECT_EQ(line_->received, "fresh");
}

TEST_F(WineComPort, APseudoTerminalHasNoModemLines) {
    TCommPortDriver& d = line_->driver;
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    EXPECT_EQ(d.ModemLineState(), 0u);
    // With the line check on, no modem line means no device: nothing is
    // written.
    d.SetCheckLineStatus(true);
    EXPECT_EQ(d.WriteBuffer("GETST", 5), 0u);
    EXPECT_FALSE(d.WriteByte('x'));
    d.SetCheckLineStatus(false);
    EXPECT_TRUE(d.WriteByte('y'));
    EXPECT_EQ(peer_->Receive(10, 500), "y");
}

TEST_F(WineComPort, AVanishedLineIsReportedOnceAndClosesThePort) {
    TCommPortDriver& d = line_->driver;
    d.SetPollingDelay(20);
    ASSERT_TRUE(Open(d)) << d.LastErrorText();
    ASSERT_TRUE(peer_->Send("last words"));
    ASSERT_TRUE(AwaitReceived(10));
    ASSERT_TRUE(peer_->HangUp());
    ASSERT_TRUE(Win32PollTimer::PumpMessages(kPatienceMs, [&] { return line_->lost > 0; }));
    EXPECT_FALSE(d.IsOpen());
    EXPECT_FALSE(line_->timer.Running());
    EXPECT_FALSE(line_->lostReason.empty());
    Win32PollTimer::PumpMessages(200);
    EXPECT_EQ(line_->lost, 1);
    EXPECT_EQ(line_->received, "last words");
    EXPECT_EQ(d.WriteBuffer("x", 1), 0u);
}

TEST_F(WineComPort, ThePlatformIsWindowsNt) {
    // Wine reports an NT version of at least 4.0, so the XON/XOFF limit cap applies.
    TCommPortDriver& d = line_->driver;
    EXPECT_EQ(d.OsPlatformCode(), "WNT");
    EXPECT_GE(d.OsVersion(), 4u << 16);
}

}  // namespace
}  // namespace kt::serial
