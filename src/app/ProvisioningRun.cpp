#include "app/ProvisioningRun.h"

#include "app/Form1.h"
#include "app/SerialPortPage.h"
#include "serial/PortText.h"
#include "widgets/Widgets.h"

namespace kt::app {

using kt::protocol::Memo;
using kt::protocol::RunTally;

// ---- DirectTransport -----------------------------------------------------------

DirectTransport::DirectTransport(TForm1& form, const kt::protocol::AnswerRule& rule)
    : form_(form), rule_(rule) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { Check(); });
    clock_.start();
}

DirectTransport::~DirectTransport() {
    poll_.stop();
}

std::string DirectTransport::Destination() const {
    return kt::serial::PortHeadText(form_.CommPortDriver1, form_.serialPage->RadioGroupPort->ItemIndex() + 1);
}

void DirectTransport::Send(const std::string& command, Done done) {
    done_ = std::move(done);
    auto& e = form_.Engine();
    e.RawMode = false;
    const bool sent = e.SendSMS(command);
    shown_.clear();
    rule_.Start(NowMs());
    if (!sent) {
        // Nothing to wait for; the run goes on from the event loop.
        QTimer::singleShot(0, this, [this] {
            if (!done_) return;  // abandoned meanwhile
            Done report = std::move(done_);
            done_ = nullptr;
            report(CommandOutcome{.lineLost = !form_.CommPortDriver1.IsOpen()});
        });
        return;
    }
    waiting_ = true;
    poll_.start();
}

bool DirectTransport::Abandon() {
    waiting_ = false;
    poll_.stop();
    done_ = nullptr;
    return true;
}

void DirectTransport::Received(const void* data, uint32_t size) {
    if (!waiting_) return;
    rule_.Received(std::string_view(static_cast<const char*>(data), size), NowMs());
    // The receive path has just kept this piece as the reply to show; the
    // run lists the whole answer once it is complete, not piece by piece.
    auto& e = form_.Engine();
    for (const char c : e.LastReply)
        if (c != '\0') shown_ += c;
    e.ReplyToShow = false;
}

void DirectTransport::Check() {
    if (!waiting_) return;
    form_.PollPort();
    if (!waiting_) return;  // abandoned from inside the poll
    const bool open = form_.CommPortDriver1.IsOpen();
    if (rule_.At(NowMs()) == kt::protocol::AnswerRule::State::Waiting && open) return;
    waiting_ = false;
    poll_.stop();
    CommandOutcome outcome;
    outcome.sent = true;
    outcome.answered = !rule_.Answer().empty();
    outcome.answer = rule_.Answer();
    outcome.shown = shown_;
    outcome.lineLost = !open;
    Done done = std::move(done_);
    done_ = nullptr;
    if (done) done(outcome);
}

// ---- ProvisioningRun -------------------------------------------------------------

ProvisioningRun::ProvisioningRun(TForm1& form, RunPlan plan, std::unique_ptr<CommandTransport> transport,
                                 QObject* parent)
    : QObject(parent), form_(form), plan_(std::move(plan)), transport_(std::move(transport)) {}

ProvisioningRun::~ProvisioningRun() {
    if (inFlight_) transport_->Drop();
    if (dialog_) dialog_->deleteLater();
}

void ProvisioningRun::Start() {
    const QString caption = FromBytes(plan_.caption);
    dialog_ = new QProgressDialog(&form_);
    dialog_->setObjectName("WriteAllProgress");
    dialog_->setWindowTitle(caption);
    dialog_->setCancelButtonText("Cancel");
    dialog_->setRange(0, static_cast<int>(Total()));
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAccessibleName(caption);
    connect(dialog_, &QProgressDialog::canceled, this, [this] { Cancel(); });
    dialog_->show();
    auto& e = form_.Engine();
    e.Clear();
    e.LastReply.clear();
    e.ReplyToShow = false;
    SendNext();
}

void ProvisioningRun::SendNext() {
    if (finished_) return;
    if (next_ >= Total()) {
        Finish(RunTally::End::Complete);
        return;
    }
    const std::string& command = plan_.commands[next_];
    dialog_->setValue(static_cast<int>(next_));
    dialog_->setLabelText(QString("%1/%2: %3").arg(next_ + 1).arg(Total()).arg(FromBytes(command).trimmed()));
    // A modal progress dialog handles events while it updates: Cancel may
    // have been pressed there.
    if (finished_) return;
    form_.SetMemoText(Memo::Monitor, "");
    form_.Engine().EchoText(Memo::Monitor, command);
    inFlight_ = true;
    transport_->Send(command, [this](const CommandOutcome& outcome) { Outcome(outcome); });
}

void ProvisioningRun::Received(const void* data, uint32_t size) {
    if (inFlight_) transport_->Received(data, size);
}

void ProvisioningRun::Outcome(const CommandOutcome& outcome) {
    if (finished_ || !inFlight_) return;
    inFlight_ = false;
    const RunTally::Outcome counted = tally_.Count(outcome.answered, outcome.answer);
    if (outcome.answered && !outcome.shown.empty())
        form_.Engine().AppendToMemo(Memo::SmsInput, outcome.shown + "\r\n");
    if (plan_.after) plan_.after(next_, outcome, counted);
    ++next_;
    if (cancelled_)
        Finish(RunTally::End::Cancelled);
    else if (outcome.lineLost && next_ < Total())
        Finish(RunTally::End::LineLost);
    else if (tally_.Stopped())
        Finish(next_ >= Total() ? RunTally::End::Complete : RunTally::End::Stopped);
    else
        SendNext();
}

void ProvisioningRun::Cancel() {
    if (finished_ || cancelled_) return;
    cancelled_ = true;
    if (!inFlight_) {
        Finish(RunTally::End::Cancelled);
        return;
    }
    if (!transport_->Abandon()) return;  // the transport reports it, then the run ends
    inFlight_ = false;
    const CommandOutcome abandoned{.sent = true};
    const RunTally::Outcome counted = tally_.Count(false, {});
    if (plan_.after) plan_.after(next_, abandoned, counted);
    ++next_;
    Finish(RunTally::End::Cancelled);
}

void ProvisioningRun::Finish(RunTally::End end) {
    finished_ = true;
    if (dialog_) {
        dialog_->setValue(static_cast<int>(next_));
        dialog_->hide();
    }
    const std::string summary = tally_.Summary(Total(), end, plan_.noun);
    if (plan_.finish) {
        plan_.finish(summary, end);
    } else {
        const bool clean = end == RunTally::End::Complete && tally_.Missed() == 0 && tally_.Errors() == 0;
        form_.ShowMessage(summary, plan_.caption,
                          clean ? kt::protocol::MsgIcon::Information : kt::protocol::MsgIcon::Warning);
    }
    emit Done();
}

}  // namespace kt::app
