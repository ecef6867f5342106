// kt4470ctl commands / send: the commands that provision a module from a
// settings file, and sending command lines to a module one by one.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
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
#include "protocol/ModuleReport.h"
#include "protocol/Provisioning.h"
#include "protocol/RunTally.h"
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

// ---- arguments and the line ------------------------------------------------------

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

bool ParseMilliseconds(const std::string& text, int64_t& ms) {
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    ms = std::stoll(text);
    return ms >= 1 && ms <= 5000;
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

// The arguments of a verb: the line options (--port, --rate, --parity,
// --timeout, --quiet), the verb's own options with a value and its flags,
// and the rest (FILE arguments) in order.
struct Arguments {
    LineOptions line;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    std::vector<std::string> files;
    std::set<std::string> given;  // the options given, by name
};

bool IsLineOption(const std::string& name) {
    return name == "--port" || name == "--rate" || name == "--parity" || name == "--timeout" ||
           name == "--quiet";
}

// One line option's value into the options; false with the reason.
bool SetLineOption(const std::string& name, const std::string& value, LineOptions& o, std::string& error) {
    if (name == "--port") {
        if (value.empty()) error = "--port needs a device";
        o.port = value;
    } else if (name == "--rate") {
        if (!ParseRate(value, o.rate))
            error = "--rate needs a rate in bits per second, not '" + Escape(value) + "'";
    } else if (name == "--parity") {
        if (value != "none" && value != "even")
            error = "--parity must be none or even, not '" + Escape(value) + "'";
        o.parityEven = value == "even";
    } else if (name == "--timeout") {
        if (!ParseSeconds(value, o.timeoutMs))
            error = "--timeout needs seconds above 0, not '" + Escape(value) + "'";
    } else if (name == "--quiet") {
        if (!ParseMilliseconds(value, o.quietMs))
            error = "--quiet needs milliseconds from 1 to 5000, not '" + Escape(value) + "'";
    }
    return error.empty();
}

// Options come as "--name value" or "--name=value"; a lone "-" is a FILE.
bool ParseArguments(const char* verb, const std::vector<std::string>& args, bool lineOptions,
                    const std::vector<std::string>& valued, const std::vector<std::string>& flags,
                    Arguments& out, int& status) {
    const auto has = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value, error;
        bool hasValue = false;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        const bool line = lineOptions && IsLineOption(name);
        if (name.rfind("--", 0) == 0) out.given.insert(name);
        if (line || has(valued, name)) {
            if (!hasValue) {
                if (i + 1 >= args.size())
                    error = name + " needs a value";
                else
                    value = args[++i];
            }
            if (error.empty() && line)
                SetLineOption(name, value, out.line, error);
            else if (error.empty() && value.empty())
                error = name + " needs a value";
            else if (error.empty())
                out.values[name] = value;
        } else if (has(flags, name)) {
            if (hasValue) error = name + " takes no value";
            out.flags.insert(name);
        } else if (name.size() > 1 && name[0] == '-') {
            error = "unknown option '" + Escape(args[i]) + "'";
        } else {
            out.files.push_back(args[i]);
        }
        if (!error.empty()) {
            status = BadArguments(verb, error);
            return false;
        }
    }
    return true;
}

// ---- commands ---------------------------------------------------------------------

bool LoadSettings(const char* verb, const std::string& file, config::ConfigRecord& rec) {
    std::string error;
    if (config::LoadRecordFile(file, rec, &error)) return true;
    std::fprintf(stderr, "kt4470ctl %s: %s\n", verb, PrintableLine(error).c_str());
    return false;
}

