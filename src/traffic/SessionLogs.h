// Session logs: the window writes its traffic to one file per run in the
// folder "logs" of the per-user data folder, named by the local start time
// ("kt4470-20261208-170102.log"), and keeps the newest 50 such files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "traffic/TrafficRecorder.h"

namespace kt::traffic {

inline constexpr int kKeptSessionLogs = 50;

// DataFolder()/logs; empty when there is no data folder.
std::filesystem::path SessionLogFolder();

// "kt4470-20261208-170102.log" for the local time of wallUs; the n-th file
// of the same second (n > 1) is "kt4470-20261208-170102-n.log".
std::string SessionLogName(int64_t wallUs, int n = 1);
bool IsSessionLogName(const std::string& name);

// Creates the folder when missing, opens a new session log there for the
// recorder and removes the oldest session logs beyond `keep`. False with the
// reason when no file could be opened (the recorder then keeps only its ring).
bool StartSessionLog(TrafficRecorder& recorder, const std::filesystem::path& folder, int64_t wallUs,
                     std::string* error, int keep = kKeptSessionLogs);

// Removes the session logs of folder beyond the newest `keep` (by time of
// the last write, then by name), never `keepAlso`; returns how many.
int PruneSessionLogs(const std::filesystem::path& folder, int keep,
                     const std::filesystem::path& keepAlso = {});

}  // namespace kt::traffic
