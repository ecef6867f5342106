// kt4470ctl commands / send: the commands that provision a module from a
// settings file, and sending command lines to a module one by one.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define KT_ISATTY _isatty
#define KT_FILENO _fileno
#else
#include <unistd.h>
#define KT_ISATTY isatty
#define KT_FILENO fileno
#endif

#include "Escapes.h"
#include "LineSender.h"
#include "config/SettingsFile.h"
#include "ctl_verbs.h"
#include "protocol/Framing.h"
#include "protocol/Provisioning.h"
#include "protocol/SmsExchange.h"
#include "protocol/SmsRunLog.h"

namespace kt::ctl {

namespace {

int BadArguments(const char* verb, const std::string& message) {
    std::fprintf(stderr, "kt4470ctl %s: %s (try kt4470ctl %s --help)\n", verb, PrintableLine(message).c_str(),
                 verb);
    return 2;
}

bool WantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args)
        if (a == "--help" || a == "-h") return true;
    return false;
}

// ---- commands ---------------------------------------------------------------------

int Commands(const std::vector<std::string>& args) {
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
        return BadArguments("commands", "commands takes exactly one FILE");
    config::ConfigRecord rec;
    std::string error;
    if (!config::LoadRecordFile(args[0], rec, &error)) {
        std::fprintf(stderr, "kt4470ctl commands: %s\n", PrintableLine(error).c_str());
        return 1;
    }
    std::string out;
    for (const std::string& command : protocol::ProvisioningCommands(protocol::SettingsFromRecord(rec)))
        out += Escape(command) + '\n';
    std::fputs(out.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// ---- send -------------------------------------------------------------------------

// Command lines of a file or of standard input: the tool's escapes, one
// command a line; empty lines are skipped, a CR before the line end dropped.
bool ReadCommands(FILE* in, std::vector<std::string>& commands, std::string& error) {
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0)
        text.append(buf, n);
    if (std::ferror(in)) {
        error = "cannot read the command lines";
        return false;
    }
    size_t lineNo = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::string command, why;
        if (!Unescape(line, command, why)) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        }
        commands.push_back(std::move(command));
    }
    return true;
}

bool ParseSeconds(const std::string& text, int64_t& ms) {
    char* end = nullptr;
    errno = 0;
    const double s = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !(s > 0 && s <= 3600)) return false;
    ms = static_cast<int64_t>(s * 1000 + 0.5);
    return ms > 0;
}

bool ParseRate(const std::string& text, uint32_t& rate) {
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    rate = static_cast<uint32_t>(std::stoul(text));
    return rate >= 50;
}

// "12/243" on a terminal, overwritten by the next one and wiped before any
// other output.
class Progress {
  public:
    Progress() : shown_(KT_ISATTY(KT_FILENO(stderr)) != 0) {}
    void Show(size_t done, size_t total) {
        if (!shown_) return;
        const std::string text = std::to_string(done) + "/" + std::to_string(total);
        std::fprintf(stderr, "\r%s", text.c_str());
        std::fflush(stderr);
        width_ = text.size();
    }
    void Wipe() {
        if (!shown_ || width_ == 0) return;
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
        std::fflush(stderr);
        width_ = 0;
    }

  private:
    bool shown_;
    size_t width_ = 0;
};

// What kt4470ctl send --sms needs beyond the line.
struct SmsOptions {
    bool on = false;
    std::string to;
    protocol::SmsTimes times;
    bool dryRun = false;
};

int SendDirect(LineSender& line, const std::vector<std::string>& commands) {
    Progress progress;
    size_t unanswered = 0;
    bool lostReported = false;
    for (size_t k = 0; k < commands.size(); ++k) {
        progress.Show(k + 1, commands.size());
        const CommandResult r = line.Send(commands[k]);
        progress.Wipe();
        std::string out = "> " + Escape(commands[k]) + '\n';
        if (r.answered)
            out += "< " + Escape(r.answer) + '\n';
        else
            out += r.sent ? "! no answer\n" : "! not sent\n";
        std::fputs(out.c_str(), stdout);
        std::fflush(stdout);
        if (!r.answered) ++unanswered;
        if (line.LineLost() && !lostReported) {
            std::fprintf(stderr, "kt4470ctl send: %s\n", PrintableLine(line.LostReason()).c_str());
            lostReported = true;
        }
    }
    if (unanswered == 0) return 0;
    std::fprintf(stderr, "kt4470ctl send: %zu of %zu commands not answered\n", unanswered, commands.size());
    return 1;
}

