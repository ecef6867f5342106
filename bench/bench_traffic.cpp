// The traffic recorder writing to a file: 1,000,000 entries of 40 bytes,
// sends and reads in turn as a busy line brings them. Reports entries per
// second, the ring's size and the process's resident memory before the first
// run and after the last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "traffic/TrafficRecorder.h"

namespace {

// Resident memory of the process in KiB (VmRSS of /proc/self/status).
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

void BM_RecordMillionEntriesToFile(benchmark::State& state) {
    constexpr int kEntries = 1000000;
    const std::string tx(40, 'T'), rx = std::string(38, 'r') + "\r\n";
    char pattern[] = "/tmp/bench_traffic_XXXXXX";
    if (!mkdtemp(pattern)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::filesystem::path dir = pattern;
    double residentBefore = 0, residentAfter = 0, ringMiB = 0, fileMiB = 0;
    size_t ringEntries = 0;
    for (auto _ : state) {
        if (residentBefore == 0) residentBefore = static_cast<double>(ResidentKiB()) / 1024;
        {
            kt::traffic::TrafficRecorder recorder("bench");
            std::string error;
            if (!recorder.OpenFile(dir / "t.log", false, &error)) {
                state.SkipWithError(error.c_str());
                return;
            }
            for (int i = 0; i < kEntries; i += 2) {
                recorder.Written(reinterpret_cast<const uint8_t*>(tx.data()),
                                 static_cast<uint32_t>(tx.size()));
                recorder.Read(reinterpret_cast<const uint8_t*>(rx.data()), static_cast<uint32_t>(rx.size()));
            }
            recorder.CloseFile();
            residentAfter = static_cast<double>(ResidentKiB()) / 1024;
            ringEntries = recorder.Size();
            ringMiB = static_cast<double>(recorder.Bytes()) / (1 << 20);
        }
        fileMiB = static_cast<double>(std::filesystem::file_size(dir / "t.log")) / (1 << 20);
        std::filesystem::remove(dir / "t.log");
    }
    std::filesystem::remove_all(dir);
    state.SetItemsProcessed(state.iterations() * kEntries);
    state.counters["ring_entries"] = static_cast<double>(ringEntries);
    state.counters["ring_bytes_MiB"] = ringMiB;
    state.counters["rss_before_MiB"] = residentBefore;
    state.counters["rss_after_MiB"] = residentAfter;
    state.counters["file_MiB"] = fileMiB;
}
BENCHMARK(BM_RecordMillionEntriesToFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
