// A run of module commands sent one by one, each answered (or given up)
// before the next: "Write All Settings to Module...", "Write Changes to
// Module...", "Verify Module..." and "Read Settings from Module...". The run
// is the sequence (progress dialog with the count, the current command and
// Cancel; the monitor line and the reply memo; the counts of answered,
// answered ERROR and no answer; the stop after three unanswered commands in a
// row; the summary); a transport sends each command and decides its answer.
// Direct mode's transport frames the command as a page sends it and waits
// with kt4470ctl send's answer rule; SMS mode's (SmsTransport.h) sends it as
// one SMS through the modem.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/AnswerRule.h"
#include "protocol/RunTally.h"

namespace kt::app {

class TForm1;

inline constexpr const char* kWriteAllCaption = "Write All Settings";
inline constexpr const char* kWriteChangesCaption = "Write Changes";
inline constexpr const char* kVerifyCaption = "Verify Module";
inline constexpr const char* kReadCaption = "Read Settings from Module";

// What became of one command.
struct CommandOutcome {
    bool sent = false;      // every byte went out
    bool answered = false;  // an answer came and was complete
    std::string answer;     // its bytes
    std::string shown;      // the answer as the reply memo lists it
    bool lineLost = false;  // the line is gone: nothing more can go out
};

// Sends one command of a run and decides its answer.
class CommandTransport {
  public:
    using Done = std::function<void(const CommandOutcome&)>;
    virtual ~CommandTransport() = default;
    // Where the commands go, for the confirmation ("COM1 -> /dev/pts/3").
    virtual std::string Destination() const = 0;
    // Sends the command; `done` is called once, later, from the event loop
    // (never from inside Send).
    virtual void Send(const std::string& command, Done done) = 0;
    // The operator cancelled with a command in flight. True: it is given up
    // at once and `done` is not called; false: the transport still reports it
    // through `done`, and the run ends after it.
    virtual bool Abandon() = 0;
    // The run goes away (the window closes) with a command in flight: give
    // it up without asking anything.
    virtual void Drop() { Abandon(); }
    // Bytes the port delivered while the run lasts.
    virtual void Received(const void* /*data*/, uint32_t /*size*/) {}
};

// Direct mode: the command framed as SendSMS frames it, its answer decided
// by the answer rule while the port is polled every few milliseconds.
class DirectTransport : public QObject, public CommandTransport {
    Q_OBJECT
  public:
    // While an answer is awaited the port is polled this often (the engine
    // polls every 4 s after a send).
    static constexpr int kPollMs = 10;

    DirectTransport(TForm1& form, const kt::protocol::AnswerRule& rule);
    ~DirectTransport() override;

    std::string Destination() const override;
    void Send(const std::string& command, Done done) override;
    bool Abandon() override;
    void Received(const void* data, uint32_t size) override;

  private:
    void Check();
    int64_t NowMs() const { return clock_.elapsed(); }

    TForm1& form_;
    kt::protocol::AnswerRule rule_;
    Done done_;
    bool waiting_ = false;
    std::string shown_;  // the answer as the receive path kept its pieces
    QElapsedTimer clock_;
    QTimer poll_;
};

// What one run sends and does with the answers.
struct RunPlan {
    std::string caption;                // of the progress dialog and the summary
    std::string noun = "commands";      // what the summary counts
    std::vector<std::string> commands;  // as handed to SendSMS
    // After each command: its index, what became of it and how it counted.
    std::function<void(size_t, const CommandOutcome&, kt::protocol::RunTally::Outcome)> after;
    // At the end, with the summary; null shows the summary in a message box.
    std::function<void(const std::string& summary, kt::protocol::RunTally::End)> finish;
};

class ProvisioningRun : public QObject {
    Q_OBJECT
  public:
    ProvisioningRun(TForm1& form, RunPlan plan, std::unique_ptr<CommandTransport> transport,
                    QObject* parent = nullptr);
    ~ProvisioningRun() override;

    void Start();
    // Bytes the port delivered (the window's receive event passes them on).
    void Received(const void* data, uint32_t size);
    // Stops after the command in flight (given up, or awaited when the
    // transport would rather finish it).
    void Cancel();

    bool Finished() const { return finished_; }
    const kt::protocol::RunTally& Tally() const { return tally_; }
    int Answered() const { return static_cast<int>(tally_.Answered() + tally_.Errors()); }
    int NotAnswered() const { return static_cast<int>(tally_.Missed()); }
    size_t Total() const { return plan_.commands.size(); }
    const std::string& Caption() const { return plan_.caption; }
    QProgressDialog* Dialog() const { return dialog_; }
    CommandTransport& Transport() { return *transport_; }

  signals:
    void Done();

  private:
    void SendNext();
    void Outcome(const CommandOutcome& outcome);
    void Finish(kt::protocol::RunTally::End end);

    TForm1& form_;
    RunPlan plan_;
    std::unique_ptr<CommandTransport> transport_;
    size_t next_ = 0;  // the command in flight, or the next to send
    bool inFlight_ = false;
    bool cancelled_ = false;
    bool finished_ = false;
    kt::protocol::RunTally tally_;
    QPointer<QProgressDialog> dialog_;
};

}  // namespace kt::app
