// POSIX backend: termios, flock/TIOCEXCL for exclusive use, non-blocking I/O.
#include "serial/PosixBackend.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "serial/PosixCustomSpeed.h"

namespace kt::serial {

namespace {

std::string OpenFailureText(const std::string& device, int err, OpenError& error) {
    switch (err) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case EIO:  // a serial device node without hardware behind it
            error = OpenError::NoSuchDevice;
            return "Cannot open " + device + ": no such device";
        case EACCES:
        case EPERM:
            error = OpenError::PermissionDenied;
            return "Cannot open " + device +
                   ": permission denied (join the dialout group: sudo usermod -aG dialout $USER, then log in "
                   "again)";
        case EBUSY:
        case EWOULDBLOCK:
            error = OpenError::Busy;
            return "Cannot open " + device + ": in use by another program";
        default:
            error = OpenError::Other;
            return "Cannot open " + device + ": " + std::strerror(err);
    }
}

bool IsGoneError(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

}  // namespace

speed_t StandardSpeed(uint32_t rate) {
    switch (rate) {
        case 50:
            return B50;
        case 75:
            return B75;
        case 110:
            return B110;
        case 134:
            return B134;
        case 150:
            return B150;
        case 200:
            return B200;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 1800:
            return B1800;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 500000:
            return B500000;
        case 576000:
            return B576000;
        case 921600:
            return B921600;
        case 1000000:
            return B1000000;
        default:
            return B0;
    }
}

void MakeRawTermios(termios& t, const LineSettings& s) {
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
#ifdef CIBAUD
    // No separate input rate: the line reads at the rate it writes. A custom
    // rate set before leaves its input rate here, which would otherwise stay.
    t.c_cflag &= ~CIBAUD;
#endif
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    switch (s.dataBits) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        default:
            t.c_cflag |= CS8;
            break;
    }
    switch (s.parity) {
        case ptODD:
            t.c_cflag |= PARENB | PARODD;
            break;
        case ptEVEN:
            t.c_cflag |= PARENB;
            break;
        case ptMARK:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case ptSPACE:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (s.stopBits != sb1BITS) t.c_cflag |= CSTOPB;  // no 1.5 on POSIX: 2
    if (s.hwFlow == hfRTSCTS) t.c_cflag |= CRTSCTS;
    if (s.swFlow == sfXONXOFF) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VSTART] = 17;  // DC1
    t.c_cc[VSTOP] = 19;   // DC3
}

PosixBackend::~PosixBackend() {
    Close();
}

bool PosixBackend::Open(const std::string& device, OpenError& error, std::string& reason) {
    if (fd_ >= 0) return true;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = OpenFailureText(device, errno, error);
        return false;
    }
    if (!isatty(fd)) {
        ::close(fd);
        error = OpenError::NotConfigurable;
        reason = "Cannot open " + device + ": not a serial port";
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        reason = OpenFailureText(device, err == EWOULDBLOCK ? EBUSY : err, error);
        return false;
    }
    // Keep other programs (of the same user) from opening it while we use it.
    ioctl(fd, TIOCEXCL);
    fd_ = fd;
    device_ = device;
    lostReason_.clear();
    pushback_ = -1;
    return true;
}

void PosixBackend::Close() {
    if (fd_ < 0) return;
    // On Linux the exclusive flag outlives the descriptor; clear it or a
    // non-root user could not open the port again.
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    pushback_ = -1;
    lostReason_.clear();
}

bool PosixBackend::Apply(const LineSettings& s, std::string* reason) {
    if (fd_ < 0) return false;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) {
        NoteFailure(errno);
        if (reason) *reason = "Cannot configure " + device_ + ": " + std::strerror(errno);
        return false;
    }
    MakeRawTermios(t, s);
    const speed_t speed = StandardSpeed(s.rate);
    // A custom rate starts from a valid standard one and is then replaced.
    cfsetispeed(&t, speed != B0 ? speed : B38400);
    cfsetospeed(&t, speed != B0 ? speed : B38400);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) {
        NoteFailure(errno);
        if (reason) *reason = "Cannot configure " + device_ + ": " + std::strerror(errno);
        return false;
    }
    if (speed == B0 && !SetCustomSpeed(fd_, s.rate)) {
        if (reason)
            *reason = "Cannot configure " + device_ + ": rate " + std::to_string(s.rate) + " not supported";
        return false;
    }
    // DTR and RTS. A pseudo-terminal has no modem lines: ignore failures.
    int dtr = TIOCM_DTR;
    ioctl(fd_, s.dtrOn ? TIOCMBIS : TIOCMBIC, &dtr);
    if (s.hwFlow != hfRTSCTS) {
        int rts = TIOCM_RTS;
        ioctl(fd_, s.hwFlow == hfNONERTSON ? TIOCMBIS : TIOCMBIC, &rts);
    }
    // The XON/XOFF limits and queue sizes have no POSIX counterpart: the
    // kernel manages its own buffers.
    return true;
}

