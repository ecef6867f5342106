// TCommPortDriver: one serial port, its line settings, timed writes and a
// polled receive path. No thread of its own: the owner supplies a poll timer
// and everything runs on the caller's thread. Failures are reported by
// results (false, short counts), never by exceptions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/SerialBackend.h"
#include "serial/SerialTypes.h"

namespace kt::serial {

// The poll timer is supplied by the owner: a QTimer in the program, a manual
// one in tests. When it fires, the owner calls TCommPortDriver::Poll().
class IPollTimer {
  public:
    virtual ~IPollTimer() = default;
    virtual void Start(unsigned periodMs) = 0;
    virtual void Stop() = 0;
};

class TCommPortDriver;

// What happened to the line, for a traffic tap.
enum class LineEvent {
    Attached,    // the tap was attached (the port as it stands)
    Opened,      // OpenPort succeeded
    OpenFailed,  // OpenPort failed; LastErrorText()/LastOpenError() say why
    Changed,     // line settings applied to the open port
    Closed,      // ClosePort on an open port
    Lost,        // the open line vanished (the reason is given)
    ShortWrite,  // a write stopped before all its bytes went out (the detail is given)
};

// Sees every byte the driver writes and reads, and what happens to the line.
// Called synchronously on the driver's thread; a tap must not call back into
// the driver except for its getters.
class TrafficTap {
  public:
    virtual ~TrafficTap() = default;
    // The bytes one write call handed to the line (only those that went out).
    virtual void Written(const uint8_t* data, uint32_t size) = 0;
    // One chunk read by a poll, before the receive event sees it.
    virtual void Read(const uint8_t* data, uint32_t size) = 0;
    virtual void Line(const TCommPortDriver& port, LineEvent event, const std::string& detail) = 0;
};

class TCommPortDriver {
  public:
    using ReceiveEvent = std::function<void(TCommPortDriver* sender, const void* data, uint32_t size)>;
    // Called once when an open line vanishes (adapter unplugged, other side
    // closed); the port is closed before the call.
    using LineLostEvent = std::function<void(TCommPortDriver* sender, const std::string& reason)>;

    // timer may be null (nothing polls; tests then call Poll() themselves).
    explicit TCommPortDriver(IPollTimer* timer = nullptr, std::unique_ptr<SerialBackend> backend = nullptr);
    ~TCommPortDriver();
    TCommPortDriver(const TCommPortDriver&) = delete;
    TCommPortDriver& operator=(const TCommPortDriver&) = delete;

    // Properties (getters and setters with the component's rules).
    TPortNumber Port() const { return port_; }
    void SetPort(TPortNumber value);
    const std::string& PortName() const { return portName_; }
    void SetPortName(const std::string& value);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value);
    uint32_t BaudRateValue() const { return baudRateValue_; }
    void SetBaudRateValue(uint32_t value);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value);
    TParity Parity() const { return parity_; }
    void SetParity(TParity value);
    THwFlowControl HwFlow() const { return hwFlow_; }
    void SetHwFlow(THwFlowControl value);
    TSwFlowControl SwFlow() const { return swFlow_; }
    void SetSwFlow(TSwFlowControl value);
    uint32_t InBufSize() const { return inBufSize_; }
    void SetInBufSize(uint32_t value);
    uint32_t OutBufSize() const { return outBufSize_; }
    void SetOutBufSize(uint32_t value);
    int16_t PacketSize() const { return packetSize_; }
    void SetPacketSize(int32_t value);
    int32_t PacketTimeout() const { return packetTimeout_; }
    void SetPacketTimeout(int32_t value);
    TPacketMode PacketMode() const { return packetMode_; }
    void SetPacketMode(TPacketMode value) { packetMode_ = value; }
    uint16_t PollingDelay() const { return pollingDelay_; }
    void SetPollingDelay(uint32_t value);
    bool EnableDTROnOpen() const { return enableDtrOnOpen_; }
    void SetEnableDTROnOpen(bool value) { enableDtrOnOpen_ = value; }
    uint16_t OutputTimeout() const { return outputTimeout_; }
    void SetOutputTimeout(uint16_t value) { outputTimeout_ = value; }
    uint32_t InputTimeout() const { return inputTimeout_; }
    void SetInputTimeout(uint32_t value) { inputTimeout_ = value; }
    bool CheckLineStatus() const { return checkLineStatus_; }
    void SetCheckLineStatus(bool value) { checkLineStatus_ = value; }

    ReceiveEvent OnReceiveData;
    ReceiveEvent OnReceivePacket;
    LineLostEvent OnLineLost;

    // Operations.
    bool OpenPort();
    void ClosePort();
    bool IsOpen() const;
    bool ApplyLineSettings();
    bool PurgeBuffers(bool input, bool output);
    unsigned ModemLineState();
    uint16_t FreeOutputSpace();
    uint32_t WriteBufferTimed(const void* data, uint32_t count, uint32_t timeoutMs);
    uint32_t WriteBuffer(const void* data, uint32_t count);
    bool WriteByte(uint8_t value);
    static uint32_t BytesToMilliseconds(TBaudRate rate, uint32_t count);
    std::string OsPlatformCode() const;
    uint32_t OsVersion() const;

    // One tick of the poll timer (the hidden window's timer message on Win32).
    void Poll();

    // Why the last OpenPort failed, and a one-line text for the operator.
    OpenError LastOpenError() const { return lastOpenError_; }
    const std::string& LastErrorText() const { return lastErrorText_; }

    SerialBackend& Backend() { return *backend_; }

    // The traffic tap (null: none, and nothing is recorded). The tap hears
    // LineEvent::Attached at once; it must outlive the driver or be detached.
    void SetTrafficTap(TrafficTap* tap);
    TrafficTap* Tap() const { return tap_; }

  private:
    void StartTimer();
    void StopTimer();
    bool ApplySettings(std::string* reason);
    // Closes the port and reports the vanished line once through OnLineLost.
    void LoseLine(const std::string& reason);
    // ClosePort without telling the tap.
    void CloseLine();
    // A chunk read into the input buffer: to the tap first, then to `event`.
    void Deliver(const ReceiveEvent* event, int32_t n);
    // Packet mode part of Poll().
    void PollPackets(int32_t queued);
    // Line time of `count` characters at the rate in use (BaudRateValue for brCustom).
    uint32_t LineMilliseconds(uint32_t count) const;

    IPollTimer* timer_;
    std::unique_ptr<SerialBackend> backend_;
    TPortNumber port_ = pnCOM2;
    std::string portName_;
    TBaudRate baudRate_ = br9600;
    uint32_t baudRateValue_ = 9600;
    TDataBits dataBits_ = db8BITS;
    TStopBits stopBits_ = sb1BITS;
    TParity parity_ = ptNONE;
    THwFlowControl hwFlow_ = hfNONERTSON;
    TSwFlowControl swFlow_ = sfNONE;
    uint32_t inBufSize_ = 2048;
    uint32_t outBufSize_ = 2048;
    int16_t packetSize_ = -1;
    int32_t packetTimeout_ = -1;
    TPacketMode packetMode_ = pmDiscard;
    uint16_t pollingDelay_ = 50;
    bool enableDtrOnOpen_ = true;
    uint16_t outputTimeout_ = 500;
    uint32_t inputTimeout_ = 200;
    bool checkLineStatus_ = false;
    std::unique_ptr<uint8_t[]> inputBuffer_;
    int64_t packetStartTick_ = -1;
    OpenError lastOpenError_ = OpenError::None;
    std::string lastErrorText_;
    TrafficTap* tap_ = nullptr;
};

}  // namespace kt::serial
