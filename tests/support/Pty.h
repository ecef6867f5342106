// Test helpers around a pseudo-terminal pair: the code under test opens the
// slave by its path, the test sits on the master side (reads what was sent,
// writes replies, looks at the slave's line settings). Plus a poll timer that
// only records what the driver asked of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/CommPortDriver.h"

namespace kt::test {

// Line settings of the slave side as the kernel holds them. Note: the Linux
// pty driver forces CS8 and clears PARENB on every change, so data bits and
// parity enable always read 8 / off here; PARODD and CMSPAR survive (see cflag).
struct PtyLine {
    uint32_t cflag = 0;    // raw c_cflag
    uint32_t speed = 0;    // output speed in bits per second (custom rates too)
    uint32_t inSpeed = 0;  // input speed in bits per second
    int dataBits = 0;      // 5..8
    char parity = 'N';     // 'N', 'O', 'E', 'M' (mark), 'S' (space)
    int stopBits = 0;      // 1 or 2
    bool rtsCts = false;   // CRTSCTS
    bool xonXoff = false;  // IXON and IXOFF
    bool raw = false;      // no canonical mode, no echo, no output processing
};

class Pty {
  public:
    // Opens a master (non-blocking) and unlocks its slave; see Ok().
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool Ok() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    // Path of the slave device, e.g. /dev/pts/7.
    const std::string& SlavePath() const { return slavePath_; }

    // Collects bytes from the master until `count` bytes arrived or
    // `timeoutMs` passed; returns what arrived (possibly fewer bytes).
    std::string Read(size_t count, int timeoutMs);
    // Everything that arrives within `ms`.
    std::string ReadAll(int ms) { return Read(SIZE_MAX, ms); }
    // Writes all bytes to the master (waits up to 2 s for room); true when all went out.
    bool Write(const std::string& bytes);
    // Closes the master: the slave side then sees a hang-up.
    void CloseMaster();

    // The slave's current line settings, read through the master.
    PtyLine Line() const;

  private:
    int master_ = -1;
    std::string slavePath_;
};

// IPollTimer that only records the calls; the test calls Poll() itself.
class ManualPollTimer : public serial::IPollTimer {
  public:
    void Start(unsigned periodMs) override {
        running = true;
        period = periodMs;
        ++starts;
    }
    void Stop() override {
        running = false;
        ++stops;
    }

    bool running = false;
    unsigned period = 0;
    int starts = 0;
    int stops = 0;
};

}  // namespace kt::test
