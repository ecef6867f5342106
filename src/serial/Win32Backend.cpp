// Win32 serial backend: CreateFileA, SetCommState, SetupComm, PurgeComm,
// SetCommTimeouts, ClearCommError, GetCommModemStatus, ReadFile, WriteFile.
#include "serial/Win32Backend.h"

#include <algorithm>
#include <limits>

namespace kt::serial {

namespace {

constexpr char kXonChar = 17;   // DC1
constexpr char kXoffChar = 19;  // DC3

// Reads return at once with whatever is queued; a write that cannot be
// queued gives up after 10 ms (the driver retries until its own time-out).
constexpr COMMTIMEOUTS kTimeouts = {
    1,   // ReadIntervalTimeout
    0,   // ReadTotalTimeoutMultiplier
    1,   // ReadTotalTimeoutConstant
    0,   // WriteTotalTimeoutMultiplier
    10,  // WriteTotalTimeoutConstant
};

// Win32's device names carry the "\\.\" prefix; messages name the port.
std::string ShortName(const std::string& device) {
    static const std::string prefix = "\\\\.\\";
    return device.rfind(prefix, 0) == 0 ? device.substr(prefix.size()) : device;
}

}  // namespace

std::string Win32ErrorText(DWORD code) {
    char buffer[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                   0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) text = "system error";
    return text + " (error " + std::to_string(code) + ")";
}

DCB BuildDcb(const LineSettings& s) {
    DCB dcb;
    ZeroMemory(&dcb, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = s.rate;
    dcb.fBinary = TRUE;
    dcb.fDtrControl = s.dtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    switch (s.hwFlow) {
        case hfNONERTSON:
            dcb.fRtsControl = RTS_CONTROL_ENABLE;
            break;
        case hfRTSCTS:
            dcb.fOutxCtsFlow = TRUE;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
            break;
        case hfNONE:
        default:
            dcb.fRtsControl = RTS_CONTROL_DISABLE;
            break;
    }
    if (s.swFlow == sfXONXOFF) {
        dcb.fOutX = TRUE;
        dcb.fInX = TRUE;
    }
    const WORD limit = static_cast<WORD>(std::min<uint32_t>(s.xonXoffLimit, 0xFFFF));
    dcb.XonLim = limit;
    dcb.XoffLim = limit;
    dcb.ByteSize = static_cast<BYTE>(s.dataBits);
    dcb.Parity = static_cast<BYTE>(s.parity);
    dcb.StopBits = static_cast<BYTE>(s.stopBits);
    dcb.XonChar = kXonChar;
    dcb.XoffChar = kXoffChar;
    return dcb;
}

int64_t TickExtender::Extend(uint32_t tick) {
    if (started_ && tick < last_) high_ += int64_t{1} << 32;
    started_ = true;
    last_ = tick;
    return high_ + tick;
}

Win32Backend::~Win32Backend() {
    Close();
}

bool Win32Backend::Open(const std::string& device, OpenError& error, std::string& reason) {
    if (IsOpen()) return true;
    HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        const std::string name = ShortName(device);
        switch (code) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_PATHNAME:
                error = OpenError::NoSuchDevice;
                reason = name + ": no such port";
                break;
            case ERROR_ACCESS_DENIED:  // what a COM port already open elsewhere answers
            case ERROR_SHARING_VIOLATION:
                error = OpenError::Busy;
                reason = name + " is in use by another program";
                break;
            default:
                error = OpenError::Other;
                reason = name + ": " + Win32ErrorText(code);
                break;
        }
        return false;
    }
    COMMTIMEOUTS timeouts = kTimeouts;
    if (!SetCommTimeouts(h, &timeouts)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        error = OpenError::NotConfigurable;
        reason = ShortName(device) + " is not a serial port: " + Win32ErrorText(code);
        return false;
    }
    handle_ = h;
    device_ = device;
    return true;
}

