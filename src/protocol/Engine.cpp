#include "protocol/Engine.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace kt::protocol {

ProtocolEngine::ProtocolEngine(kt::serial::TCommPortDriver& port, IWindow& window, const IClock& clock)
    : port_(port), window_(window), clock_(clock) {}

void ProtocolEngine::Clear() {
    window_.SetMemoText(Memo::SmsInput, "");
    window_.SetMemoText(Memo::Monitor, "");
    ReplyToShow = true;
    RawMode = false;
}

void ProtocolEngine::ResetState() {
    SmsFormatChar = '1';
    WantManufacturer = WantModel = WantCharSet = WantDateTime = false;
    WantSmsFormat = WantFormatEcho = WantInbox = false;
    ModemBusy = SmsOutgoing = AwaitPrompt = PduSent = AwaitSendResult = false;
    InboxPollHold = InboxPolling = false;
    PendingPdu.clear();
    PendingPduLength = 0;
    ReadAllActive = false;
    ReadAllStep = 0;
    ReplyWaitTicks = 0;
    InboxPollTicks = 0;
    InboxPollAll = false;
    NightlySent = false;
    ReadBackClock = false;
    PhoneMissing = false;
    ReplyArrived = false;
    ReplyIdleTicks = 0;
    watching_ = false;
    CommandState = SmsCommandState::Idle;
}

int ProtocolEngine::InboxPollIntervalFromFactor(int smsPollFactor) {
    return std::clamp(smsPollFactor, 1, 20);
}

int64_t IClock::SteadyMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

LocalTime SystemClock::Now() const {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace kt::protocol
