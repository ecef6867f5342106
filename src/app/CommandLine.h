// kt4470's command line: the options, the help text and where the window
// works (the current directory, --folder DIR or the per-user data folder).
// Qt-free, so the options are read before Qt needs a display.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kt::app {

struct FormOptions;

struct CommandLine {
    bool help = false;
    bool version = false;
    bool dataFolder = false;       // --data-folder
    std::filesystem::path folder;  // --folder DIR
    std::filesystem::path file;    // FILE: the settings file instead of KT4470.cfg
    std::string error;             // empty when the arguments are sound
};

// Parses the arguments without the program name. --help and --version are
// set even when another argument is wrong, so they always answer.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// kt4470 --help.
std::string HelpText();

// Makes the folder the command line asks for (created when missing) the
// working directory of the process and of the window, and hands FILE on as
// the settings file (made absolute first: it names a file relative to where
// kt4470 was started). Without --folder or --data-folder nothing changes.
// False with the reason when the folder cannot be made or entered.
bool ApplyCommandLine(const CommandLine& line, FormOptions& options, std::string& error);

}  // namespace kt::app
