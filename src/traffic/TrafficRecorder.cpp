#include "traffic/TrafficRecorder.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "protocol/Escapes.h"
#include "serial/PortText.h"
#include "version/Version.h"

namespace kt::traffic {

using protocol::Escape;
using protocol::PrintableLine;
using protocol::Unescape;

using serial::LineEvent;

namespace {

int64_t SteadyUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t SystemUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

// A file for writing, created readable and writable by its owner only.
std::FILE* OpenForWriting(const std::filesystem::path& path, bool exclusive, int& err) {
#ifdef _WIN32
    const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | (exclusive ? _O_EXCL : _O_APPEND);
    const int fd = ::_wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
    std::FILE* f = fd >= 0 ? ::_fdopen(fd, "ab") : nullptr;
    if (!f) {
        err = errno;
        if (fd >= 0) ::_close(fd);
    }
#else
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | (exclusive ? O_EXCL : O_APPEND);
    const int fd = ::open(path.c_str(), flags, 0600);
    std::FILE* f = fd >= 0 ? ::fdopen(fd, "a") : nullptr;
    if (!f) {
        err = errno;
        if (fd >= 0) ::close(fd);
    }
#endif
    return f;
}

}  // namespace

TrafficRecorder::TrafficRecorder(std::string program, Clock clock)
    : program_(std::move(program)), clock_(std::move(clock)) {
    if (!clock_.monoUs) clock_.monoUs = SteadyUs;
    if (!clock_.wallUs) clock_.wallUs = SystemUs;
    startedWallUs_ = clock_.wallUs();
    lastFlushUs_ = clock_.monoUs();
}

TrafficRecorder::~TrafficRecorder() {
    CloseFile();
}

// ---- the file ----

bool TrafficRecorder::OpenFile(const std::filesystem::path& path, bool exclusive, std::string* error) {
    int err = 0;
    std::FILE* f = OpenForWriting(path, exclusive, err);
    if (!f) {
        if (error) *error = "cannot open " + path.string() + ": " + std::strerror(err);
        return false;  // the file in use, if any, goes on
    }
    CloseFile();
    file_ = f;
    path_ = path;
    fileError_.clear();
    pending_ = HeaderLine() + '\n';
    for (size_t i = 0; i < ring_.size(); ++i) {
        if (sendOpen_ && i + 1 == ring_.size()) break;  // goes out once complete
        AppendLine(pending_, ring_[i]);
    }
    return Flush();
}

void TrafficRecorder::CloseFile() {
    EndSend();
    if (!file_) return;
    WriteOut();
    if (file_ && std::fclose(file_) != 0 && fileError_.empty())
        fileError_ = "cannot write " + path_.string() + ": " + std::strerror(errno);
    file_ = nullptr;
    pending_.clear();
}

bool TrafficRecorder::Flush() {
    const int64_t now = clock_.monoUs();
    if (sendOpen_ && now - lastWriteUs_ >= kJoinUs) EndSend();
    lastFlushUs_ = now;
    return WriteOut();
}

void TrafficRecorder::FlushIfDue() {
    if (clock_.monoUs() - lastFlushUs_ >= kFlushUs) Flush();
}

bool TrafficRecorder::WriteOut() {
    if (!file_) return fileError_.empty();
    if (!pending_.empty()) {
        const bool ok = std::fwrite(pending_.data(), 1, pending_.size(), file_) == pending_.size() &&
                        std::fflush(file_) == 0;
        pending_.clear();
        if (!ok) {
            // The ring goes on; the file stops where it failed (a full disk).
            fileError_ = "cannot write " + path_.string() + ": " + std::strerror(errno);
            std::fclose(file_);
            file_ = nullptr;
            return false;
        }
    }
    return true;
}

void TrafficRecorder::ToFile(const Entry& entry) {
    if (!file_) return;
    AppendLine(pending_, entry);
    if (pending_.size() >= kFileBufferBytes) WriteOut();
}

// ---- the ring ----

Entry& TrafficRecorder::Add(Kind kind, int64_t monoUs) {
    EndSend();
    Entry& e = ring_.emplace_back();
    e.seq = nextSeq_++;
    e.monoUs = monoUs;
    e.wallUs = clock_.wallUs();
    e.kind = kind;
    return e;
}

void TrafficRecorder::EndSend() {
    if (!sendOpen_) return;
    sendOpen_ = false;
    ToFile(ring_.back());
}

void TrafficRecorder::Trim() {
    // The last entry stays, however big: it may be a send under way.
    while (ring_.size() > 1 && (ring_.size() > kRingEntries || bytes_ > kRingBytes)) {
        bytes_ -= ring_.front().bytes.size();
        ring_.pop_front();
    }
}

void TrafficRecorder::Clear() {
    EndSend();
    ring_.clear();
    bytes_ = 0;
}

void TrafficRecorder::Note(const std::string& text) {
    Entry& e = Add(Kind::Note, clock_.monoUs());
    e.bytes = text;
    bytes_ += e.bytes.size();
    ToFile(e);
    Trim();
    FlushIfDue();
}

std::string TrafficRecorder::HeaderLine() const {
    std::string line = "# " + program_ + " " + kt::Version() + " traffic log started " +
                       LocalTimeText(startedWallUs_) + "; port " + port_ + ", " + settings_ +
                       (portOpen_ ? ", open" : ", closed");
    return PrintableLine(line);
}

std::string TrafficRecorder::Text(uint64_t from, uint64_t to) const {
    std::string out = HeaderLine() + '\n';
    from = std::max(from, FirstSeq());
    to = std::min(to, EndSeq());
    for (uint64_t s = from; s < to; ++s)
        AppendLine(out, At(s));
    return out;
}

// ---- the tap ----

void TrafficRecorder::Written(const uint8_t* data, uint32_t size) {
    const int64_t now = clock_.monoUs();
    const bool join = sendOpen_ && now - lastWriteUs_ < kJoinUs && ring_.back().bytes.size() < kJoinBytes;
    Entry& e = join ? ring_.back() : Add(Kind::Tx, now);
    e.bytes.append(reinterpret_cast<const char*>(data), size);
    bytes_ += size;
    sendOpen_ = true;
    lastWriteUs_ = now;
    Trim();
    FlushIfDue();
}

void TrafficRecorder::Read(const uint8_t* data, uint32_t size) {
    Entry& e = Add(Kind::Rx, clock_.monoUs());
    e.bytes.assign(reinterpret_cast<const char*>(data), size);
    bytes_ += size;
    ToFile(e);
    Trim();
    FlushIfDue();
}

void TrafficRecorder::Line(const serial::TCommPortDriver& port, LineEvent event, const std::string& detail) {
    const std::string name = serial::PortHeadText(port);
    const std::string settings = serial::LineSettingsText(port);
    const bool changed = name != port_ || settings != settings_;
    port_ = name;
    settings_ = settings;
    switch (event) {
        case LineEvent::Attached:
            portOpen_ = port.IsOpen();
            return;
        case LineEvent::Opened:
            portOpen_ = true;
            Note(serial::OpenPortText(port));
            return;
        case LineEvent::OpenFailed:
            portOpen_ = false;
            Note(serial::OpenFailureText(port));
            return;
        case LineEvent::Changed:
            // Setters apply the settings again even when nothing changed.
            if (changed) Note(name + " changed: " + settings);
            return;
        case LineEvent::Closed:
            portOpen_ = false;
            Note(name + " closed");
            return;
        case LineEvent::Lost:
            portOpen_ = false;
            Note(name + " lost: " + (detail.empty() ? "line lost" : detail));
            return;
        case LineEvent::ShortWrite:
            Note(name + ": write stopped, " + detail);
            return;
    }
}

}  // namespace kt::traffic
