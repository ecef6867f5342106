// kt4470ctl cfg run as a process on real files: show, set and new.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "config/ConfigRecord.h"
#include "config/SettingsFile.h"
#include "support/Program.h"

namespace {

using kt::config::ConfigRecord;
using kt::config::kRecordSize;

using CtlRun = kt::test::ProgramRun;

std::string Slurp(const std::string& path) {
    return kt::test::SlurpFile(path.c_str());
}

// Runs the built tool's cfg verbs.
CtlRun Ctl(std::vector<std::string> args) {
    args.insert(args.begin(), "cfg");
    return kt::test::RunProgram(KT4470CTL, args);
}

int Lines(const std::string& s) {
    int n = 0;
    for (char c : s)
        n += c == '\n';
    return n;
}

class CfgCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kt-cfgcli-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/f.cfg";
    }
    void TearDown() override {
        if (DIR* d = ::opendir(dir_.c_str())) {
            while (dirent* e = ::readdir(d)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..") ::unlink((dir_ + "/" + n).c_str());
            }
            ::closedir(d);
        }
        ::rmdir(dir_.c_str());
    }
    // A file of random bytes, so that any byte changed by mistake shows.
    std::string PutNoise(unsigned seed) {
        std::mt19937 gen(seed);
        std::string s(kRecordSize, '\0');
        for (char& c : s)
            c = static_cast<char>(gen());
        std::ofstream(file_, std::ios::binary) << s;
        return s;
    }
    // Expects a refusal: the given status, one line on stderr, nothing on
    // stdout, and the file as it was.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& before,
                       const std::string& mention) {
        SCOPED_TRACE(args.back());
        const CtlRun r = Ctl(args);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(mention), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(Slurp(file_), before);
    }

    std::string dir_, file_;
};