bool PosixBackend::Purge(bool input, bool output) {
    if (fd_ < 0) return false;
    if (!input && !output) return true;
    const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    if (tcflush(fd_, which) != 0) {
        NoteFailure(errno);
        return false;
    }
    if (input) pushback_ = -1;
    return true;
}

int32_t PosixBackend::QueuedInput() {
    if (fd_ < 0) return -1;
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0) {
        NoteFailure(errno);
        return -1;
    }
    return n + (pushback_ >= 0 ? 1 : 0);
}

int32_t PosixBackend::QueuedOutput() {
    if (fd_ < 0) return -1;
    int n = 0;
    if (ioctl(fd_, TIOCOUTQ, &n) != 0) {
        NoteFailure(errno);
        return -1;
    }
    return n;
}

int32_t PosixBackend::Read(void* buffer, uint32_t size) {
    if (fd_ < 0) return -1;
    if (size == 0) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    int32_t got = 0;
    if (pushback_ >= 0) {
        out[got++] = static_cast<unsigned char>(pushback_);
        pushback_ = -1;
        if (--size == 0) return got;
    }
    const ssize_t n = ::read(fd_, out + got, size);
    if (n > 0) return got + static_cast<int32_t>(n);
    if (n == 0 || errno == EAGAIN || errno == EINTR) return got;
    NoteFailure(errno);
    return got > 0 ? got : -1;
}

int32_t PosixBackend::Write(const void* data, uint32_t count) {
    if (fd_ < 0) return -1;
    if (count == 0) return 0;
    const ssize_t n = ::write(fd_, data, count);
    if (n >= 0) return static_cast<int32_t>(n);
    if (errno == EAGAIN || errno == EINTR) return 0;
    NoteFailure(errno);
    return -1;
}

unsigned PosixBackend::ModemLines() {
    if (fd_ < 0) return 0;
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) return 0;  // pseudo-terminal: no lines
    unsigned lines = 0;
    if (bits & TIOCM_CTS) lines |= mlCTS;
    if (bits & TIOCM_DSR) lines |= mlDSR;
    if (bits & TIOCM_RNG) lines |= mlRING;
    if (bits & TIOCM_CAR) lines |= mlRLSD;
    return lines;
}

void PosixBackend::NoteFailure(int err) {
    if (lostReason_.empty() && IsGoneError(err))
        lostReason_ = "Connection lost on " + device_ + ": " + std::strerror(err);
}

bool PosixBackend::Vanished(std::string& reason) {
    if (fd_ < 0) return false;
    if (lostReason_.empty()) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 0) > 0) {
            if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
                lostReason_ = "Connection lost on " + device_ + ": the other side hung up";
            } else if ((p.revents & POLLIN) && pushback_ < 0) {
                // Readable: either bytes arrived since the last look, or the
                // line is at end of file. Probe with a one-byte read and keep
                // any byte it gets for the next Read.
                int queued = 0;
                if (ioctl(fd_, FIONREAD, &queued) == 0 && queued == 0) {
                    unsigned char b = 0;
                    const ssize_t n = ::read(fd_, &b, 1);
                    if (n == 1)
                        pushback_ = b;
                    else if (n == 0)
                        lostReason_ = "Connection lost on " + device_ + ": end of file";
                    else
                        NoteFailure(errno);
                }
            }
        }
    }
    if (lostReason_.empty()) return false;
    reason = lostReason_;
    return true;
}

int64_t PosixBackend::TickMs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void PosixBackend::SleepMs(unsigned ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

uint32_t PosixBackend::OsVersion() const {
    utsname u{};
    if (uname(&u) != 0) return 0;
    unsigned major = 0, minor = 0;
    if (std::sscanf(u.release, "%u.%u", &major, &minor) < 1) return 0;
    return (major << 16) | (minor & 0xFFFFu);
}

std::unique_ptr<SerialBackend> MakeDefaultBackend() {
    return std::make_unique<PosixBackend>();
}

}  // namespace kt::serial
