// kt4470: the desktop terminal.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Form1.h"
#include "version/Version.h"

int main(int argc, char** argv) {
    // --help and --version answer without a display.
    if (const auto early = kt::app::ParseCommandLine({argv + 1, argv + argc}); early.help || early.version) {
        std::fputs(early.help ? kt::app::HelpText().c_str() : (kt::VersionLine("kt4470") + "\n").c_str(),
                   stdout);
        return 0;
    }
    QApplication app(argc, argv);  // takes Qt's own options (-platform, -style, ...) out of argv
    QApplication::setApplicationName(kt::app::kApplicationTitle);
    QApplication::setApplicationDisplayName(kt::app::kApplicationTitle);
    QApplication::setApplicationVersion(kt::Version());
    QApplication::setDesktopFileName(kt::app::kDesktopFileName);

    const kt::app::CommandLine line = kt::app::ParseCommandLine({argv + 1, argv + argc});
    if (!line.error.empty()) {
        std::fprintf(stderr, "kt4470: %s\n", line.error.c_str());
        return 2;
    }
    kt::app::FormOptions options;
    std::string error;
    if (!kt::app::ApplyCommandLine(line, options, error)) {
        // Started from the menu, nobody reads standard error.
        std::fprintf(stderr, "kt4470: %s\n", error.c_str());
        QMessageBox::critical(nullptr, kt::app::kApplicationTitle, QString::fromStdString(error));
        return 2;
    }
    kt::app::TForm1 form(std::move(options));
    form.show();
    return QApplication::exec();
}
