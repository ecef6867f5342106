// kt4470's command line: what each argument means, and the working folder
// the window then uses for its settings file and its port links.
#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/Form1.h"
#include "serial/PortNames.h"
#include "support/Pty.h"

namespace {

namespace fs = std::filesystem;
using kt::app::ApplyCommandLine;
using kt::app::CommandLine;
using kt::app::FormOptions;
using kt::app::ParseCommandLine;

TEST(CommandLine, ParsesEachForm) {
    struct Case {
        std::vector<std::string> args;
        bool help, version, dataFolder;
        std::string folder, file, error;  // error: a part of the message, empty for none
    };
    const Case cases[] = {
        {{}, false, false, false, "", "", ""},
        {{"--help"}, true, false, false, "", "", ""},
        {{"--version"}, false, true, false, "", "", ""},
        {{"--folder", "/srv/kt"}, false, false, false, "/srv/kt", "", ""},
        {{"--folder=site A"}, false, false, false, "site A", "", ""},
        {{"--data-folder", "plant.cfg"}, false, false, true, "", "plant.cfg", ""},
        {{"plant.cfg", "--folder", "f"}, false, false, false, "f", "plant.cfg", ""},
        {{"--", "--odd.cfg"}, false, false, false, "", "--odd.cfg", ""},
        // Help and version answer even beside a wrong argument.
        {{"--bogus", "--version"}, false, true, false, "", "", "unknown option '--bogus'"},
        {{"--folder"}, false, false, false, "", "", "--folder needs a folder"},
        {{"a.cfg", "b.cfg"}, false, false, false, "", "a.cfg", "more than one settings file"},
        {{""}, false, false, false, "", "", "empty settings file name"},
        {{"--help=x"}, true, false, false, "", "", "takes no value"},
        {{"--folder", "d", "--data-folder"}, false, false, true, "d", "", "exclude each other"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommandLine got = ParseCommandLine(c.args);
        EXPECT_EQ(got.help, c.help);
        EXPECT_EQ(got.version, c.version);
        EXPECT_EQ(got.dataFolder, c.dataFolder);
        EXPECT_EQ(got.folder, fs::path(c.folder));
        EXPECT_EQ(got.file, fs::path(c.file));
        if (c.error.empty())
            EXPECT_EQ(got.error, "");
        else
            EXPECT_NE(got.error.find(c.error), std::string::npos) << got.error;
    }
}

// A temporary folder that is also the current directory; the previous one
// comes back afterwards.
class WorkFolderTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kt_cmdline_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        tmp = pattern;
        previous = fs::current_path();
        fs::current_path(tmp);
        if (const char* v = getenv("KT4470_DATA_DIR")) dataDir = v;
    }
    void TearDown() override {
        fs::current_path(previous);
        if (dataDir)
            setenv("KT4470_DATA_DIR", dataDir->c_str(), 1);
        else
            unsetenv("KT4470_DATA_DIR");
        std::error_code ec;
        fs::remove_all(tmp, ec);
    }
    fs::path tmp, previous;
    std::optional<std::string> dataDir;
};

// The folder is made and entered; FILE names a file where kt4470 was
// started, not in the new folder; a folder that cannot be made says why and
// moves nothing.
TEST_F(WorkFolderTest, FolderIsMadeAndEntered) {
    std::ofstream(tmp / "in-the-way") << "x";
    const struct {
        std::vector<std::string> args;
        std::string dataDir, workDir, error;  // workDir: below tmp, empty for none
    } cases[] = {
        {{"--folder", "sites/north", "plant.cfg"}, "", "sites/north", ""},
        {{"--data-folder"}, "user/data", "user/data", ""},
        {{}, "", "", ""},
        {{"--folder", "in-the-way/sub"}, "", "", "in-the-way"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        fs::current_path(tmp);
        setenv("KT4470_DATA_DIR", (tmp / c.dataDir).c_str(), 1);
        FormOptions o;
        std::string error;
        EXPECT_EQ(ApplyCommandLine(ParseCommandLine(c.args), o, error), c.error.empty());
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(o.workDir, c.workDir.empty() ? fs::path() : tmp / c.workDir);
        EXPECT_EQ(fs::current_path(), fs::canonical(tmp / c.workDir));
        EXPECT_EQ(o.settingsFile, c.args.size() == 3 ? tmp / "plant.cfg" : fs::path());
    }
}

// The window started in --folder DIR reads and writes DIR/KT4470.cfg and
// opens the COM1 link it finds there.
TEST_F(WorkFolderTest, WindowWorksInTheFolder) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "desktop_commandline_test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);

    kt::test::Pty pty;
    ASSERT_TRUE(pty.Ok());
    fs::create_directories(tmp / "site");
    fs::create_symlink(pty.SlavePath(), tmp / "site/COM1");
    FormOptions o;
    std::string error;
    ASSERT_TRUE(ApplyCommandLine(ParseCommandLine({"--folder", "site"}), o, error)) << error;
    fs::current_path(tmp);  // the window must not depend on the process's directory
    o.manualTimers = true;
    std::vector<std::string> messages;
    o.showMessage = [&](const std::string& t, const std::string&, kt::protocol::MsgIcon) {
        messages.push_back(t);
    };
    {
        kt::app::TForm1 form(o);
        EXPECT_TRUE(form.CommPortDriver1.IsOpen());
        EXPECT_EQ(kt::serial::ResolvedDevice(form.CommPortDriver1.PortName()), pty.SlavePath());
        EXPECT_EQ(form.SettingsPath(), tmp / "site/KT4470.cfg");
        form.SaveSetting1Click();
    }
    EXPECT_EQ(fs::file_size(tmp / "site/KT4470.cfg"), 4200u);
    EXPECT_FALSE(fs::exists(tmp / "KT4470.cfg"));
}

}  // namespace
