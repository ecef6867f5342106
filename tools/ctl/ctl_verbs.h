// The verb groups of kt4470ctl. Each returns the process exit status:
// 0 done, 1 the operation failed, 2 bad arguments (a one-line message on stderr).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/ConfigRecord.h"

namespace kt::ctl {

int RunPdu(const std::vector<std::string>& args);       // pdu_verbs.cpp
int RunCfg(const std::vector<std::string>& args);       // cfg_verbs.cpp
int RunCommands(const std::vector<std::string>& args);  // provision_verbs.cpp
int RunSend(const std::vector<std::string>& args);      // provision_verbs.cpp
int RunVerify(const std::vector<std::string>& args);    // provision_verbs.cpp
int RunRead(const std::vector<std::string>& args);      // provision_verbs.cpp
void PrintPduHelp(FILE* out);
void PrintCfgHelp(FILE* out);
void PrintProvisionHelp(FILE* out);

// One NAME=VALUE or NAME[n]=VALUE argument of "cfg set", checked against the
// field (cfg_verbs.cpp).
struct Assignment {
    const config::FieldDef* field = nullptr;
    int element = 1;
    int64_t number = 0;  // I32, I16, Bool, Byte
    std::string bytes;   // Str (the text), Reserved (the decoded bytes)
};
// False, with a one-line reason in error (echoed parts escaped), when arg
// names no field or its value does not fit the field.
bool ParseAssignment(const std::string& arg, Assignment& out, std::string& error);
// Writes the value into the record; only the bytes of that element change.
void Apply(config::ConfigRecord& rec, const Assignment& a);

}  // namespace kt::ctl
