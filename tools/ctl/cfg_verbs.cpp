// kt4470ctl cfg: look into and edit a settings file (the 4200-byte record)
// by field name, and create an empty one.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "Escapes.h"
#include "config/ConfigRecord.h"
#include "config/SettingsFile.h"
#include "ctl_verbs.h"

namespace kt::ctl {

namespace {

using config::ConfigRecord;
using config::FieldDef;
using config::FieldType;

int BadArguments(const std::string& message) {
    std::fprintf(stderr, "kt4470ctl cfg: %s (try kt4470ctl cfg --help)\n", PrintableLine(message).c_str());
    return 2;
}

int Failed(const std::string& message) {
    std::fprintf(stderr, "kt4470ctl cfg: %s\n", PrintableLine(message).c_str());
    return 1;
}

// A settings-file error names the file as given: shown with the tool's escapes.
int FileFailed(std::string message, const std::string& path) {
    const std::string shown = Escape(path);
    if (!path.empty() && shown != path) {
        for (auto at = message.find(path); at != std::string::npos;
             at = message.find(path, at + shown.size()))
            message.replace(at, path.size(), shown);
    }
    return Failed(message);
}

// JSON string of 8-bit text: every byte is a Latin-1 code point; controls,
// DEL and bytes above 0x7F are written as \u00XX so the output is plain ASCII.
std::string JsonString(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string Hex(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

std::string JsonValue(const ConfigRecord& rec, const FieldDef& f, int n) {
    switch (f.type) {
        case FieldType::I32:
        case FieldType::I16:
        case FieldType::Byte:
            return std::to_string(rec.GetInt(f, n));
        case FieldType::Bool:
            return rec.GetInt(f, n) != 0 ? "true" : "false";
        case FieldType::Str:
            return JsonString(rec.GetString(f, n));
        case FieldType::Reserved:
            return "\"" + Hex(rec.GetRaw(f, n)) + "\"";
    }
    return "null";
}

std::string Json(const ConfigRecord& rec) {
    std::string out = "{\n";
    for (std::size_t i = 0; i < config::kFields.size(); ++i) {
        const FieldDef& f = config::kFields[i];
        out += "  \"" + std::string(f.name) + "\": ";
        if (f.IsArray()) {
            out += '[';
            for (int n = 1; n <= f.count; ++n)
                out += (n > 1 ? ", " : "") + JsonValue(rec, f, n);
            out += ']';
        } else {
            out += JsonValue(rec, f, 1);
        }
        out += i + 1 < config::kFields.size() ? ",\n" : "\n";
    }
    return out + "}\n";
}

bool ParseInteger(const std::string& text, int64_t& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    if (first == last || *first == '+') return false;
    const auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ParseAssignment(const std::string& arg, Assignment& out, std::string& error) {
    const auto eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) {
        error = "expected NAME=VALUE, got '" + Escape(arg) + "'";
        return false;
    }
    std::string name = arg.substr(0, eq);
    const std::string value = arg.substr(eq + 1);
    std::string index;
    bool indexed = false;
    if (const auto open = name.find('['); open != std::string::npos) {
        if (name.back() != ']' || open + 2 > name.size() - 1) {
            error = "bad element number in '" + Escape(name) + "'";
            return false;
        }
        index = name.substr(open + 1, name.size() - open - 2);
        name.resize(open);
        indexed = true;
    }
    const FieldDef* f = config::FindField(name);
    if (!f) {
        error = "unknown field '" + Escape(name) + "'";
        return false;
    }
    out.field = f;
    if (f->IsArray() != indexed) {
        error = f->IsArray() ? name + " has " + std::to_string(f->count) + " elements: write " + name +
                                   "[1.." + std::to_string(f->count) + "]=VALUE"
                             : name + " is not numbered: write " + name + "=VALUE";
        return false;
    }
    if (indexed) {
        int64_t n = 0;
        if (index.find_first_not_of("0123456789") != std::string::npos || !ParseInteger(index, n) || n < 1 ||
            n > f->count) {
            error =
                name + ": element number '" + Escape(index) + "' is not in 1.." + std::to_string(f->count);
            return false;
        }
        out.element = static_cast<int>(n);
    }

    const std::string what = std::string(f->name) + (indexed ? "[" + index + "]" : "");
    switch (f->type) {
        case FieldType::I32:
        case FieldType::I16:
        case FieldType::Byte: {
            int64_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
            if (f->type == FieldType::I16)
                lo = std::numeric_limits<int16_t>::min(), hi = std::numeric_limits<int16_t>::max();
            if (f->type == FieldType::Byte) lo = 0, hi = 255;
            if (!ParseInteger(value, out.number) || out.number < lo || out.number > hi) {
                error = what + ": '" + Escape(value) + "' is not an integer in " + std::to_string(lo) + ".." +
                        std::to_string(hi);
                return false;
            }
            return true;
        }
        case FieldType::Bool:
            if (value == "1" || value == "true") {
                out.number = 1;
            } else if (value == "0" || value == "false") {
                out.number = 0;
            } else {
                error = what + ": '" + Escape(value) + "' is not 0, 1, true or false";
                return false;
            }
            return true;
        case FieldType::Str:
            if (value.size() > static_cast<std::size_t>(f->MaxLength())) {
                error = what + " holds at most " + std::to_string(f->MaxLength()) + " characters, got " +
                        std::to_string(value.size());
                return false;
            }
            out.bytes = value;
            return true;
        case FieldType::Reserved:
            if (value.size() != 2u * f->size) {
                error = what + " takes exactly " + std::to_string(2 * f->size) + " hex digits";
                return false;
            }
            out.bytes.clear();
            for (std::size_t i = 0; i < value.size(); i += 2) {
                const int hi = HexDigit(value[i]), lo = HexDigit(value[i + 1]);
                if (hi < 0 || lo < 0) {
                    error = what + ": '" + Escape(value) + "' is not hexadecimal";
                    return false;
                }
                out.bytes += static_cast<char>(hi << 4 | lo);
            }
            return true;
    }
    return false;
}

void Apply(ConfigRecord& rec, const Assignment& a) {
    switch (a.field->type) {
        case FieldType::Str:
            rec.SetString(*a.field, a.element, a.bytes);
            break;
        case FieldType::Reserved:
            rec.SetRaw(*a.field, a.element, a.bytes);
            break;
        default:
            rec.SetInt(*a.field, a.element, a.number);
            break;
    }
}

namespace {

int Show(const std::vector<std::string>& args) {
    if (args.size() != 1) return BadArguments("show takes exactly one FILE");
    ConfigRecord rec;
    std::string error;
    if (!config::LoadRecordFile(args[0], rec, &error)) return FileFailed(error, args[0]);
    std::fputs(Json(rec).c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int Set(const std::vector<std::string>& args) {
    if (args.size() < 2) return BadArguments("set takes FILE and at least one NAME=VALUE");
    // Every assignment is checked before the file is even read, so a bad one
    // leaves the file untouched.
    std::vector<Assignment> assignments;
    for (std::size_t i = 1; i < args.size(); ++i) {
        Assignment a;
        std::string error;
        if (!ParseAssignment(args[i], a, error)) return BadArguments(error);
        assignments.push_back(std::move(a));
    }
    ConfigRecord rec;
    std::string error;
    if (!config::LoadRecordFile(args[0], rec, &error)) return FileFailed(error, args[0]);
    for (const Assignment& a : assignments)
        Apply(rec, a);
    if (!config::SaveRecordFile(args[0], rec, &error)) return FileFailed(error, args[0]);
    return 0;
}

int New(const std::vector<std::string>& args) {
    if (args.size() != 1) return BadArguments("new takes exactly one FILE");
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(args[0], ec)))
        return FileFailed(args[0] + " already exists", args[0]);
    std::string error;
    if (!config::SaveRecordFile(args[0], ConfigRecord(), &error)) return FileFailed(error, args[0]);
    return 0;
}

}  // namespace

void PrintCfgHelp(FILE* out) {
    std::fputs(
        "Settings files (the 4200-byte record of KT4470.cfg):\n"
        "  kt4470ctl cfg show FILE                 print every field as one JSON object\n"
        "  kt4470ctl cfg set FILE NAME=VALUE ...   change fields, keep every other byte\n"
        "      numbered fields as NAME[n]=VALUE (n from 1), e.g. 'AlarmNumber[3]=+12345';\n"
        "      integers in decimal, booleans as 0, 1, true or false, texts as they are,\n"
        "      reserved fields as hexadecimal of their exact length\n"
        "  kt4470ctl cfg new FILE                  create a file holding an all-zero record\n",
        out);
}

int RunCfg(const std::vector<std::string>& args) {
    if (args.empty()) return BadArguments("missing verb");
    const std::string& verb = args.front();
    if (verb == "--help" || verb == "-h" || verb == "help") {
        PrintCfgHelp(stdout);
        return 0;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (verb == "show") return Show(rest);
    if (verb == "set") return Set(rest);
    if (verb == "new") return New(rest);
    return BadArguments("unknown verb '" + Escape(verb) + "'");
}

}  // namespace kt::ctl
