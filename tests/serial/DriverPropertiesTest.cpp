// Property rules of TCommPortDriver that hold without an open port.
#include <gtest/gtest.h>

#include "serial/CommPortDriver.h"
#include "serial/PortNames.h"

using namespace kt::serial;

TEST(DriverProperties, ConstructorDefaults) {
    TCommPortDriver d;
    EXPECT_EQ(d.Port(), pnCOM2);
    EXPECT_EQ(d.PortName(), ComPortDevice(2, "."));
    EXPECT_EQ(d.BaudRate(), br9600);
    EXPECT_EQ(d.BaudRateValue(), 9600u);
    EXPECT_EQ(d.HwFlow(), hfNONERTSON);
    EXPECT_EQ(d.InBufSize(), 2048u);
    EXPECT_EQ(d.OutBufSize(), 2048u);
    EXPECT_EQ(d.PacketSize(), -1);
    EXPECT_EQ(d.PacketTimeout(), -1);
    EXPECT_EQ(d.PollingDelay(), 50);
    EXPECT_TRUE(d.EnableDTROnOpen());
    EXPECT_EQ(d.OutputTimeout(), 500);
    EXPECT_EQ(d.InputTimeout(), 200u);
    EXPECT_FALSE(d.IsOpen());
}

TEST(DriverProperties, BufferSizesAreClamped) {
    TCommPortDriver d;
    d.SetInBufSize(100);
    EXPECT_EQ(d.InBufSize(), 128u);
    d.SetInBufSize(9000);
    EXPECT_EQ(d.InBufSize(), 8192u);
    d.SetOutBufSize(0);
    EXPECT_EQ(d.OutBufSize(), 128u);
    d.SetOutBufSize(100000);
    EXPECT_EQ(d.OutBufSize(), 8192u);
}

TEST(DriverProperties, PollingDelayAndPacketTimeout) {
    TCommPortDriver d;
    d.SetPollingDelay(2);
    EXPECT_EQ(d.PollingDelay(), 5);
    d.SetPollingDelay(70000);  // the property is 16 bits wide: no wrap-around
    EXPECT_EQ(d.PollingDelay(), 0xFFFF);

    d.SetPollingDelay(5000);
    d.SetPacketTimeout(300);
    EXPECT_EQ(d.PacketTimeout(), 7000);
    d.SetPacketTimeout(6000);
    EXPECT_EQ(d.PacketTimeout(), 6000);
    d.SetPacketTimeout(0);
    EXPECT_EQ(d.PacketTimeout(), -1);

    // A longer polling delay re-validates the stored time-out.
    d.SetPacketTimeout(6000);
    d.SetPollingDelay(10000);
    EXPECT_EQ(d.PacketTimeout(), 14000);
}

TEST(DriverProperties, PacketSizeKeepsFittingTheInputBuffer) {
    TCommPortDriver d;
    d.SetPacketSize(0);
    EXPECT_EQ(d.PacketSize(), -1);
    d.SetPacketSize(-7);
    EXPECT_EQ(d.PacketSize(), -1);

    d.SetPacketSize(4000);  // above InBufSize 2048: the buffer grows
    EXPECT_EQ(d.PacketSize(), 4000);
    EXPECT_EQ(d.InBufSize(), 4000u);

    d.SetInBufSize(1000);  // shrinking below the packet is undone
    EXPECT_EQ(d.InBufSize(), 4000u);

    d.SetPacketSize(20000);  // cannot be honoured: limited to the largest buffer
    EXPECT_EQ(d.PacketSize(), 8192);
    EXPECT_EQ(d.InBufSize(), 8192u);
    d.SetPacketSize(40000);  // beyond 16 bits: no wrap-around either
    EXPECT_EQ(d.PacketSize(), 8192);
}

TEST(DriverProperties, BaudRateAndValue) {
    TCommPortDriver d;
    d.SetBaudRateValue(12345);
    EXPECT_EQ(d.BaudRate(), brCustom);
    EXPECT_EQ(d.BaudRateValue(), 12345u);
    d.SetBaudRate(br57600);
    EXPECT_EQ(d.BaudRate(), br57600);
    EXPECT_EQ(d.BaudRateValue(), 57600u);
    d.SetBaudRate(brCustom);  // keeps the value
    EXPECT_EQ(d.BaudRateValue(), 57600u);
    d.SetBaudRate(static_cast<TBaudRate>(99));  // not a member: ignored
    EXPECT_EQ(d.BaudRate(), brCustom);
    EXPECT_EQ(d.BaudRateValue(), 57600u);

    EXPECT_EQ(BaudRateOf(brCustom), 0u);
    EXPECT_EQ(BaudRateOf(br110), 110u);
    EXPECT_EQ(BaudRateOf(br14400), 14400u);
    EXPECT_EQ(BaudRateOf(br128000), 128000u);
    EXPECT_EQ(BaudRateOf(br256000), 256000u);
    EXPECT_EQ(BaudRateOf(static_cast<TBaudRate>(16)), 0u);
}

TEST(DriverProperties, BytesToMilliseconds) {
    EXPECT_EQ(TCommPortDriver::BytesToMilliseconds(br9600, 96), 100u);
    EXPECT_EQ(TCommPortDriver::BytesToMilliseconds(br110, 1), 91u);  // 90.9 rounds up
    EXPECT_EQ(TCommPortDriver::BytesToMilliseconds(br115200, 8192), 711u);
    EXPECT_EQ(TCommPortDriver::BytesToMilliseconds(brCustom, 100), 0u);  // no table rate
}

TEST(DriverProperties, PortAndPortName) {
    TCommPortDriver d;
    d.SetPort(pnCOM12);
    EXPECT_EQ(d.Port(), pnCOM12);
    EXPECT_EQ(d.PortName(), ComPortDevice(12, "."));
    d.SetPortName("/dev/ttyUSB3");
    EXPECT_EQ(d.Port(), pnCustom);
    EXPECT_EQ(d.PortName(), "/dev/ttyUSB3");
    d.SetPort(pnCustom);  // keeps the name
    EXPECT_EQ(d.PortName(), "/dev/ttyUSB3");
}

TEST(DriverProperties, OperationsOnAClosedPort) {
    TCommPortDriver d;
    const char data[] = "AT\r";
    EXPECT_EQ(d.WriteBuffer(data, 3), 0u);
    EXPECT_FALSE(d.WriteByte('A'));
    EXPECT_EQ(d.FreeOutputSpace(), 0xFFFF);
    EXPECT_EQ(d.ModemLineState(), 0u);
    EXPECT_FALSE(d.PurgeBuffers(true, true));
    EXPECT_FALSE(d.ApplyLineSettings());
    d.ClosePort();  // harmless
    d.Poll();
    EXPECT_FALSE(d.IsOpen());
}
