// "Write All Settings to Module...": the commands of every page's write
// button sent one by one in direct mode, each answered (or timed out) before
// the next goes, with a progress dialog (count, current command, Cancel) and
// a summary at the end. Each command goes out framed as a page sends it and
// shows in the monitor line; each whole answer is shown as the timer shows a
// reply (the showing page's values, a line of the reply memo), so the reply
// memo lists the answers of the run. The answer rule is kt4470ctl send's.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <string>
#include <vector>

#include "protocol/AnswerRule.h"

namespace kt::app {

class TForm1;

inline constexpr const char* kWriteAllCaption = "Write All Settings";

class ProvisioningRun : public QObject {
    Q_OBJECT
  public:
    // While a run waits for an answer it polls the port this often (the
    // engine polls every 4 s after a send).
    static constexpr int kPollMs = 10;

    ProvisioningRun(TForm1& form, std::vector<std::string> commands, QObject* parent = nullptr);
    ~ProvisioningRun() override;

    void Start();
    // Bytes the port delivered (the window's receive event passes them on).
    void Received(const void* data, uint32_t size);
    // Stops after the command in flight (its answer is not awaited).
    void Cancel();

    bool Finished() const { return finished_; }
    int Answered() const { return answered_; }
    int NotAnswered() const { return notAnswered_; }
    size_t Total() const { return commands_.size(); }
    QProgressDialog* Dialog() const { return dialog_; }

  signals:
    void Done();

  private:
    void SendNext();
    void Check();
    void Next(bool answered);
    void Finish(bool cancelled);
    int64_t NowMs() const { return clock_.elapsed(); }

    TForm1& form_;
    std::vector<std::string> commands_;
    size_t next_ = 0;  // the command in flight, or the next to send
    bool waiting_ = false;
    bool finished_ = false;
    int answered_ = 0;
    int notAnswered_ = 0;
    kt::protocol::AnswerRule rule_;
    std::string reply_;  // the answer as the receive path kept its pieces
    QElapsedTimer clock_;
    QTimer poll_;
    QPointer<QProgressDialog> dialog_;
};

}  // namespace kt::app
