#include "ModemModel.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <ctime>

#include "ClockText.h"
#include "Sms.h"
#include "gsm/PduCodec.h"

namespace kt::sim {

namespace {

constexpr size_t kMaxLine = 4096;
constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kError = "\r\nERROR\r\n";

std::string Info(const std::string& body) {
    return "\r\n" + body + "\r\n\r\nOK\r\n";
}
std::string CmsError(int code) {
    return "\r\n+CMS ERROR: " + std::to_string(code) + "\r\n";
}

std::string Upper(std::string_view s) {
    std::string u;
    for (char c : s)
        u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

std::string DigitsOf(std::string_view number) {
    std::string d;
    for (char c : number) {
        if (c >= '0' && c <= '9') d += c;
    }
    return d;
}

// A whole decimal parameter, or -1.
int Param(std::string_view s) {
    if (s.empty() || s.size() > 5) return -1;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return std::string(s);
}

}  // namespace

ModemModel::ModemModel(std::string moduleNumber, ModuleModel& module, Clock clock)
    : moduleNumber_(std::move(moduleNumber)), module_(module), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::chrono::system_clock::now(); };
}

std::vector<Exchange> ModemModel::Feed(std::string_view bytes) {
    std::vector<Exchange> out;
    for (char c : bytes) {
        if (c == '\0') continue;
        if (pduInput_) {
            if (c == 0x1A) {
                std::string pdu;
                pdu.swap(line_);
                pduInput_ = false;
                out.push_back({pdu + "\x1A", (echo_ ? pdu : std::string()) + Submit(pdu)});
            } else if (c == 0x1B) {  // ESC cancels the message
                line_.clear();
                pduInput_ = false;
                out.push_back({"\x1B", kOk});
            } else if (c != '\r' && c != '\n' && line_.size() < kMaxLine) {
                line_ += c;
            }
            continue;
        }
        if (c == '\r') {
            std::string line;
            line.swap(line_);
            if (line.empty()) continue;
            const bool echo = echo_;  // ATE0 is still echoed itself
            std::string answer = Execute(line);
            out.push_back({line + "\r", (echo ? line + "\r" : std::string()) + answer});
            continue;
        }
        if (c == '\n' && line_.empty()) continue;
        // Ctrl-Z or ESC outside a message (the terminal sends Ctrl-Z even when
        // "AT+CMGS=" was refused) is dropped, so the next command is whole.
        if (c == 0x1A || c == 0x1B) continue;
        if (line_.size() >= kMaxLine) line_.clear();
        line_ += c;
    }
    return out;
}

std::string ModemModel::ClockText() const {
    const std::time_t t = std::chrono::system_clock::to_time_t(clock_() + clockOffset_) + zoneQuarters_ * 900;
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[40];
    const int q = zoneQuarters_ < 0 ? -zoneQuarters_ : zoneQuarters_;
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d,%02d:%02d:%02d%c%02d", tm.tm_year % 100, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, zoneQuarters_ < 0 ? '-' : '+', q);
    return buf;
}

bool ModemModel::SetClock(std::string_view arg) {
    // "yy/MM/dd,hh:mm:ss" with an optional zone of quarters, in quotes.
    if (arg.size() < 19 || arg.front() != '"' || arg.back() != '"') return false;
    std::string_view t = arg.substr(1, arg.size() - 2);
    if (t.size() != 17 && t.size() != 20) return false;
    std::tm tm{};
    if (!ParseClockFields(t, tm)) return false;
    int zone = 0;
    if (t.size() == 20) {
        if (t[17] != '+' && t[17] != '-') return false;
        zone = Param(t.substr(18, 2));
        if (zone < 0 || zone > 96) return false;
        if (t[17] == '-') zone = -zone;
    }
    const std::time_t utc = timegm(&tm) - zone * 900;
    clockOffset_ = std::chrono::seconds(utc - std::chrono::system_clock::to_time_t(clock_()));
    zoneQuarters_ = zone;
    return true;
}

int ModemModel::Deliver(std::string_view number, std::string_view text) {
    const std::time_t t = std::chrono::system_clock::to_time_t(clock_() + clockOffset_) + zoneQuarters_ * 900;
    std::tm tm{};
    gmtime_r(&t, &tm);
    SmsTime when;
    when.year = tm.tm_year + 1900;
    when.month = tm.tm_mon + 1;
    when.day = tm.tm_mday;
    when.hour = tm.tm_hour;
    when.minute = tm.tm_min;
    when.second = tm.tm_sec;
    when.zoneQuarters = zoneQuarters_;
    if (Full()) return 0;
    // The lowest free index is the lowest clear bit.
    const int index = std::countr_one(usedIndices_) + 1;
    usedIndices_ |= 1u << (index - 1);
    inbox_.push_back({index, 0, EncodeDeliver(kServiceCentre, number, text, when)});
    return index;
}

std::string ModemModel::Submit(const std::string& pdu) {
    SubmitInfo info;
    std::string why;
    if (!ReadSubmit(pdu, info, why) || info.tpduOctets != announcedLength_) return CmsError(304);
    const bool toModule =
        !DigitsOf(info.destination).empty() && DigitsOf(info.destination) == DigitsOf(moduleNumber_);
    // No room for the module's answer: the SMS is not sent.
    if (toModule && static_cast<int>(inbox_.size() + delayed_.size()) >= kCapacity) return CmsError(322);
    if (++submissions_ == failSubmit_) return CmsError(38);
    const int reference = nextReference_;
    nextReference_ = nextReference_ % 255 + 1;
    if (toModule) {
        std::string text;
        kt::gsm::PDUTextConversion(pdu, text);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.pop_back();
        std::string answer = module_.RawLine(text);
        if (moduleTrace) moduleTrace(text, answer);
        // An SMS carries no line ends around the answer.
        while (!answer.empty() && (answer.back() == '\r' || answer.back() == '\n'))
            answer.pop_back();
        while (!answer.empty() && (answer.front() == '\r' || answer.front() == '\n'))
            answer.erase(0, 1);
        if (!answer.empty()) {
            if (smsDelay_.count() > 0)
                delayed_.push_back({clock_() + smsDelay_, answer.substr(0, 160)});
            else
                Deliver(moduleNumber_, answer.substr(0, 160));
        }
    }
    return "\r\n+CMGS: " + std::to_string(reference) + "\r\n\r\nOK\r\n";
}