int Commands(const std::vector<std::string>& args) {
    Arguments a;
    int status = 0;
    if (!ParseArguments("commands", args, false, {"--since"}, {}, a, status)) return status;
    if (a.files.size() != 1)
        return BadArguments("commands", "commands takes exactly one FILE (and --since OLD)");
    config::ConfigRecord rec, old;
    if (!LoadSettings("commands", a.files[0], rec)) return 1;
    std::vector<protocol::SlotCommand> commands =
        protocol::ProvisioningSlots(protocol::SettingsFromRecord(rec));
    if (const auto since = a.values.find("--since"); since != a.values.end()) {
        if (!LoadSettings("commands", since->second, old)) return 1;
        commands = protocol::CommandsSince(
            commands,
            protocol::CommandBaseline(protocol::ProvisioningSlots(protocol::SettingsFromRecord(old))));
    }
    std::string out;
    for (const protocol::SlotCommand& c : commands)
        out += Escape(c.command) + '\n';
    std::fputs(out.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// ---- send -----------------------------------------------------------------------

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
    Arguments a;
    int status = 0;
    if (!ParseArguments("send", args, true, {"--to", "--answer-timeout", "--log"}, {"--sms", "--dry-run"}, a,
                        status))
        return status;
    const auto logOption = a.values.find("--log");
    const std::string logPath = logOption != a.values.end() ? logOption->second : std::string();
    if (a.files.size() > 1) return BadArguments("send", "send takes at most one FILE");
    LineOptions o = a.line;
    SmsOptions sms;
    sms.on = a.flags.count("--sms") > 0;
    sms.dryRun = a.flags.count("--dry-run") > 0;
    if (const auto to = a.values.find("--to"); to != a.values.end()) {
        std::string pdu;
        if (!protocol::CommandPdu("GETST", to->second, pdu))
            return BadArguments("send",
                                "--to needs the module's phone number, not '" + Escape(to->second) + "'");
        sms.to = to->second;
    }
    const auto answerTimeout = a.values.find("--answer-timeout");
    if (answerTimeout != a.values.end() && !ParseSeconds(answerTimeout->second, sms.times.answerMs))
        return BadArguments(
            "send", "--answer-timeout needs seconds above 0, not '" + Escape(answerTimeout->second) + "'");
    if (sms.on && sms.to.empty()) return BadArguments("send", "send --sms needs --to NUMBER");
    if (!sms.on && (!sms.to.empty() || answerTimeout != a.values.end() || sms.dryRun))
        return BadArguments("send", "--to, --answer-timeout and --dry-run go with --sms");
    if (o.port.empty() && !sms.dryRun) return BadArguments("send", "send needs --port PORT");
    // --timeout: the module's answer (direct) or the modem's (SMS).
    if (sms.on && a.given.count("--timeout")) {
        sms.times.modemMs = o.timeoutMs;
        o.timeoutMs = LineOptions().timeoutMs;
    }
    const bool haveFile = !a.files.empty();
    const std::string file = haveFile ? a.files.front() : std::string();

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

    // The traffic log's header names the port as Open() set it up; the
    // opening, or why it failed, is its first entry.
    traffic::TrafficRecorder traffic("kt4470ctl");
    LineSender line;
    if (!logPath.empty()) line.Record(&traffic);
    std::string reason, logError;
    const bool open = line.Open(o, reason);
    if (!logPath.empty() && !traffic.OpenFile(logPath, /*exclusive=*/false, &logError)) {
        std::fprintf(stderr, "kt4470ctl send: %s\n", PrintableLine(logError).c_str());
        return 2;
    }
    if (!open) {
        std::fprintf(stderr, "kt4470ctl send: %s\n", PrintableLine(reason).c_str());
        return 2;
    }
    status = sms.on ? SendSms(line, commands, sms) : SendDirect(line, commands);
    if (!logPath.empty()) {
        line.Close();  // recorded
        traffic.CloseFile();
        if (!traffic.FileError().empty()) {
            std::fprintf(stderr, "kt4470ctl send: %s\n", PrintableLine(traffic.FileError()).c_str());
            if (status == 0) status = 1;
        }
    }
    return status;
}

// ---- verify, read --------------------------------------------------------------

// Asks the module every request of the report, one by one, counting as the
// window counts; stops after three unanswered in a row or when the line is
// lost (the reason on stderr).
protocol::RunTally::End AskModule(const char* verb, LineSender& line, protocol::ModuleReport& report,
                                  protocol::RunTally& tally) {
    Progress progress;
    const auto& requests = report.Requests();
    for (size_t k = 0; k < requests.size(); ++k) {
        progress.Show(k + 1, requests.size());
        const CommandResult r = line.Send(requests[k].command);
        progress.Wipe();
        tally.Count(r.answered, r.answer);
        if (r.answered)
            report.Answer(k, r.answer);
        else
            report.NoAnswer(k);
        if (line.LineLost()) {
            std::fprintf(stderr, "kt4470ctl %s: %s\n", verb, PrintableLine(line.LostReason()).c_str());
            return k + 1 < requests.size() ? protocol::RunTally::End::LineLost
                                           : protocol::RunTally::End::Complete;
        }
        if (tally.Stopped() && k + 1 < requests.size()) return protocol::RunTally::End::Stopped;
    }
    return protocol::RunTally::End::Complete;
}

bool OpenLine(const char* verb, LineSender& line, const LineOptions& o) {
    std::string reason;
    if (line.Open(o, reason)) return true;
    std::fprintf(stderr, "kt4470ctl %s: %s\n", verb, PrintableLine(reason).c_str());
    return false;
}

int Verify(const std::vector<std::string>& args) {
    Arguments a;
    int status = 0;
    if (!ParseArguments("verify", args, true, {}, {}, a, status)) return status;
    if (a.files.size() != 1) return BadArguments("verify", "verify takes exactly one FILE");
    if (a.line.port.empty()) return BadArguments("verify", "verify needs --port PORT");
    config::ConfigRecord rec;
    if (!LoadSettings("verify", a.files[0], rec)) return 2;
    const protocol::ModuleSettings settings = protocol::SettingsFromRecord(rec);
    LineSender line;
    if (!OpenLine("verify", line, a.line)) return 2;

    protocol::ModuleReport report(settings.alternateModule);
    protocol::RunTally tally;
    const protocol::RunTally::End end = AskModule("verify", line, report, tally);
    const protocol::ModuleReport::Comparison c = report.Compare(protocol::ExpectedValues(settings), "file");
    std::vector<std::string> lines = c.lines;
    lines.push_back(std::string(protocol::kNotReportedText) + ".");
    lines.push_back(tally.Summary(report.Requests().size(), end, "requests"));
    lines.push_back(c.Summary());
    std::string out;
    for (const std::string& l : lines)
        out += PrintableLine(l) + '\n';
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
    return c.different == 0 && c.unanswered == 0 ? 0 : 1;
}

int Read(const std::vector<std::string>& args) {
    Arguments a;
    int status = 0;
    if (!ParseArguments("read", args, true, {"--template", "--out"}, {"--force"}, a, status)) return status;
    if (!a.files.empty()) return BadArguments("read", "read takes no FILE; name the new file with --out NEW");
    if (a.line.port.empty()) return BadArguments("read", "read needs --port PORT");
    const auto out = a.values.find("--out");
    if (out == a.values.end()) return BadArguments("read", "read needs --out NEW");
    const std::string target = out->second;
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && !a.flags.count("--force"))
        return BadArguments("read", Escape(target) + " exists; --force replaces it");
    config::ConfigRecord rec;  // all zero without a template
    if (const auto t = a.values.find("--template");
        t != a.values.end() && !LoadSettings("read", t->second, rec))
        return 2;
    LineSender line;
    if (!OpenLine("read", line, a.line)) return 2;

    protocol::ModuleReport report(rec.AlternateModule());
    protocol::RunTally tally;
    const protocol::RunTally::End end = AskModule("read", line, report, tally);
    // Without a value for every setting the file would hold the template's
    // in their place, and nothing would show which: nothing is written.
    const protocol::ModuleReport::Comparison c = report.Compare({}, "");
    std::printf("%s\n", tally.Summary(report.Requests().size(), end, "requests").c_str());
    if (c.unanswered > 0) {
        for (const std::string& l : c.missing)
            std::printf("%s\n", PrintableLine(l).c_str());
        std::fflush(stdout);
        std::fprintf(stderr, "kt4470ctl read: %zu of %zu settings without an answer; %s not written\n",
                     c.unanswered, c.equal + c.different + c.unanswered,
                     PrintableLine(Escape(target)).c_str());
        return 1;
    }
    report.Store(rec);
    std::string error;
    if (!config::SaveRecordFile(target, rec, &error)) {
        std::fprintf(stderr, "kt4470ctl read: %s\n", PrintableLine(error).c_str());
        return 1;
    }
    std::printf("%zu settings read into %s\n", report.Values().size(), PrintableLine(Escape(target)).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
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
        "  kt4470ctl send --port PORT [--rate BAUD] [--parity none|even] [--timeout S]\n"
        "                 [--log LOG] [FILE|-]\n"
        "      send each command line of FILE (or standard input) framed for direct mode and\n"
        "      wait for the module's answer: it ends after 150 ms of quiet; no byte within\n"
        "      the time-out (5 s) is no answer. Prints \"> command\" and \"< answer\" (or\n"
        "      \"! no answer\"); PORT is a device or COMn / \"Com n\" as the window maps it;\n"
        "      2400 baud and no parity by default. Exit status: 0 every command answered,\n"
        "      1 any not (the count on stderr), 2 bad arguments or a port that does not open\n"
        "      or a LOG that does not. --log LOG appends the traffic to LOG in the window's\n"
        "      traffic log format: a header line, then every chunk written (TX) and read (RX)\n"
        "      with its local time and the bytes in the escapes above, and '#' lines for the\n"
        "      port; with --sms too\n"
        "  kt4470ctl send --sms --to NUMBER --port PORT [--answer-timeout S] [--timeout S]\n"
        "                 [--dry-run] [--rate BAUD] [--parity none|even] [--log LOG] [FILE|-]\n"
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
        "      KT4470_DATA_DIR replaces it). Exit status as above\n"
        "  kt4470ctl commands NEW --since OLD\n"
        "      only the commands of NEW whose bytes differ from the command of the same slot\n"
        "      (keyword and index: SETNN3, SETTX14, ANLEV5, TCLEV2, SETAP, ...) in OLD, or\n"
        "      whose slot OLD does not send; nothing when nothing differs\n"
        "  kt4470ctl verify FILE --port PORT [--rate BAUD] [--parity none|even] [--timeout S]\n"
        "      ask the module for every setting it can report (GETNR1..7, GETPB, GETTX01..57,\n"
        "      GETTI01..97, the nine GPRS, FTP and HTTP values) and compare with FILE as the\n"
        "      window loads it; one line per difference, e.g.\n"
        "        ExtSmsText[9]: module \"Pump on\", file \"Pump 1 on\"\n"
        "      (blanks at the end of a value do not count), then what the module cannot\n"
        "      report and the summary. Exit status: 0 all equal, 1 any difference or request\n"
        "      without an answer, 2 bad arguments or a port that does not open\n"
        "  kt4470ctl read --port PORT [--template FILE] --out NEW [--force] [line options]\n"
        "      write a settings file whose reportable settings hold the module's answers and\n"
        "      every other byte the template's (all zero without one); NEW is written\n"
        "      atomically, only when every setting was answered, and an existing NEW only\n"
        "      with --force. Exit status: 0 written, 1 not (why on stderr), 2 as above\n"
        "  verify and read stop after 3 requests in a row without an answer; send, verify\n"
        "  and read take --quiet MS, the quiet gap that ends an answer (150 ms)\n",
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

int RunVerify(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        PrintProvisionHelp(stdout);
        return 0;
    }
    return Verify(args);
}

int RunRead(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        PrintProvisionHelp(stdout);
        return 0;
    }
    return Read(args);
}

}  // namespace kt::ctl
