#include "ModuleModel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>

#include "ClockText.h"

namespace kt::sim {

namespace {

constexpr const char* kEnd = "\r\n";
constexpr const char* kError = "ERROR\r\n";
constexpr const char* kVersion = "KT4470QD25E SIM 1.0";

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Parses a whole string of digits into 0..max; -1 when it is not one.
int Number(std::string_view s, int max) {
    if (!AllDigits(s) || s.size() > 6) return -1;
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v <= max ? v : -1;
}

std::string Digits(long v, int width) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*ld", width, v);
    return buf;
}

// Sign and three digits, the form of the temperature level commands.
std::string Signed3(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%c%03d", v < 0 ? '-' : '+', v < 0 ? -v : v);
    return buf;
}

// Temperature in tenths as a signed decimal, "+21.5".
std::string Tenths(int v) {
    char buf[16];
    const int a = v < 0 ? -v : v;
    std::snprintf(buf, sizeof buf, "%c%d.%d", v < 0 ? '-' : '+', a / 10, a % 10);
    return buf;
}

// "+005" / "-099" / "+149": sign and exactly three digits, -99..149.
bool ParseSigned3(std::string_view s, int& out) {
    if (s.size() != 4 || (s[0] != '+' && s[0] != '-') || !AllDigits(s.substr(1))) return false;
    const int v = Number(s.substr(1), 999);
    out = s[0] == '-' ? -v : v;
    return out >= -99 && out <= 149;
}

bool IsMaskDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || c == '-';
}

bool IsMask(std::string_view s, size_t length) {
    if (s.size() != length) return false;
    for (char c : s) {
        if (!IsMaskDigit(c)) return false;
    }
    return true;
}

std::string Cut(std::string_view s, size_t max) {
    return std::string(s.substr(0, max));
}

}  // namespace

ModuleModel::ModuleModel(Clock clock) : clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::chrono::system_clock::now(); };
    ModuleState& s = state_;
    // Factory texts: the alarm texts name their source, the IO names their state.
    const char* level[3] = {"< MINIMUM", "Normal", "> MAXIMUM"};
    for (int t = 0; t < 3; ++t) {
        for (int k = 0; k < 3; ++k)
            s.extTexts[3 * t + k] = "Temperature " + std::to_string(t + 1) + " " + level[k];
    }
    for (int a = 0; a < 8; ++a) {
        for (int k = 0; k < 3; ++k)
            s.extTexts[9 + 3 * a + k] = "Analog Input " + std::to_string(a + 1) + " " + level[k];
    }
    for (int k = 1; k <= 12; ++k) {
        s.extTexts[32 + k] = "Event INP" + std::to_string(k) + " 0-1";
        s.extTexts[44 + k] = "Event INP" + std::to_string(k) + " 1-0";
    }
    // IO names 58-97: inputs in state 1 and 0, outputs on and off.
    for (int k = 1; k <= 12; ++k) {
        s.intTexts[56 + k] = "INP" + std::to_string(k) + " 1";
        s.intTexts[68 + k] = "INP" + std::to_string(k) + " 0";
    }
    for (int k = 1; k <= 8; ++k) {
        s.intTexts[80 + k] = "OUT" + std::to_string(k) + " 1";
        s.intTexts[88 + k] = "OUT" + std::to_string(k) + " 0";
    }
    for (auto& m : s.mux20mA)
        m = "100";
    for (int i = 0; i < 16; ++i) {
        s.analogValues[i] = (12 + 7 * i) % 100;
        s.analogMax[i] = 99;
    }
    s.temperatures = {215, 190, 230};
    s.tempMin = {-20, -20, -20};
    s.tempMax = {50, 50, 50};
    s.inputs[0] = true;
    s.inputs[2] = true;

    const std::time_t now = std::chrono::system_clock::to_time_t(clock_());
    std::tm tm{};
    localtime_r(&now, &tm);
    const long quarters = tm.tm_gmtoff / 900;
    zone_ = (quarters < 0 ? "-" : "+") + Digits(quarters < 0 ? -quarters / 4 : quarters / 4, 2);
}

std::string ModuleModel::ClockText() const {
    const std::time_t t = std::chrono::system_clock::to_time_t(clock_() + clockOffset_);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d,%02d:%02d:%02d", tm.tm_year % 100, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf + zone_;
}

