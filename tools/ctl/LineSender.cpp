#include "LineSender.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "config/PortBindings.h"
#include "protocol/Framing.h"
#include "serial/PortNames.h"
#include "serial/PortText.h"

namespace kt::ctl {

using namespace kt::serial;

namespace {

// Between two looks at the line while an answer is awaited.
constexpr int64_t kPollStepUs = 1000;

}  // namespace

LineSender::LineSender() {
    driver_.OnReceiveData = [this](TCommPortDriver*, const void* data, uint32_t size) {
        receivedUs_ = NowUs();
        const std::string_view bytes(static_cast<const char*>(data), size);
        if (sms_)
            sms_->Received(bytes, receivedUs_ / 1000);
        else
            rule_.Received(bytes, receivedUs_ / 1000);
    };
    driver_.OnLineLost = [this](TCommPortDriver* sender, const std::string& reason) {
        lost_ = true;
        lostReason_ = LineLostText(*sender, reason, entry_);
    };
}

LineSender::~LineSender() {
    driver_.OnReceiveData = nullptr;
    driver_.OnLineLost = nullptr;
    driver_.ClosePort();
    driver_.SetTrafficTap(nullptr);
}

void LineSender::Record(traffic::TrafficRecorder* recorder) {
    recorder_ = recorder;
    driver_.SetTrafficTap(recorder);
}

int64_t LineSender::NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool LineSender::Open(const LineOptions& o, std::string& reason) {
    rule_ = protocol::AnswerRule(o.timeoutMs, o.quietMs);
    // As the window sets its port up: 8 data bits, 1 stop bit, no flow
    // control, DTR left alone, the time-outs of a sent command.
    // "Com n" as the window resolves it: a COMn link here, else this user's
    // binding, else the default device.
    entry_ = ComPortNumber(o.port);
    if (entry_ > 0) {
        const std::string bound = config::PortBindings::Load(config::PortBindingsFile()).Device(entry_);
        driver_.SetPortName(ResolveComPort(entry_, ".", bound).device);
    } else {
        driver_.SetPortName(o.port);
    }
    driver_.SetDataBits(db8BITS);
    driver_.SetParity(o.parityEven ? ptEVEN : ptNONE);
    driver_.SetStopBits(sb1BITS);
    driver_.SetHwFlow(hfNONE);
    driver_.SetSwFlow(sfNONE);
    driver_.SetEnableDTROnOpen(false);
    driver_.SetCheckLineStatus(false);
    driver_.SetInBufSize(8192);
    driver_.SetOutBufSize(8192);
    driver_.SetOutputTimeout(1500);
    driver_.SetBaudRateValue(o.rate);
    for (int r = br110; r <= br256000; ++r)
        if (BaudRateOf(static_cast<TBaudRate>(r)) == o.rate) driver_.SetBaudRate(static_cast<TBaudRate>(r));
    if (driver_.OpenPort()) return true;
    reason = OpenFailureText(driver_, entry_);
    return false;
}

void LineSender::Close() {
    driver_.ClosePort();
}

void LineSender::Poll() {
    driver_.Poll();
    if (recorder_) recorder_->FlushIfDue();
}

CommandResult LineSender::Send(const std::string& command) {
    CommandResult r;
    r.startUs = NowUs();
    if (lost_ || !driver_.IsOpen()) {
        r.writtenUs = r.doneUs = r.startUs;
        return r;
    }
    const std::string frame = protocol::DirectFrame(command);
    r.sent = driver_.WriteBuffer(frame.data(), static_cast<uint32_t>(frame.size())) == frame.size();
    r.writtenUs = NowUs();
    rule_.Start(r.writtenUs / 1000);
    if (!r.sent) {
        r.doneUs = r.writtenUs;
        return r;
    }
    for (;;) {
        Poll();
        const int64_t now = NowUs();
        const auto state = rule_.At(now / 1000);
        // A line gone while the answer fell quiet still brought that answer.
        if (state != protocol::AnswerRule::State::Waiting || !driver_.IsOpen()) {
            r.answered = !rule_.Answer().empty();
            r.answer = rule_.Answer();
            r.lastByteUs = receivedUs_;
            r.doneUs = now;
            return r;
        }
        const int64_t waitUs = std::min<int64_t>(kPollStepUs, rule_.MsUntilDecision(now / 1000) * 1000);
        std::this_thread::sleep_for(std::chrono::microseconds(std::max<int64_t>(waitUs, 100)));
    }
}

void LineSender::RunSms(protocol::SmsExchange& x,
                        const std::function<void(const protocol::SmsEvent&)>& onEvent) {
    sms_ = &x;
    for (;;) {
        if (lost_ || !driver_.IsOpen()) x.Abandon(lost_ ? lostReason_ : "the line is closed", NowUs() / 1000);
        const std::string out = x.TakeOutput();
        if (!out.empty() && driver_.IsOpen() &&
            driver_.WriteBuffer(out.data(), static_cast<uint32_t>(out.size())) != out.size())
            x.Abandon("the line did not take the bytes for the modem", NowUs() / 1000);
        for (const protocol::SmsEvent& e : x.TakeEvents())
            if (onEvent) onEvent(e);
        if (x.Done()) break;
        Poll();
        const int64_t now = NowUs();
        x.Advance(now / 1000);
        const int64_t waitUs = std::min<int64_t>(kPollStepUs, x.MsUntilDue(now / 1000) * 1000);
        std::this_thread::sleep_for(std::chrono::microseconds(std::max<int64_t>(waitUs, 100)));
    }
    sms_ = nullptr;
}

}  // namespace kt::ctl
