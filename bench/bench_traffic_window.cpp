// The window's CPU use with the traffic view open while kt4470-sim floods
// the line with 1 MB/s of noise: the window as it runs (polling every 4 to
// 5 s), and polling every 10 ms as during "Write All Settings" (also with the
// view closed, for the view's share). Reports the
// share of one core the process used, the entries recorded per second and
// how fast the session log grew.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "app/Form1.h"
#include "app/TrafficView.h"
#include "sim/SimProcess.h"

namespace {

constexpr int kSeconds = 10;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bench_traffic_window";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: a static QApplication would outlive Qt's own statics at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_WindowDuringNoiseFlood(benchmark::State& state) {
    App();
    const bool fastPoll = state.range(0) != 0;
    const bool viewOpen = state.range(1) != 0;
    kt::sim::TempDir dir;
    kt::sim::SimProcess sim({"--link", (dir.Path() / "COM1").string(), "--noise-flood", "1M"});
    if (sim.FirstLine().empty()) {
        state.SkipWithError("kt4470-sim did not start");
        return;
    }
    // An all-zero settings record: Com1, 2400 baud, no warning box.
    std::ofstream(dir.Path() / "KT4470.cfg", std::ios::binary) << std::string(4200, '\0');
    setenv("KT4470_DATA_DIR", dir.Path().c_str(), 1);
    double cpuShare = 0, entriesPerS = 0, logBytesPerS = 0;
    for (auto _ : state) {
        kt::app::FormOptions options;
        options.workDir = dir.Path();
        options.showMessage = [](const std::string&, const std::string&, kt::protocol::MsgIcon) {};
        kt::app::TForm1 form(options);
        form.show();
        if (viewOpen) form.Traffic1Click();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &form, [&form] { form.PollPort(); });
        if (fastPoll) poll.start(10);
        QApplication::processEvents();

        const uint64_t entries = form.Traffic.EndSeq();
        const auto log = form.Traffic.FilePath();
        form.Traffic.Flush();
        const auto logSize = std::filesystem::file_size(log);
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        QEventLoop loop;
        QTimer::singleShot(kSeconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpuShare = (CpuSeconds() - cpu) / wall * 100;
        entriesPerS = static_cast<double>(form.Traffic.EndSeq() - entries) / wall;
        form.Traffic.Flush();
        logBytesPerS = static_cast<double>(std::filesystem::file_size(log) - logSize) / wall;
    }
    unsetenv("KT4470_DATA_DIR");
    state.counters["cpu_percent"] = cpuShare;
    state.counters["entries_per_s"] = entriesPerS;
    state.counters["log_bytes_per_s"] = logBytesPerS;
}
BENCHMARK(BM_WindowDuringNoiseFlood)
    ->ArgNames({"poll_10ms", "view"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