// One SMS per command through the modem on the line, each answer fetched
// from its inbox before the next command goes; every state in the delivery log.
int SendSms(LineSender& line, const std::vector<std::string>& commands, const SmsOptions& sms) {
    protocol::SmsRunLog log;
    std::string why;
    if (!log.Open(protocol::SmsRunLog::DefaultPath(), &why))
        std::fprintf(stderr, "kt4470ctl send: no delivery log: %s\n", PrintableLine(why).c_str());
    protocol::SmsExchange exchange(sms.to, sms.times);
    const std::string to = Escape(sms.to);

    exchange.Survey(LineSender::NowUs() / 1000);
    line.RunSms(exchange, [&](const protocol::SmsEvent& e) {
        std::fprintf(stderr,
                     "kt4470ctl send: a message from %s was in the inbox before the run, left there: %s\n",
                     to.c_str(), Escape(e.text).c_str());
    });

    Progress progress;
    size_t unanswered = 0;
    for (size_t k = 0; k < commands.size(); ++k) {
        progress.Show(k + 1, commands.size());
        const std::string& command = commands[k];
        std::fputs(("> " + Escape(command) + '\n').c_str(), stdout);
        std::fflush(stdout);
        std::string result;
        exchange.Start(command, LineSender::NowUs() / 1000);
        line.RunSms(exchange, [&](const protocol::SmsEvent& e) {
            log.Append(sms.to, command, e);
            using Kind = protocol::SmsEvent::Kind;
            switch (e.kind) {
                case Kind::Submitted:
                    break;
                case Kind::LateAnswer:
                    progress.Wipe();
                    std::fprintf(stderr, "kt4470ctl send: a late answer from %s, deleted: %s\n", to.c_str(),
                                 Escape(e.text).c_str());
                    break;
                case Kind::Answered:
                    result = "< " + Escape(e.text) + '\n';
                    break;
                case Kind::NotSubmitted:
                    result = "! not submitted: " + Escape(e.text) + '\n';
                    break;
                case Kind::NoAnswer:
                    result = "! no answer " + e.text + '\n';
                    break;
                default:
                    result = "! " + std::string(protocol::StateName(e.kind)) + ": " + Escape(e.text) + '\n';
                    break;
            }
        });
        progress.Wipe();
        std::fputs(result.c_str(), stdout);
        std::fflush(stdout);
        if (exchange.Result() != protocol::SmsExchange::Outcome::Answered) ++unanswered;
    }
    if (line.LineLost())
        std::fprintf(stderr, "kt4470ctl send: %s\n", PrintableLine(line.LostReason()).c_str());
    if (unanswered == 0) return 0;
    std::fprintf(stderr, "kt4470ctl send: %zu of %zu commands not answered\n", unanswered, commands.size());
    return 1;
}

int Send(const std::vector<std::string>& args) {
    LineOptions o;
    SmsOptions sms;
    int64_t timeoutMs = 0;  // --timeout: the module's answer (direct) or the modem's (SMS)
    std::string file;
    bool haveFile = false, answerTimeoutGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool hasValue = false;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        const bool option = name == "--port" || name == "--rate" || name == "--parity" ||
                            name == "--timeout" || name == "--to" || name == "--answer-timeout";
        if (option && !hasValue) {
            if (i + 1 >= args.size()) return BadArguments("send", name + " needs a value");
            value = args[++i];
        }
        if ((name == "--sms" || name == "--dry-run") && hasValue)
            return BadArguments("send", name + " takes no value");
        if (name == "--port") {
            if (value.empty()) return BadArguments("send", "--port needs a device");
            o.port = value;
        } else if (name == "--rate") {
            if (!ParseRate(value, o.rate))
                return BadArguments("send",
                                    "--rate needs a rate in bits per second, not '" + Escape(value) + "'");
        } else if (name == "--parity") {
            if (value != "none" && value != "even")
                return BadArguments("send", "--parity must be none or even, not '" + Escape(value) + "'");
            o.parityEven = value == "even";
        } else if (name == "--timeout") {
            if (!ParseSeconds(value, timeoutMs))
                return BadArguments("send", "--timeout needs seconds above 0, not '" + Escape(value) + "'");
        } else if (name == "--sms") {
            sms.on = true;
        } else if (name == "--dry-run") {
            sms.dryRun = true;
        } else if (name == "--to") {
            std::string pdu;
            if (!protocol::CommandPdu("GETST", value, pdu))
                return BadArguments("send",
                                    "--to needs the module's phone number, not '" + Escape(value) + "'");
            sms.to = value;
        } else if (name == "--answer-timeout") {
            if (!ParseSeconds(value, sms.times.answerMs))
                return BadArguments("send",
                                    "--answer-timeout needs seconds above 0, not '" + Escape(value) + "'");
            answerTimeoutGiven = true;
        } else if (name.size() > 1 && name[0] == '-') {
            return BadArguments("send", "unknown option '" + Escape(args[i]) + "'");
        } else if (haveFile) {
            return BadArguments("send", "send takes at most one FILE");
        } else {
            file = name;
            haveFile = true;
        }
    }
    if (sms.on && sms.to.empty()) return BadArguments("send", "send --sms needs --to NUMBER");
    if (!sms.on && (!sms.to.empty() || answerTimeoutGiven || sms.dryRun))
        return BadArguments("send", "--to, --answer-timeout and --dry-run go with --sms");
    if (o.port.empty() && !sms.dryRun) return BadArguments("send", "send needs --port PORT");
    if (timeoutMs > 0) (sms.on ? sms.times.modemMs : o.timeoutMs) = timeoutMs;

    std::vector<std::string> commands;
    std::string error;
    const bool fromStdin = !haveFile || file == "-";
    FILE* in = fromStdin ? stdin : std::fopen(file.c_str(), "rb");
    if (!in) return BadArguments("send", "cannot open " + Escape(file));
    const bool read = ReadCommands(in, commands, error);
    if (!fromStdin) std::fclose(in);
    if (!read) return BadArguments("send", error);

    if (sms.on) {
        // The operator pays for every SMS: say how many before the first.
        std::printf("%zu SMS to %s, one per command\n", commands.size(), Escape(sms.to).c_str());
        std::fflush(stdout);
        if (sms.dryRun) return 0;
    }

    LineSender line;
    std::string reason;
    if (!line.Open(o, reason)) {
        std::fprintf(stderr, "kt4470ctl send: %s\n", PrintableLine(reason).c_str());
        return 2;
    }
    return sms.on ? SendSms(line, commands, sms) : SendDirect(line, commands);
}

}  // namespace

