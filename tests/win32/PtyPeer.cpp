// kt_pty_peer: the far end of a serial line for Windows tests under Wine.
//
// Creates a pseudo-terminal, maps a Wine COM port to it (a dosdevices link),
// runs the given command (the test executable under Wine) with
// KT_WINE_COM=COMn and KT_WINE_PEER=<tcp port>, and answers the test's
// requests on 127.0.0.1:<tcp port>, one line each way:
//   RENEW             a fresh pseudo-terminal behind the COM port    -> OK
//   SETTINGS          the line settings as the pseudo-terminal sees them
//                     -> speed=N cstopb=0|1 crtscts=0|1 ixon=0|1 ixoff=0|1
//                     (no data bits or parity: Linux forces CS8 without
//                     parity on every pseudo-terminal)
//   SEND <hex>        write bytes to the line                         -> OK
//   DRAIN             from now on read the line continuously, keeping
//                     what arrives for RECV (a far end that never stalls) -> OK
//   RECV <max> <ms>   up to max bytes (kept ones first), waiting at most ms
//                                                                     -> DATA <hex>
//   HANGUP            close the far end (the line vanishes)           -> OK
// Exits with the command's exit status.
//
// Usage: kt_pty_peer PREFIX COM-NUMBER COMMAND [ARG...]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "HexText.h"

namespace {

using kt::test::Hex;
using kt::test::Unhex;

std::string g_link;
int g_master = -1;
int g_slave = -1;  // held open so the line survives the test's closes
bool g_drain = false;
std::string g_kept;  // read while draining, not yet asked for
// The line's controlling-terminal holder (see NewPty) and its pipe.
pid_t g_holder = -1;
int g_holderPipe = -1;

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "kt_pty_peer: %s: %s\n", what.c_str(), std::strerror(errno));
    if (!g_link.empty()) ::unlink(g_link.c_str());
    std::exit(2);
}

void ClosePty() {
    if (g_master >= 0) ::close(g_master);
    if (g_slave >= 0) ::close(g_slave);
    g_master = g_slave = -1;
    if (g_holderPipe >= 0) ::close(g_holderPipe);  // the holder exits
    if (g_holder > 0) ::waitpid(g_holder, nullptr, 0);
    g_holderPipe = -1;
    g_holder = -1;
    g_drain = false;
    g_kept.clear();
}

// Wine's server is a session leader without a terminal: the first serial
// device it opens would become its controlling terminal, and closing the far
// end would send it SIGHUP. A small child in a session of its own takes the
// line as its controlling terminal first and ignores the hang-up.
void HoldLine(const std::string& slave) {
    int done[2], ready[2];
    if (::pipe2(done, O_CLOEXEC) != 0 || ::pipe2(ready, O_CLOEXEC) != 0) Die("pipe");
    g_holder = ::fork();
    if (g_holder < 0) Die("fork");
    if (g_holder == 0) {
        // Only the two pipes stay open: a copy of the far end here would
        // keep the line from ever hanging up.
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != done[0] && fd != ready[1]) ::close(fd);
        ::signal(SIGHUP, SIG_IGN);
        ::setsid();
        const int fd = ::open(slave.c_str(), O_RDWR);  // becomes the controlling terminal
        char c = fd >= 0 ? 1 : 0;
        (void)!::write(ready[1], &c, 1);
        (void)!::read(done[0], &c, 1);  // until the peer closes its end
        ::_exit(0);
    }
    ::close(done[0]);
    ::close(ready[1]);
    char c = 0;
    if (::read(ready[0], &c, 1) != 1 || c != 1) Die("hold " + slave);
    ::close(ready[0]);
    g_holderPipe = done[1];
}

