#include "config/ConfigRecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace kt::config {
namespace {

// The file layout written out independently of the production table: for each
// field its type, element size and count, and the byte offset of a few
// elements (first, second, last, and both sides of a split).
struct Expected {
    const char* name;
    FieldType type;
    int size;
    int count;
    std::vector<std::pair<int, int>> offsets;  // (element number, byte offset)
};

const std::vector<Expected>& Layout() {
    using T = FieldType;
    static const std::vector<Expected> kLayout = {
        {"RateIndex", T::I32, 4, 1, {{1, 0}}},
        {"PortIndex", T::I32, 4, 1, {{1, 4}}},
        {"WaitSmsTimeout", T::I32, 4, 1, {{1, 8}}},
        {"SmsPollFactor", T::I32, 4, 1, {{1, 12}}},
        {"ModuleNumber", T::Str, 21, 1, {{1, 16}}},
        {"Reserved1", T::Reserved, 23, 1, {{1, 37}}},
        {"ExtSmsText", T::Str, 27, 57, {{1, 60}, {2, 87}, {57, 1572}}},
        {"IntSmsText", T::Str, 16, 97, {{1, 1599}, {2, 1615}, {58, 2511}, {97, 3135}}},
        {"TempTimeout", T::I32, 4, 1, {{1, 3152}}},
        {"Reserved2", T::Reserved, 4, 1, {{1, 3156}}},
        {"AnalogTimeout", T::I32, 4, 1, {{1, 3160}}},
        {"Reserved3", T::Reserved, 4, 1, {{1, 3164}}},
        {"DigitalFilter", T::I32, 4, 1, {{1, 3168}}},
        {"PulseLength", T::I32, 4, 8, {{1, 3172}, {2, 3176}, {8, 3200}}},
        {"SampleRate", T::I32, 4, 1, {{1, 3204}}},
        {"DeleteSms", T::Bool, 1, 1, {{1, 3208}}},
        {"SmsModeOn", T::Bool, 1, 1, {{1, 3209}}},
        {"AnalogMin", T::I32, 4, 16, {{1, 3212}, {2, 3220}, {8, 3268}, {9, 4136}, {10, 4144}, {16, 4192}}},
        {"AnalogMax", T::I32, 4, 16, {{1, 3216}, {2, 3224}, {8, 3272}, {9, 4140}, {10, 4148}, {16, 4196}}},
        {"TempMin", T::I32, 4, 3, {{1, 3276}, {2, 3284}, {3, 3292}}},
        {"TempMax", T::I32, 4, 3, {{1, 3280}, {2, 3288}, {3, 3296}}},
        {"Reserved4", T::Reserved, 8, 1, {{1, 3300}}},
        {"TempRouteMask", T::Str, 5, 1, {{1, 3308}}},
        {"AnalogRouteMask", T::Str, 9, 1, {{1, 3313}}},
        {"DigitalRouteMask", T::Str, 13, 1, {{1, 3322}}},
        {"Apn", T::Str, 41, 1, {{1, 3335}}},
        {"GprsUser", T::Str, 41, 1, {{1, 3376}}},
        {"GprsPassword", T::Str, 41, 1, {{1, 3417}}},
        {"ServerAddress", T::Str, 41, 1, {{1, 3458}}},
        {"FtpHost", T::Str, 41, 1, {{1, 3499}}},
        {"FtpUser", T::Str, 41, 1, {{1, 3540}}},
        {"FtpPassword", T::Str, 17, 1, {{1, 3581}}},
        {"FtpDirectory", T::Str, 17, 1, {{1, 3598}}},
        {"Reserved5", T::Reserved, 9, 1, {{1, 3615}}},
        {"TempFormatIndex", T::I32, 4, 1, {{1, 3624}}},
        {"LoggerPeriod", T::I32, 4, 1, {{1, 3628}}},
        {"OtherFlags", T::Str, 17, 1, {{1, 3632}}},
        {"Reserved6", T::Reserved, 1, 1, {{1, 3649}}},
        {"Reserved7", T::Reserved, 1, 1, {{1, 3650}}},
        {"HttpHost", T::Str, 41, 1, {{1, 3651}}},
        {"AlarmNumber", T::Str, 21, 7, {{1, 3692}, {2, 3713}, {7, 3818}}},
        {"PhoneBookNumber", T::Str, 21, 7, {{1, 3839}, {2, 3860}, {7, 3965}}},
        {"ModuleNumberCopy", T::Str, 21, 1, {{1, 3986}}},
        {"ScheduleString", T::Str, 10, 1, {{1, 4007}}},
        {"ScheduleEnd", T::Byte, 1, 1, {{1, 4017}}},
        {"AnalogMode", T::I32, 4, 8, {{1, 4020}, {2, 4024}, {8, 4048}}},
        {"Reserved8", T::Reserved, 4, 1, {{1, 4052}}},
        {"Reserved9", T::Reserved, 4, 1, {{1, 4056}}},
        {"AnalogMultipliers", T::Str, 9, 1, {{1, 4060}}},
        {"AnalogDividers", T::Str, 9, 1, {{1, 4069}}},
        {"Reserved10", T::I32, 4, 1, {{1, 4080}}},
        {"Reserved11", T::I16, 2, 1, {{1, 4084}}},
        {"Reserved12", T::I16, 2, 1, {{1, 4086}}},
        {"SkipCrLf", T::Bool, 1, 1, {{1, 4088}}},
        {"Reserved13", T::Reserved, 2, 1, {{1, 4089}}},
        {"AlternateModule", T::Bool, 1, 1, {{1, 4091}}},
        {"ParityEvenOn", T::Bool, 1, 1, {{1, 4092}}},
        {"SaveOnExit", T::Bool, 1, 1, {{1, 4093}}},
        {"GprsSampleRate", T::I32, 4, 1, {{1, 4096}}},
        {"GprsLoggerPeriod", T::I32, 4, 1, {{1, 4100}}},
        {"MuxText", T::Str, 4, 8, {{1, 4104}, {2, 4108}, {8, 4132}}},
    };
    return kLayout;
}

// Writes a distinctive value into element n and returns the bytes it must
// produce at the element's offset.
std::string WriteMarker(ConfigRecord& rec, const FieldDef& f, int n) {
    switch (f.type) {
        case FieldType::I32:
            rec.SetInt(f, n, -0x12345678);
            return std::string("\x88\xa9\xcb\xed", 4);
        case FieldType::I16:
            rec.SetInt(f, n, -2);
            return std::string("\xfe\xff", 2);
        case FieldType::Bool:
            rec.SetInt(f, n, 1);
            return "\x01";
        case FieldType::Byte:
            rec.SetInt(f, n, 0xab);
            return "\xab";
        case FieldType::Str: {
            // One character more than fits: stored cut to N, length byte N.
            const std::string text(f.MaxLength() + 1, 'q');
            rec.SetString(f, n, text);
            return std::string(1, char(f.MaxLength())) + text.substr(0, f.MaxLength());
        }
        case FieldType::Reserved: {
            std::string bytes;
            for (int i = 0; i < f.size; ++i)
                bytes += char(0xc0 + i);
            rec.SetRaw(f, n, bytes);
            return bytes;
        }
    }
    return {};
}

TEST(ConfigRecordLayout, EveryFieldLandsAtItsOffsetAndTouchesNothingElse) {
    std::set<std::string> covered;
    for (const Expected& e : Layout()) {
        SCOPED_TRACE(e.name);
        const FieldDef* f = FindField(e.name);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->type, e.type);
        EXPECT_EQ(f->size, e.size);
        EXPECT_EQ(f->count, e.count);
        covered.insert(e.name);
        for (const auto& [n, offset] : e.offsets) {
            SCOPED_TRACE("element " + std::to_string(n));
            ConfigRecord rec;
            const std::string want = WriteMarker(rec, *f, n);
            const auto& img = rec.Bytes();
            for (std::size_t i = 0; i < img.size(); ++i) {
                const bool inside = i >= std::size_t(offset) && i < offset + want.size();
                const uint8_t expected = inside ? uint8_t(want[i - offset]) : 0;
                ASSERT_EQ(img[i], expected) << "byte " << i;
            }
        }
    }
    EXPECT_EQ(covered.size(), kFields.size()) << "a field of the table is missing from the expected layout";
}

