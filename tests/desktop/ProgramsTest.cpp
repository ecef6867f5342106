// The three programs run as a user runs them: --version, kt4470's --help
// and bad arguments, and a start in a working folder that is made for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config/ConfigRecord.h"
#include "support/Program.h"
#include "version/Version.h"

namespace {

namespace fs = std::filesystem;
using kt::test::RunProgram;

TEST(Programs, VersionOfEachProgram) {
    const struct {
        const char* path;
        const char* name;
    } programs[] = {{KT4470, "kt4470"}, {KT4470CTL, "kt4470ctl"}, {KT4470_SIM, "kt4470-sim"}};
    for (const auto& p : programs) {
        SCOPED_TRACE(p.name);
        // No display: kt4470 answers before it needs one.
        const auto r =
            RunProgram(p.path, {"--version"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        // "<program> 0.9.0", then the git description when built from a
        // checkout (a build of some targets only may describe another state).
        const std::string head = std::string(p.name) + " " + kt::ReleaseVersion();
        ASSERT_EQ(r.out.rfind(head, 0), 0u) << r.out;
        const std::string rest = r.out.substr(head.size());
        EXPECT_TRUE(rest == "\n" || (rest.rfind(" (git ", 0) == 0 && rest.size() > 8 &&
                                     rest.compare(rest.size() - 2, 2, ")\n") == 0))
            << r.out;
    }
}

TEST(Programs, Kt4470HelpAndBadArguments) {
    const auto help = RunProgram(KT4470, {"--help"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--folder DIR", "--data-folder", "FILE", "--help", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    const std::vector<std::vector<std::string>> bad = {{"--bogus"}, {"--folder"}, {"a.cfg", "b.cfg"}};
    for (const auto& args : bad) {
        const auto r = RunProgram(KT4470, args, {"QT_QPA_PLATFORM=offscreen"});
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_NE(("\n" + r.err).find("\nkt4470: "), std::string::npos) << r.err;  // a line of its own
    }
}

// Started with --folder DIR or --data-folder, the window comes up in a
// folder made for it.
TEST(Programs, Kt4470StartsInItsFolder) {
    char pattern[] = "/tmp/kt_programs_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path tmp = pattern;
    // A settings file of its own, all zero bytes: it loads as an empty record
    // without a word (a missing one would stop the start with a warning box).
    const fs::path seed = tmp / "seed.cfg";
    std::ofstream(seed, std::ios::binary) << std::string(kt::config::kRecordSize, '\0');
    const struct {
        std::vector<std::string> args;
        std::string dataDir;
        fs::path expected;
    } starts[] = {
        {{"--folder", (tmp / "a/b").string(), seed.string()}, (tmp / "unused").string(), tmp / "a/b"},
        {{"--data-folder", seed.string()}, (tmp / "user/data").string(), tmp / "user/data"},
    };
    for (const auto& s : starts) {
        SCOPED_TRACE(testing::PrintToString(s.args));
        const auto r = RunProgram(
            KT4470, s.args,
            {"QT_QPA_PLATFORM=offscreen", "KT4470_TRACE_STARTUP=1", "KT4470_DATA_DIR=" + s.dataDir},
            tmp.string(), 20000,
            [](const std::string& out) { return out.find("window shown") != std::string::npos; });
        EXPECT_NE(r.out.find("window shown"), std::string::npos) << r.err;
        EXPECT_TRUE(fs::is_directory(s.expected));
    }
    fs::remove_all(tmp);
}

}  // namespace
