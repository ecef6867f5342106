// SMS mode's transport of a run: each command one SMS through the GSM modem
// on the port, exchanged by the SMS exchange kt4470ctl send --sms uses
// (submission, inbox listings, the answer's deletion), every state appended
// to the delivery log. While the run lasts it owns the modem: the engine's
// inbox poll, read-all sequence and SMS path start nothing.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <string>

#include "app/ProvisioningRun.h"
#include "protocol/SmsExchange.h"
#include "protocol/SmsRunLog.h"

namespace kt::app {

class SmsTransport : public QObject, public CommandTransport {
    Q_OBJECT
  public:
    // While an exchange runs the port is polled this often: each command
    // takes four replies of the modem (prompt, submission, listing,
    // deletion), and a coarser poll would add its period to every one of
    // them (5 ms made a command 22 ms against the simulator instead of 7).
    // One read of the queue length a millisecond, only while a run lasts.
    static constexpr int kPollMs = 1;

    SmsTransport(TForm1& form, const std::string& number, const kt::protocol::SmsTimes& times);
    ~SmsTransport() override;

    std::string Destination() const override;
    void Send(const std::string& command, Done done) override;
    // Before the modem took the SMS it is given up at once; once it took it,
    // the operator chooses: wait for the answer, or abandon it.
    bool Abandon() override;
    // The run goes away with the window: the command in flight is abandoned
    // without asking (and so logged).
    void Drop() override;
    void Received(const void* data, uint32_t size) override;

    // The counts the summary adds to the run's.
    int NotSubmitted() const { return notSubmitted_; }
    int Lost() const { return lost_; }
    // The delivery log; empty with the reason when it could not be opened.
    const std::filesystem::path& LogPath() const { return log_.Path(); }
    const std::string& LogTrouble() const { return logTrouble_; }

  private:
    void Pump();
    void Report();
    int64_t NowMs() const { return clock_.elapsed(); }

    TForm1& form_;
    kt::protocol::SmsExchange exchange_;
    kt::protocol::SmsRunLog log_;
    std::string logTrouble_;
    std::string command_;
    Done done_;
    bool surveyed_ = false;
    bool surveying_ = false;  // the inbox is looked at before the first command
    bool submitted_ = false;  // the modem took the command in flight
    bool asking_ = false;     // the operator's choice is awaited: the outcome is held
    int notSubmitted_ = 0, lost_ = 0;
    QElapsedTimer clock_;
    QTimer poll_;
};

}  // namespace kt::app
