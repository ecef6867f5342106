// kt4470ctl's field assignments (cfg set NAME=VALUE) on any argument and any
// record: an accepted one changes only the bytes of the element it names and
// reads back as the value given; a refused one says why in one printable line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "config/ConfigRecord.h"
#include "ctl_verbs.h"

using kt::config::ConfigRecord;
using kt::config::FieldType;
using kt::config::kRecordSize;

// Input: the argument, then optionally a newline and bytes that fill the
// record (repeated to its size).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string arg = input.substr(0, newline);
    const std::string fill = newline == std::string::npos ? std::string() : input.substr(newline + 1);
    ConfigRecord rec;
    if (!fill.empty())
        for (std::size_t i = 0; i < kRecordSize; ++i)
            rec.Bytes()[i] = static_cast<uint8_t>(fill[i % fill.size()]);

    kt::ctl::Assignment a;
    std::string error;
    if (!kt::ctl::ParseAssignment(arg, a, error)) {
        FUZZ_CHECK(!error.empty() && kt::fuzz::PrintableAscii(error));
        return 0;
    }
    FUZZ_CHECK(a.field != nullptr);
    FUZZ_CHECK(a.element >= 1 && a.element <= a.field->count);
    // The argument names that field (and element, when numbered).
    const std::string named = std::string(a.field->name) + (a.field->IsArray() ? "[" : "=");
    FUZZ_CHECK(arg.compare(0, named.size(), named) == 0);

    ConfigRecord changed = rec;
    kt::ctl::Apply(changed, a);
    const std::size_t first = a.field->ElementOffset(a.element);
    const std::size_t last = first + a.field->size;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        if (i < first || i >= last) FUZZ_CHECK(changed.Bytes()[i] == rec.Bytes()[i]);

    const auto& f = *a.field;
    switch (f.type) {
        case FieldType::Str:
            FUZZ_CHECK(changed.GetString(f, a.element) == a.bytes);
            FUZZ_CHECK(arg.substr(arg.find('=') + 1) == a.bytes);
            break;
        case FieldType::Reserved:
            FUZZ_CHECK(changed.GetRaw(f, a.element) == a.bytes);
            break;
        case FieldType::Bool:
            FUZZ_CHECK(a.number == 0 || a.number == 1);
            FUZZ_CHECK(changed.GetInt(f, a.element) == a.number);
            break;
        default:
            FUZZ_CHECK(changed.GetInt(f, a.element) == a.number);
            break;
    }
    return 0;
}
