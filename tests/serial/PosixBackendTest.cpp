// The termios mapping of the POSIX backend (a pty cannot show data bits and
// parity enable, so these are checked on the termios it builds), the OS
// identity, and the port names.
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "serial/PortNames.h"
#include "serial/PosixBackend.h"
#include "support/Pty.h"

using namespace kt::serial;

namespace {

termios Build(const LineSettings& s) {
    termios t{};
    t.c_iflag = ICRNL | IXANY | INPCK;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ISIG;
    t.c_cflag = CS7 | PARENB | CSTOPB | CRTSCTS;
    MakeRawTermios(t, s);
    return t;
}

}  // namespace

TEST(PosixTermios, DataBitsParityStopBitsAndFlow) {
    LineSettings s;
    const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    for (int bits = 5; bits <= 8; ++bits) {
        s.dataBits = bits;
        EXPECT_EQ(Build(s).c_cflag & CSIZE, sizes[bits - 5]) << bits;
    }
    s.dataBits = 8;

    const tcflag_t mask = PARENB | PARODD | CMSPAR;
    s.parity = ptNONE;
    EXPECT_EQ(Build(s).c_cflag & mask, 0u);
    s.parity = ptODD;
    EXPECT_EQ(Build(s).c_cflag & mask, PARENB | PARODD);
    s.parity = ptEVEN;
    EXPECT_EQ(Build(s).c_cflag & mask, PARENB);
    s.parity = ptMARK;
    EXPECT_EQ(Build(s).c_cflag & mask, PARENB | PARODD | CMSPAR);
    s.parity = ptSPACE;
    EXPECT_EQ(Build(s).c_cflag & mask, PARENB | CMSPAR);
    EXPECT_EQ(Build(s).c_iflag & INPCK, 0u);  // parity generated, not checked

    s.stopBits = sb1BITS;
    EXPECT_FALSE(Build(s).c_cflag & CSTOPB);
    s.stopBits = sb1HALFBITS;
    EXPECT_TRUE(Build(s).c_cflag & CSTOPB);
    s.stopBits = sb2BITS;
    EXPECT_TRUE(Build(s).c_cflag & CSTOPB);

    s.hwFlow = hfNONERTSON;
    EXPECT_FALSE(Build(s).c_cflag & CRTSCTS);
    s.hwFlow = hfRTSCTS;
    EXPECT_TRUE(Build(s).c_cflag & CRTSCTS);
    s.swFlow = sfXONXOFF;
    const termios x = Build(s);
    EXPECT_EQ(x.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    EXPECT_EQ(x.c_cc[VSTART], 17);
    EXPECT_EQ(x.c_cc[VSTOP], 19);
}

TEST(PosixTermios, RawLine) {
    const termios t = Build(LineSettings{});
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXANY | IXON | IXOFF), 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(PosixTermios, StandardSpeeds) {
    EXPECT_EQ(StandardSpeed(9600), speed_t(B9600));
    EXPECT_EQ(StandardSpeed(115200), speed_t(B115200));
    EXPECT_EQ(StandardSpeed(14400), speed_t(B0));
    EXPECT_EQ(StandardSpeed(256000), speed_t(B0));
}

TEST(PosixBackendIdentity, PlatformCodeEmptyVersionFromUname) {
    PosixBackend b;
    EXPECT_EQ(b.OsPlatformCode(), "");
    EXPECT_GT(b.OsVersion() >> 16, 0u);
    EXPECT_LE(b.TickMs(), b.TickMs());
}

TEST(PortNames, ComPortDeviceOnPosix) {
    const auto dir = std::filesystem::temp_directory_path() / ("kt-names-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    EXPECT_EQ(ComPortDevice(3, dir.string()), "/dev/ttyS2");
    EXPECT_EQ(ComPortDevice(1, dir.string()), "/dev/ttyS0");
    EXPECT_EQ(ComPortDevice(0, dir.string()), "");
    EXPECT_EQ(ComPortDevice(17, dir.string()), "");

    kt::test::Pty pty;
    ASSERT_TRUE(pty.Ok());
    std::filesystem::create_symlink(pty.SlavePath(), dir / "COM3");
    EXPECT_EQ(ComPortDevice(3, dir.string()), (dir / "COM3").string());
    EXPECT_EQ(ResolvedDevice(ComPortDevice(3, dir.string())), pty.SlavePath());

    // A dangling link still names the entry, and shows where it points.
    std::filesystem::create_symlink("/dev/kt-gone", dir / "COM4");
    EXPECT_EQ(ComPortDevice(4, dir.string()), (dir / "COM4").string());
    EXPECT_EQ(ResolvedDevice((dir / "COM4").string()), "/dev/kt-gone");

    // Links to links are followed to the end.
    std::filesystem::create_symlink("COM3", dir / "COM5");
    EXPECT_EQ(ResolvedDevice((dir / "COM5").string()), pty.SlavePath());
    EXPECT_EQ(ResolvedDevice("/dev/ttyS0"), "/dev/ttyS0");

    std::filesystem::remove_all(dir);
}
