// The verb groups of kt4470ctl. Each returns the process exit status:
// 0 done, 1 the operation failed, 2 bad arguments (a one-line message on stderr).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kt::ctl {

int RunPdu(const std::vector<std::string>& args);  // pdu_verbs.cpp
int RunCfg(const std::vector<std::string>& args);  // cfg_verbs.cpp
void PrintPduHelp(FILE* out);
void PrintCfgHelp(FILE* out);

}  // namespace kt::ctl