void NewPty() {
    ClosePty();
    g_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (g_master < 0 || ::grantpt(g_master) != 0 || ::unlockpt(g_master) != 0) Die("posix_openpt");
    const char* name = ::ptsname(g_master);
    if (!name) Die("ptsname");
    const std::string slave = name;
    g_slave = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (g_slave < 0) Die("open " + slave);
    // Raw from the start: no echo of what the peer sends before the port is
    // configured.
    termios t{};
    if (::tcgetattr(g_slave, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(g_slave, TCSANOW, &t);
    }
    ::fcntl(g_master, F_SETFL, ::fcntl(g_master, F_GETFL) | O_NONBLOCK);
    HoldLine(slave);
    ::unlink(g_link.c_str());
    if (::symlink(slave.c_str(), g_link.c_str()) != 0) Die("symlink " + g_link);
}

unsigned SpeedOf(speed_t s) {
    static const struct {
        speed_t code;
        unsigned rate;
    } table[] = {{B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
                 {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},
                 {B1200, 1200},     {B1800, 1800},     {B2400, 2400},     {B4800, 4800},
                 {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
                 {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B500000, 500000},
                 {B576000, 576000}, {B921600, 921600}};
    for (const auto& e : table)
        if (e.code == s) return e.rate;
    return 0;
}

std::string Settings() {
    termios t{};
    if (::tcgetattr(g_slave, &t) != 0) return "ERROR tcgetattr";
    return "speed=" + std::to_string(SpeedOf(::cfgetospeed(&t))) +
           " cstopb=" + ((t.c_cflag & CSTOPB) ? "1" : "0") +
           " crtscts=" + ((t.c_cflag & CRTSCTS) ? "1" : "0") + " ixon=" + ((t.c_iflag & IXON) ? "1" : "0") +
           " ixoff=" + ((t.c_iflag & IXOFF) ? "1" : "0");
}

bool SendAll(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(g_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{g_master, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            return false;
        }
    }
    return true;
}

// Reads whatever the line holds now into g_kept (draining mode).
void Drain() {
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(g_master, buffer, sizeof buffer)) > 0)
        g_kept.append(buffer, static_cast<size_t>(n));
}

std::string Receive(size_t max, int ms) {
    std::string out = g_kept.substr(0, max);
    g_kept.erase(0, out.size());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buffer[4096];
    while (out.size() < max) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{g_master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        const ssize_t n = ::read(g_master, buffer, std::min(sizeof buffer, max - out.size()));
        if (n > 0)
            out.append(buffer, static_cast<size_t>(n));
        else if (n < 0 && errno != EAGAIN)
            break;
    }
    return out;
}

std::string Answer(const std::string& line) {
    const size_t space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (verb == "RENEW") {
        NewPty();
        return "OK";
    }
    if (verb == "SETTINGS") return g_master >= 0 ? Settings() : "ERROR no line";
    if (verb == "SEND") return g_master >= 0 && SendAll(Unhex(rest)) ? "OK" : "ERROR send";
    if (verb == "DRAIN") {
        g_drain = g_master >= 0;
        return g_drain ? "OK" : "ERROR no line";
    }
    if (verb == "RECV") {
        size_t max = 0;
        int ms = 0;
        if (g_master < 0 || std::sscanf(rest.c_str(), "%zu %d", &max, &ms) != 2) return "ERROR recv";
        return "DATA " + Hex(Receive(max, ms));
    }
    if (verb == "HANGUP") {
        ClosePty();
        return "OK";
    }
    return "ERROR unknown request";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: kt_pty_peer PREFIX COM-NUMBER COMMAND [ARG...]\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const std::string com = argv[2];
    ::signal(SIGPIPE, SIG_IGN);

    ::mkdir(prefix.c_str(), 0755);
    ::mkdir((prefix + "/dosdevices").c_str(), 0755);
    g_link = prefix + "/dosdevices/com" + com;
    NewPty();

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        Die("listen");

    const pid_t child = ::fork();
    if (child < 0) Die("fork");
    if (child == 0) {
        ::setenv("KT_WINE_COM", ("COM" + com).c_str(), 1);
        ::setenv("KT_WINE_PEER", std::to_string(ntohs(addr.sin_port)).c_str(), 1);
        ::execvp(argv[3], argv + 3);
        std::perror("kt_pty_peer: exec");
        ::_exit(127);
    }

    int client = -1;
    std::string pending;
    int status = 0;
    for (;;) {
        if (::waitpid(child, &status, WNOHANG) == child) break;
        pollfd p[2] = {{client >= 0 ? client : listener, POLLIN, 0}, {g_master, POLLIN, 0}};
        if (::poll(p, g_drain ? 2 : 1, 100) <= 0) continue;
        if (g_drain && (p[1].revents & POLLIN)) Drain();
        if (!(p[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        if (client < 0) {
            client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            continue;
        }
        char buffer[65536];
        const ssize_t n = ::read(client, buffer, sizeof buffer);
        if (n <= 0) {
            ::close(client);
            client = -1;
            pending.clear();
            continue;
        }
        pending.append(buffer, static_cast<size_t>(n));
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::string reply = Answer(line) + "\n";
            if (::send(client, reply.data(), reply.size(), MSG_NOSIGNAL) < 0) break;
        }
    }
    ::unlink(g_link.c_str());
    ClosePty();
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
