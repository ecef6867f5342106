// Writing what changed and verifying against kt4470-sim on a pseudo-terminal,
// as kt4470ctl commands --since | send and kt4470ctl verify do it, with the
// terminal's answer rule (150 ms of quiet end an answer). Besides the time
// measured, each reports the bytes sent and received and what the same run
// takes on a real line at 2400 and 9600 baud (8N1, 10 bits a byte): the
// bytes of both directions at the line's rate plus the quiet gap after each
// answer; the module's own time to answer is not known and not counted.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "LineSender.h"
#include "protocol/Framing.h"
#include "protocol/ModuleReport.h"
#include "protocol/Provisioning.h"
#include "sim/SimProcess.h"

namespace {

using kt::protocol::AnswerRule;

struct LineTotals {
    size_t commands = 0, answered = 0, sent = 0, received = 0;
    double seconds = 0;
};

LineTotals Run(const std::vector<std::string>& commands) {
    LineTotals t;
    kt::sim::TempDir dir;
    const std::string link = (dir.Path() / "COM1").string();
    kt::sim::SimProcess sim({"--link", link});
    if (sim.FirstLine().empty()) return t;
    kt::ctl::LineSender line;
    kt::ctl::LineOptions options;
    options.port = link;
    std::string reason;
    if (!line.Open(options, reason)) return t;
    const int64_t begin = kt::ctl::LineSender::NowUs();
    for (const std::string& command : commands) {
        const kt::ctl::CommandResult r = line.Send(command);
        ++t.commands;
        t.sent += kt::protocol::DirectFrame(command).size();
        t.received += r.answer.size();
        t.answered += r.answered;
    }
    t.seconds = static_cast<double>(kt::ctl::LineSender::NowUs() - begin) / 1e6;
    return t;
}

void Report(benchmark::State& state, const LineTotals& t, size_t runs) {
    const double n = static_cast<double>(runs);
    state.counters["commands"] = static_cast<double>(t.commands) / n;
    state.counters["answered"] = static_cast<double>(t.answered) / n;
    state.counters["bytes_sent"] = static_cast<double>(t.sent) / n;
    state.counters["bytes_received"] = static_cast<double>(t.received) / n;
    state.counters["measured_s"] = t.seconds / n;
    const double gaps =
        static_cast<double>(t.commands) / n * static_cast<double>(AnswerRule::kQuietMs) / 1000.0;
    const double bits = static_cast<double>(t.sent + t.received) / n * 10.0;
    state.counters["line_2400_s"] = bits / 2400.0 + gaps;
    state.counters["line_9600_s"] = bits / 9600.0 + gaps;
}

void Accumulate(LineTotals& into, const LineTotals& t) {
    into.commands += t.commands;
    into.answered += t.answered;
    into.sent += t.sent;
    into.received += t.received;
    into.seconds += t.seconds;
}

// Sends the commands once per iteration and reports the line's totals.
void Measure(benchmark::State& state, const std::vector<std::string>& commands) {
    LineTotals total;
    size_t runs = 0;
    for (auto _ : state) {
        const LineTotals t = Run(commands);
        if (t.commands == 0) {
            state.SkipWithError("kt4470-sim did not start");
            return;
        }
        Accumulate(total, t);
        ++runs;
    }
    Report(state, total, runs);
}

// A module given a template once; five settings of different pages change.
void BM_WriteFiveChangedSettings(benchmark::State& state) {
    kt::config::ConfigRecord before;
    before.SetApn("internet");
    kt::config::ConfigRecord after = before;
    after.SetAlarmNumber(3, "+4917012345");
    after.SetExtSmsText(9, "Pump 1 on");
    after.SetIntSmsText(70, "Pump off");
    after.SetAnalogMax(3, 80);
    after.SetApn("web.example");
    const auto changed = kt::protocol::CommandsSince(
        kt::protocol::ProvisioningSlots(kt::protocol::SettingsFromRecord(after)),
        kt::protocol::CommandBaseline(
            kt::protocol::ProvisioningSlots(kt::protocol::SettingsFromRecord(before))));
    std::vector<std::string> commands;
    for (const auto& c : changed)
        commands.push_back(c.command);
    Measure(state, commands);
}
BENCHMARK(BM_WriteFiveChangedSettings)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every request kt4470ctl verify makes (the default layout).
void BM_VerifyEverythingReportable(benchmark::State& state) {
    std::vector<std::string> commands;
    for (const auto& r : kt::protocol::ReportRequests(false))
        commands.push_back(r.command);
    Measure(state, commands);
}
BENCHMARK(BM_VerifyEverythingReportable)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
