// The man pages made from the --help texts: the conversion's rules, and the
// three built pages render without a warning and document every option the
// programs' help names.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "HelpToMan.h"
#include "support/Program.h"

namespace {

using kt::man::HelpToRoff;

TEST(HelpToMan, ConvertsEachFormOfLine) {
    const struct {
        const char* help;
        const char* synopsis;
        const char* description;
    } cases[] = {
        // Usage lines, one continued; the program's name in bold.
        {"usage: tool [--a] [-b]\n"
         "            [--c]\n"
         "       tool --help\n",
         ".B tool\n[\\-\\-a] [\\-b]\n[\\-\\-c]\n.br\n.B tool\n\\-\\-help\n", ""},
        // An option with its text after a gap, continued deeper; then prose.
        {"usage: tool\n\n"
         "  --link PATH   the link to create\n"
         "                (replaced when it exists)\n"
         "Exit status: 0.\n",
         ".B tool\n",
         ".TP\n\\fB\\-\\-link PATH\\fR\nthe link to create\n(replaced when it exists)\n.PP\nExit status: "
         "0.\n"},
        // A command line described by the deeper lines below it, a heading,
        // a term continued with "[...]", escapes and a leading dot.
        {"usage: tool\n\n"
         "Verbs:\n"
         "  tool send --port P\n"
         "             [--rate R]\n"
         "      sends \\r lines\n"
         "  .cfg files are records\n",
         ".B tool\n",
         ".SS Verbs\n.TP\n\\fBtool send \\-\\-port P [\\-\\-rate R]\\fR\nsends \\er lines\n.PP\n\\&.cfg "
         "files are "
         "records\n"},
        // Paragraphs.
        {"usage: tool\n\nOne\ntwo.\n\nThree.\n", ".B tool\n", "One\ntwo.\n.PP\nThree.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.help);
        const auto parts = HelpToRoff(c.help);
        EXPECT_EQ(parts.synopsis, c.synopsis);
        EXPECT_EQ(parts.description, c.description);
    }
    const std::string page = kt::man::FillTemplate(
        ".TH T 1 \"\" \"t @VERSION@\"\n.SH SYNOPSIS\n@SYNOPSIS@\n.SH "
        "DESCRIPTION\n@DESCRIPTION@\n.SH SEE ALSO\n",
        "1.2.3", {".B t\n", "Text.\n"});
    EXPECT_EQ(page, ".TH T 1 \"\" \"t 1.2.3\"\n.SH SYNOPSIS\n.B t\n.SH DESCRIPTION\nText.\n.SH SEE ALSO\n");
}

bool HaveGroff() {
    return kt::test::RunProgram("/bin/sh", {"-c", "command -v groff"}).status == 0;
}

TEST(ManPages, RenderCleanlyAndNameEveryOption) {
    if (!HaveGroff()) GTEST_SKIP() << "groff is not installed (Debian package groff-base)";
    const struct {
        const char* program;
        const char* name;
    } programs[] = {{KT4470, "kt4470"}, {KT4470CTL, "kt4470ctl"}, {KT4470_SIM, "kt4470-sim"}};
    for (const auto& p : programs) {
        SCOPED_TRACE(p.name);
        const std::string page = std::string(KT_MAN_DIR) + "/" + p.name + ".1";
        ASSERT_TRUE(std::filesystem::exists(page));
        EXPECT_EQ(kt::test::SlurpFile(page.c_str()).find('@'), std::string::npos);
        // -ww: every warning; -z: no output but the warnings.
        const auto lint = kt::test::RunProgram("/bin/sh", {"-c", "groff -man -ww -z '" + page + "'"});
        EXPECT_EQ(lint.status, 0);
        EXPECT_EQ(lint.err, "");
        const auto text = kt::test::RunProgram("/bin/sh", {"-c", "groff -man -Tutf8 -P-cbou '" + page + "'"},
                                               {"LC_ALL=C.UTF-8"});
        ASSERT_EQ(text.status, 0) << text.err;
        const auto help = kt::test::RunProgram(p.program, {"--help"});
        ASSERT_EQ(help.status, 0);
        const std::regex option("--[a-z][a-z-]*");
        std::set<std::string> options;
        for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), option);
             it != std::sregex_iterator(); ++it)
            options.insert(it->str());
        EXPECT_GE(options.size(), 2u);
        // groff may break a line after a hyphen: compare without line breaks.
        std::string flat = text.out;
        flat = std::regex_replace(flat, std::regex("-\n\\s*"), "-");
        for (const std::string& o : options)
            EXPECT_NE(flat.find(o), std::string::npos) << o;
    }
}

}  // namespace
