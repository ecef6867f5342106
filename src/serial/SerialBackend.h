// The platform seam of TCommPortDriver: everything that touches the operating
// system goes through one SerialBackend (POSIX termios in PosixBackend.cpp,
// Win32 in Win32Backend.cpp). The driver keeps all rules, clamps, timing
// loops and packet logic; a backend only performs single, non-blocking steps.
// No member throws; failures are reported by results.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/SerialTypes.h"

namespace kt::serial {

class SerialBackend {
  public:
    virtual ~SerialBackend() = default;

    // Opens `device` exclusively, without changing its line settings yet.
    // On failure returns false and fills `error` and `reason` (one line for
    // the operator, e.g. "permission denied ...").
    virtual bool Open(const std::string& device, OpenError& error, std::string& reason) = 0;
    // Closes the device; harmless when closed.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Applies the line settings to the open device; false on failure (and
    // `reason`, when given, says why in one line).
    virtual bool Apply(const LineSettings& settings, std::string* reason = nullptr) = 0;
    // Discards pending input and/or output.
    virtual bool Purge(bool input, bool output) = 0;

    // Bytes waiting to be read / still queued for output; -1 on failure.
    virtual int32_t QueuedInput() = 0;
    virtual int32_t QueuedOutput() = 0;

    // Non-blocking read of at most `size` bytes: the count read (0 when
    // nothing is waiting), or -1 on failure.
    virtual int32_t Read(void* buffer, uint32_t size) = 0;
    // Non-blocking write: the count accepted (0 when the output is full),
    // or -1 on failure.
    virtual int32_t Write(const void* data, uint32_t count) = 0;

    // Modem status lines as a set of ModemLine bits; 0 when closed, on
    // failure, or on a device without modem lines (a pseudo-terminal).
    virtual unsigned ModemLines() = 0;

    // True when the open line has vanished (device removed, other side of a
    // pseudo-terminal closed, hang-up); `reason` then holds one line for the
    // operator. Does not consume received bytes. False when closed.
    virtual bool Vanished(std::string& reason) = 0;

    // Monotonic millisecond tick.
    virtual int64_t TickMs() const = 0;
    // Gives up the processor for about `ms` milliseconds (write retries).
    virtual void SleepMs(unsigned ms) = 0;

    // Operating system identity: the Win32 platform code ("W32S", "W95",
    // "WNT", "??" on failure; empty elsewhere) and (major << 16) | minor.
    virtual std::string OsPlatformCode() const = 0;
    virtual uint32_t OsVersion() const = 0;
};

// The backend of the platform this program was built for (defined in the
// platform's backend source). TCommPortDriver uses it when none is passed.
std::unique_ptr<SerialBackend> MakeDefaultBackend();

}  // namespace kt::serial
