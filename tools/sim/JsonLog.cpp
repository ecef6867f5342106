#include "JsonLog.h"

#include <ctime>

namespace kt::sim {

std::string JsonEscape(std::string_view bytes) {
    static const char* kHex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c > 0x7E) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0x0F];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

std::string IsoTimeUtc(std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    gmtime_r(&secs, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms % 1000));
    return buf;
}

JsonLog::~JsonLog() {
    if (file_) std::fclose(file_);
}

bool JsonLog::Open(const std::string& path) {
    if (file_) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "a");
    return file_ != nullptr;
}

void JsonLog::Write(std::string_view dir, std::string_view mode, std::string_view text,
                    std::string_view extra) {
    if (!file_) return;
    std::string line = "{\"t\":\"" + IsoTimeUtc(std::chrono::system_clock::now()) + "\",\"dir\":\"";
    line += dir;
    line += "\",\"mode\":\"";
    line += mode;
    line += "\",\"text\":\"" + JsonEscape(text) + "\"";
    line += extra;
    line += "}\n";
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

}  // namespace kt::sim
