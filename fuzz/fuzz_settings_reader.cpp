// The settings-file reader on any file content: a file of at least 4200
// bytes loads as exactly its first 4200, anything shorter leaves the record
// as it was; every field of the loaded record reads within its type (a string
// never longer than its field, whatever its length byte says).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzCheck.h"
#include "config/ConfigRecord.h"
#include "config/SettingsFile.h"

using kt::config::ConfigRecord;
using kt::config::FieldType;
using kt::config::kRecordSize;

namespace {

// The file: an in-memory regular file, opened again by its /proc name.
struct MemoryFile {
    MemoryFile() : fd(::memfd_create("kt-fuzz-cfg", 0)), path("/proc/self/fd/" + std::to_string(fd)) {}
    bool Put(const uint8_t* data, std::size_t size) const {
        if (::ftruncate(fd, 0) != 0) return false;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    int fd;
    std::string path;
};

void CheckFields(const ConfigRecord& rec) {
    const auto& bytes = rec.Bytes();
    ConfigRecord copy = rec;
    for (const auto& f : kt::config::kFields) {
        for (int n = 1; n <= f.count; ++n) {
            const std::size_t at = f.ElementOffset(n);
            switch (f.type) {
                case FieldType::Str: {
                    const std::string s = rec.GetString(f, n);
                    FUZZ_CHECK(s.size() <= static_cast<std::size_t>(f.MaxLength()));
                    FUZZ_CHECK(s.size() == std::min<std::size_t>(bytes[at], f.MaxLength()));
                    FUZZ_CHECK(std::memcmp(s.data(), bytes.data() + at + 1, s.size()) == 0);
                    // Written back, the text reads the same.
                    copy.SetString(f, n, s);
                    FUZZ_CHECK(copy.GetString(f, n) == s);
                    break;
                }
                case FieldType::Bool:
                    FUZZ_CHECK(rec.GetInt(f, n) == (bytes[at] != 0 ? 1 : 0));
                    break;
                case FieldType::Byte:
                    FUZZ_CHECK(rec.GetInt(f, n) == bytes[at]);
                    break;
                case FieldType::I16:
                    FUZZ_CHECK(static_cast<uint16_t>(rec.GetInt(f, n)) == (bytes[at] | bytes[at + 1] << 8));
                    break;
                case FieldType::I32: {
                    const uint32_t le = uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 |
                                        uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24;
                    FUZZ_CHECK(static_cast<uint32_t>(rec.GetInt(f, n)) == le);
                    break;
                }
                case FieldType::Reserved:
                    FUZZ_CHECK(rec.GetRaw(f, n) ==
                               std::string(reinterpret_cast<const char*>(bytes.data() + at), f.size));
                    break;
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const MemoryFile file;
    if (file.fd < 0 || !file.Put(data, size)) return 0;

    // A record that is not all zero, to see that a failed read keeps it.
    ConfigRecord before;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        before.Bytes()[i] = static_cast<uint8_t>(i * 7 + 1);

    for (const bool requireWritable : {false, true}) {
        ConfigRecord rec = before;
        std::string error;
        const bool ok = kt::config::LoadRecordFile(file.path, rec, &error, requireWritable);
        FUZZ_CHECK(ok == (size >= kRecordSize));
        if (ok) {
            FUZZ_CHECK(std::memcmp(rec.Bytes().data(), data, kRecordSize) == 0);
            FUZZ_CHECK(error.empty());
        } else {
            FUZZ_CHECK(rec == before);
            FUZZ_CHECK(kt::fuzz::Contains(error, std::to_string(size)));
        }
        if (!requireWritable) CheckFields(rec);
    }
    return 0;
}