void Win32Backend::Close() {
    if (!IsOpen()) return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool Win32Backend::Apply(const LineSettings& settings, std::string* reason) {
    if (!IsOpen()) return false;
    DCB dcb = BuildDcb(settings);
    if (!SetCommState(handle_, &dcb)) {
        if (reason)
            *reason = "Cannot set the line settings of " + ShortName(device_) + ": " +
                      Win32ErrorText(GetLastError());
        return false;
    }
    if (!SetupComm(handle_, settings.inBufSize, settings.outBufSize)) {
        if (reason)
            *reason =
                "Cannot set the buffers of " + ShortName(device_) + ": " + Win32ErrorText(GetLastError());
        return false;
    }
    return true;
}

bool Win32Backend::Purge(bool input, bool output) {
    if (!IsOpen()) return false;
    DWORD flags = 0;
    if (output) flags |= PURGE_TXABORT | PURGE_TXCLEAR;
    if (input) flags |= PURGE_RXABORT | PURGE_RXCLEAR;
    if (flags == 0) return true;
    return PurgeComm(handle_, flags) != FALSE;
}

bool Win32Backend::Status(COMSTAT& status) {
    if (!IsOpen()) return false;
    DWORD errors = 0;
    return ClearCommError(handle_, &errors, &status) != FALSE;
}

int32_t Win32Backend::QueuedInput() {
    COMSTAT status{};
    if (!Status(status)) return -1;
    return static_cast<int32_t>(std::min<DWORD>(status.cbInQue, std::numeric_limits<int32_t>::max()));
}

int32_t Win32Backend::QueuedOutput() {
    COMSTAT status{};
    if (!Status(status)) return -1;
    return static_cast<int32_t>(std::min<DWORD>(status.cbOutQue, std::numeric_limits<int32_t>::max()));
}

int32_t Win32Backend::Read(void* buffer, uint32_t size) {
    if (!IsOpen()) return -1;
    if (size == 0) return 0;
    DWORD n = 0;
    if (!ReadFile(handle_, buffer, size, &n, nullptr)) return -1;
    return static_cast<int32_t>(std::min<DWORD>(n, size));
}

int32_t Win32Backend::Write(const void* data, uint32_t count) {
    if (!IsOpen()) return -1;
    if (count == 0) return 0;
    DWORD n = 0;
    // A write that times out fails but may still have queued part of the
    // data; what counts is the number written.
    const BOOL ok = WriteFile(handle_, data, count, &n, nullptr);
    if (!ok && n == 0) return GetLastError() == ERROR_TIMEOUT ? 0 : -1;
    return static_cast<int32_t>(std::min<DWORD>(n, count));
}

unsigned Win32Backend::ModemLines() {
    if (!IsOpen()) return 0;
    DWORD status = 0;
    if (!GetCommModemStatus(handle_, &status)) return 0;
    unsigned lines = 0;
    if (status & MS_CTS_ON) lines |= mlCTS;
    if (status & MS_DSR_ON) lines |= mlDSR;
    if (status & MS_RING_ON) lines |= mlRING;
    if (status & MS_RLSD_ON) lines |= mlRLSD;
    return lines;
}

bool Win32Backend::Vanished(std::string& reason) {
    if (!IsOpen()) return false;
    // A removed adapter (or the closed far side of Wine's pseudo-terminal)
    // fails every status query; a present port always answers it.
    COMSTAT status{};
    if (Status(status)) return false;
    reason = ShortName(device_) + " is gone: " + Win32ErrorText(GetLastError());
    return true;
}

int64_t Win32Backend::TickMs() const {
    return ticks_.Extend(GetTickCount());
}

void Win32Backend::SleepMs(unsigned ms) {
    Sleep(ms);
}

namespace {

// GetVersionExA is deprecated in favour of the version helpers, but it is
// the call that reports the platform id this driver keys on.
bool QueryVersion(OSVERSIONINFOA& info) {
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExA(&info) != FALSE;
#pragma GCC diagnostic pop
}

}  // namespace

std::string Win32Backend::OsPlatformCode() const {
    OSVERSIONINFOA info;
    if (!QueryVersion(info)) return "??";
    switch (info.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            return "W32S";
        case VER_PLATFORM_WIN32_WINDOWS:
            return "W95";
        case VER_PLATFORM_WIN32_NT:
            return "WNT";
        default:
            return "";
    }
}

uint32_t Win32Backend::OsVersion() const {
    OSVERSIONINFOA info;
    if (!QueryVersion(info)) return 0;
    return (static_cast<uint32_t>(info.dwMajorVersion) << 16) | (info.dwMinorVersion & 0xFFFFu);
}

std::unique_ptr<SerialBackend> MakeDefaultBackend() {
    return std::make_unique<Win32Backend>();
}

}  // namespace kt::serial
