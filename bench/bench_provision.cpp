// Provisioning runs against kt4470-sim on a pseudo-terminal. Direct: every
// command of a full settings file sent as kt4470ctl send sends it. The run
// lasts the module's answers plus the 150 ms quiet gap per command; what the
// tool adds beyond waiting for the line is reported per command:
//   own = framing and writing + deciding late after the gap + the step to the
//         next command.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LineSender.h"
#include "protocol/Provisioning.h"
#include "protocol/SmsExchange.h"
#include "sim/SimProcess.h"
#include "support/ProvisioningRecord.h"

namespace {

void BM_ProvisionFullSettingsFile(benchmark::State& state) {
    const std::vector<std::string> commands =
        kt::protocol::ProvisioningCommands(kt::protocol::SettingsFromRecord(kt::test::ProvisioningRecord()));
    kt::sim::TempDir dir;
    const std::string link = (dir.Path() / "COM1").string();
    kt::sim::SimProcess sim({"--link", link});
    if (sim.FirstLine().empty()) {
        state.SkipWithError("kt4470-sim did not start");
        return;
    }
    constexpr double kQuietUs = kt::protocol::AnswerRule::kQuietMs * 1000.0;
    double totalS = 0, ownUs = 0, ownMaxUs = 0, answerUs = 0;
    size_t answered = 0, runs = 0;
    for (auto _ : state) {
        kt::ctl::LineSender line;
        std::string reason;
        kt::ctl::LineOptions options;
        options.port = link;
        if (!line.Open(options, reason)) {
            state.SkipWithError(reason.c_str());
            return;
        }
        const int64_t begin = kt::ctl::LineSender::NowUs();
        int64_t previousDone = begin;
        for (const std::string& command : commands) {
            const kt::ctl::CommandResult r = line.Send(command);
            if (!r.answered) continue;
            ++answered;
            const double own = static_cast<double>((r.startUs - previousDone) + (r.writtenUs - r.startUs) +
                                                   (r.doneUs - r.lastByteUs)) -
                               kQuietUs;
            ownUs += own;
            ownMaxUs = std::max(ownMaxUs, own);
            answerUs += static_cast<double>(r.lastByteUs - r.writtenUs);
            previousDone = r.doneUs;
        }
        totalS += static_cast<double>(kt::ctl::LineSender::NowUs() - begin) / 1e6;
        ++runs;
    }
    const double n = static_cast<double>(std::max<size_t>(answered, 1));
    state.counters["commands"] = static_cast<double>(commands.size());
    state.counters["answered"] = static_cast<double>(answered) / static_cast<double>(runs);
    state.counters["total_s"] = totalS / static_cast<double>(runs);
    state.counters["answer_ms"] = answerUs / n / 1000.0;
    state.counters["quiet_gap_ms"] = kQuietUs / 1000.0;
    state.counters["own_ms_per_cmd"] = ownUs / n / 1000.0;
    state.counters["own_ms_max"] = ownMaxUs / 1000.0;
}
BENCHMARK(BM_ProvisionFullSettingsFile)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The same commands by SMS through kt4470-sim's modem, as kt4470ctl send
// --sms sends them; the argument is the simulator's --sms-delay in ms. With
// no delay, the time per command is the run's own (submission, one listing,
// the deletion); with one, the answer is found by the first listing after it,
// so the wait beyond the delay shows what the polling period costs.
void BM_ProvisionBySms(benchmark::State& state) {
    const int delayMs = static_cast<int>(state.range(0));
    std::vector<std::string> commands =
        kt::protocol::ProvisioningCommands(kt::protocol::SettingsFromRecord(kt::test::ProvisioningRecord()));
    if (delayMs > 0) commands.resize(3);
    kt::sim::TempDir dir;
    const std::string link = (dir.Path() / "COM1").string();
    kt::sim::SimProcess sim({"--mode", "modem", "--module-number", "+4917012345", "--link", link,
                             "--sms-delay", std::to_string(delayMs / 1000.0)});
    if (sim.FirstLine().empty()) {
        state.SkipWithError("kt4470-sim did not start");
        return;
    }
    double totalUs = 0, maxUs = 0;
    size_t answered = 0, sent = 0;
    for (auto _ : state) {
        kt::ctl::LineSender line;
        std::string reason;
        kt::ctl::LineOptions options;
        options.port = link;
        if (!line.Open(options, reason)) {
            state.SkipWithError(reason.c_str());
            return;
        }
        kt::protocol::SmsExchange exchange("+4917012345");
        for (const std::string& command : commands) {
            const int64_t begin = kt::ctl::LineSender::NowUs();
            exchange.Start(command, begin / 1000);
            line.RunSms(exchange, nullptr);
            const double us = static_cast<double>(kt::ctl::LineSender::NowUs() - begin);
            totalUs += us;
            maxUs = std::max(maxUs, us);
            ++sent;
            answered += exchange.Result() == kt::protocol::SmsExchange::Outcome::Answered;
        }
    }
    const double n = static_cast<double>(std::max<size_t>(sent, 1));
    state.counters["commands"] = static_cast<double>(commands.size());
    state.counters["answered"] = static_cast<double>(answered) / n * static_cast<double>(commands.size());
    state.counters["sms_delay_ms"] = delayMs;
    state.counters["poll_ms"] = static_cast<double>(kt::protocol::kSmsPollMs);
    state.counters["ms_per_cmd"] = totalUs / n / 1000.0;
    state.counters["ms_max"] = maxUs / 1000.0;
    state.counters["beyond_delay_ms"] = totalUs / n / 1000.0 - delayMs;
}
BENCHMARK(BM_ProvisionBySms)->Arg(0)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
