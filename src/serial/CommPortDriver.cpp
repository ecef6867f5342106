// TCommPortDriver: property rules, timed writes and the polled receive path.
// Everything platform-specific goes through the SerialBackend.
#include "serial/CommPortDriver.h"

#include <algorithm>
#include <cstring>

#include "serial/PortNames.h"
#include "serial/SerialBackend.h"

namespace kt::serial {

namespace {

constexpr uint32_t kMinBufSize = 128;
constexpr uint32_t kMaxBufSize = 8192;
constexpr uint32_t kDefaultBufSize = 2048;
constexpr uint32_t kMinPollingDelay = 5;
constexpr uint32_t kMaxPollingDelay = 0xFFFF;
constexpr unsigned kWriteRetrySleepMs = 1;

constexpr uint32_t kBaudRateTable[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                       14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

uint32_t ClampBufSize(uint32_t value) {
    return std::clamp(value, kMinBufSize, kMaxBufSize);
}

uint32_t Milliseconds(uint32_t rate, uint32_t count) {
    if (rate == 0) return 0;
    // count / (rate / 10) * 1000, rounded to the nearest millisecond.
    const uint64_t scaled = static_cast<uint64_t>(count) * 10000u;
    return static_cast<uint32_t>((scaled + rate / 2) / rate);
}

}  // namespace

uint32_t BaudRateOf(TBaudRate rate) {
    const int i = static_cast<int>(rate);
    if (i <= 0 || i >= static_cast<int>(std::size(kBaudRateTable))) return 0;
    return kBaudRateTable[i];
}

TCommPortDriver::TCommPortDriver(IPollTimer* timer, std::unique_ptr<SerialBackend> backend)
    : timer_(timer), backend_(backend ? std::move(backend) : MakeDefaultBackend()) {
    portName_ = ComPortDevice(static_cast<int>(pnCOM2), ".");
    inputBuffer_ = std::make_unique<uint8_t[]>(kDefaultBufSize);
}

TCommPortDriver::~TCommPortDriver() {
    ClosePort();
}

// ---- properties ----

void TCommPortDriver::SetPort(TPortNumber value) {
    if (IsOpen()) return;
    if (value < pnCustom || value > pnCOM16) return;
    port_ = value;
    if (value != pnCustom) portName_ = ComPortDevice(static_cast<int>(value), ".");
}

void TCommPortDriver::SetPortName(const std::string& value) {
    if (IsOpen()) return;
    portName_ = value;
    port_ = pnCustom;
}

void TCommPortDriver::SetBaudRate(TBaudRate value) {
    if (value != brCustom && BaudRateOf(value) == 0) return;  // not a member of the table
    baudRate_ = value;
    if (value != brCustom) baudRateValue_ = BaudRateOf(value);
    if (IsOpen()) ApplyLineSettings();
}

void TCommPortDriver::SetBaudRateValue(uint32_t value) {
    baudRate_ = brCustom;
    baudRateValue_ = value;
    if (IsOpen()) ApplyLineSettings();
}

void TCommPortDriver::SetDataBits(TDataBits value) {
    dataBits_ = value;
    if (IsOpen()) ApplyLineSettings();
}

void TCommPortDriver::SetStopBits(TStopBits value) {
    stopBits_ = value;
    if (IsOpen()) ApplyLineSettings();
}

void TCommPortDriver::SetParity(TParity value) {
    parity_ = value;
    if (IsOpen()) ApplyLineSettings();
}

void TCommPortDriver::SetHwFlow(THwFlowControl value) {
    hwFlow_ = value;
    if (IsOpen()) ApplyLineSettings();
}

void TCommPortDriver::SetSwFlow(TSwFlowControl value) {
    swFlow_ = value;
    if (IsOpen()) ApplyLineSettings();
}

void TCommPortDriver::SetInBufSize(uint32_t value) {
    if (IsOpen()) return;
    inBufSize_ = ClampBufSize(value);
    inputBuffer_ = std::make_unique<uint8_t[]>(inBufSize_);  // zero-filled
    SetPacketSize(packetSize_);
}

void TCommPortDriver::SetOutBufSize(uint32_t value) {
    if (IsOpen()) return;
    outBufSize_ = ClampBufSize(value);
}

void TCommPortDriver::SetPacketSize(int32_t value) {
    if (value <= 0) {
        packetSize_ = -1;
        return;
    }
    // A packet must fit the input buffer, which cannot grow past 8192 bytes,
    // nor at all while the port is open.
    if (static_cast<uint32_t>(value) > kMaxBufSize) value = static_cast<int32_t>(kMaxBufSize);
    if (static_cast<uint32_t>(value) > inBufSize_ && IsOpen()) value = static_cast<int32_t>(inBufSize_);
    packetSize_ = static_cast<int16_t>(value);
    if (static_cast<uint32_t>(value) > inBufSize_) SetInBufSize(static_cast<uint32_t>(value));
}

void TCommPortDriver::SetPacketTimeout(int32_t value) {
    if (value <= 0) {
        packetTimeout_ = -1;
    } else if (value < static_cast<int32_t>(pollingDelay_)) {
        packetTimeout_ = pollingDelay_ + pollingDelay_ * 40 / 100;
    } else {
        packetTimeout_ = value;
    }
}

void TCommPortDriver::SetPollingDelay(uint32_t value) {
    value = std::clamp(value, kMinPollingDelay, kMaxPollingDelay);
    if (value == pollingDelay_) return;
    if (IsOpen()) {
        StopTimer();
        pollingDelay_ = static_cast<uint16_t>(value);
        StartTimer();
    } else {
        pollingDelay_ = static_cast<uint16_t>(value);
    }
    SetPacketTimeout(packetTimeout_);
}

// ---- operations ----

bool TCommPortDriver::IsOpen() const {
    return backend_->IsOpen();
}

bool TCommPortDriver::OpenPort() {
    if (IsOpen()) return true;
    OpenError error = OpenError::Other;
    std::string reason;
    if (!backend_->Open(portName_, error, reason)) {
        lastOpenError_ = error;
        lastErrorText_ = reason;
        if (tap_) tap_->Line(*this, LineEvent::OpenFailed, lastErrorText_);
        return false;
    }
    if (!ApplySettings(&reason)) {
        backend_->Close();
        lastOpenError_ = OpenError::NotConfigurable;
        lastErrorText_ = reason.empty() ? "Cannot configure " + portName_ : reason;
        if (tap_) tap_->Line(*this, LineEvent::OpenFailed, lastErrorText_);
        return false;
    }
    lastOpenError_ = OpenError::None;
    lastErrorText_.clear();
    packetStartTick_ = -1;
    StartTimer();
    if (tap_) tap_->Line(*this, LineEvent::Opened, {});
    return true;
}

void TCommPortDriver::ClosePort() {
    if (!IsOpen()) return;
    if (tap_) tap_->Line(*this, LineEvent::Closed, {});
    CloseLine();
}

void TCommPortDriver::CloseLine() {
    if (!IsOpen()) return;
    StopTimer();
    backend_->Close();
    packetStartTick_ = -1;
}

void TCommPortDriver::SetTrafficTap(TrafficTap* tap) {
    tap_ = tap;
    if (tap_) tap_->Line(*this, LineEvent::Attached, {});
}

bool TCommPortDriver::ApplyLineSettings() {
    const bool applied = ApplySettings(nullptr);
    if (applied && tap_) tap_->Line(*this, LineEvent::Changed, {});
    return applied;
}

bool TCommPortDriver::ApplySettings(std::string* reason) {
    if (!IsOpen()) return false;
    LineSettings s;
    s.rate = baudRateValue_;
    s.dataBits = static_cast<int>(dataBits_) + 5;
    s.parity = parity_;
    s.stopBits = stopBits_;
    s.hwFlow = hwFlow_;
    s.swFlow = swFlow_;
    s.dtrOn = enableDtrOnOpen_;
    s.xonXoffLimit = inBufSize_ / 4;
    if (backend_->OsPlatformCode() == "WNT" && backend_->OsVersion() >= (4u << 16))
        s.xonXoffLimit = std::min<uint32_t>(s.xonXoffLimit, 4096);
    s.inBufSize = inBufSize_;
    s.outBufSize = outBufSize_;
    if (s.rate == 0 || s.dataBits < 5 || s.dataBits > 8) {
        if (reason) *reason = "Invalid line settings for " + portName_;
        return false;
    }
    if (!backend_->Apply(s, reason)) return false;
    return PurgeBuffers(true, true);
}

bool TCommPortDriver::PurgeBuffers(bool input, bool output) {
    if (!IsOpen()) return false;
    if (!backend_->Purge(input, output)) return false;
    packetStartTick_ = -1;
    return true;
}

unsigned TCommPortDriver::ModemLineState() {
    if (!IsOpen()) return 0;
    return backend_->ModemLines();
}

uint16_t TCommPortDriver::FreeOutputSpace() {
    if (!IsOpen()) return 0xFFFF;
    const int32_t queued = backend_->QueuedOutput();
    if (queued < 0) return 0;
    // The OS queue may hold more than OutBufSize: that is no space, not a
    // wrapped-around huge amount.
    if (static_cast<uint32_t>(queued) >= outBufSize_) return 0;
    return static_cast<uint16_t>(outBufSize_ - static_cast<uint32_t>(queued));
}

uint32_t TCommPortDriver::WriteBufferTimed(const void* data, uint32_t count, uint32_t timeoutMs) {
    if (!IsOpen() || data == nullptr) return 0;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    uint32_t total = 0;
    int64_t lastProgress = backend_->TickMs();
    while (total < count) {
        const uint16_t space = FreeOutputSpace();
        if (space > 0) {
            if (checkLineStatus_ && ModemLineState() == 0) break;  // no device on the line
            const uint32_t chunk = std::min<uint32_t>(count - total, space);
            const int32_t written = backend_->Write(p + total, chunk);
            // A failed write (-1) wrote nothing.
            if (written > 0) {
                total += static_cast<uint32_t>(written);
                lastProgress = backend_->TickMs();
                continue;
            }
        }
        if (backend_->TickMs() - lastProgress > static_cast<int64_t>(timeoutMs)) break;
        // A line that has gone takes nothing more; the next poll reports it.
        std::string reason;
        if (backend_->Vanished(reason)) break;
        backend_->SleepMs(kWriteRetrySleepMs);
    }
    if (tap_) {
        if (total > 0) tap_->Written(p, total);
        if (total < count)
            tap_->Line(*this, LineEvent::ShortWrite,
                       std::to_string(total) + " of " + std::to_string(count) + " bytes written");
    }
    return total;
}

uint32_t TCommPortDriver::WriteBuffer(const void* data, uint32_t count) {
    return WriteBufferTimed(data, count, outputTimeout_);
}

bool TCommPortDriver::WriteByte(uint8_t value) {
    return WriteBuffer(&value, 1) == 1;
}

uint32_t TCommPortDriver::BytesToMilliseconds(TBaudRate rate, uint32_t count) {
    return Milliseconds(BaudRateOf(rate), count);
}

uint32_t TCommPortDriver::LineMilliseconds(uint32_t count) const {
    const uint32_t rate = baudRate_ == brCustom ? baudRateValue_ : BaudRateOf(baudRate_);
    return Milliseconds(rate, count);
}

std::string TCommPortDriver::OsPlatformCode() const {
    return backend_->OsPlatformCode();
}

uint32_t TCommPortDriver::OsVersion() const {
    return backend_->OsVersion();
}

// ---- timer and polling ----

void TCommPortDriver::StartTimer() {
    if (timer_) timer_->Start(pollingDelay_);
}

void TCommPortDriver::StopTimer() {
    if (timer_) timer_->Stop();
}

void TCommPortDriver::LoseLine(const std::string& reason) {
    if (tap_) tap_->Line(*this, LineEvent::Lost, reason);
    CloseLine();
    if (OnLineLost) OnLineLost(this, reason);
}

void TCommPortDriver::Deliver(const ReceiveEvent* event, int32_t n) {
    if (n <= 0) return;
    if (tap_) tap_->Read(inputBuffer_.get(), static_cast<uint32_t>(n));
    if (event && *event) (*event)(this, inputBuffer_.get(), static_cast<uint32_t>(n));
}

void TCommPortDriver::Poll() {
    if (!IsOpen()) return;
    const int32_t queued = backend_->QueuedInput();
    if (queued > 0) {
        if (packetSize_ <= 0) {
            const uint32_t want = std::min<uint32_t>(static_cast<uint32_t>(queued), inBufSize_);
            Deliver(&OnReceiveData, backend_->Read(inputBuffer_.get(), want));
        } else {
            PollPackets(queued);
        }
    } else if (queued == 0 && packetSize_ > 0) {
        PollPackets(0);  // a pending short packet may have timed out
    }
    // A handler may have closed the port. Bytes that arrived before the line
    // vanished were delivered above; now look whether it is still there.
    if (!IsOpen()) return;
    std::string reason;
    if (backend_->Vanished(reason)) LoseLine(reason);
}

void TCommPortDriver::PollPackets(int32_t queued) {
    const int64_t now = backend_->TickMs();
    if (queued < packetSize_) {
        if (packetTimeout_ > 0 && packetStartTick_ >= 0 && now - packetStartTick_ > packetTimeout_) {
            if (queued > 0) {
                const uint32_t want = std::min<uint32_t>(static_cast<uint32_t>(queued), inBufSize_);
                // With pmDiscard a short packet is dropped, but it did come over the line.
                Deliver(packetMode_ == pmPass ? &OnReceivePacket : nullptr,
                        backend_->Read(inputBuffer_.get(), want));
            }
            packetStartTick_ = -1;
        } else if (queued > 0 && packetStartTick_ < 0) {
            packetStartTick_ = now;
        }
        return;
    }
    // The bytes after a complete packet started arriving about one packet
    // time after it. Without a start tick (whole packets arrived between two
    // polls) the rest counts from now, not from tick -1 plus packet times,
    // which would time it out at once.
    const bool startKnown = packetStartTick_ >= 0;
    while (IsOpen() && packetSize_ > 0 && queued >= packetSize_) {
        const uint32_t size = static_cast<uint32_t>(packetSize_);
        const int32_t n = backend_->Read(inputBuffer_.get(), size);
        if (n <= 0) return;  // a failed read delivers nothing this tick
        Deliver(&OnReceivePacket, n);
        if (startKnown) packetStartTick_ += LineMilliseconds(size);
        queued -= static_cast<int32_t>(size);
    }
    if (queued <= 0)
        packetStartTick_ = -1;
    else if (!startKnown)
        packetStartTick_ = now;
}

}  // namespace kt::serial
