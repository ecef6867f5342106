#include "app/SmsTransport.h"

#include "app/Form1.h"
#include "app/SerialPortPage.h"
#include "serial/PortText.h"
#include "widgets/Widgets.h"

namespace kt::app {

using kt::protocol::Memo;
using kt::protocol::SmsEvent;
using kt::protocol::SmsExchange;
using Kind = SmsEvent::Kind;

SmsTransport::SmsTransport(TForm1& form, const std::string& number, const kt::protocol::SmsTimes& times)
    : form_(form), exchange_(number, times) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] {
        form_.PollPort();
        if (!form_.CommPortDriver1.IsOpen()) exchange_.Abandon("the line was lost", NowMs());
        exchange_.Advance(NowMs());
        Pump();
    });
    clock_.start();
    if (!log_.Open(kt::protocol::SmsRunLog::DefaultPath(), &logTrouble_) && logTrouble_.empty())
        logTrouble_ = "the delivery log could not be opened";
    form_.Engine().TakeModem();
}

SmsTransport::~SmsTransport() {
    poll_.stop();
    form_.Engine().ReleaseModem();
}

std::string SmsTransport::Destination() const {
    return exchange_.Number() + " by SMS through the modem on " +
           kt::serial::PortHeadText(form_.CommPortDriver1, form_.serialPage->RadioGroupPort->ItemIndex() + 1);
}

void SmsTransport::Send(const std::string& command, Done done) {
    done_ = std::move(done);
    command_ = command;
    submitted_ = false;
    // Once per run, before the first SMS: what the module sent before is no answer.
    if (!surveyed_) {
        surveyed_ = surveying_ = true;
        exchange_.Survey(NowMs());
    } else {
        exchange_.Start(command, NowMs());
    }
    poll_.start();
    // Whatever comes of it is reported from the event loop, never from here.
    QTimer::singleShot(0, this, [this] { Pump(); });
}

void SmsTransport::Received(const void* data, uint32_t size) {
    exchange_.Received(std::string_view(static_cast<const char*>(data), size), NowMs());
    Pump();
}

void SmsTransport::Pump() {
    for (;;) {
        const std::string out = exchange_.TakeOutput();
        if (!out.empty() && form_.CommPortDriver1.IsOpen() &&
            form_.CommPortDriver1.WriteBuffer(out.data(), static_cast<uint32_t>(out.size())) != out.size())
            exchange_.Abandon("the line did not take the bytes for the modem", NowMs());
        for (const SmsEvent& e : exchange_.TakeEvents()) {
            const bool earlier = e.kind == Kind::EarlierMessage;
            log_.Append(exchange_.Number(), earlier ? std::string() : command_, e);
            std::string line;
            switch (e.kind) {
                case Kind::Submitted:
                    submitted_ = true;
                    break;
                case Kind::Answered:
                    break;  // the run lists the answer
                case Kind::NotSubmitted:
                    ++notSubmitted_;
                    line = "not submitted: " + e.text;
                    break;
                case Kind::NoAnswer:
                    ++lost_;
                    line = "no answer " + e.text;
                    break;
                case Kind::Abandoned:
                    ++lost_;
                    line = "abandoned: " + e.text;
                    break;
                case Kind::LateAnswer:
                    line = "late answer to an earlier command: " + e.text;
                    break;
                case Kind::EarlierMessage:
                    line = "in the inbox from before, left there: " + e.text;
                    break;
            }
            if (!line.empty()) form_.Engine().AppendToMemo(Memo::SmsInput, line + "\r\n");
        }
        if (!exchange_.Done() || !done_) return;
        if (!surveying_) break;
        surveying_ = false;
        exchange_.Start(command_, NowMs());
    }
    if (asking_) return;  // held until the operator has chosen
    poll_.stop();
    Report();
}

void SmsTransport::Report() {
    if (!done_ || !exchange_.Done() || surveying_) return;
    CommandOutcome outcome;
    outcome.sent = submitted_;
    outcome.answered = exchange_.Result() == SmsExchange::Outcome::Answered;
    outcome.answer = exchange_.Answer();
    outcome.shown = exchange_.Answer();
    // Without the line nothing more can go out: the run ends now rather than
    // after a modem time-out per command.
    outcome.lineLost = !form_.CommPortDriver1.IsOpen();
    while (!outcome.shown.empty() && (outcome.shown.back() == '\r' || outcome.shown.back() == '\n'))
        outcome.shown.pop_back();
    Done done = std::move(done_);
    done_ = nullptr;
    done(outcome);
}

bool SmsTransport::Abandon() {
    if (!done_) return true;
    // Its outcome is on its way, or the answer is in and only its deletion
    // is left: reported through done.
    if ((exchange_.Done() && !surveying_) || exchange_.Result() == SmsExchange::Outcome::Answered)
        return false;
    if (!submitted_) {
        // Nothing the modem took: given up at once.
        exchange_.Abandon("cancelled", NowMs());
        done_ = nullptr;
        Pump();
        poll_.stop();
        return true;
    }
    Question q;
    q.caption = "Cancel";
    q.text = "The SMS \"" + command_ + "\" went to " + exchange_.Number() +
             ". Wait for the module's answer (at most " +
             kt::protocol::SecondsText(exchange_.Times().answerMs) +
             " s after it went)?\r\n\r\nYes waits, No abandons the answer; nothing more is sent either way.";
    q.buttons = {Answer::Yes, Answer::No};
    q.defaultButton = Answer::No;
    q.icon = kt::protocol::MsgIcon::Warning;
    asking_ = true;
    const Answer a = form_.Ask(q);
    asking_ = false;
    if (exchange_.Done() || exchange_.Result() == SmsExchange::Outcome::Answered || a == Answer::Yes) {
        // Answered meanwhile, or awaited: reported through done.
        QTimer::singleShot(0, this, [this] { Pump(); });
        return false;
    }
    exchange_.Abandon("abandoned by the operator", NowMs());
    done_ = nullptr;
    Pump();
    poll_.stop();
    return true;
}

void SmsTransport::Drop() {
    if (!done_) return;
    exchange_.Abandon("the window was closed", NowMs());
    done_ = nullptr;
    Pump();
    poll_.stop();
}

}  // namespace kt::app
