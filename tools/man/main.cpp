// kt-help2man: writes a man page from its template and a program's --help.
// Usage: kt-help2man TEMPLATE OUTPUT VERSION PROGRAM [ARGUMENT...]
// Runs PROGRAM with the arguments (usually --help) and fills the template.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "HelpToMan.h"

namespace {

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: kt-help2man TEMPLATE OUTPUT VERSION PROGRAM [ARGUMENT...]\n", stderr);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "kt-help2man: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string page(std::istreambuf_iterator<char>(in), {});
    std::string command;
    for (int i = 4; i < argc; ++i)
        command += (i > 4 ? " " : "") + Quoted(argv[i]);
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        std::fprintf(stderr, "kt-help2man: cannot run %s\n", argv[4]);
        return 1;
    }
    std::string help;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        help.append(buf, n);
    if (pclose(p) != 0 || help.empty()) {
        std::fprintf(stderr, "kt-help2man: %s gave no help text\n", command.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << kt::man::FillTemplate(page, argv[3], kt::man::HelpToRoff(help));
    if (!out.flush()) {
        std::fprintf(stderr, "kt-help2man: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
