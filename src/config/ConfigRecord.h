// The 4200-byte configuration record: every persistent setting of the window,
// and byte for byte the content of the settings file. The record is a plain
// byte image; every field is reached through one table (name, offset, type,
// size, element count, stride), never through compiler struct layout, so the
// file layout cannot drift. Bytes no field covers (reserved, pad, the unused
// tail of a string) are carried unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kt::config {

inline constexpr std::size_t kRecordSize = 4200;

// Encodings of the fields. Numbers are little-endian.
enum class FieldType : uint8_t {
    I32,       // 32-bit signed integer
    I16,       // 16-bit signed integer
    Bool,      // one byte, 0 = false, anything else true; written as 0 or 1
    Byte,      // one unsigned byte
    Str,       // length byte L, then up to size-1 characters
    Reserved,  // raw bytes of no setting, carried along
};

struct FieldDef {
    std::string_view name;
    FieldType type;
    uint16_t offset;  // of element 1
    uint16_t size;    // bytes per element (a string of at most N characters takes N+1)
    uint16_t count;   // elements; 1 for a single field
    uint16_t stride;  // distance between consecutive elements
    // Arrays stored in two blocks: elements splitAt+1.. start at offset2.
    uint16_t splitAt = 0;
    uint16_t offset2 = 0;

    constexpr bool IsArray() const { return count > 1; }
    constexpr int MaxLength() const { return type == FieldType::Str ? size - 1 : 0; }
    // Byte offset of element n (1-based); n must be in 1..count.
    constexpr std::size_t ElementOffset(int n) const {
        if (splitAt != 0 && n > splitAt) return offset2 + std::size_t(stride) * (n - splitAt - 1);
        return offset + std::size_t(stride) * (n - 1);
    }
};

// Fields in file order (a split array is listed at its first block).
enum class FieldId : uint8_t {
    RateIndex,
    PortIndex,
    WaitSmsTimeout,
    SmsPollFactor,
    ModuleNumber,
    Reserved1,
    ExtSmsText,
    IntSmsText,
    TempTimeout,
    Reserved2,
    AnalogTimeout,
    Reserved3,
    DigitalFilter,
    PulseLength,
    SampleRate,
    DeleteSms,
    SmsModeOn,
    AnalogMin,
    AnalogMax,
    TempMin,
    TempMax,
    Reserved4,
    TempRouteMask,
    AnalogRouteMask,
    DigitalRouteMask,
    Apn,
    GprsUser,
    GprsPassword,
    ServerAddress,
    FtpHost,
    FtpUser,
    FtpPassword,
    FtpDirectory,
    Reserved5,
    TempFormatIndex,
    LoggerPeriod,
    OtherFlags,
    Reserved6,
    Reserved7,
    HttpHost,
    AlarmNumber,
    PhoneBookNumber,
    ModuleNumberCopy,
    ScheduleString,
    ScheduleEnd,
    AnalogMode,
    Reserved8,
    Reserved9,
    AnalogMultipliers,
    AnalogDividers,
    Reserved10,
    Reserved11,
    Reserved12,
    SkipCrLf,
    Reserved13,
    AlternateModule,
    ParityEvenOn,
    SaveOnExit,
    GprsSampleRate,
    GprsLoggerPeriod,
    MuxText,
    Count
};

inline constexpr std::size_t kFieldCount = static_cast<std::size_t>(FieldId::Count);

