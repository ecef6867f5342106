// kt4470ctl: command-line companion of the terminal.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Escapes.h"
#include "ctl_verbs.h"
#include "version/Version.h"

namespace {

void PrintUsage(FILE* out) {
    std::fputs(
        "usage: kt4470ctl pdu|cfg <verb> [arguments]\n"
        "       kt4470ctl commands|send|verify|read [arguments]\n"
        "       kt4470ctl --help | --version\n"
        "\n",
        out);
    kt::ctl::PrintPduHelp(out);
    kt::ctl::PrintCfgHelp(out);
    kt::ctl::PrintProvisionHelp(out);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs("kt4470ctl: missing command (try --help)\n", stderr);
        return 2;
    }
    const std::string group = args.front();
    if (group == "--help" || group == "-h" || group == "help") {
        PrintUsage(stdout);
        return 0;
    }
    if (group == "--version") {
        std::printf("%s\n", kt::VersionLine("kt4470ctl").c_str());
        return 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (group == "pdu") return kt::ctl::RunPdu(rest);
    if (group == "cfg") return kt::ctl::RunCfg(rest);
    if (group == "commands") return kt::ctl::RunCommands(rest);
    if (group == "send") return kt::ctl::RunSend(rest);
    if (group == "verify") return kt::ctl::RunVerify(rest);
    if (group == "read") return kt::ctl::RunRead(rest);
    std::fprintf(stderr, "kt4470ctl: unknown command '%s' (try --help)\n", kt::ctl::Escape(group).c_str());
    return 2;
}