int ModemModel::DeliverDue() {
    int n = 0;
    const auto now = clock_();
    while (!delayed_.empty() && delayed_.front().due <= now) {
        Deliver(moduleNumber_, delayed_.front().text);
        delayed_.erase(delayed_.begin());
        ++n;
    }
    return n;
}

int64_t ModemModel::MsUntilDelivery() const {
    if (delayed_.empty()) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(delayed_.front().due - clock_());
    return std::max<int64_t>(left.count(), 0);
}

std::string ModemModel::Listing(int stat) {
    std::string r = "\r\n";
    bool any = false;
    for (StoredSms& m : inbox_) {
        if (stat != 4 && m.stat != stat) continue;
        r += "+CMGL: " + std::to_string(m.index) + "," + std::to_string(m.stat) + ",," +
             std::to_string(TpduOctets(m.pdu)) + "\r\n" + m.pdu + "\r\n";
        any = true;
    }
    for (StoredSms& m : inbox_) {
        if ((stat == 0 || stat == 4) && m.stat == 0) m.stat = 1;
    }
    if (any) r += "\r\n";
    return r + "OK\r\n";
}

std::string ModemModel::Execute(const std::string& line) {
    const std::string t = Trim(line);
    const std::string u = Upper(t);
    if (u.size() < 2 || u.compare(0, 2, "AT") != 0) return "";  // not a command: echo only
    if (u == "AT") return kOk;
    if (u == "ATE0" || u == "ATE1" || u == "ATE") {
        echo_ = u == "ATE1";
        return kOk;
    }
    if (u == "ATI") return Info("KT4470-SIM\r\nSIM-MODEM-1");
    if (u == "AT+CGMI") return Info("KT4470-SIM");
    if (u == "AT+CGMM") return Info("SIM-MODEM-1");
    if (u == "AT+CGSN") return Info("350000000000000");
    if (u == "AT+CSQ") return Info("+CSQ: 20,0");
    if (u == "AT+CSCS?") return Info("+CSCS: \"" + charset_ + "\"");
    if (u == "AT+CSCS=?") return Info("+CSCS: (\"GSM\",\"IRA\",\"UCS2\")");
    if (u.compare(0, 8, "AT+CSCS=") == 0) {
        const std::string v = u.substr(8);
        if (v != "\"GSM\"" && v != "\"IRA\"" && v != "\"UCS2\"") return kError;
        charset_ = v.substr(1, v.size() - 2);
        return kOk;
    }
    if (u == "AT+CCLK?") return Info("+CCLK: \"" + ClockText() + "\"");
    if (u.compare(0, 8, "AT+CCLK=") == 0) return SetClock(t.substr(8)) ? kOk : kError;
    if (u == "AT+CMGF?") return Info("+CMGF: " + std::to_string(format_));
    if (u == "AT+CMGF=?") return Info("+CMGF: (0,1)");
    if (u.compare(0, 8, "AT+CMGF=") == 0) {
        const int v = Param(u.substr(8));
        if (v != 0 && v != 1) return kError;
        format_ = v;
        return kOk;
    }
    if (u.compare(0, 8, "AT+CMGS=") == 0) {
        if (format_ != 0) return CmsError(302);
        const int n = Param(u.substr(8));
        if (n < 1 || n > 164) return CmsError(304);
        announcedLength_ = n;
        pduInput_ = true;
        return "\r\n> ";
    }
    if (u == "AT+CMGL" || u.compare(0, 8, "AT+CMGL=") == 0) {
        if (format_ != 0) return CmsError(302);
        const int stat = u.size() > 8 ? Param(u.substr(8)) : 0;
        if (stat < 0 || stat > 4) return CmsError(304);
        return Listing(stat);
    }
    if (u.compare(0, 8, "AT+CMGR=") == 0) {
        if (format_ != 0) return CmsError(302);
        const int index = Param(u.substr(8));
        for (StoredSms& m : inbox_) {
            if (m.index != index) continue;
            const std::string r = "+CMGR: " + std::to_string(m.stat) + ",," +
                                  std::to_string(TpduOctets(m.pdu)) + "\r\n" + m.pdu;
            if (m.stat == 0) m.stat = 1;
            return Info(r);
        }
        return CmsError(321);
    }
    if (u.compare(0, 8, "AT+CMGD=") == 0) {
        const std::string arg = u.substr(8);
        const int index = Param(arg.substr(0, arg.find(',')));
        for (auto it = inbox_.begin(); it != inbox_.end(); ++it) {
            if (it->index == index) {
                usedIndices_ &= ~(1u << (index - 1));
                inbox_.erase(it);
                return kOk;
            }
        }
        return CmsError(321);
    }
    if (u == "AT+CPMS?") {
        const std::string n = std::to_string(inbox_.size());
        const std::string total = std::to_string(kCapacity);
        return Info("+CPMS: \"SM\"," + n + "," + total + ",\"SM\"," + n + "," + total + ",\"SM\"," + n + "," +
                    total);
    }
    return kError;
}

}  // namespace kt::sim
