// The Win32 backend of TCommPortDriver: a COM port opened with CreateFileA,
// configured through a device control block, read and written without
// blocking (the comm time-outs make ReadFile return at once).
#pragma once

// Lean windows.h: its full form defines macros such as SetPort (winspool)
// that would rename members of TCommPortDriver.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>

#include "serial/SerialBackend.h"

namespace kt::serial {

// The device control block for `settings`: binary mode, DTR and RTS control,
// CTS output flow, XON/XOFF flow with its limits, byte size, parity, stop
// bits and the DC1/DC3 characters. Parity checking stays off; the parity
// setting only selects the parity generated.
DCB BuildDcb(const LineSettings& settings);

// Widens GetTickCount's 32-bit tick, which wraps after 49.7 days, to a
// monotonic 64-bit count, so that "time since" never turns negative and a
// time-out still expires across the wrap. Needs a sample at least once per
// wrap period (every driver call that times anything takes one).
class TickExtender {
  public:
    int64_t Extend(uint32_t tick);

  private:
    bool started_ = false;
    uint32_t last_ = 0;
    int64_t high_ = 0;
};

class Win32Backend final : public SerialBackend {
  public:
    Win32Backend() = default;
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    bool Open(const std::string& device, OpenError& error, std::string& reason) override;
    void Close() override;
    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
    bool Apply(const LineSettings& settings, std::string* reason = nullptr) override;
    bool Purge(bool input, bool output) override;
    int32_t QueuedInput() override;
    int32_t QueuedOutput() override;
    int32_t Read(void* buffer, uint32_t size) override;
    int32_t Write(const void* data, uint32_t count) override;
    unsigned ModemLines() override;
    bool Vanished(std::string& reason) override;
    int64_t TickMs() const override;
    void SleepMs(unsigned ms) override;
    std::string OsPlatformCode() const override;
    uint32_t OsVersion() const override;

    HANDLE Handle() const { return handle_; }

  private:
    bool Status(COMSTAT& status);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string device_;
    mutable TickExtender ticks_;
};

// One line of text for a Win32 error code ("The system cannot find the file
// specified. (error 2)").
std::string Win32ErrorText(DWORD code);

}  // namespace kt::serial
