// The --log file: one JSON object a line for every frame received and sent.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace kt::sim {

// JSON string body of a byte string: quotes, backslash and control bytes are
// escaped; bytes above 0x7E are written as \u00XX (Latin-1), so the line is
// plain ASCII and every byte survives.
std::string JsonEscape(std::string_view bytes);

// "2026-12-07T21:00:00.123Z"
std::string IsoTimeUtc(std::chrono::system_clock::time_point t);

class JsonLog {
  public:
    JsonLog() = default;
    ~JsonLog();
    JsonLog(const JsonLog&) = delete;
    JsonLog& operator=(const JsonLog&) = delete;

    bool Open(const std::string& path);  // appends; false when it cannot be opened
    bool IsOpen() const { return file_ != nullptr; }

    // dir "rx" or "tx"; extra is inserted verbatim before the closing brace
    // (for example ,"noise":true).
    void Write(std::string_view dir, std::string_view mode, std::string_view text,
               std::string_view extra = {});

  private:
    FILE* file_ = nullptr;
};

}  // namespace kt::sim
