// The SMS exchange of one command on whatever a modem sends: the input is
// cut at 0xFF bytes into receptions 100 ms apart. The exchange writes only
// its own AT commands, PDU, Ctrl-Z and ESC, ends every command with exactly
// one outcome, and comes to an end within its time-outs once the line falls
// silent.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "protocol/SmsExchange.h"

namespace {

using kt::protocol::SmsEvent;

bool OwnBytes(const std::string& out) {
    for (const char ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 || c > 0x7E) && c != '\r' && c != 0x1A && c != 0x1B) return false;
    }
    return true;
}

bool Ends(SmsEvent::Kind k) {
    return k == SmsEvent::Kind::Answered || k == SmsEvent::Kind::NotSubmitted ||
           k == SmsEvent::Kind::NoAnswer || k == SmsEvent::Kind::Abandoned;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    kt::protocol::SmsExchange x("+4917012345", {.modemMs = 1000, .answerMs = 5000, .pollMs = 500});
    int64_t now = 0;
    int starts = 1, ends = 0;
    std::string written;
    auto collect = [&] {
        written += x.TakeOutput();
        for (const SmsEvent& e : x.TakeEvents())
            ends += Ends(e.kind);
    };
    x.Start("GETST", now);
    std::string reception;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0xFF) {
            reception += static_cast<char>(data[i]);
            continue;
        }
        x.Received(reception, now);
        reception.clear();
        collect();
        now += 100;
        x.Advance(now);
        collect();
        // A new command once one has ended, as a run goes on.
        if (x.Done()) {
            x.Start("GETVR", now);
            ++starts;
        }
        collect();
    }
    for (int step = 0; step < 1000 && !x.Done(); ++step) {
        now += x.MsUntilDue(now) + 1;
        x.Advance(now);
        collect();
    }
    FUZZ_CHECK(x.Done());
    FUZZ_CHECK(OwnBytes(written));
    // Every command started has ended once, and only once.
    FUZZ_CHECK(ends == starts);
    FUZZ_CHECK(x.Result() != kt::protocol::SmsExchange::Outcome::Pending);
    return 0;
}
