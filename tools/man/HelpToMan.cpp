#include "HelpToMan.h"

#include <sstream>
#include <vector>

namespace kt::man {

namespace {

size_t Indent(const std::string& line) {
    const size_t i = line.find_first_not_of(' ');
    return i == std::string::npos ? line.size() : i;
}

bool Blank(const std::string& line) {
    return line.find_first_not_of(' ') == std::string::npos;
}

// "  --link PATH   the link to create": the term and the text after the
// first gap of two blanks or more; false when the line has no such gap.
bool SplitTerm(const std::string& line, std::string& term, std::string& text) {
    const size_t start = Indent(line);
    const size_t gap = line.find("  ", start);
    if (gap == std::string::npos) return false;
    const size_t rest = line.find_first_not_of(' ', gap);
    if (rest == std::string::npos) return false;
    term = line.substr(start, gap - start);
    text = line.substr(rest);
    return true;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

void Line(std::string& out, const std::string& text) {
    out += RoffEscape(text);
    out += '\n';
}

}  // namespace

std::string RoffEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

ManParts HelpToRoff(const std::string& help) {
    std::vector<std::string> lines;
    std::istringstream in(help);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);

    ManParts parts;
    size_t i = 0;
    // The synopsis: "usage: prog ..." and the lines up to the first blank one;
    // a line that does not start with the program's name continues the one before.
    std::string program;
    if (!lines.empty() && lines[0].rfind("usage: ", 0) == 0) {
        for (; i < lines.size() && !Blank(lines[i]); ++i) {
            std::string l = Trim(i == 0 ? lines[i].substr(7) : lines[i]);
            if (i == 0) program = l.substr(0, l.find(' '));
            if (!program.empty() && l.rfind(program, 0) == 0) {
                if (!parts.synopsis.empty()) parts.synopsis += ".br\n";
                parts.synopsis += ".B " + RoffEscape(program) + "\n";
                l = Trim(l.substr(program.size()));
            }
            if (!l.empty()) Line(parts.synopsis, l);
        }
    }

    std::string& out = parts.description;
    bool inParagraph = false;  // text since the last .PP/.TP/.SS
    bool tagged = false;       // the last text was a tagged paragraph
    while (i < lines.size()) {
        const std::string& l = lines[i];
        if (Blank(l)) {
            if (inParagraph) out += ".PP\n";
            inParagraph = tagged = false;
            ++i;
            continue;
        }
        const size_t indent = Indent(l);
        if (indent == 0 && l.back() == ':') {
            out += ".SS " + RoffEscape(l.substr(0, l.size() - 1)) + "\n";
            inParagraph = tagged = false;
            ++i;
            continue;
        }
        std::string term, text;
        const bool gap = indent > 0 && SplitTerm(l, term, text);
        const bool deeperNext = i + 1 < lines.size() && !Blank(lines[i + 1]) && Indent(lines[i + 1]) > indent;
        if (indent > 0 && (gap || deeperNext)) {
            if (!gap) term = Trim(l);
            ++i;
            // A term too long for one line goes on with "[...]".
            while (!gap && i < lines.size() && Indent(lines[i]) > indent && Trim(lines[i]).front() == '[') {
                term += " " + Trim(lines[i]);
                ++i;
            }
            out += ".TP\n\\fB" + RoffEscape(term) + "\\fR\n";
            if (gap) Line(out, text);
            for (; i < lines.size() && !Blank(lines[i]) && Indent(lines[i]) > indent; ++i)
                Line(out, Trim(lines[i]));
            inParagraph = tagged = true;
            continue;
        }
        // Prose; right after a tagged paragraph it starts a paragraph of its own.
        if (tagged) out += ".PP\n";
        Line(out, Trim(l));
        inParagraph = true;
        tagged = false;
        ++i;
    }
    return parts;
}

std::string FillTemplate(const std::string& page, const std::string& version, const ManParts& parts) {
    std::string out = page;
    const auto replace = [&out](const std::string& key, const std::string& value) {
        for (size_t at = out.find(key); at != std::string::npos; at = out.find(key, at + value.size()))
            out.replace(at, key.size(), value);
    };
    // The generated parts end with a newline and stand on lines of their own.
    replace("@SYNOPSIS@\n", parts.synopsis);
    replace("@DESCRIPTION@\n", parts.description);
    replace("@VERSION@", version);
    return out;
}

}  // namespace kt::man
