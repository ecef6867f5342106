// Pseudo-terminal helper. Uses the kernel's termios2 to read custom speeds,
// so it must not include <termios.h> (the two headers clash).
#include "support/Pty.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace kt::test {

namespace {

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Pty::Pty() {
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return;
    char name[128];
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        close(fd);
        return;
    }
    master_ = fd;
    slavePath_ = name;
}

Pty::~Pty() {
    CloseMaster();
}

void Pty::CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

std::string Pty::Read(size_t count, int timeoutMs) {
    std::string out;
    if (master_ < 0) return out;
    const int64_t deadline = NowMs() + timeoutMs;
    char buf[4096];
    while (out.size() < count) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) break;
        pollfd p{master_, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(left < 50 ? left : 50));
        if (r < 0 && errno != EINTR) break;
        if (r <= 0) continue;
        const size_t want = count - out.size() < sizeof buf ? count - out.size() : sizeof buf;
        const ssize_t n = read(master_, buf, want);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
        } else if (n < 0 && errno == EIO) {
            // No slave open (yet or any more): wait a little and look again.
            usleep(5000);
        }
    }
    return out;
}

bool Pty::Write(const std::string& bytes) {
    if (master_ < 0) return false;
    size_t done = 0;
    const int64_t deadline = NowMs() + 2000;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        if (NowMs() >= deadline) return false;
        pollfd p{master_, POLLOUT, 0};
        poll(&p, 1, 10);
    }
    return true;
}

PtyLine Pty::Line() const {
    PtyLine line;
    struct termios2 t {};
    if (master_ < 0 || ioctl(master_, TCGETS2, &t) != 0) return line;
    line.cflag = t.c_cflag;
    line.speed = t.c_ospeed;
    line.inSpeed = t.c_ispeed;
    switch (t.c_cflag & CSIZE) {
        case CS5:
            line.dataBits = 5;
            break;
        case CS6:
            line.dataBits = 6;
            break;
        case CS7:
            line.dataBits = 7;
            break;
        default:
            line.dataBits = 8;
            break;
    }
    if (t.c_cflag & PARENB) {
        const bool odd = (t.c_cflag & PARODD) != 0;
        if (t.c_cflag & CMSPAR)
            line.parity = odd ? 'M' : 'S';
        else
            line.parity = odd ? 'O' : 'E';
    }
    line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    line.rtsCts = (t.c_cflag & CRTSCTS) != 0;
    line.xonXoff = (t.c_iflag & IXON) && (t.c_iflag & IXOFF);
    line.raw = !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_oflag & OPOST);
    return line;
}

}  // namespace kt::test