// The layout of the record. Entry i describes FieldId i.
inline constexpr std::array<FieldDef, kFieldCount> kFields{{
    {"RateIndex", FieldType::I32, 0, 4, 1, 4},
    {"PortIndex", FieldType::I32, 4, 4, 1, 4},
    {"WaitSmsTimeout", FieldType::I32, 8, 4, 1, 4},
    {"SmsPollFactor", FieldType::I32, 12, 4, 1, 4},
    {"ModuleNumber", FieldType::Str, 16, 21, 1, 21},
    {"Reserved1", FieldType::Reserved, 37, 23, 1, 23},
    {"ExtSmsText", FieldType::Str, 60, 27, 57, 27},
    {"IntSmsText", FieldType::Str, 1599, 16, 97, 16},
    // 3151: one pad byte
    {"TempTimeout", FieldType::I32, 3152, 4, 1, 4},
    {"Reserved2", FieldType::Reserved, 3156, 4, 1, 4},
    {"AnalogTimeout", FieldType::I32, 3160, 4, 1, 4},
    {"Reserved3", FieldType::Reserved, 3164, 4, 1, 4},
    {"DigitalFilter", FieldType::I32, 3168, 4, 1, 4},
    {"PulseLength", FieldType::I32, 3172, 4, 8, 4},
    {"SampleRate", FieldType::I32, 3204, 4, 1, 4},
    {"DeleteSms", FieldType::Bool, 3208, 1, 1, 1},
    {"SmsModeOn", FieldType::Bool, 3209, 1, 1, 1},
    // 3210: two pad bytes
    {"AnalogMin", FieldType::I32, 3212, 4, 16, 8, 8, 4136},
    {"AnalogMax", FieldType::I32, 3216, 4, 16, 8, 8, 4140},
    {"TempMin", FieldType::I32, 3276, 4, 3, 8},
    {"TempMax", FieldType::I32, 3280, 4, 3, 8},
    {"Reserved4", FieldType::Reserved, 3300, 8, 1, 8},
    {"TempRouteMask", FieldType::Str, 3308, 5, 1, 5},
    {"AnalogRouteMask", FieldType::Str, 3313, 9, 1, 9},
    {"DigitalRouteMask", FieldType::Str, 3322, 13, 1, 13},
    {"Apn", FieldType::Str, 3335, 41, 1, 41},
    {"GprsUser", FieldType::Str, 3376, 41, 1, 41},
    {"GprsPassword", FieldType::Str, 3417, 41, 1, 41},
    {"ServerAddress", FieldType::Str, 3458, 41, 1, 41},
    {"FtpHost", FieldType::Str, 3499, 41, 1, 41},
    {"FtpUser", FieldType::Str, 3540, 41, 1, 41},
    {"FtpPassword", FieldType::Str, 3581, 17, 1, 17},
    {"FtpDirectory", FieldType::Str, 3598, 17, 1, 17},
    {"Reserved5", FieldType::Reserved, 3615, 9, 1, 9},
    {"TempFormatIndex", FieldType::I32, 3624, 4, 1, 4},
    {"LoggerPeriod", FieldType::I32, 3628, 4, 1, 4},
    {"OtherFlags", FieldType::Str, 3632, 17, 1, 17},
    {"Reserved6", FieldType::Reserved, 3649, 1, 1, 1},
    {"Reserved7", FieldType::Reserved, 3650, 1, 1, 1},
    {"HttpHost", FieldType::Str, 3651, 41, 1, 41},
    {"AlarmNumber", FieldType::Str, 3692, 21, 7, 21},
    {"PhoneBookNumber", FieldType::Str, 3839, 21, 7, 21},
    {"ModuleNumberCopy", FieldType::Str, 3986, 21, 1, 21},
    {"ScheduleString", FieldType::Str, 4007, 10, 1, 10},
    {"ScheduleEnd", FieldType::Byte, 4017, 1, 1, 1},
    // 4018: two pad bytes
    {"AnalogMode", FieldType::I32, 4020, 4, 8, 4},
    {"Reserved8", FieldType::Reserved, 4052, 4, 1, 4},
    {"Reserved9", FieldType::Reserved, 4056, 4, 1, 4},
    {"AnalogMultipliers", FieldType::Str, 4060, 9, 1, 9},
    {"AnalogDividers", FieldType::Str, 4069, 9, 1, 9},
    // 4078: two pad bytes
    {"Reserved10", FieldType::I32, 4080, 4, 1, 4},
    {"Reserved11", FieldType::I16, 4084, 2, 1, 2},
    {"Reserved12", FieldType::I16, 4086, 2, 1, 2},
    {"SkipCrLf", FieldType::Bool, 4088, 1, 1, 1},
    {"Reserved13", FieldType::Reserved, 4089, 2, 1, 2},
    {"AlternateModule", FieldType::Bool, 4091, 1, 1, 1},
    {"ParityEvenOn", FieldType::Bool, 4092, 1, 1, 1},
    {"SaveOnExit", FieldType::Bool, 4093, 1, 1, 1},
    // 4094: two pad bytes
    {"GprsSampleRate", FieldType::I32, 4096, 4, 1, 4},
    {"GprsLoggerPeriod", FieldType::I32, 4100, 4, 1, 4},
    {"MuxText", FieldType::Str, 4104, 4, 8, 4},
}};