bool ModuleModel::SetClock(std::string_view text) {
    // yy/MM/dd,hh:mm:ss then an optional zone such as +02
    std::tm tm{};
    if (!ParseClockFields(text, tm)) return false;
    std::string_view zone = Trim(text.substr(17));
    if (!zone.empty() &&
        (zone.size() != 3 || (zone[0] != '+' && zone[0] != '-') || !AllDigits(zone.substr(1))))
        return false;
    tm.tm_isdst = -1;
    const std::time_t wanted = std::mktime(&tm);
    if (wanted == static_cast<std::time_t>(-1)) return false;
    const std::time_t now = std::chrono::system_clock::to_time_t(clock_());
    clockOffset_ = std::chrono::seconds(wanted - now);
    if (!zone.empty()) zone_ = std::string(zone);
    return true;
}

std::string ModuleModel::OutputName(int k) const {
    const std::string& n = state_.intTexts[(state_.outputs[k - 1] ? 81 : 89) + k - 1];
    if (!n.empty()) return n;
    return "OUT" + std::to_string(k) + (state_.outputs[k - 1] ? " ON" : " OFF");
}

std::string ModuleModel::InputName(int k) const {
    const std::string& n = state_.intTexts[(state_.inputs[k - 1] ? 57 : 69) + k - 1];
    if (!n.empty()) return n;
    return "INP" + std::to_string(k) + (state_.inputs[k - 1] ? " 1" : " 0");
}

std::string ModuleModel::Status(std::string_view key) const {
    const ModuleState& s = state_;
    std::string in, out;
    for (bool b : s.inputs)
        in += b ? '1' : '0';
    for (bool b : s.outputs)
        out += b ? '1' : '0';
    std::string r = std::string(key) + ": IN " + in + " OUT " + out;
    for (int t = 0; t < 3; ++t)
        r += " T" + std::to_string(t + 1) + " " + Tenths(s.temperatures[t]);
    r += " CSQ " + std::to_string(s.signalQuality);
    return r + kEnd;
}

std::string ModuleModel::RawLine(std::string_view line) {
    std::string_view t = Trim(line);
    if (t == "\x1A") return "\r\nOK\r\n";
    if (t.size() >= 2 && std::toupper(static_cast<unsigned char>(t[0])) == 'A' &&
        std::toupper(static_cast<unsigned char>(t[1])) == 'T')
        return AtCommand(t);
    return Command(line);
}

std::string ModuleModel::AtCommand(std::string_view at) {
    std::string u;
    for (char c : at)
        u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto ok = [](const std::string& body) { return "\r\n" + body + "\r\n\r\nOK\r\n"; };
    if (u == "AT") return "\r\nOK\r\n";
    if (u == "AT+CSQ") return ok("+CSQ: " + std::to_string(state_.signalQuality) + ",0");
    if (u == "AT#BND=?") return ok("#BND: (0-3)");
    if (u == "AT#BND?") return ok("#BND: " + std::to_string(state_.gsmBand));
    if (StartsWith(u, "AT#BND=")) {
        const int b = Number(u.substr(7), 3);
        if (b < 0) return "\r\nERROR\r\n";
        state_.gsmBand = b;
        return "\r\nOK\r\n";
    }
    if (u == "AT+CGMI") return ok("KT4470-SIM-GSM");
    if (u == "AT+CGMM") return ok("GM862");
    if (u == "AT+CGSN") return ok("350000000000000");
    if (u == "AT+CREG?") return ok("+CREG: 0,1");
    if (u == "AT+COPS?") return ok("+COPS: 0,0,\"SIM NET\"");
    if (u == "AT+CCLK?") return ok("+CCLK: \"" + ClockText() + "\"");
    return "\r\nERROR\r\n";
}

std::string ModuleModel::Command(std::string_view command) {
    return Dispatch(TrimLeft(command));
}

