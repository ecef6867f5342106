// kt4470-sim's line: a pseudo-terminal linked under a file name, the role
// behind it, the faults on request and the frame log.
#pragma once

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CommandSplitter.h"
#include "JsonLog.h"
#include "ModemModel.h"
#include "ModuleModel.h"
#include "SimOptions.h"

namespace kt::sim {

// The role behind the line: bytes in, commands with their answers out.
class Endpoint {
  public:
    Endpoint(const SimOptions& options, Clock clock = {});
    std::vector<Exchange> Feed(std::string_view bytes);
    const char* ModeName() const { return modem_ ? "modem" : "module"; }
    ModuleModel& Module() { return module_; }
    ModemModel* Modem() { return modem_.get(); }

  private:
    ModuleModel module_;
    std::unique_ptr<ModemModel> modem_;
    CommandSplitter splitter_;
};

class PtyServer {
  public:
    explicit PtyServer(SimOptions options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Sets up the line and serves it until a signal or the hang-up. Returns
    // the exit status: 0 stopped or hung up, 1 the set-up failed.
    int Run();

  private:
    bool Open();
    void Close();
    void Answer(const std::string& answer);
    void WriteAll(const std::string& bytes);
    bool Pause(int ms);  // false when a stop signal came
    int Unread() const;  // bytes written that the other side has not read
    // --noise-flood: the noise due since the start, written without waiting.
    void Flood();
    // Milliseconds until the next poll must end (the flood's pace).
    int PollTimeoutMs() const;

    SimOptions options_;
    Endpoint endpoint_;
    JsonLog log_;
    std::mt19937 random_;
    int master_ = -1;
    int slave_ = -1;  // held so that the terminal can close and reopen its side
    std::string device_;
    bool linked_ = false;
    int commands_ = 0;
    int64_t floodStartUs_ = -1;
    int64_t floodDue_ = 0;  // bytes of noise written or dropped so far
};

}  // namespace kt::sim