// Alignment bytes that belong to no field: {offset, length}.
struct PadRange {
    uint16_t offset;
    uint16_t length;
};
inline constexpr std::array<PadRange, 5> kPadRanges{{{3151, 1}, {3210, 2}, {4018, 2}, {4078, 2}, {4094, 2}}};

constexpr const FieldDef& Field(FieldId id) {
    return kFields[static_cast<std::size_t>(id)];
}

// The field of that name, if any.
const FieldDef* FindField(std::string_view name);

class ConfigRecord {
  public:
    using Image = std::array<uint8_t, kRecordSize>;

    ConfigRecord() { image_.fill(0); }

    const Image& Bytes() const { return image_; }
    Image& Bytes() { return image_; }
    void Clear() { image_.fill(0); }
    bool operator==(const ConfigRecord&) const = default;

    // Generic access by table entry; n is the 1-based element number.
    // A bad element number or a field of the wrong type throws std::out_of_range
    // or std::invalid_argument: those are programming errors.
    int64_t GetInt(const FieldDef& f, int n = 1) const;             // I32, I16, Byte, Bool (0/1)
    void SetInt(const FieldDef& f, int n, int64_t value);           // value must fit the type
    std::string GetString(const FieldDef& f, int n = 1) const;      // Str; a length byte above N reads as N
    void SetString(const FieldDef& f, int n, std::string_view s);   // Str; cut to N, unused tail zeroed
    std::string GetRaw(const FieldDef& f, int n = 1) const;         // the element's bytes, any type
    void SetRaw(const FieldDef& f, int n, std::string_view bytes);  // exactly f.size bytes

    // Named accessors. Numbered fields take the 1-based element number.
// Each accessor checks at compile time that its table entry bears its name and type.
#define KT_CFG_CHECK(Name, Types)                                                  \
    static_assert(Field(FieldId::Name).name == #Name, "field table out of order"); \
    static_assert(Types, "field " #Name " has another type");
#define KT_CFG_IS(Name, T) (Field(FieldId::Name).type == FieldType::T)
#define KT_CFG_INT(Name, T)                                                                   \
    KT_CFG_CHECK(Name, KT_CFG_IS(Name, I32) || KT_CFG_IS(Name, I16) || KT_CFG_IS(Name, Byte)) \
    T Name() const {                                                                          \
        return static_cast<T>(GetInt(Field(FieldId::Name)));                                  \
    }                                                                                         \
    void Set##Name(T v) {                                                                     \
        SetInt(Field(FieldId::Name), 1, v);                                                   \
    }
#define KT_CFG_INT_ARRAY(Name, T)                               \
    KT_CFG_CHECK(Name, KT_CFG_IS(Name, I32))                    \
    T Name(int n) const {                                       \
        return static_cast<T>(GetInt(Field(FieldId::Name), n)); \
    }                                                           \
    void Set##Name(int n, T v) {                                \
        SetInt(Field(FieldId::Name), n, v);                     \
    }
#define KT_CFG_BOOL(Name)                           \
    KT_CFG_CHECK(Name, KT_CFG_IS(Name, Bool))       \
    bool Name() const {                             \
        return GetInt(Field(FieldId::Name)) != 0;   \
    }                                               \
    void Set##Name(bool v) {                        \
        SetInt(Field(FieldId::Name), 1, v ? 1 : 0); \
    }
#define KT_CFG_STR(Name)                        \
    KT_CFG_CHECK(Name, KT_CFG_IS(Name, Str))    \
    std::string Name() const {                  \
        return GetString(Field(FieldId::Name)); \
    }                                           \
    void Set##Name(std::string_view s) {        \
        SetString(Field(FieldId::Name), 1, s);  \
    }
#define KT_CFG_STR_ARRAY(Name)                     \
    KT_CFG_CHECK(Name, KT_CFG_IS(Name, Str))       \
    std::string Name(int n) const {                \
        return GetString(Field(FieldId::Name), n); \
    }                                              \
    void Set##Name(int n, std::string_view s) {    \
        SetString(Field(FieldId::Name), n, s);     \
    }
