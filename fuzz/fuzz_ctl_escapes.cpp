// kt4470ctl's escapes on any bytes: escaped text is printable ASCII and reads
// back as the bytes it came from; any accepted argument survives the round
// trip; a refused one is refused with a message that echoes no raw byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Escapes.h"
#include "FuzzCheck.h"

using kt::fuzz::PrintableAscii;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string escaped = kt::ctl::Escape(bytes);
    FUZZ_CHECK(PrintableAscii(escaped));
    std::string back, error;
    FUZZ_CHECK(kt::ctl::Unescape(escaped, back, error));
    FUZZ_CHECK(back == bytes);

    // The same bytes taken as a typed argument.
    std::string out = "untouched";
    error.clear();
    if (kt::ctl::Unescape(bytes, out, error)) {
        FUZZ_CHECK(error.empty());
        FUZZ_CHECK(out.size() <= bytes.size());
        std::string again;
        FUZZ_CHECK(kt::ctl::Unescape(kt::ctl::Escape(out), again, error));
        FUZZ_CHECK(again == out);
    } else {
        FUZZ_CHECK(out == "untouched");
        FUZZ_CHECK(!error.empty() && PrintableAscii(error));
    }

    const std::string line = kt::ctl::PrintableLine(bytes);
    FUZZ_CHECK(PrintableAscii(line));
    if (PrintableAscii(bytes)) FUZZ_CHECK(line == bytes);
    return 0;
}