TEST(ConfigRecordLayout, NamedAccessorsReachTheirFields) {
    ConfigRecord rec;
    rec.SetPortIndex(2);
    rec.SetAlarmNumber(3, "+12345");
    rec.SetAnalogMin(9, 77);
    rec.SetTempMax(3, -99);
    rec.SetReserved11(-300);
    rec.SetScheduleEnd(7);
    rec.SetSaveOnExit(true);
    rec.SetMuxText(8, "100");
    const auto& b = rec.Bytes();
    EXPECT_EQ(b[4], 2);
    EXPECT_EQ(b[3734], 6);  // AlarmNumber[3] at 3692 + 2 * 21
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[3735]), 6), "+12345");
    EXPECT_EQ(b[4136], 77);
    EXPECT_EQ(b[3296], 0x9d);
    EXPECT_EQ(b[3299], 0xff);
    EXPECT_EQ(b[4084], 0xd4);
    EXPECT_EQ(b[4085], 0xfe);
    EXPECT_EQ(b[4017], 7);
    EXPECT_EQ(b[4093], 1);
    EXPECT_EQ(b[4132], 3);
    EXPECT_EQ(rec.AlarmNumber(3), "+12345");
    EXPECT_EQ(rec.TempMax(3), -99);
    EXPECT_EQ(rec.Reserved11(), -300);
    EXPECT_EQ(rec.MuxText(8), "100");
}

