// One module on a serial line, commands sent one by one in direct mode: each
// framed as the window frames it, written through the project's driver, and
// its answer awaited with the terminal's answer rule; or through a GSM modem
// on the line, one SMS exchange at a time. Used by "kt4470ctl send", "verify"
// and "read" and by the provisioning benchmarks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "protocol/AnswerRule.h"
#include "protocol/SmsExchange.h"
#include "serial/CommPortDriver.h"
#include "traffic/TrafficRecorder.h"

namespace kt::ctl {

struct LineOptions {
    std::string port;  // a device path, or "COMn" / "Com n" as the window maps it
    uint32_t rate = 2400;
    bool parityEven = false;
    int64_t timeoutMs = protocol::AnswerRule::kDefaultTimeoutMs;
    int64_t quietMs = protocol::AnswerRule::kQuietMs;  // the quiet that ends an answer
};

// What became of one command. Times in microseconds of a monotonic clock.
struct CommandResult {
    bool sent = false;      // every byte of the frame was handed to the line
    bool answered = false;  // at least one byte came back, then the line fell quiet
    std::string answer;
    int64_t startUs = 0;     // before framing
    int64_t writtenUs = 0;   // the frame written
    int64_t lastByteUs = 0;  // the answer's last byte arrived (answered only)
    int64_t doneUs = 0;      // the answer rule decided
};

class LineSender {
  public:
    LineSender();
    ~LineSender();

    // Records the line's traffic from now on (null: no more); the recorder
    // must outlive the sender or be detached. Attach it before Open() so that
    // the port's opening is recorded.
    void Record(traffic::TrafficRecorder* recorder);

    // Opens the line ("COMn" and "Com n", n 1..16, resolved as the window
    // resolves them, the user's binding included; anything else as a device path); false with the window's
    // reason (no such device, permission with the dialout hint, in use) in `reason`.
    bool Open(const LineOptions& options, std::string& reason);
    // Closes the line (Send then sends nothing).
    void Close();
    // Sends one command and waits for its answer. Once the line is lost,
    // nothing more is sent.
    CommandResult Send(const std::string& command);
    // Runs what the exchange has begun (a survey of the inbox or one
    // command) to its end, writing its bytes and feeding it the line's; each
    // event goes to onEvent as it happens. A lost line abandons it.
    void RunSms(protocol::SmsExchange& exchange,
                const std::function<void(const protocol::SmsEvent&)>& onEvent);

    bool LineLost() const { return lost_; }
    const std::string& LostReason() const { return lostReason_; }

    static int64_t NowUs();

  private:
    void Poll();

    serial::TCommPortDriver driver_;
    protocol::AnswerRule rule_;
    protocol::SmsExchange* sms_ = nullptr;  // fed while RunSms runs
    traffic::TrafficRecorder* recorder_ = nullptr;
    int64_t receivedUs_ = 0;
    int entry_ = 0;  // n of "Com n", 0 for a device given by its path
    bool lost_ = false;
    std::string lostReason_;
};

}  // namespace kt::ctl