TEST_F(CfgCli, NewSetShowRoundTrip) {
    ASSERT_EQ(Ctl({"new", file_}).status, 0);
    EXPECT_EQ(Slurp(file_), std::string(kRecordSize, '\0'));
    struct stat st {};
    ASSERT_EQ(::stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const CtlRun set = Ctl({"set", file_, "PortIndex=2", "AlarmNumber[1]=+3591234567"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(Slurp(file_).size(), kRecordSize);

    const CtlRun show = Ctl({"show", file_});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_NE(show.out.find("\"PortIndex\": 2,\n"), std::string::npos) << show.out;
    EXPECT_NE(show.out.find("\"AlarmNumber\": [\"+3591234567\", \"\", \"\", \"\", \"\", \"\", \"\"],\n"),
              std::string::npos)
        << show.out;
    // One object, one line per field, in table order.
    EXPECT_EQ(show.out.front(), '{');
    EXPECT_EQ(show.out.substr(show.out.size() - 2), "}\n");
    EXPECT_EQ(Lines(show.out), int(kt::config::kFields.size()) + 2);
    EXPECT_NE(show.out.find("\"RateIndex\": 0,"), std::string::npos);
    EXPECT_NE(show.out.find("\"MuxText\": [\"\", \"\", \"\", \"\", \"\", \"\", \"\", \"\"]\n}"),
              std::string::npos);

    EXPECT_EQ(Ctl({"new", file_}).status, 1);  // an existing file is not overwritten
}

TEST_F(CfgCli, ShowWritesEveryTypeAsJson) {
    ConfigRecord rec;
    rec.SetExtSmsText(2, std::string("a\"b\\c\x01\x1f\x7f\xe9\xff/", 11));
    rec.SetTempMin(1, -99);
    rec.SetReserved11(-2);
    rec.SetSmsModeOn(true);
    rec.SetScheduleEnd(255);
    rec.SetReserved1(std::string(22, '\0') + "\xab");
    rec.Bytes()[16] = 99;  // ModuleNumber length byte above its 20
    ASSERT_TRUE(kt::config::SaveRecordFile(file_, rec, nullptr));

    const CtlRun r = Ctl({"show", file_});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"ExtSmsText\": [\"\", \"a\\\"b\\\\c\\u0001\\u001f\\u007f\\u00e9\\u00ff/\", \"\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"TempMin\": [-99, 0, 0],"), std::string::npos);
    EXPECT_NE(r.out.find("\"Reserved11\": -2,"), std::string::npos);
    EXPECT_NE(r.out.find("\"SmsModeOn\": true,"), std::string::npos);
    EXPECT_NE(r.out.find("\"DeleteSms\": false,"), std::string::npos);
    EXPECT_NE(r.out.find("\"ScheduleEnd\": 255,"), std::string::npos);
    EXPECT_NE(r.out.find("\"Reserved1\": \"" + std::string(44, '0') + "ab\","), std::string::npos);
    std::string nul20;
    for (int i = 0; i < 20; ++i)
        nul20 += "\\u0000";
    EXPECT_NE(r.out.find("\"ModuleNumber\": \"" + nul20 + "\","), std::string::npos);  // read as 20
    for (unsigned char c : r.out)
        EXPECT_LT(c, 0x80) << "output is plain ASCII";
}

TEST_F(CfgCli, SetChangesOnlyTheNamedBytes) {
    std::string expected = PutNoise(11);
    const CtlRun r = Ctl({"set", file_, "RateIndex=-2147483648", "Reserved11=32767", "AlarmNumber[7]=+49",
                          "SaveOnExit=true", "ScheduleEnd=0", "Reserved13=A0ff", "MuxText[8]=100",
                          "ModuleNumberCopy=" + std::string(20, '9')});
    ASSERT_EQ(r.status, 0) << r.err;
    expected.replace(0, 4, std::string("\0\0\0\x80", 4));
    expected.replace(4084, 2, "\xff\x7f");
    expected.replace(3818, 21, std::string("\x03+49", 4) + std::string(17, '\0'));
    expected[4093] = 1;
    expected[4017] = 0;
    expected.replace(4089, 2, "\xa0\xff");
    expected.replace(4132, 4,
                     "\x03"
                     "100");
    expected.replace(3986, 21, std::string(1, 20) + std::string(20, '9'));
    EXPECT_EQ(Slurp(file_), expected);
}

TEST_F(CfgCli, BadAssignmentsAreRefusedAndTheFileIsUntouched) {
    const std::string before = PutNoise(12);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"NoSuchField=1", "NoSuchField"},
        {"portindex=1", "portindex"},
        {"PortIndex", "NAME=VALUE"},
        {"=1", "NAME=VALUE"},
        {"PortIndex=2147483648", "PortIndex"},
        {"PortIndex=-2147483649", "PortIndex"},
        {"PortIndex=", "PortIndex"},
        {"PortIndex=0x10", "PortIndex"},
        {"PortIndex=1.5", "PortIndex"},
        {"Reserved11=32768", "Reserved11"},
        {"ScheduleEnd=256", "ScheduleEnd"},
        {"ScheduleEnd=-1", "ScheduleEnd"},
        {"SmsModeOn=2", "SmsModeOn"},
        {"SmsModeOn=yes", "SmsModeOn"},
        {"ModuleNumber=" + std::string(21, '1'), "ModuleNumber"},
        {"MuxText[1]=1000", "MuxText[1]"},
        {"AlarmNumber=+1", "AlarmNumber"},
        {"AlarmNumber[0]=+1", "AlarmNumber"},
        {"AlarmNumber[8]=+1", "AlarmNumber"},
        {"AlarmNumber[x]=+1", "AlarmNumber"},
        {"AlarmNumber[]=+1", "AlarmNumber"},
        {"AlarmNumber[1=+1", "AlarmNumber"},
        {"PortIndex[1]=1", "PortIndex"},
        {"Reserved1=00", "Reserved1"},
        {"Reserved6=zz", "Reserved6"},
    };
    for (const auto& [arg, mention] : bad)
        ExpectRefused({"set", file_, arg}, 2, before, mention);
    // A good assignment next to a bad one is not applied either.
    ExpectRefused({"set", file_, "PortIndex=3", "SkipCrLf=maybe"}, 2, before, "SkipCrLf");
    ExpectRefused({"set", file_}, 2, before, "NAME=VALUE");
}

TEST_F(CfgCli, MissingShortAndReadOnlyFilesFail) {
    const std::string missing = dir_ + "/none.cfg";
    CtlRun r = Ctl({"show", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Lines(r.err), 1);
    r = Ctl({"set", missing, "PortIndex=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(::access(missing.c_str(), F_OK), 0);  // set does not create a file

    std::ofstream(file_, std::ios::binary) << std::string(kRecordSize - 1, 'x');
    const std::string shortFile = Slurp(file_);
    ExpectRefused({"show", file_}, 1, shortFile, "4200");
    ExpectRefused({"set", file_, "PortIndex=1"}, 1, shortFile, "4200");

    const std::string before = PutNoise(13);
    ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
    ExpectRefused({"set", file_, "PortIndex=1"}, 1, before, "read-only");
    EXPECT_EQ(Ctl({"show", file_}).status, 0);  // looking is allowed
}

TEST_F(CfgCli, UsageErrors) {
    EXPECT_EQ(Ctl({}).status, 2);
    EXPECT_EQ(Ctl({"frobnicate"}).status, 2);
    EXPECT_EQ(Ctl({"show"}).status, 2);
    EXPECT_EQ(Ctl({"show", file_, file_}).status, 2);
    EXPECT_EQ(Ctl({"new"}).status, 2);
    const CtlRun help = Ctl({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("cfg set FILE NAME=VALUE"), std::string::npos);
}

}  // namespace
