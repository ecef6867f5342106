// Parts of the Win32 backend that need no serial line: the device control
// block, the widened tick, the hidden-window poll timer and the failure paths.
#include <gtest/gtest.h>

#include "serial/CommPortDriver.h"
#include "serial/Win32Backend.h"
#include "serial/Win32PollTimer.h"

namespace kt::serial {
namespace {

TEST(Win32Dcb, CarriesTheLineSettings) {
    LineSettings s;
    s.rate = 57600;
    s.dataBits = 7;
    s.parity = ptEVEN;
    s.stopBits = sb2BITS;
    s.hwFlow = hfNONE;
    s.swFlow = sfNONE;
    s.dtrOn = false;
    s.xonXoffLimit = 512;
    const DCB dcb = BuildDcb(s);
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_TRUE(dcb.fBinary);
    EXPECT_FALSE(dcb.fParity) << "parity is generated, never checked";
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
    EXPECT_FALSE(dcb.fOutxCtsFlow);
    EXPECT_FALSE(dcb.fOutxDsrFlow);
    EXPECT_FALSE(dcb.fOutX);
    EXPECT_FALSE(dcb.fInX);
    EXPECT_EQ(dcb.XonLim, 512);
    EXPECT_EQ(dcb.XoffLim, 512);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(dcb.XonChar, 17);
    EXPECT_EQ(dcb.XoffChar, 19);
}

TEST(Win32Dcb, FlowControlSelectsTheHandshakeLines) {
    LineSettings s;
    s.dtrOn = true;
    s.hwFlow = hfNONERTSON;
    DCB dcb = BuildDcb(s);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    EXPECT_FALSE(dcb.fOutxCtsFlow);

    s.hwFlow = hfRTSCTS;
    s.swFlow = sfXONXOFF;
    dcb = BuildDcb(s);
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
    EXPECT_TRUE(dcb.fOutxCtsFlow);
    EXPECT_TRUE(dcb.fOutX);
    EXPECT_TRUE(dcb.fInX);
}

TEST(Win32Dcb, EnumerationOrdinalsAreTheWin32Codes) {
    LineSettings s;
    const TParity parities[] = {ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE};
    const BYTE parityCodes[] = {NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY};
    for (int i = 0; i < 5; ++i) {
        s.parity = parities[i];
        EXPECT_EQ(BuildDcb(s).Parity, parityCodes[i]);
    }
    const TStopBits stops[] = {sb1BITS, sb1HALFBITS, sb2BITS};
    const BYTE stopCodes[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};
    for (int i = 0; i < 3; ++i) {
        s.stopBits = stops[i];
        EXPECT_EQ(BuildDcb(s).StopBits, stopCodes[i]);
    }
}

TEST(Win32Dcb, XonXoffLimitFitsItsField) {
    LineSettings s;
    s.xonXoffLimit = 70000;
    EXPECT_EQ(BuildDcb(s).XonLim, 0xFFFF);
    EXPECT_EQ(BuildDcb(s).XoffLim, 0xFFFF);
}

TEST(Win32Tick, StaysMonotonicAcrossTheWrapOfGetTickCount) {
    TickExtender t;
    const int64_t before = t.Extend(0xFFFFFF00u);
    const int64_t after = t.Extend(0x00000010u);
    EXPECT_EQ(after - before, 0x110);
    EXPECT_EQ(t.Extend(0x00000010u), after);
    const int64_t later = t.Extend(0x80000000u);
    EXPECT_GT(later, after);
    EXPECT_EQ(t.Extend(0x00000001u) - later, 0x80000001);  // second wrap
}

TEST(Win32Backend, OperationsOnAClosedPortFail) {
    Win32Backend b;
    EXPECT_FALSE(b.IsOpen());
    EXPECT_FALSE(b.Apply(LineSettings{}));
    EXPECT_FALSE(b.Purge(true, true));
    EXPECT_EQ(b.QueuedInput(), -1);
    EXPECT_EQ(b.QueuedOutput(), -1);
    char buffer[4];
    EXPECT_EQ(b.Read(buffer, sizeof buffer), -1);
    EXPECT_EQ(b.Write("x", 1), -1);
    EXPECT_EQ(b.ModemLines(), 0u);
    std::string reason;
    EXPECT_FALSE(b.Vanished(reason));
    b.Close();  // harmless
}

TEST(Win32Backend, ANonSerialDeviceIsNotConfigurable) {
    // NUL opens, but is no serial port: the comm time-outs cannot be set.
    Win32Backend b;
    OpenError error = OpenError::None;
    std::string reason;
    EXPECT_FALSE(b.Open("NUL", error, reason));
    EXPECT_FALSE(b.IsOpen());
    EXPECT_EQ(error, OpenError::NotConfigurable);
    EXPECT_FALSE(reason.empty());
}

TEST(Win32Backend, DriverOnAMissingPortStaysClosed) {
    TCommPortDriver d;
    d.SetPort(pnCOM16);
    EXPECT_EQ(d.PortName(), "\\\\.\\COM16");
    d.SetPortName("\\\\.\\KTNOSUCHPORT");
    EXPECT_FALSE(d.OpenPort());
    EXPECT_FALSE(d.IsOpen());
    EXPECT_EQ(d.LastOpenError(), OpenError::NoSuchDevice);
    EXPECT_EQ(d.FreeOutputSpace(), 0xFFFF);
    EXPECT_EQ(d.WriteBuffer("x", 1), 0u);
    EXPECT_EQ(d.ModemLineState(), 0u);
}

TEST(Win32PollTimer, TicksOnlyWhileStarted) {
    int ticks = 0;
    Win32PollTimer timer([&] { ++ticks; });
    ASSERT_TRUE(timer.Valid());
    EXPECT_FALSE(timer.Running());
    Win32PollTimer::PumpMessages(100);
    EXPECT_EQ(ticks, 0);

    timer.Start(10);
    EXPECT_TRUE(timer.Running());
    EXPECT_TRUE(Win32PollTimer::PumpMessages(5000, [&] { return ticks >= 3; }));

    timer.Stop();
    EXPECT_FALSE(timer.Running());
    const int stopped = ticks;
    Win32PollTimer::PumpMessages(100);
    EXPECT_EQ(ticks, stopped);

    timer.Start(10);  // restartable, as after a PollingDelay change
    EXPECT_TRUE(Win32PollTimer::PumpMessages(5000, [&] { return ticks > stopped; }));
}

TEST(Win32PollTimer, OtherMessagesGoToTheDefaultProcedure) {
    int ticks = 0;
    Win32PollTimer timer([&] { ++ticks; });
    ASSERT_TRUE(timer.Valid());
    // A timer message of another id is no poll tick.
    SendMessageA(timer.Window(), WM_TIMER, 2, 0);
    EXPECT_EQ(ticks, 0);
    timer.Start(1000);
    SendMessageA(timer.Window(), WM_TIMER, 1, 0);
    EXPECT_EQ(ticks, 1);
    char title[8] = "x";
    EXPECT_EQ(SendMessageA(timer.Window(), WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title)), 0);
    EXPECT_STREQ(title, "");
}

TEST(Win32PollTimer, SeveralTimersKeepTheirOwnTicks) {
    int a = 0, b = 0;
    Win32PollTimer ta([&] { ++a; });
    Win32PollTimer tb([&] { ++b; });
    ta.Start(10);
    EXPECT_TRUE(Win32PollTimer::PumpMessages(5000, [&] { return a >= 2; }));
    EXPECT_EQ(b, 0);
}

}  // namespace
}  // namespace kt::serial
