// The traffic recorder: every byte the serial driver writes and reads, with
// a monotonic and a wall-clock time stamp and its direction, and what became
// of the port. Attached to a TCommPortDriver as its traffic tap; Qt-free and
// single-threaded like the driver.
//
// The writes of one send (a command written byte by byte, then its NUL) are
// one TX entry: writes follow each other into the same entry until something
// is read, the port changes, 50 ms pass without a write or the entry holds
// 4096 bytes. Every chunk a poll reads is one RX entry.
//
// Entries go to a ring of the last 20,000 (and of at most 8 MiB of bytes, so
// that a flooding line keeps memory bounded) and, when a file is set, to a
// buffer written to the file at least once a second (each entry once it is
// complete), when the buffer holds 64 KiB, and when the file is closed.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "serial/CommPortDriver.h"
#include "traffic/TrafficLog.h"

namespace kt::traffic {

class TrafficRecorder final : public serial::TrafficTap {
  public:
    static constexpr size_t kRingEntries = 20000;
    static constexpr size_t kRingBytes = size_t{8} << 20;
    static constexpr int64_t kJoinUs = 50000;
    static constexpr size_t kJoinBytes = 4096;
    static constexpr int64_t kFlushUs = 1000000;
    static constexpr size_t kFileBufferBytes = size_t{64} << 10;

    // Microsecond clocks; tests give their own.
    struct Clock {
        std::function<int64_t()> monoUs;  // default: steady clock
        std::function<int64_t()> wallUs;  // default: system clock (since 1970 UTC)
    };

    // program names the recorder in the header line ("kt4470", "kt4470ctl").
    explicit TrafficRecorder(std::string program, Clock clock = {});
    ~TrafficRecorder() override;
    TrafficRecorder(const TrafficRecorder&) = delete;
    TrafficRecorder& operator=(const TrafficRecorder&) = delete;

    // ---- the file ----
    // Starts writing to path: the header line, then the entries the ring
    // holds, then every new one. exclusive: the file must not exist yet
    // (session logs); otherwise it is appended to. A new file is readable and
    // writable by its owner only (the traffic holds passwords). False with the
    // reason when it cannot be opened.
    bool OpenFile(const std::filesystem::path& path, bool exclusive, std::string* error);
    // Completes the entry under way, writes everything out and closes the file.
    void CloseFile();
    bool HasFile() const { return file_ != nullptr; }
    const std::filesystem::path& FilePath() const { return path_; }
    // Why the file stopped being written (empty while all is well).
    const std::string& FileError() const { return fileError_; }
    // Writes out what is buffered; a send quiet for 50 ms is complete and goes
    // with it. The owner calls it about once a second; false after a write error.
    bool Flush();
    // Flush() when the last one is a second old or more.
    void FlushIfDue();

    // ---- the ring ----
    size_t Size() const { return ring_.size(); }
    // Sequence numbers of the first entry held and one past the last.
    uint64_t FirstSeq() const { return nextSeq_ - ring_.size(); }
    uint64_t EndSeq() const { return nextSeq_; }
    // An entry held (FirstSeq() <= seq < EndSeq()); the last one may still grow.
    const Entry& At(uint64_t seq) const { return ring_[static_cast<size_t>(seq - FirstSeq())]; }
    // Bytes of all entries held.
    size_t Bytes() const { return bytes_; }
    // Empties the ring (the file keeps everything).
    void Clear();

    // A '#' line of the owner's.
    void Note(const std::string& text);
    // "# kt4470 0.9.0 (git ...) traffic log started <time>; port COM1 -> /dev/pts/3, 2400 8N1, open".
    std::string HeaderLine() const;
    // The header line and the entries from `from` to `to` (clamped to the ring) in the file format.
    std::string Text(uint64_t from, uint64_t to) const;
    std::string Text() const { return Text(FirstSeq(), EndSeq()); }

    // ---- serial::TrafficTap ----
    void Written(const uint8_t* data, uint32_t size) override;
    void Read(const uint8_t* data, uint32_t size) override;
    void Line(const serial::TCommPortDriver& port, serial::LineEvent event,
              const std::string& detail) override;

  private:
    Entry& Add(Kind kind, int64_t monoUs);
    // The send under way is complete: to the file.
    void EndSend();
    void Trim();
    void ToFile(const Entry& entry);
    bool WriteOut();

    std::string program_;
    Clock clock_;
    std::deque<Entry> ring_;
    uint64_t nextSeq_ = 0;
    size_t bytes_ = 0;
    bool sendOpen_ = false;  // the last entry is a TX entry still taking writes
    int64_t lastWriteUs_ = 0;
    // The port as last seen.
    std::string port_, settings_;
    bool portOpen_ = false;
    // The file.
    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    std::string pending_;
    std::string fileError_;
    int64_t lastFlushUs_ = 0;
    int64_t startedWallUs_ = 0;
};

}  // namespace kt::traffic
