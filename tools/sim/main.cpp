// kt4470-sim: the module or a GSM modem on a pseudo-terminal, for development,
// tests and the demo.
#include <cstdio>
#include <string>
#include <vector>

#include "PtyServer.h"
#include "SimOptions.h"
#include "version/Version.h"

int main(int argc, char** argv) {
    kt::sim::SimOptions options;
    std::string error;
    if (!kt::sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "kt4470-sim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kt::sim::UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", kt::VersionLine("kt4470-sim").c_str());
        return 0;
    }
    kt::sim::PtyServer server(options);
    return server.Run();
}
