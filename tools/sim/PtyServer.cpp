#include "PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kt::sim {

namespace {

// Self-pipe: the signal handler writes one byte, the loop polls the read end.
int g_stopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    const char b = 1;
    [[maybe_unused]] ssize_t n = write(g_stopPipe[1], &b, 1);
    errno = saved;
}

bool StopRequested() {
    pollfd p{g_stopPipe[0], POLLIN, 0};
    return poll(&p, 1, 0) > 0;
}

}  // namespace

Endpoint::Endpoint(const SimOptions& options, Clock clock) : module_(clock) {
    if (options.mode != SimOptions::Mode::Modem) return;
    modem_ = std::make_unique<ModemModel>(options.moduleNumber, module_, clock);
    modem_->SetSmsDelay(std::chrono::milliseconds(options.smsDelayMs));
    modem_->SetFailSubmit(options.failSubmit);
    for (const auto& [number, text] : options.inboxOther)
        modem_->Deliver(number, text);
}

std::vector<Exchange> Endpoint::Feed(std::string_view bytes) {
    if (modem_) return modem_->Feed(bytes);
    std::vector<Exchange> out;
    for (const Frame& f : splitter_.Feed(bytes)) {
        if (!f.framed && f.text.empty()) continue;  // an empty line is no command
        out.push_back({f.text + "\r", f.framed ? module_.Command(f.text) : module_.RawLine(f.text)});
    }
    return out;
}

PtyServer::PtyServer(SimOptions options) : options_(std::move(options)), endpoint_(options_) {
    random_.seed(options_.seedGiven ? options_.seed : std::random_device{}());
}

PtyServer::~PtyServer() {
    Close();
}

bool PtyServer::Open() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        std::fprintf(stderr, "kt4470-sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    char name[256];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        std::fprintf(stderr, "kt4470-sim: cannot name the pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    device_ = name;
    slave_ = open(device_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        std::fprintf(stderr, "kt4470-sim: cannot open %s: %s\n", device_.c_str(), std::strerror(errno));
        return false;
    }
    // Raw from the start: no echo or line editing before the terminal sets
    // its own line settings.
    termios tio{};
    if (tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    struct stat st {};
    if (lstat(options_.link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            std::fprintf(stderr, "kt4470-sim: %s exists and is not a symbolic link; not replacing it\n",
                         options_.link.c_str());
            return false;
        }
        unlink(options_.link.c_str());
    }
    if (symlink(device_.c_str(), options_.link.c_str()) != 0) {
        std::fprintf(stderr, "kt4470-sim: cannot create the link %s: %s\n", options_.link.c_str(),
                     std::strerror(errno));
        return false;
    }
    linked_ = true;
    return true;
}

void PtyServer::Close() {
    if (linked_) {
        // Remove the link only while it still names our device.
        char target[512];
        const ssize_t n = readlink(options_.link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == device_) unlink(options_.link.c_str());
        linked_ = false;
    }
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = master_ = -1;
}

int PtyServer::Unread() const {
    int n = 0;
    if (slave_ < 0 || ioctl(slave_, FIONREAD, &n) != 0) return 0;
    return n;
}

bool PtyServer::Pause(int ms) {
    pollfd p{g_stopPipe[0], POLLIN, 0};
    return poll(&p, 1, ms) <= 0;
}

void PtyServer::WriteAll(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // Nobody reads the line: give up on the rest after a while.
            pollfd p{master_, POLLOUT, 0};
            if (poll(&p, 1, 2000) > 0) continue;
        }
        return;
    }
}

void PtyServer::Answer(const std::string& answer) {
    if (options_.split && answer.size() > 1) {
        // Two to four pieces cut at random places, 50-300 ms apart.
        std::uniform_int_distribution<int> count(2, 4), pause(50, 300);
        const size_t pieces = std::min<size_t>(static_cast<size_t>(count(random_)), answer.size());
        std::vector<size_t> cuts;
        std::uniform_int_distribution<size_t> at(1, answer.size() - 1);
        while (cuts.size() + 1 < pieces) {
            const size_t c = at(random_);
            if (std::find(cuts.begin(), cuts.end(), c) == cuts.end()) cuts.push_back(c);
        }
        std::sort(cuts.begin(), cuts.end());
        size_t from = 0;
        for (size_t i = 0; i <= cuts.size(); ++i) {
            const size_t to = i < cuts.size() ? cuts[i] : answer.size();
            if (i > 0 && !Pause(pause(random_))) return;
            WriteAll(answer.substr(from, to - from));
            from = to;
        }
    } else {
        WriteAll(answer);
    }
    log_.Write("tx", endpoint_.ModeName(), answer);
    if (options_.noise > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(random_) < options_.noise) {
        std::uniform_int_distribution<int> length(1, 8), byte(0, 255);
        std::string junk(static_cast<size_t>(length(random_)), '\0');
        for (char& c : junk)
            c = static_cast<char>(byte(random_));
        WriteAll(junk);
        log_.Write("tx", endpoint_.ModeName(), junk, ",\"noise\":true");
    }
}

