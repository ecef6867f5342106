#include "app/ProvisioningRun.h"

#include "app/Form1.h"
#include "widgets/Widgets.h"

namespace kt::app {

ProvisioningRun::ProvisioningRun(TForm1& form, std::vector<std::string> commands, QObject* parent)
    : QObject(parent), form_(form), commands_(std::move(commands)) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { Check(); });
}

ProvisioningRun::~ProvisioningRun() {
    poll_.stop();
    if (dialog_) dialog_->deleteLater();
}

void ProvisioningRun::Start() {
    dialog_ = new QProgressDialog(&form_);
    dialog_->setObjectName("WriteAllProgress");
    dialog_->setWindowTitle(kWriteAllCaption);
    dialog_->setCancelButtonText("Cancel");
    dialog_->setRange(0, static_cast<int>(commands_.size()));
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAccessibleName(kWriteAllCaption);
    connect(dialog_, &QProgressDialog::canceled, this, [this] { Cancel(); });
    dialog_->show();
    clock_.start();
    auto& e = form_.Engine();
    e.Clear();
    e.LastReply.clear();
    e.ReplyToShow = false;
    SendNext();
}

void ProvisioningRun::SendNext() {
    if (finished_) return;
    if (next_ >= commands_.size()) {
        Finish(false);
        return;
    }
    const std::string& command = commands_[next_];
    dialog_->setValue(static_cast<int>(next_));
    dialog_->setLabelText(
        QString("%1/%2: %3").arg(next_ + 1).arg(commands_.size()).arg(FromBytes(command).trimmed()));
    // A modal progress dialog handles events while it updates: Cancel may
    // have been pressed there.
    if (finished_) return;
    auto& e = form_.Engine();
    e.RawMode = false;
    const bool sent = e.SendSMS(command);
    form_.SetMemoText(kt::protocol::Memo::Monitor, "");
    e.EchoText(kt::protocol::Memo::Monitor, command);
    reply_.clear();
    rule_.Start(NowMs());
    if (!sent) {
        // Nothing to wait for; the next command goes from the event loop.
        waiting_ = false;
        poll_.stop();
        QTimer::singleShot(0, this, [this] { Next(false); });
        return;
    }
    waiting_ = true;
    poll_.start();
}

void ProvisioningRun::Received(const void* data, uint32_t size) {
    if (!waiting_) return;
    rule_.Received(std::string_view(static_cast<const char*>(data), size), NowMs());
    // The receive path has just kept this piece as the reply to show; the
    // run shows the whole answer once it is complete, not piece by piece.
    auto& e = form_.Engine();
    for (const char c : e.LastReply)
        if (c != '\0') reply_ += c;
    e.ReplyToShow = false;
}

void ProvisioningRun::Check() {
    if (!waiting_) return;
    form_.PollPort();
    const bool open = form_.CommPortDriver1.IsOpen();
    if (rule_.At(NowMs()) == kt::protocol::AnswerRule::State::Waiting && open) return;
    waiting_ = false;
    poll_.stop();
    const bool answered = !rule_.Answer().empty();
    if (answered) {
        auto& e = form_.Engine();
        e.LastReply = reply_;
        e.ReplyToShow = true;
        e.ShowReplyNow();
        e.LastReply.clear();
    }
    Next(answered);
}

void ProvisioningRun::Next(bool answered) {
    if (finished_) return;
    if (answered)
        ++answered_;
    else
        ++notAnswered_;
    ++next_;
    SendNext();
}

void ProvisioningRun::Cancel() {
    if (finished_) return;
    if (waiting_) {
        waiting_ = false;
        ++notAnswered_;
        ++next_;
    }
    Finish(true);
}

void ProvisioningRun::Finish(bool cancelled) {
    finished_ = true;
    waiting_ = false;
    poll_.stop();
    if (dialog_) {
        dialog_->setValue(static_cast<int>(next_));
        dialog_->hide();
    }
    const size_t total = commands_.size();
    std::string text;
    if (cancelled)
        text = "Cancelled after " + std::to_string(next_) + " of " + std::to_string(total) + " commands: ";
    else
        text = std::to_string(total) + " commands: ";
    text += std::to_string(answered_) + " answered, " + std::to_string(notAnswered_) + " not answered";
    if (cancelled) text += ", " + std::to_string(total - next_) + " not sent";
    text += ".";
    const bool complete = !cancelled && notAnswered_ == 0;
    form_.ShowMessage(text, kWriteAllCaption,
                      complete ? kt::protocol::MsgIcon::Information : kt::protocol::MsgIcon::Warning);
    emit Done();
}

}  // namespace kt::app
