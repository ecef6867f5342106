// Command line of kt4470-sim.
#pragma once

#include <cstdint>
#include <string>
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
    bool seedGiven = false;
    uint32_t seed = 0;
    std::string logPath;
    bool help = false;
    bool version = false;
};

// Parses the arguments (without the program name). On a bad argument returns
// false with a one-line reason.
bool ParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

std::string UsageText();

}  // namespace kt::sim