#define KT_CFG_RAW(Name)                          \
    KT_CFG_CHECK(Name, KT_CFG_IS(Name, Reserved)) \
    std::string Name() const {                    \
        return GetRaw(Field(FieldId::Name));      \
    }                                             \
    void Set##Name(std::string_view b) {          \
        SetRaw(Field(FieldId::Name), 1, b);       \
    }

    KT_CFG_INT(RateIndex, int32_t)
    KT_CFG_INT(PortIndex, int32_t)
    KT_CFG_INT(WaitSmsTimeout, int32_t)
    KT_CFG_INT(SmsPollFactor, int32_t)
    KT_CFG_STR(ModuleNumber)
    KT_CFG_RAW(Reserved1)
    KT_CFG_STR_ARRAY(ExtSmsText)
    KT_CFG_STR_ARRAY(IntSmsText)
    KT_CFG_INT(TempTimeout, int32_t)
    KT_CFG_RAW(Reserved2)
    KT_CFG_INT(AnalogTimeout, int32_t)
    KT_CFG_RAW(Reserved3)
    KT_CFG_INT(DigitalFilter, int32_t)
    KT_CFG_INT_ARRAY(PulseLength, int32_t)
    KT_CFG_INT(SampleRate, int32_t)
    KT_CFG_BOOL(DeleteSms)
    KT_CFG_BOOL(SmsModeOn)
    KT_CFG_INT_ARRAY(AnalogMin, int32_t)
    KT_CFG_INT_ARRAY(AnalogMax, int32_t)
    KT_CFG_INT_ARRAY(TempMin, int32_t)
    KT_CFG_INT_ARRAY(TempMax, int32_t)
    KT_CFG_RAW(Reserved4)
    KT_CFG_STR(TempRouteMask)
    KT_CFG_STR(AnalogRouteMask)
    KT_CFG_STR(DigitalRouteMask)
    KT_CFG_STR(Apn)
    KT_CFG_STR(GprsUser)
    KT_CFG_STR(GprsPassword)
    KT_CFG_STR(ServerAddress)
    KT_CFG_STR(FtpHost)
    KT_CFG_STR(FtpUser)
    KT_CFG_STR(FtpPassword)
    KT_CFG_STR(FtpDirectory)
    KT_CFG_RAW(Reserved5)
    KT_CFG_INT(TempFormatIndex, int32_t)
    KT_CFG_INT(LoggerPeriod, int32_t)
    KT_CFG_STR(OtherFlags)
    KT_CFG_RAW(Reserved6)
    KT_CFG_RAW(Reserved7)
    KT_CFG_STR(HttpHost)
    KT_CFG_STR_ARRAY(AlarmNumber)
    KT_CFG_STR_ARRAY(PhoneBookNumber)
    KT_CFG_STR(ModuleNumberCopy)
    KT_CFG_STR(ScheduleString)
    KT_CFG_INT(ScheduleEnd, uint8_t)
    KT_CFG_INT_ARRAY(AnalogMode, int32_t)
    KT_CFG_RAW(Reserved8)
    KT_CFG_RAW(Reserved9)
    KT_CFG_STR(AnalogMultipliers)
    KT_CFG_STR(AnalogDividers)
    KT_CFG_INT(Reserved10, int32_t)
    KT_CFG_INT(Reserved11, int16_t)
    KT_CFG_INT(Reserved12, int16_t)
    KT_CFG_BOOL(SkipCrLf)
    KT_CFG_RAW(Reserved13)
    KT_CFG_BOOL(AlternateModule)
    KT_CFG_BOOL(ParityEvenOn)
    KT_CFG_BOOL(SaveOnExit)
    KT_CFG_INT(GprsSampleRate, int32_t)
    KT_CFG_INT(GprsLoggerPeriod, int32_t)
    KT_CFG_STR_ARRAY(MuxText)

#undef KT_CFG_CHECK
#undef KT_CFG_IS
#undef KT_CFG_INT
#undef KT_CFG_INT_ARRAY
#undef KT_CFG_BOOL
#undef KT_CFG_STR
#undef KT_CFG_STR_ARRAY
#undef KT_CFG_RAW

  private:
    std::size_t Locate(const FieldDef& f, int n) const;

    Image image_;
};

}  // namespace kt::config
