// Man pages made from the programs' --help texts, so the two cannot drift:
// a page's hand-written parts (name, files, environment, see also) live in a
// template beside the help text, and the help text fills in the synopsis
// and the description at build time.
#pragma once

#include <string>

namespace kt::man {

// The help text in roff: the "usage:" lines become the SYNOPSIS (the
// program's name in bold), the rest the DESCRIPTION. An indented line with
// a gap of two blanks ("  --link PATH   the link to create") or one followed
// by deeper lines is a tagged paragraph (.TP) whose deeper lines describe
// it; an unindented line ending in ':' is a subsection (.SS); blank lines
// separate paragraphs.
struct ManParts {
    std::string synopsis;
    std::string description;
};
ManParts HelpToRoff(const std::string& help);

// Text for roff: backslashes and minus signs escaped, no line starting with
// a control character.
std::string RoffEscape(const std::string& text);

// The template with @VERSION@, @SYNOPSIS@ and @DESCRIPTION@ replaced.
std::string FillTemplate(const std::string& page, const std::string& version, const ManParts& parts);

}  // namespace kt::man