void PrintProvisionHelp(FILE* out) {
    std::fputs(
        "Provisioning a module (kt4470ctl commands FILE | kt4470ctl send --port PORT):\n"
        "  kt4470ctl commands FILE   print, one a line, every command that pressing each\n"
        "      page's write button once sends after the window loaded FILE, with the escapes\n"
        "      of kt4470ctl pdu (trailing blanks kept), in this order:\n"
        "        alarm numbers that pass their check (SETNN), SIM phone-book entries (SETPB),\n"
        "        the masks (SETME), external texts 1..57 (SETTX), internal texts and names\n"
        "        1..97 (SETTI), analog levels 1..16 (ANLEV, ANLEW), modes (AMODE), 20 mA\n"
        "        corrections 1..8 (K20MA), the timeout filter (SETTF), temperature levels\n"
        "        1..3 (TCLEV), parameters (SETTN), APN, user, password, IP address, FTP host,\n"
        "        FTP user, FTP password, directory, HTTP host, the schedule (SETSH), the\n"
        "        stored option string (SETMP, when the file holds one)\n"
        "  kt4470ctl send --port PORT [--rate BAUD] [--parity none|even] [--timeout S] [FILE|-]\n"
        "      send each command line of FILE (or standard input) framed for direct mode and\n"
        "      wait for the module's answer: it ends after 150 ms of quiet; no byte within\n"
        "      the time-out (5 s) is no answer. Prints \"> command\" and \"< answer\" (or\n"
        "      \"! no answer\"); PORT is a device or COMn / \"Com n\" as the window maps it;\n"
        "      2400 baud and no parity by default. Exit status: 0 every command answered,\n"
        "      1 any not (the count on stderr), 2 bad arguments or a port that does not open\n"
        "  kt4470ctl send --sms --to NUMBER --port PORT [--answer-timeout S] [--timeout S]\n"
        "                 [--dry-run] [--rate BAUD] [--parity none|even] [FILE|-]\n"
        "      send each command line as one SMS to the module's NUMBER through the GSM modem\n"
        "      on PORT (PDU mode, as the window's SMS mode sends it), one at a time: the SMS is\n"
        "      submitted (\"+CMGS: <mr>\" and OK; \"+CMS ERROR: <n>\", ERROR or no answer within\n"
        "      the modem time-out, --timeout, 60 s, is not submitted), then the modem's inbox is\n"
        "      listed every 2 s (AT+CMGL=0) until a message from NUMBER arrives or the answer\n"
        "      time-out passes (--answer-timeout, 120 s); the answer is printed and deleted\n"
        "      from the modem (AT+CMGD), messages of other senders stay. First prints how\n"
        "      many SMS go to which number; --dry-run stops there. Per command \"> command\",\n"
        "      then \"< answer\", \"! not submitted: <modem's words>\" or \"! no answer after S s\".\n"
        "      Every state of every command is appended to the delivery log sms-runs.log in\n"
        "      the per-user data folder ($XDG_DATA_HOME/kt4470, %LOCALAPPDATA%\\KT4470;\n"
        "      KT4470_DATA_DIR replaces it). Exit status as above\n",
        out);
}

int RunCommands(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        PrintProvisionHelp(stdout);
        return 0;
    }
    return Commands(args);
}

int RunSend(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        PrintProvisionHelp(stdout);
        return 0;
    }
    return Send(args);
}

}  // namespace kt::ctl
