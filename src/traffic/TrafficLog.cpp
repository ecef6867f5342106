#include "traffic/TrafficLog.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "protocol/Escapes.h"

namespace kt::traffic {

using protocol::Escape;
using protocol::PrintableLine;
using protocol::Unescape;

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The local date and time of one second ("2026-12-08T17:01:02") and the
// offset text ("+01:00"). Formatting an entry reuses the last second's text:
// the traffic of one second costs one conversion.
struct SecondText {
    int64_t second = INT64_MIN;
    char date[80] = {};
    char offset[24] = {};
};

void Convert(int64_t second, SecondText& out) {
    const std::time_t t = static_cast<std::time_t>(second);
    std::tm local{};
    long offsetS = 0;
#ifdef _WIN32
    localtime_s(&local, &t);
    std::tm copy = local;
    offsetS = static_cast<long>(_mkgmtime(&copy) - t);
#else
    localtime_r(&t, &local);
    offsetS = local.tm_gmtoff;
#endif
    std::snprintf(out.date, sizeof out.date, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    const char sign = offsetS < 0 ? '-' : '+';
    const long a = offsetS < 0 ? -offsetS : offsetS;
    std::snprintf(out.offset, sizeof out.offset, "%c%02ld:%02ld", sign, (a / 3600) % 100, (a / 60) % 60);
    out.second = second;
}

void AppendTime(std::string& out, int64_t wallUs) {
    thread_local SecondText cache;
    const int64_t second = FloorDiv(wallUs, 1000000);
    if (second != cache.second) Convert(second, cache);
    const int ms = static_cast<int>(FloorDiv(wallUs, 1000) - second * 1000);
    out += cache.date;
    out += '.';
    out += static_cast<char>('0' + ms / 100);
    out += static_cast<char>('0' + ms / 10 % 10);
    out += static_cast<char>('0' + ms % 10);
    out += cache.offset;
}

}  // namespace

std::string LocalTimeText(int64_t wallUs) {
    std::string out;
    AppendTime(out, wallUs);
    return out;
}

const char* KindText(Kind kind) {
    switch (kind) {
        case Kind::Tx:
            return "TX";
        case Kind::Rx:
            return "RX";
        default:
            return "#";
    }
}

void AppendLine(std::string& out, const Entry& e) {
    if (e.kind == Kind::Note) {
        out += "# ";
        AppendTime(out, e.wallUs);
        out += ' ';
        out += PrintableLine(e.bytes);
    } else {
        AppendTime(out, e.wallUs);
        out += e.kind == Kind::Tx ? " TX " : " RX ";
        out += Escape(e.bytes);
    }
    out += '\n';
}

std::string FormatLine(const Entry& e) {
    std::string out;
    AppendLine(out, e);
    out.pop_back();
    return out;
}

std::string HexText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (!out.empty()) out += ' ';
        out += kHexDigits[c >> 4];
        out += kHexDigits[c & 0x0F];
    }
    return out;
}

namespace {

// "2026-12-08T17:01:02.345+01:00" in shape: digits where digits belong.
bool IsTimeText(std::string_view t) {
    static constexpr std::string_view kShape = "0000-00-00T00:00:00.000+00:00";
    if (t.size() != kShape.size()) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        const char want = kShape[i];
        if (want == '0') {
            if (t[i] < '0' || t[i] > '9') return false;
        } else if (want == '+') {
            if (t[i] != '+' && t[i] != '-') return false;
        } else if (t[i] != want) {
            return false;
        }
    }
    return true;
}

bool Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool ParseLine(std::string_view line, ParsedLine& out, std::string* error) {
    constexpr size_t kTimeLength = 29;
    if (!line.empty() && line.front() == '#') {
        out.kind = Kind::Note;
        std::string_view rest = line.substr(1);
        if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        out.time.clear();
        if (rest.size() >= kTimeLength && IsTimeText(rest.substr(0, kTimeLength)) &&
            (rest.size() == kTimeLength || rest[kTimeLength] == ' ')) {
            out.time = std::string(rest.substr(0, kTimeLength));
            rest.remove_prefix(std::min(rest.size(), kTimeLength + 1));
        }
        out.bytes = std::string(rest);
        return true;
    }
    if (line.size() < kTimeLength + 4 || !IsTimeText(line.substr(0, kTimeLength)) ||
        line[kTimeLength] != ' ' || line[kTimeLength + 3] != ' ')
        return Fail(error, "not a traffic line (time, TX or RX, bytes)");
    const std::string_view dir = line.substr(kTimeLength + 1, 2);
    if (dir != "TX" && dir != "RX") return Fail(error, "neither TX nor RX");
    std::string bytes, why;
    if (!Unescape(std::string(line.substr(kTimeLength + 4)), bytes, why)) {
        if (error) *error = why;
        return false;
    }
    out.kind = dir == "TX" ? Kind::Tx : Kind::Rx;
    out.time = std::string(line.substr(0, kTimeLength));
    out.bytes = std::move(bytes);
    return true;
}

}  // namespace kt::traffic
