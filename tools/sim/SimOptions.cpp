#include "SimOptions.h"

#include <cerrno>
#include <cstdlib>

namespace kt::sim {

namespace {

bool ParseLong(const std::string& s, long min, long max, long& out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max) return false;
    out = v;
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (hasValue) return true;
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        auto noValue = [&]() -> bool {
            if (!hasValue) return true;
            error = "option " + name + " takes no value";
            return false;
        };
        if (name == "--help" || name == "-h") {
            if (!noValue()) return false;
            o.help = true;
        } else if (name == "--version") {
            if (!noValue()) return false;
            o.version = true;
        } else if (name == "--silent") {
            if (!noValue()) return false;
            o.silent = true;
        } else if (name == "--split") {
            if (!noValue()) return false;
            o.split = true;
        } else if (name == "--mode") {
            if (!takeValue()) return false;
            if (value == "module")
                o.mode = SimOptions::Mode::Module;
            else if (value == "modem")
                o.mode = SimOptions::Mode::Modem;
            else {
                error = "--mode must be module or modem, not '" + value + "'";
                return false;
            }
        } else if (name == "--link") {
            if (!takeValue()) return false;
            if (value.empty()) {
                error = "--link needs a path";
                return false;
            }
            o.link = value;
        } else if (name == "--module-number") {
            if (!takeValue()) return false;
            if (value.find_first_of("0123456789") == std::string::npos) {
                error = "--module-number needs a phone number, not '" + value + "'";
                return false;
            }
            o.moduleNumber = value;
        } else if (name == "--hangup-after") {
            long n = 0;
            if (!takeValue()) return false;
            if (!ParseLong(value, 1, 1000000000, n)) {
                error = "--hangup-after needs a count of at least 1, not '" + value + "'";
                return false;
            }
            o.hangupAfter = static_cast<int>(n);
        } else if (name == "--noise") {
            if (!takeValue()) return false;
            char* end = nullptr;
            const double rate = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(rate >= 0.0 && rate <= 1.0)) {
                error = "--noise needs a probability from 0 to 1, not '" + value + "'";
                return false;
            }
            o.noise = rate;
        } else if (name == "--noise-flood") {
            if (!takeValue()) return false;
            // A count of bytes, with k (1000) or M (1000000) after it.
            std::string digits = value;
            long unit = 1;
            if (!digits.empty() && (digits.back() == 'k' || digits.back() == 'M')) {
                unit = digits.back() == 'k' ? 1000 : 1000000;
                digits.pop_back();
            }
            long n = 0;
            if (!ParseLong(digits, 1, 100000000, n) || n * unit > 100000000) {
                error = "--noise-flood needs bytes per second from 1 to 100M, not '" + value + "'";
                return false;
            }
            o.noiseFlood = n * unit;
        } else if (name == "--seed") {
            long n = 0;
            if (!takeValue()) return false;
            if (!ParseLong(value, 0, 4294967295L, n)) {
                error = "--seed needs a number from 0 to 4294967295, not '" + value + "'";
                return false;
            }
            o.seed = static_cast<uint32_t>(n);
            o.seedGiven = true;
        } else if (name == "--log") {
            if (!takeValue()) return false;
            if (value.empty()) {
                error = "--log needs a file name";
                return false;
            }
            o.logPath = value;
        } else if (name == "--sms-delay") {
            if (!takeValue()) return false;
            char* end = nullptr;
            const double seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(seconds >= 0.0 && seconds <= 3600.0)) {
                error = "--sms-delay needs seconds from 0 to 3600, not '" + value + "'";
                return false;
            }
            o.smsDelayMs = static_cast<int>(seconds * 1000 + 0.5);
        } else if (name == "--fail-submit") {
            long n = 0;
            if (!takeValue()) return false;
            if (!ParseLong(value, 1, 1000000000, n)) {
                error = "--fail-submit needs a count of at least 1, not '" + value + "'";
                return false;
            }
            o.failSubmit = static_cast<int>(n);
        } else if (name == "--inbox-other") {
            if (!takeValue()) return false;
            const size_t eq = value.find('=');
            const std::string number = value.substr(0, eq);
            if (eq == std::string::npos || number.find_first_of("0123456789") == std::string::npos ||
                number.find_first_not_of("+0123456789") != std::string::npos || value.size() - eq - 1 > 160) {
                error = "--inbox-other needs NUMBER=TEXT (a phone number, up to 160 characters), not '" +
                        value + "'";
                return false;
            }
            o.inboxOther.emplace_back(number, value.substr(eq + 1));
        } else {
            error = "unknown argument '" + args[i] + "' (try --help)";
            return false;
        }
    }
    if (!o.help && !o.version && o.mode == SimOptions::Mode::Module &&
        (o.smsDelayMs > 0 || o.failSubmit > 0 || !o.inboxOther.empty())) {
        error = "--sms-delay, --fail-submit and --inbox-other need --mode modem";
        return false;
    }
    if (!o.help && !o.version && o.mode == SimOptions::Mode::Modem && o.moduleNumber.empty()) {
        error = "--mode modem needs --module-number NUMBER";
        return false;
    }
    return true;
}

std::string UsageText() {
    return "usage: kt4470-sim [--mode module|modem] [--module-number NUMBER] [--link PATH]\n"
           "                  [--silent] [--split] [--hangup-after N] [--noise RATE]\n"
           "                  [--noise-flood BYTES] [--seed N] [--log FILE] [--sms-delay S]\n"
           "                  [--fail-submit N] [--inbox-other NUMBER=TEXT]...\n"
           "       kt4470-sim --help | --version\n"
           "\n"
           "Plays the far end of the terminal's serial line on a pseudo-terminal, linked as\n"
           "PATH (default ./COM1). Prints the device, then runs until SIGINT or SIGTERM.\n"
           "\n"
           "  --mode module         the KT4470 module in direct mode (default)\n"
           "  --mode modem          a GSM modem in PDU mode; SMS to --module-number reach a\n"
           "                        simulated module, whose answer lands in the inbox\n"
           "  --link PATH           the symbolic link to create (an existing link is replaced,\n"
           "                        any other file is left alone and the start fails)\n"
           "  --silent              never answer\n"
           "  --split               answer in small pieces with pauses of 50-300 ms\n"
           "  --hangup-after N      close the line after N commands, like an unplugged adapter\n"
           "  --noise RATE          random bytes after an answer with probability RATE (0..1)\n"
           "  --noise-flood BYTES   a steady stream of random bytes, BYTES per second (k and M\n"
           "                        after the number: thousands, millions; at most 100M),\n"
           "                        besides the answers; what the other side does not take\n"
           "                        in time is dropped, not queued\n"
           "  --seed N              seed of the random faults (default: random)\n"
           "  --log FILE            append every frame received and sent, one JSON object a line\n"
           "  --sms-delay S         modem: the module's answer SMS reaches the inbox S seconds\n"
           "                        after the submission (fractions allowed; default 0)\n"
           "  --fail-submit N       modem: refuse the Nth SMS submission with +CMS ERROR: 38\n"
           "  --inbox-other NUMBER=TEXT\n"
           "                        modem: an unread SMS from NUMBER in the inbox at start\n"
           "                        (repeatable)\n"
           "  --help                show this help and exit\n"
           "  --version             show the version and exit\n"
           "\n"
           "The answers are listed in tools/sim/REPLIES.md. Exit status: 0 stopped or hung up,\n"
           "1 the line or the link could not be set up, 2 bad arguments.\n";
}

}  // namespace kt::sim
