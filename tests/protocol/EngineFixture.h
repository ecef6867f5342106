// An engine on the real driver, whose port is the slave of a pseudo-terminal;
// the test plays the module or the modem on the master side.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "protocol/Engine.h"
#include "serial/CommPortDriver.h"
#include "support/FakeWindow.h"
#include "support/Pty.h"

namespace kt::test {

class EngineOnPty : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        port.SetPortName(pty.SlavePath());
        ASSERT_TRUE(port.OpenPort()) << port.LastErrorText();
        port.OnReceiveData = [this](serial::TCommPortDriver* sender, const void* data, uint32_t size) {
            ++receptions;
            eng.CommPortDriver1ReceiveData(sender, data, size);
        };
    }

    // The modem or module answers: the bytes reach the engine through the
    // driver's poll, in one reception.
    void Reply(const std::string& bytes) {
        ASSERT_TRUE(pty.Write(bytes));
        const int before = receptions;
        for (int i = 0; i < 2000 && receptions == before; ++i) {
            port.Poll();
            if (receptions == before) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(receptions, before + 1) << "the driver did not deliver the reply";
    }

    // Exactly what went out on the wire: `expected` and nothing more.
    void ExpectWire(const std::string& expected) {
        const std::string got = pty.Read(expected.size(), 2000);
        EXPECT_EQ(got, expected);
        EXPECT_EQ(pty.ReadAll(20), "") << "more bytes than expected";
    }
    void ExpectNothingSent() { EXPECT_EQ(pty.ReadAll(50), ""); }

    void TickN(int n) {
        for (int i = 0; i < n; ++i)
            eng.Timer1Timer();
    }

    Pty pty;
    ManualPollTimer timer;
    serial::TCommPortDriver port{&timer};
    FakeWindow win;
    FakeClock clock;
    protocol::ProtocolEngine eng{port, win, clock};
    int receptions = 0;
};

// The module command framing of direct mode.
inline std::string Framed(const std::string& command) {
    return std::string(14, ' ') + "SETUP:" + command + '\r' + std::string(1, '\0');
}

}  // namespace kt::test
