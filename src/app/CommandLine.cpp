#include "app/CommandLine.h"

#include <system_error>

#include "app/Form1.h"
#include "config/UserFolders.h"

namespace kt::app {

namespace fs = std::filesystem;

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine c;
    const auto fail = [&c](const std::string& why) {
        if (c.error.empty()) c.error = why;
    };
    bool optionsEnd = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (optionsEnd || name.empty() || name[0] != '-' || name == "-") {
            if (!c.file.empty())
                fail("more than one settings file: '" + c.file.string() + "' and '" + name + "'");
            else if (name.empty())
                fail("an empty settings file name");
            else
                c.file = name;
            continue;
        }
        if (name == "--") {
            optionsEnd = true;
            continue;
        }
        std::string value;
        bool inlineValue = false;
        if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        if (name == "--help" || name == "-h" || name == "--version") {
            (name == "--version" ? c.version : c.help) = true;
            if (inlineValue) fail("option " + name + " takes no value");
        } else if (name == "--data-folder") {
            c.dataFolder = true;
            if (inlineValue) fail("option --data-folder takes no value");
        } else if (name == "--folder") {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    fail("option --folder needs a folder");
                    continue;
                }
                value = args[++i];
            }
            if (value.empty())
                fail("option --folder needs a folder");
            else
                c.folder = value;
        } else {
            fail("unknown option '" + args[i] + "' (try --help)");
        }
    }
    if (c.dataFolder && !c.folder.empty()) fail("--folder and --data-folder exclude each other");
    return c;
}

std::string HelpText() {
    return "usage: kt4470 [--folder DIR | --data-folder] [FILE]\n"
           "       kt4470 --help | --version\n"
           "\n"
           "The terminal of the KT4470QD25E GSM telemetry module: configures and services\n"
           "it over a serial line (\"Setting Mode\") or by SMS through a GSM modem.\n"
           "\n"
           "The settings file KT4470.cfg and the port links COM1 to COM16 are looked up in\n"
           "the working folder: the current directory unless an option names another.\n"
           "\n"
           "  --folder DIR     work in DIR (created when missing)\n"
           "  --data-folder    work in the per-user data folder, $XDG_DATA_HOME/kt4470\n"
           "                   (~/.local/share/kt4470; the menu entry starts it so)\n"
           "  FILE             use FILE as the settings file instead of KT4470.cfg in the\n"
           "                   working folder\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n"
           "\n"
           "\"Com n\" on the \"Serial Port\" page is the link COMn in the working folder when\n"
           "it exists, else the device bound to \"Com n\" on that page for this user (kept\n"
           "in $XDG_CONFIG_HOME/kt4470/ports), else /dev/ttyS<n-1>.\n"
           "\n"
           "Exit status: 0 when the window was closed, 2 on bad arguments or a working\n"
           "folder that cannot be made.\n";
}

bool ApplyCommandLine(const CommandLine& line, FormOptions& options, std::string& error) {
    std::error_code ec;
    if (!line.file.empty()) {
        options.settingsFile = fs::absolute(line.file, ec);
        if (ec) options.settingsFile = line.file;
    }
    fs::path folder = line.folder;
    if (line.dataFolder) {
        folder = kt::config::DataFolder();
        if (folder.empty()) {
            error = "no per-user data folder (neither KT4470_DATA_DIR nor HOME is set)";
            return false;
        }
    }
    if (folder.empty()) return true;
    if (!kt::config::EnsureFolder(folder, &error)) return false;
    folder = fs::absolute(folder, ec);
    fs::current_path(folder, ec);
    if (ec) {
        error = "cannot work in " + folder.string() + ": " + ec.message();
        return false;
    }
    options.workDir = folder;
    return true;
}

}  // namespace kt::app