TEST(ConfigRecordValues, ExtremesRoundTrip) {
    ConfigRecord rec;
    rec.SetRateIndex(INT32_MIN);
    rec.SetWaitSmsTimeout(INT32_MAX);
    rec.SetReserved12(INT16_MIN);
    EXPECT_EQ(rec.RateIndex(), INT32_MIN);
    EXPECT_EQ(rec.WaitSmsTimeout(), INT32_MAX);
    EXPECT_EQ(rec.Reserved12(), INT16_MIN);
}

TEST(ConfigRecordValues, StringsReadTheirLengthClampedToTheMaximum) {
    ConfigRecord rec;
    auto& b = rec.Bytes();
    b[16] = 200;  // ModuleNumber: s20
    for (int i = 0; i < 20; ++i)
        b[17 + i] = uint8_t('0' + i % 10);
    b[37] = 'X';  // first byte of Reserved1, right after the field
    EXPECT_EQ(rec.ModuleNumber(), "01234567890123456789");

    b[4104] = 255;  // MuxText[1]: s3
    EXPECT_EQ(rec.MuxText(1).size(), 3u);
}

TEST(ConfigRecordValues, ShorterStringZeroesWhatTheLongerOneLeft) {
    ConfigRecord rec;
    rec.SetGprsPassword("secret-password");
    rec.SetGprsPassword("pw");
    EXPECT_EQ(rec.GprsPassword(), "pw");
    const auto& b = rec.Bytes();
    for (int i = 3417 + 3; i < 3417 + 41; ++i)
        EXPECT_EQ(b[i], 0) << "byte " << i;
}

TEST(ConfigRecordValues, EightBitAndNulBytesSurvive) {
    ConfigRecord rec;
    const std::string text("a\0\xe9\xff\r\n", 6);
    rec.SetExtSmsText(57, text);
    EXPECT_EQ(rec.ExtSmsText(57), text);
}

TEST(ConfigRecordValues, AnyNonZeroBoolByteReadsTrue) {
    ConfigRecord rec;
    rec.Bytes()[4088] = 0x80;
    EXPECT_TRUE(rec.SkipCrLf());
    rec.SetSkipCrLf(false);
    EXPECT_EQ(rec.Bytes()[4088], 0);
}

TEST(ConfigRecordValues, MisuseIsRejected) {
    ConfigRecord rec;
    EXPECT_THROW(rec.AlarmNumber(0), std::out_of_range);
    EXPECT_THROW(rec.SetAlarmNumber(8, "1"), std::out_of_range);
    EXPECT_THROW(rec.AnalogMin(17), std::out_of_range);
    EXPECT_THROW(rec.SetReserved1("short"), std::invalid_argument);
    EXPECT_THROW(rec.SetInt(Field(FieldId::Reserved11), 1, 40000), std::out_of_range);
    EXPECT_THROW(rec.SetInt(Field(FieldId::ScheduleEnd), 1, -1), std::out_of_range);
    EXPECT_THROW(rec.GetString(Field(FieldId::RateIndex)), std::invalid_argument);
    EXPECT_THROW(rec.GetInt(Field(FieldId::Apn)), std::invalid_argument);
    EXPECT_EQ(rec, ConfigRecord());  // nothing was written by the refused calls
}

TEST(ConfigRecordValues, FindFieldKnowsOnlyTableNames) {
    EXPECT_EQ(FindField("AlarmNumber"), &Field(FieldId::AlarmNumber));
    EXPECT_EQ(FindField("alarmnumber"), nullptr);
    EXPECT_EQ(FindField(""), nullptr);
}

}  // namespace
}  // namespace kt::config