std::string ModuleModel::Dispatch(std::string_view raw) {
    ModuleState& s = state_;
    const std::string_view c = TrimRight(raw);
    if (c.empty()) return kError;

    if (c == "OK") return std::string("OK") + kEnd;
    if (c == "+EXIT") return std::string("OK EXIT") + kEnd;

    // Status and measured values.
    if (c == "GETST") return Status("ST");
    if (c == "GETMH") return Status("MH");
    if (c == "GETVR") return std::string("VR: ") + kVersion + kEnd;
    if (c == "GETAN") {
        std::string r = "AN:";
        for (int i = 0; i < 16; ++i)
            r += " " + std::to_string(i + 1) + "=" + Digits(s.analogValues[i], 2);
        return r + kEnd;
    }
    if (c == "GETAN1") {
        std::string r = "AP: MODE " + s.analogModes + " K " + s.analogMultipliers + " D " + s.analogDividers +
                        " TF " + Digits(s.analogTimeout, 2) + " K20";
        for (int i = 0; i < 8; ++i)
            r += (i ? "," : " ") + s.mux20mA[i];
        return r + kEnd;
    }
    if (c == "GETTC") {
        std::string r = "TC:";
        for (int t = 0; t < 3; ++t)
            r += " T" + std::to_string(t + 1) + " " + Tenths(s.temperatures[t]);
        return r + kEnd;
    }
    if (c == "GETTH")
        return "TH: T " + Tenths(s.temperatures[0]) + " H " + std::to_string(s.humidity) + "%" + kEnd;
    if (c == "GETRT") {
        return "RT: 1=" + Digits(s.runtimes[0], 5) + " 2=" + Digits(s.runtimes[1], 5) + " LEV " +
               Digits(s.runtimeLevels[0], 5) + " " + Digits(s.runtimeLevels[1], 5) + kEnd;
    }
    if (c == "GETCT" || c == "CLRCT") {
        if (c == "CLRCT") s.counters = {0, 0};
        return "CT: 1=" + Digits(s.counters[0], 5) + " 2=" + Digits(s.counters[1], 5) + kEnd;
    }
    if (c == "RSTRT") {
        if (s.optionString.size() >= 5 && s.optionString[4] != 'E') s.outputs = {};
        return std::string("RESTART") + kEnd;
    }

    // Clock.
    if (c == "GETTM") return "TM: " + ClockText() + kEnd;
    if (StartsWith(c, "SETTM ")) {
        if (!SetClock(Trim(c.substr(6)))) return kError;
        return "TM: " + ClockText() + kEnd;
    }

    // Alarm numbers and SIM phone book.
    if ((StartsWith(c, "GETNR") || StartsWith(c, "CLRNR")) && c.size() == 6) {
        const int n = Number(c.substr(5, 1), 7);
        if (n < 1) return kError;
        if (StartsWith(c, "CLRNR")) s.alarmNumbers[n - 1].clear();
        return "NUM" + std::to_string(n) + ": " + s.alarmNumbers[n - 1] + " " + kEnd;
    }
    if (StartsWith(c, "SETNN")) {
        const int n = c.size() >= 7 && c[6] == ',' ? Number(c.substr(5, 1), 7) : -1;
        const std::string_view number = Trim(c.substr(std::min<size_t>(7, c.size())));
        if (n < 1 || number.empty() || number.size() > 20 || number.find(' ') != std::string_view::npos)
            return kError;
        s.alarmNumbers[n - 1] = std::string(number);
        return "NUM" + std::to_string(n) + ": " + s.alarmNumbers[n - 1] + " " + kEnd;
    }
    if (c == "GETPB" || StartsWith(c, "SETPB")) {
        if (c != "GETPB") {
            const int n = c.size() >= 7 && (c[6] == ',' || c[6] == ' ') ? Number(c.substr(5, 1), 7) : -1;
            const std::string_view number = Trim(c.substr(std::min<size_t>(7, c.size())));
            if (n < 1 || number.size() > 20 || number.find(' ') != std::string_view::npos) return kError;
            s.phoneBook[n - 1] = std::string(number);
        }
        // One blank before every entry and after the last: the page reads
        // each entry from its "N" to the next blank.
        std::string r;
        for (int i = 0; i < 7; ++i)
            r += " N" + std::to_string(i + 1) + ":" + s.phoneBook[i];
        return r + " " + kEnd;
    }
    if (StartsWith(c, "SETME,")) {
        // SETME,TTT,,AAAAAAAA,DDDDDDDDDDDD
        const std::string_view a = c.substr(6);
        if (a.size() != 3 + 2 + 8 + 1 + 12 || a.substr(3, 2) != ",," || a[13] != ',' ||
            !IsMask(a.substr(0, 3), 3) || !IsMask(a.substr(5, 8), 8) || !IsMask(a.substr(14), 12))
            return kError;
        s.tempMask = std::string(a.substr(0, 3));
        s.analogMask = std::string(a.substr(5, 8));
        s.digitalMask = std::string(a.substr(14));
        return "ME: T " + s.tempMask + " A " + s.analogMask + " D " + s.digitalMask + kEnd;
    }

    // Texts: fixed columns, keyword 1-5, slot 6-7, separator 8, text from 9.
    if (StartsWith(raw, "SETTX") || StartsWith(raw, "GETTX") || StartsWith(raw, "SETTI") ||
        StartsWith(raw, "GETTI")) {
        const bool ext = raw[4] == 'X';
        const bool write = raw[0] == 'S';
        const int slot = raw.size() >= 7 ? Number(raw.substr(5, 2), 99) : -1;
        if (slot < 1 || slot > (ext ? 57 : 97)) return kError;
        if (write && raw.size() > 7 && raw[7] != ' ' && raw[7] != ',') return kError;
        std::string& text = ext ? s.extTexts[slot - 1] : s.intTexts[slot - 1];
        if (write)
            text = std::string(TrimRight(Cut(raw.substr(std::min<size_t>(8, raw.size())), ext ? 32 : 15)));
        // The "External SMS" page takes everything after "NN: " as the text,
        // the internal pages drop the last character: so no line end on the
        // first and one CR on the second.
        return Digits(slot, 2) + ": " + text + (ext ? "" : "\r");
    }

    // Analog inputs.
    if (c == "ANLEV0") {
        std::string r = "ANLEV:";
        for (int i = 0; i < 16; ++i)
            r += " " + std::to_string(i + 1) + "=" + Digits(s.analogMin[i], 2) + "-" +
                 Digits(s.analogMax[i], 2);
        return r + kEnd;
    }
    if (StartsWith(c, "ANLEV") || StartsWith(c, "ANLEW")) {
        // ANLEVn,mm,MM
        const int n = c.size() == 12 && c[6] == ',' && c[9] == ',' ? Number(c.substr(5, 1), 8) : -1;
        const int lo = c.size() == 12 ? Number(c.substr(7, 2), 99) : -1;
        const int hi = c.size() == 12 ? Number(c.substr(10, 2), 99) : -1;
        if (n < 1 || lo < 0 || hi < 0) return kError;
        const int input = n + (c[4] == 'W' ? 8 : 0);
        s.analogMin[input - 1] = lo;
        s.analogMax[input - 1] = hi;
        return "ANLEV" + std::to_string(input) + ": " + Digits(lo, 2) + "-" + Digits(hi, 2) + kEnd;
    }
    if (StartsWith(c, "AMODE")) {
        const std::string_view a = c.substr(5);
        const size_t c1 = a.find(','), c2 = a.rfind(',');
        if (c1 != 8 || c2 == c1) return kError;
        const std::string_view modes = a.substr(0, 8);
        for (char m : modes) {
            if (m < '0' || m > '2') return kError;
        }
        s.analogModes = std::string(modes);
        s.analogMultipliers = Cut(a.substr(c1 + 1, c2 - c1 - 1), 8);
        s.analogDividers = Cut(a.substr(c2 + 1), 8);
        return "AMODE" + s.analogModes + "," + s.analogMultipliers + "," + s.analogDividers + kEnd;
    }
    if (StartsWith(c, "K20MA")) {
        const int n = c.size() >= 7 && c[6] == ',' ? Number(c.substr(5, 1), 8) : -1;
        if (n < 1) return kError;
        s.mux20mA[n - 1] = Cut(Trim(c.substr(7)), 8);
        return "K20MA" + std::to_string(n) + "," + s.mux20mA[n - 1] + kEnd;
    }
    if (StartsWith(raw, "SETTF")) {
        // Columns: 7-8 temperature timeout, 10-11 analog timeout, 13 digital filter.
        auto field = [&](size_t pos, size_t len) {
            return raw.size() >= pos + len ? Number(raw.substr(pos, len), 99) : -1;
        };
        const int t = field(6, 2), a = field(9, 2), d = field(12, 1);
        if (t < 0 && a < 0 && d < 0) return kError;
        if (t >= 0) s.tempTimeout = t;
        if (a >= 0) s.analogTimeout = a;
        if (d >= 0) s.digitalFilter = d;
        return "TF: T " + Digits(s.tempTimeout, 2) + " A " + Digits(s.analogTimeout, 2) + " D " +
               std::to_string(s.digitalFilter) + kEnd;
    }

    // Temperature and runtime.
    if (c == "TCLEV0") {
        std::string r = "TCLEV:";
        for (int t = 0; t < 3; ++t)
            r += " " + std::to_string(t + 1) + "=" + Signed3(s.tempMin[t]) + Signed3(s.tempMax[t]);
        return r + kEnd;
    }
    if (StartsWith(c, "TCLEV")) {
        const int n = c.size() == 14 ? Number(c.substr(5, 1), 3) : -1;
        int lo = 0, hi = 0;
        if (n < 1 || !ParseSigned3(c.substr(6, 4), lo) || !ParseSigned3(c.substr(10, 4), hi)) return kError;
        s.tempMin[n - 1] = lo;
        s.tempMax[n - 1] = hi;
        return "TCLEV" + std::to_string(n) + ": " + Signed3(lo) + Signed3(hi) + kEnd;
    }
    if (StartsWith(c, "RTLEV ")) {
        const int a = c.size() == 17 && c[11] == ' ' ? Number(c.substr(6, 5), 99999) : -1;
        const int b = c.size() == 17 ? Number(c.substr(12, 5), 99999) : -1;
        if (a < 0 || b < 0) return kError;
        s.runtimeLevels = {a, b};
        return "RTLEV " + Digits(a, 5) + " " + Digits(b, 5) + kEnd;
    }
    if (StartsWith(c, "RTMOD")) {
        if (c != "RTMODR") {
            if (c.size() < 7 || c[5] < '1' || c[5] > '4' || (c[6] != 'A' && c[6] != 'D' && c[6] != 'I'))
                return kError;
            s.rtInput = c[5];
            s.rtSource = c[6];
            s.rtDivider = Cut(c.substr(7), 4);
        }
        return std::string("RTMOD") + s.rtInput + s.rtSource + s.rtDivider + kEnd;
    }
    if (StartsWith(c, "TEMPV")) {
        const int f = c.size() == 6 ? Number(c.substr(5), 3) : -1;
        if (f < 0) return kError;
        s.tempFormat = f;
        return "TEMPV" + std::to_string(f) + kEnd;
    }

    // Outputs and inputs.
    if ((StartsWith(c, "SETOU") || StartsWith(c, "RSTOU")) && c.size() == 6) {
        const int k = Number(c.substr(5), 8);
        if (k < 1) return kError;
        s.outputs[k - 1] = c[0] == 'S';
        return OutputName(k) + kEnd;
    }
    if (StartsWith(c, "GETOS") && c.size() == 6) {
        const int k = Number(c.substr(5), 8);
        if (k < 0) return kError;
        if (k > 0) return OutputName(k) + kEnd;
        std::string r;
        for (int i = 1; i <= 8; ++i)
            r += (i > 1 ? " " : "") + OutputName(i);
        return r + kEnd;
    }
    if (StartsWith(c, "GETIS") && c.size() == 7) {
        const int k = Number(c.substr(5), 12);
        if (k < 0) return kError;
        if (k > 0) return InputName(k) + kEnd;
        std::string r;
        for (int i = 1; i <= 12; ++i)
            r += (i > 1 ? " " : "") + InputName(i);
        return r + kEnd;
    }
    if (StartsWith(raw, "OUTP ")) {
        const std::string_view bits = raw.substr(5, 8);
        for (size_t k = 0; k < bits.size(); ++k) {
            if (bits[k] == '0' || bits[k] == '1') s.outputs[k] = bits[k] == '1';
        }
        std::string r = "OUTP ";
        for (bool b : s.outputs)
            r += b ? '1' : '0';
        return r + kEnd;
    }
    if (StartsWith(c, "SETTN")) {
        // SETTNs,l,pppppppp
        if (c.size() != 17 || c[6] != ',' || c[8] != ',' || !AllDigits(c.substr(9)) ||
            Number(c.substr(5, 1), 9) < 0 || Number(c.substr(7, 1), 9) < 1)
            return kError;
        s.sampleRate = c[5] - '0';
        s.loggerPeriod = c[7] - '0';
        for (int k = 0; k < 8; ++k)
            s.pulse[k] = c[9 + k] - '0';
        std::string r = "SETTN" + std::to_string(s.sampleRate) + "," + std::to_string(s.loggerPeriod) + ",";
        for (int p : s.pulse)
            r += static_cast<char>('0' + p);
        return r + kEnd;
    }
    if (StartsWith(c, "SRATE") || StartsWith(c, "DLPER")) {
        const int v = c.size() == 6 ? Number(c.substr(5), 9) : -1;
        const bool rate = c[0] == 'S';
        if (v < (rate ? 0 : 1)) return kError;
        (rate ? s.sampleRate : s.loggerPeriod) = v;
        return std::string(c.substr(0, 5)) + std::to_string(v) + kEnd;
    }

    // Other settings.
    if (StartsWith(raw, "SETMP ")) {
        std::string flags = Cut(raw.substr(6), 16);
        flags.resize(16, ' ');
        s.optionString = flags;
        return "MP: " + s.optionString + kEnd;
    }
    if (c == "GETMP") return "MP: " + s.optionString + kEnd;
    if (StartsWith(c, "DTFTP")) {
        const int v = c.size() == 6 ? Number(c.substr(5), 7) : -1;
        if (v < 1) return kError;
        s.dateTimeSource = v;
        return "DTFTP" + std::to_string(v) + kEnd;
    }
    if (StartsWith(c, "RSTEN")) {
        const int v = c.size() == 6 ? Number(c.substr(5), 1) : -1;
        if (v < 0) return kError;
        s.restartEnabled = v == 1;
        return "RSTEN" + std::to_string(v) + kEnd;
    }
    if (StartsWith(c, "ESKTD")) {
        const int v = c.size() == 7 ? Number(c.substr(5), 99) : -1;
        if (v < 0) return kError;
        s.maxErrors = v;
        return "ESKTD" + Digits(v, 2) + kEnd;
    }

    // Schedule: "SETSH," and nine characters.
    if (StartsWith(raw, "SETSH,")) {
        std::string sched = Cut(raw.substr(6), 9);
        sched.resize(9, ' ');
        s.schedule = sched;
        return "SH: " + s.schedule + kEnd;
    }
    if (c == "GETSH") return "SH: " + s.schedule + kEnd;

    // GPRS, FTP and HTTP parameters: "KEY: value" and one CR, the form the
    // "GPRS, FTP" page reads back (it drops the last character).
    struct Param {
        const char* code;
        const char* key;
        std::string ModuleState::*field;
        size_t width;
    };
    static const Param kParams[] = {
        {"AP", "APN", &ModuleState::apn, 40},
        {"ID", "UserID", &ModuleState::gprsUser, 16},
        {"PW", "PASSWORD", &ModuleState::gprsPassword, 16},
        {"IP", "IP address", &ModuleState::serverAddress, 40},
        {"FT", "FTP host", &ModuleState::ftpHost, 40},
        {"AF", "UserName FTP", &ModuleState::ftpUser, 40},
        {"PF", "Password FTP", &ModuleState::ftpPassword, 16},
        {"DN", "DirName", &ModuleState::ftpDirectory, 16},
        {"RH", "HTTP Host", &ModuleState::httpHost, 40},
    };
    if (StartsWith(c, "SET") || StartsWith(c, "GET")) {
        for (const Param& p : kParams) {
            if (c.substr(3, 2) != p.code) continue;
            std::string& value = s.*(p.field);
            if (c[0] == 'G') {
                if (c.size() != 5) break;
            } else {
                // The HTTP host takes a comma after the keyword, the others a blank.
                const char sep = std::string_view(p.code) == "RH" ? ',' : ' ';
                if (raw.size() < 6 || raw[5] != sep) break;
                value = Cut(Trim(raw.substr(6)), p.width);
            }
            return std::string(p.key) + ": " + value + "\r";
        }
    }

    return kError;
}

}  // namespace kt::sim
