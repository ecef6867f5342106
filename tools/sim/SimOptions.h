// Command line of kt4470-sim.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kt::sim {

struct SimOptions {
    enum class Mode { Module, Modem };
    Mode mode = Mode::Module;
    std::string link = "./COM1";
    std::string moduleNumber;
    bool silent = false;
    bool split = false;
    int hangupAfter = 0;  // 0: never
    double noise = 0.0;   // probability per answer
    long noiseFlood = 0;  // bytes per second of steady noise; 0: none
    bool seedGiven = false;
    uint32_t seed = 0;
    std::string logPath;
    // The modem's slow network (modem role only).
    int smsDelayMs = 0;  // the module's answer SMS reaches the inbox this late
    int failSubmit = 0;  // the Nth submission is refused with +CMS ERROR: 38 (0: none)
    std::vector<std::pair<std::string, std::string>> inboxOther;  // (number, text) in the inbox at start
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name). On a bad argument returns
// false with a one-line reason.
bool ParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string UsageText();

}  // namespace kt::sim
