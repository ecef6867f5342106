// POSIX backend of the serial driver (termios). Exposed for tests of the
// termios mapping; the driver itself only sees SerialBackend.
#pragma once

#include <termios.h>

#include <string>

#include "serial/SerialBackend.h"

namespace kt::serial {

// Standard termios speed constant for `rate`, or B0 when the rate needs the
// custom-speed interface.
speed_t StandardSpeed(uint32_t rate);

// Turns `t` into a raw line with the given settings (everything except the
// speed and the modem lines): no canonical mode, echo, signals or output
// processing; reads return at once (VMIN 0, VTIME 0); receiver on, modem
// status lines ignored for open/read; CS5..CS8; parity generated but not
// checked, mark/space through CMSPAR; 1.5 stop bits become 2; CRTSCTS;
// IXON/IXOFF with DC1/DC3.
void MakeRawTermios(termios& t, const LineSettings& s);

class PosixBackend : public SerialBackend {
  public:
    PosixBackend() = default;
    ~PosixBackend() override;

    bool Open(const std::string& device, OpenError& error, std::string& reason) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    bool Apply(const LineSettings& settings, std::string* reason) override;
    bool Purge(bool input, bool output) override;
    int32_t QueuedInput() override;
    int32_t QueuedOutput() override;
    int32_t Read(void* buffer, uint32_t size) override;
    int32_t Write(const void* data, uint32_t count) override;
    unsigned ModemLines() override;
    bool Vanished(std::string& reason) override;
    int64_t TickMs() const override;
    void SleepMs(unsigned ms) override;
    std::string OsPlatformCode() const override { return {}; }
    uint32_t OsVersion() const override;

  private:
    // Notes a failure that means the device has gone (EIO, ENXIO, ENODEV).
    void NoteFailure(int err);

    int fd_ = -1;
    std::string device_;
    std::string lostReason_;  // set once the line is known to be gone
    int pushback_ = -1;       // a byte taken by the hang-up probe, delivered by the next Read
};

}  // namespace kt::serial