namespace {

// The flood is written in steps this far apart.
constexpr int kFloodStepMs = 10;

int64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int PtyServer::PollTimeoutMs() const {
    return options_.noiseFlood > 0 ? kFloodStepMs : 1000;
}

void PtyServer::Flood() {
    if (options_.noiseFlood <= 0 || master_ < 0) return;
    const int64_t now = NowUs();
    if (floodStartUs_ < 0) floodStartUs_ = now;
    const int64_t due = (now - floodStartUs_) * options_.noiseFlood / 1000000 - floodDue_;
    if (due <= 0) return;
    // A pause of the loop (an answer written slowly) does not turn into a burst.
    const int64_t n = std::min<int64_t>(due, std::max<int64_t>(options_.noiseFlood / 10, 1));
    std::string junk(static_cast<size_t>(n), '\0');
    for (size_t i = 0; i < junk.size(); i += 4) {
        const uint32_t r = random_();
        for (size_t k = 0; k < 4 && i + k < junk.size(); ++k)
            junk[i + k] = static_cast<char>(r >> (8 * k));
    }
    // What the line cannot take now is dropped: a flood is no queue.
    [[maybe_unused]] const ssize_t written = write(master_, junk.data(), junk.size());
    floodDue_ += due;
}

int PtyServer::Run() {
    if (!options_.logPath.empty() && !log_.Open(options_.logPath)) {
        std::fprintf(stderr, "kt4470-sim: cannot open the log %s: %s\n", options_.logPath.c_str(),
                     std::strerror(errno));
        return 1;
    }
    if (pipe(g_stopPipe) != 0) return 1;
    fcntl(g_stopPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    if (!Open()) {
        Close();
        return 1;
    }
    if (ModemModel* modem = endpoint_.Modem()) {
        modem->moduleTrace = [this](std::string_view command, std::string_view answer) {
            log_.Write("rx", "module", std::string(command) + "\r", ",\"via\":\"sms\"");
            log_.Write("tx", "module", answer, ",\"via\":\"sms\"");
        };
    }
    std::printf("%s\n", device_.c_str());
    std::fflush(stdout);

    char buf[4096];
    while (!StopRequested()) {
        // A delayed answer SMS wakes the loop when it is due.
        ModemModel* modem = endpoint_.Modem();
        if (modem) modem->DeliverDue();
        const int64_t due = modem ? modem->MsUntilDelivery() : -1;
        pollfd fds[2] = {{master_, POLLIN, 0}, {g_stopPipe[0], POLLIN, 0}};
        Flood();
        int timeoutMs = PollTimeoutMs();
        if (due >= 0) timeoutMs = static_cast<int>(std::min<int64_t>(due + 1, timeoutMs));
        const int ready = poll(fds, 2, timeoutMs);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0 || fds[1].revents) continue;
        if (fds[0].revents & (POLLHUP | POLLERR)) {
            // No one has the other side open (should not happen while we
            // hold it): wait and look again.
            Pause(50);
        }
        if (!(fds[0].revents & POLLIN)) continue;
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            Pause(50);  // EIO while the other side is closed
            continue;
        }
        for (const Exchange& e : endpoint_.Feed(std::string_view(buf, static_cast<size_t>(n)))) {
            log_.Write("rx", endpoint_.ModeName(), e.received);
            ++commands_;
            if (!options_.silent && !e.answer.empty()) Answer(e.answer);
            if (options_.hangupAfter > 0 && commands_ >= options_.hangupAfter) {
                // Closing the master discards what the other side has not
                // read yet: give the terminal up to 5 s to take the last answer.
                // (The bytes reach the other side's queue a moment after the write.)
                Pause(100);
                for (int i = 0; i < 250 && Unread() > 0; ++i) {
                    if (!Pause(20)) break;
                }
                Close();
                return 0;
            }
        }
    }
    Close();
    return 0;
}

}  // namespace kt::sim
