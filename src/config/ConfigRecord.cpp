#include "config/ConfigRecord.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace kt::config {

namespace {

// The table and the pad list together cover every byte of the record exactly
// once, and every element has the size its type needs.
consteval bool LayoutIsComplete() {
    std::array<int, kRecordSize> uses{};
    for (const FieldDef& f : kFields) {
        if (f.count < 1 || f.size < 1 || (f.count > 1 && f.stride < f.size)) return false;
        switch (f.type) {
            case FieldType::I32:
                if (f.size != 4) return false;
                break;
            case FieldType::I16:
                if (f.size != 2) return false;
                break;
            case FieldType::Bool:
            case FieldType::Byte:
                if (f.size != 1) return false;
                break;
            case FieldType::Str:
                if (f.size < 2 || f.size > 256) return false;
                break;
            case FieldType::Reserved:
                break;
        }
        for (int n = 1; n <= f.count; ++n) {
            const std::size_t at = f.ElementOffset(n);
            if (at + f.size > kRecordSize) return false;
            for (std::size_t i = at; i < at + f.size; ++i)
                ++uses[i];
        }
    }
    for (const PadRange& p : kPadRanges)
        for (std::size_t i = p.offset; i < std::size_t(p.offset) + p.length; ++i)
            ++uses[i];
    for (int u : uses)
        if (u != 1) return false;
    return true;
}

}  // namespace

const FieldDef* FindField(std::string_view name) {
    for (const FieldDef& f : kFields)
        if (f.name == name) return &f;
    return nullptr;
}

std::size_t ConfigRecord::Locate(const FieldDef& f, int n) const {
    if (n < 1 || n > f.count)
        throw std::out_of_range(std::string(f.name) + ": no element " + std::to_string(n));
    return f.ElementOffset(n);
}

int64_t ConfigRecord::GetInt(const FieldDef& f, int n) const {
    const uint8_t* p = image_.data() + Locate(f, n);
    switch (f.type) {
        case FieldType::I32:
            return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                        uint32_t(p[3]) << 24);
        case FieldType::I16:
            return static_cast<int16_t>(uint16_t(p[0] | p[1] << 8));
        case FieldType::Bool:
            return p[0] != 0 ? 1 : 0;
        case FieldType::Byte:
            return p[0];
        default:
            throw std::invalid_argument(std::string(f.name) + " is not a number");
    }
}

void ConfigRecord::SetInt(const FieldDef& f, int n, int64_t value) {
    int64_t lo = 0, hi = 0;
    switch (f.type) {
        case FieldType::I32:
            lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
            break;
        case FieldType::I16:
            lo = std::numeric_limits<int16_t>::min(), hi = std::numeric_limits<int16_t>::max();
            break;
        case FieldType::Bool:
            lo = 0, hi = 1;
            break;
        case FieldType::Byte:
            lo = 0, hi = 255;
            break;
        default:
            throw std::invalid_argument(std::string(f.name) + " is not a number");
    }
    if (value < lo || value > hi)
        throw std::out_of_range(std::string(f.name) + ": value " + std::to_string(value) + " out of range");
    uint8_t* p = image_.data() + Locate(f, n);
    const auto u = static_cast<uint64_t>(value);
    for (int i = 0; i < f.size; ++i)
        p[i] = static_cast<uint8_t>(u >> (8 * i));
}

std::string ConfigRecord::GetString(const FieldDef& f, int n) const {
    if (f.type != FieldType::Str) throw std::invalid_argument(std::string(f.name) + " is not a string");
    const uint8_t* p = image_.data() + Locate(f, n);
    const int len = std::min<int>(p[0], f.MaxLength());
    return std::string(reinterpret_cast<const char*>(p + 1), len);
}

void ConfigRecord::SetString(const FieldDef& f, int n, std::string_view s) {
    if (f.type != FieldType::Str) throw std::invalid_argument(std::string(f.name) + " is not a string");
    uint8_t* p = image_.data() + Locate(f, n);
    const std::size_t len = std::min<std::size_t>(s.size(), f.MaxLength());
    p[0] = static_cast<uint8_t>(len);
    std::copy_n(s.begin(), len, p + 1);
    // Zero what an earlier, longer value left behind (passwords among them).
    std::fill(p + 1 + len, p + f.size, 0);
}

std::string ConfigRecord::GetRaw(const FieldDef& f, int n) const {
    const uint8_t* p = image_.data() + Locate(f, n);
    return std::string(reinterpret_cast<const char*>(p), f.size);
}

void ConfigRecord::SetRaw(const FieldDef& f, int n, std::string_view bytes) {
    if (bytes.size() != f.size)
        throw std::invalid_argument(std::string(f.name) + " takes exactly " + std::to_string(f.size) +
                                    " bytes");
    std::copy(bytes.begin(), bytes.end(), image_.data() + Locate(f, n));
}

static_assert(LayoutIsComplete(), "the field table does not cover the record exactly");

}  // namespace kt::config
