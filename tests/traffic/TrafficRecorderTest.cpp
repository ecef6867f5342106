// The traffic recorder on a clock of the test's: the file format read back,
// local time stamps, one entry per send, the ring's bounds under a flood,
// when the file is written, and the session logs' names and pruning.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "serial/CommPortDriver.h"
#include "support/TextFiles.h"
#include "traffic/SessionLogs.h"
#include "traffic/TrafficRecorder.h"
#include "version/Version.h"

namespace fs = std::filesystem;
using namespace kt::traffic;
using kt::test::Lines;
using kt::test::Slurp;

namespace {

// 2026-12-08T16:01:02.345Z in microseconds since the epoch.
constexpr int64_t kDec8 = 1796745662345000;

struct FakeClock {
    int64_t mono = 1000000;
    int64_t wall = kDec8;
    TrafficRecorder::Clock Clock() {
        return {[this] { return mono; }, [this] { return wall; }};
    }
    void Advance(int64_t us) {
        mono += us;
        wall += us;
    }
};

void Write(TrafficRecorder& r, const std::string& b) {
    r.Written(reinterpret_cast<const uint8_t*>(b.data()), static_cast<uint32_t>(b.size()));
}
void Read(TrafficRecorder& r, const std::string& b) {
    r.Read(reinterpret_cast<const uint8_t*>(b.data()), static_cast<uint32_t>(b.size()));
}

class TempFolder {
  public:
    TempFolder() {
        // A fresh name: the cases run as processes side by side.
        std::random_device random;
        do
            path_ = fs::temp_directory_path() /
                    ("kt_traffic_" + std::to_string(random()) + std::to_string(random()));
        while (!fs::create_directory(path_));
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

}  // namespace

TEST(TrafficFormat, LinesReadBackAsTheirBytes) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    for (const Kind kind : {Kind::Tx, Kind::Rx}) {
        for (const std::string& bytes :
             {all, std::string(14, ' ') + "SETUP:GETST\r" + '\0', std::string(" x ")}) {
            Entry e{0, 0, kDec8, kind, bytes};
            const std::string line = FormatLine(e);
            EXPECT_EQ(line.find('\n'), std::string::npos);
            ParsedLine p;
            std::string error;
            ASSERT_TRUE(ParseLine(line, p, &error)) << line << ": " << error;
            EXPECT_EQ(p.kind, kind);
            EXPECT_EQ(p.bytes, bytes);
            EXPECT_EQ(p.time, LocalTimeText(kDec8));
        }
    }
    // A note keeps to one line whatever its text holds; its time is read back.
    const std::string note = FormatLine({0, 0, kDec8, Kind::Note, "COM1 -> /dev/pts/3\nlost"});
    EXPECT_EQ(note.rfind("# " + LocalTimeText(kDec8) + " COM1 -> /dev/pts/3\\x0Alost", 0), 0u) << note;
    ParsedLine p;
    ASSERT_TRUE(ParseLine(note, p));
    EXPECT_EQ(p.kind, Kind::Note);
    EXPECT_EQ(p.time, LocalTimeText(kDec8));
    ASSERT_TRUE(ParseLine("# kt4470 0.9.0 traffic log", p));
    EXPECT_EQ(p.time, "");
    EXPECT_EQ(p.bytes, "kt4470 0.9.0 traffic log");

    for (const char* bad :
         {"", "TX GETST", "2026-12-08T17:01:02.345+01:00 XX GETST", "2026-12-08T17:01:02.345+01:00 TX\\q",
          "2026-12-08T17:01:02.345+01:00 TX \\q", "2026-12-08 17:01:02.345+01:00 TX GETST"}) {
        std::string error;
        EXPECT_FALSE(ParseLine(bad, p, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    EXPECT_EQ(HexText(std::string("SE\x00\xff", 4)), "53 45 00 FF");
}

#ifndef _WIN32
// The local time of the entry with the offset in force then, in three zones.
TEST(TrafficFormat, LocalTimeWithMillisecondsAndOffset) {
    const std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
    const bool hadTz = std::getenv("TZ") != nullptr;
    const struct {
        const char* tz;
        int64_t us;
        const char* text;
    } cases[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", kDec8, "2026-12-08T17:01:02.345+01:00"},
        {"CET-1CEST,M3.5.0,M10.5.0/3", 1782900000999999, "2026-07-01T12:00:00.999+02:00"},
        {"UTC0", kDec8, "2026-12-08T16:01:02.345+00:00"},
        {"NST3:30", 0, "1969-12-31T20:30:00.000-03:30"},
        {"UTC0", -1000, "1969-12-31T23:59:59.999+00:00"},
    };
    for (const auto& c : cases) {
        setenv("TZ", c.tz, 1);
        tzset();
        // Each case falls in another second than the last, so no cached text is reused.
        EXPECT_EQ(LocalTimeText(c.us), c.text) << c.tz;
    }
    if (hadTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
#endif

// The writes of one send are one TX entry; a read, a pause, a line event or
// a full entry starts the next.
TEST(TrafficRecorder, OneEntryPerSendOnePerRead) {
    FakeClock clock;
    TrafficRecorder r("test", clock.Clock());
    const std::string frame = std::string(14, ' ') + "SETUP:GETST\r";
    for (char c : frame) {
        Write(r, std::string(1, c));
        clock.Advance(20);
    }
    Write(r, std::string(1, '\0'));
    clock.Advance(100000);
    Read(r, "ST: IN ");
    Read(r, "000\r\n");
    Write(r, "A");
    clock.Advance(TrafficRecorder::kJoinUs);
    Write(r, "B");  // after a pause
    Write(r, std::string(TrafficRecorder::kJoinBytes, 'x'));
    Write(r, "C");  // the entry is full
    r.Note("note");
    Write(r, "D");

    const std::vector<std::pair<Kind, std::string>> want = {
        {Kind::Tx, frame + '\0'},
        {Kind::Rx, "ST: IN "},
        {Kind::Rx, "000\r\n"},
        {Kind::Tx, "A"},
        {Kind::Tx, "B" + std::string(TrafficRecorder::kJoinBytes, 'x')},
        {Kind::Tx, "C"},
        {Kind::Note, "note"},
        {Kind::Tx, "D"},
    };
    ASSERT_EQ(r.Size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(r.At(r.FirstSeq() + i).kind, want[i].first) << i;
        EXPECT_EQ(r.At(r.FirstSeq() + i).bytes, want[i].second) << i;
        EXPECT_EQ(r.At(r.FirstSeq() + i).seq, r.FirstSeq() + i);
    }
    // The send's stamps are those of its first write.
    EXPECT_EQ(r.At(0).monoUs, 1000000);
    EXPECT_EQ(r.At(0).wallUs, kDec8);
}

// What the driver does with the port shows as '#' entries and in the header.
TEST(TrafficRecorder, PortEventsOfTheDriver) {
    TrafficRecorder r("kt4470");
    kt::serial::TCommPortDriver port;
    port.SetPortName("/dev/kt4470-no-such-port");
    port.SetBaudRate(kt::serial::br2400);
    port.SetTrafficTap(&r);
    EXPECT_EQ(r.Size(), 0u) << "attaching records nothing";
    EXPECT_FALSE(port.OpenPort());
    port.SetTrafficTap(nullptr);
    EXPECT_FALSE(port.OpenPort());  // not recorded
    ASSERT_EQ(r.Size(), 1u);
    EXPECT_EQ(r.At(0).kind, Kind::Note);
    EXPECT_NE(r.At(0).bytes.find("/dev/kt4470-no-such-port: cannot open"), std::string::npos)
        << r.At(0).bytes;
    const std::string header = r.HeaderLine();
    EXPECT_EQ(header.rfind(std::string("# kt4470 ") + kt::Version() + " traffic log started ", 0), 0u)
        << header;
    EXPECT_NE(header.find("; port /dev/kt4470-no-such-port, 2400 8N1, closed"), std::string::npos) << header;
}

// A flooding line: at most 20,000 entries and 8 MiB, the newest kept.
TEST(TrafficRecorder, RingStaysBoundedUnderAFlood) {
    FakeClock clock;
    TrafficRecorder r("test", clock.Clock());
    const std::string chunk(8192, '\xAA');
    for (int i = 0; i < 3000; ++i) {  // 24 MB, as one poll after another reads them
        Read(r, chunk);
        clock.Advance(10);
    }
    EXPECT_LE(r.Bytes(), TrafficRecorder::kRingBytes);
    EXPECT_EQ(r.Bytes(), r.Size() * chunk.size());
    EXPECT_EQ(r.EndSeq(), 3000u);
    for (int i = 0; i < 30000; ++i)
        Read(r, std::to_string(i));
    EXPECT_EQ(r.Size(), TrafficRecorder::kRingEntries);
    EXPECT_EQ(r.FirstSeq(), r.EndSeq() - TrafficRecorder::kRingEntries);
    EXPECT_EQ(r.At(r.EndSeq() - 1).bytes, "29999");
    r.Clear();
    EXPECT_EQ(r.Size(), 0u);
    EXPECT_EQ(r.Bytes(), 0u);
    Read(r, "after");
    EXPECT_EQ(r.At(r.FirstSeq()).seq, 33000u) << "numbers are never reused";
}

// The file: the header and what the ring held at opening, then each entry
// once complete, written at least once a second and when closed.
TEST(TrafficRecorder, FileWrittenEverySecondAndAtClose) {
    TempFolder dir;
    const fs::path path = dir.Path() / "t.log";
    FakeClock clock;
    {
        TrafficRecorder r("test", clock.Clock());
        Read(r, "before\r\n");
        std::string error;
        ASSERT_TRUE(r.OpenFile(path, /*exclusive=*/true, &error)) << error;
        EXPECT_FALSE(r.OpenFile(path, /*exclusive=*/true, &error)) << "a session log is always a new file";
        ASSERT_TRUE(r.OpenFile(path, /*exclusive=*/false, &error)) << error;
        auto lines = Lines(Slurp(path));
        ASSERT_EQ(lines.size(), 4u);  // header, RX, header, RX: appending starts with a header
        EXPECT_EQ(lines[0], r.HeaderLine());
        EXPECT_EQ(lines[1], FormatLine(r.At(0)));

        clock.Advance(TrafficRecorder::kFlushUs);
        Write(r, "GETST");  // a second since the open: flushes what was there
        clock.Advance(10);
        Read(r, "ST");
        EXPECT_EQ(Lines(Slurp(path)).size(), 4u) << "buffered";
        clock.Advance(TrafficRecorder::kFlushUs - 11);
        r.FlushIfDue();
        EXPECT_EQ(Lines(Slurp(path)).size(), 4u) << "not yet a second";
        clock.Advance(1);
        r.FlushIfDue();
        EXPECT_EQ(Lines(Slurp(path)).size(), 6u);
        Write(r, "open send");
        r.Flush();
        EXPECT_EQ(Lines(Slurp(path)).size(), 6u) << "a send may still grow";
        clock.Advance(TrafficRecorder::kJoinUs);
        r.Flush();
        EXPECT_EQ(Lines(Slurp(path)).size(), 7u);
        Write(r, "last");
    }  // closed with the recorder
    const auto lines = Lines(Slurp(path));
    ASSERT_EQ(lines.size(), 8u);
    ParsedLine p;
    std::string tx;
    for (const auto& line : lines)
        if (ParseLine(line, p) && p.kind == Kind::Tx) tx += p.bytes;
    EXPECT_EQ(tx, "GETSTopen sendlast");
#ifndef _WIN32
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // A file that fails to take the bytes stops; the ring goes on.
    TrafficRecorder full("test");
    std::string error;
    ASSERT_TRUE(fs::exists("/dev/full"));
    EXPECT_FALSE(full.OpenFile("/dev/full", false, &error));
    EXPECT_FALSE(full.HasFile());
    EXPECT_NE(full.FileError().find("cannot write /dev/full"), std::string::npos) << full.FileError();
    Read(full, "x");
    EXPECT_EQ(full.Size(), 1u);
#endif
}

TEST(SessionLogs, NamedByStartTimeNewestFiftyKept) {
    const std::string name = SessionLogName(kDec8);
    EXPECT_TRUE(IsSessionLogName(name)) << name;
    EXPECT_EQ(name.size(), std::string("kt4470-20261208-170102.log").size());
    EXPECT_TRUE(IsSessionLogName(SessionLogName(kDec8, 12)));
    for (const char* other :
         {"kt4470-20261208-170102.txt", "kt4470-2026120-170102.log", "kt4470-20261208-170102-.log",
          "KT4470.cfg", "kt4470-20261208-170102-x.log", "x-kt4470-20261208-170102.log"})
        EXPECT_FALSE(IsSessionLogName(other)) << other;

    TempFolder dir;
    const fs::path logs = dir.Path() / "logs";
    fs::create_directories(logs);
    // 55 older logs a minute apart, and two files that are no session logs.
    const auto now = fs::file_time_type::clock::now();
    for (int i = 0; i < 55; ++i) {
        const fs::path p = logs / SessionLogName(kDec8 - int64_t{60000000} * (i + 1));
        std::ofstream(p) << "old\n";
        fs::last_write_time(p, now - std::chrono::minutes(i + 1));
    }
    std::ofstream(logs / "notes.txt") << "mine\n";
    std::ofstream(logs / "kt4470-keep.log") << "mine\n";

    TrafficRecorder first("kt4470"), second("kt4470");
    std::string error;
    ASSERT_TRUE(StartSessionLog(first, logs, kDec8, &error)) << error;
    ASSERT_TRUE(StartSessionLog(second, logs, kDec8, &error)) << error;
    EXPECT_EQ(first.FilePath().filename(), SessionLogName(kDec8));
    EXPECT_EQ(second.FilePath().filename(), SessionLogName(kDec8, 2)) << "the same second";

    int sessionLogs = 0;
    for (const auto& e : fs::directory_iterator(logs))
        sessionLogs += IsSessionLogName(e.path().filename().string());
    EXPECT_EQ(sessionLogs, kKeptSessionLogs);
    EXPECT_TRUE(fs::exists(logs / SessionLogName(kDec8 - int64_t{60000000} * 48)));
    EXPECT_FALSE(fs::exists(logs / SessionLogName(kDec8 - int64_t{60000000} * 49))) << "the oldest go";
    EXPECT_TRUE(fs::exists(logs / "notes.txt"));
    EXPECT_TRUE(fs::exists(logs / "kt4470-keep.log"));

    // A folder that cannot be made: the reason, no file.
    std::ofstream(dir.Path() / "plain") << "x";
    TrafficRecorder third("kt4470");
    EXPECT_FALSE(StartSessionLog(third, dir.Path() / "plain" / "logs", kDec8, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(third.HasFile());
}
