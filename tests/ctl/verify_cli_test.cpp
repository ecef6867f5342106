// kt4470ctl commands --since, verify and read as processes: pairs of
// settings files, and a module played by kt4470-sim (equal, a text changed
// behind the file's back, a silent module, a hang-up half-way).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "config/SettingsFile.h"
#include "sim/SimProcess.h"
#include "support/Program.h"

namespace {

using kt::config::ConfigRecord;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A module's settings with a value of each reportable kind.
ConfigRecord Base() {
    ConfigRecord r;
    r.SetAlarmNumber(1, "+4917012345");
    for (int n = 1; n <= 7; ++n)
        r.SetPhoneBookNumber(n, "+49170000" + std::to_string(n));
    r.SetExtSmsText(9, "Pump 1 on");
    r.SetIntSmsText(70, "Pump off");
    r.SetApn("internet.example");
    r.SetFtpPassword("s3cret");
    r.SetAnalogMin(5, 99);
    return r;
}

class VerifyCli : public ::testing::Test {
  protected:
    kt::test::ProgramRun Ctl(const std::vector<std::string>& args) {
        return kt::test::RunProgram(KT4470CTL, args, {}, dir.Path().string(), 60000);
    }
    // verify or read against the simulator on COM1, quickly: its answers
    // come in one piece.
    kt::test::ProgramRun OnLine(std::vector<std::string> args, const std::vector<std::string>& more = {}) {
        for (const char* a : {"--port", "COM1", "--quiet", "5"})
            args.push_back(a);
        args.insert(args.end(), more.begin(), more.end());
        return Ctl(args);
    }
    void Save(const std::string& name, const ConfigRecord& r) {
        std::string error;
        ASSERT_TRUE(kt::config::SaveRecordFile((dir.Path() / name).string(), r, &error)) << error;
    }
    ConfigRecord Load(const std::string& name) {
        ConfigRecord r;
        std::string error;
        EXPECT_TRUE(kt::config::LoadRecordFile((dir.Path() / name).string(), r, &error)) << error;
        return r;
    }
    std::unique_ptr<kt::sim::SimProcess> Simulator(std::vector<std::string> faults = {}) {
        std::vector<std::string> args{"--link", (dir.Path() / "COM1").string()};
        args.insert(args.end(), faults.begin(), faults.end());
        auto sim = std::make_unique<kt::sim::SimProcess>(args);
        EXPECT_FALSE(sim->FirstLine().empty());
        return sim;
    }
    // The module is given what the file says, as kt4470ctl commands | send does.
    void Provision(const std::string& file) {
        const auto commands = Ctl({"commands", file});
        ASSERT_EQ(commands.status, 0) << commands.err;
        std::ofstream(dir.Path() / "commands.txt", std::ios::binary) << commands.out;
        const auto sent = OnLine({"send", "commands.txt"});
        ASSERT_EQ(sent.status, 0) << sent.err;
    }
    kt::sim::TempDir dir;
};

// Each case changes the old file, the new one, or both; only the commands of
// the slots whose bytes differ come out.
TEST_F(VerifyCli, CommandsSinceAnOlderFile) {
    using Edit = std::function<void(ConfigRecord&)>;
    const struct {
        const char* name;
        Edit old, now;
        std::vector<std::string> expected;
    } cases[] = {
        {"nothing changed", {}, {}, {}},
        {"an alarm number",
         {},
         [](ConfigRecord& r) { r.SetAlarmNumber(3, "+12345678"); },
         {"SETNN3,+12345678"}},
        {"a phone-book entry",
         {},
         [](ConfigRecord& r) { r.SetPhoneBookNumber(2, "+4917"); },
         {"SETPB2,+4917"}},
        {"an external text", {}, [](ConfigRecord& r) { r.SetExtSmsText(14, "Pump"); }, {"SETTX14 Pump"}},
        {"an IO name", {}, [](ConfigRecord& r) { r.SetIntSmsText(70, "Pump on"); }, {"SETTI70 Pump on"}},
        {"analog levels", {}, [](ConfigRecord& r) { r.SetAnalogMax(12, 80); }, {"ANLEW4,00,80"}},
        {"temperature levels", {}, [](ConfigRecord& r) { r.SetTempMax(2, 35); }, {"TCLEV2+000+035"}},
        {"a mask",
         {},
         [](ConfigRecord& r) { r.SetTempRouteMask("F-F"); },
         {"SETME,F-F,,--------,000000000000"}},
        {"a parameter", {}, [](ConfigRecord& r) { r.SetApn("web"); }, {"SETAP web"}},
        {"the schedule", {}, [](ConfigRecord& r) { r.SetScheduleString("T4407"); }, {"SETSH,T4407    "}},
        {"an option string where there was none",
         {},
         [](ConfigRecord& r) { r.SetOtherFlags("MPEDEDDDDEEDEDE"); },
         {"SETMP MPEDEDDDDEEDEDE "}},
        {"two kinds at once",
         {},
         [](ConfigRecord& r) {
             r.SetExtSmsText(9, "Pump 2 on");
             r.SetFtpPassword("n3w");
         },
         {"SETTX09 Pump 2 on", "SETPF n3w"}},
        // Loading limits the level to 99 either way.
        {"a level the limits undo", {}, [](ConfigRecord& r) { r.SetAnalogMin(5, 150); }, {}},
        // The text command is filled with blanks: the same bytes go out.
        {"a trailing blank", {}, [](ConfigRecord& r) { r.SetExtSmsText(9, "Pump 1 on "); }, {}},
        // An alarm number that fails its check is not sent at all.
        {"a number no command writes", {}, [](ConfigRecord& r) { r.SetAlarmNumber(2, "12"); }, {}},
        {"a number that passes its check now",
         [](ConfigRecord& r) { r.SetAlarmNumber(2, "12"); },
         [](ConfigRecord& r) { r.SetAlarmNumber(2, "123"); },
         {"SETNN2,123"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigRecord old = Base(), now = Base();
        if (c.old) c.old(old);
        if (c.now) c.now(now);
        Save("old.cfg", old);
        Save("new.cfg", now);
        const auto r = Ctl({"commands", "new.cfg", "--since", "old.cfg"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Lines(r.out), c.expected);
    }
    EXPECT_EQ(Ctl({"commands", "new.cfg", "--since"}).status, 2);
    EXPECT_EQ(Ctl({"commands", "new.cfg", "--since", "missing.cfg"}).status, 1);
    EXPECT_EQ(Ctl({"commands", "new.cfg", "--port", "COM1"}).status, 2);
}

TEST_F(VerifyCli, VerifyAndReadAnAnsweringModule) {
    Save("base.cfg", Base());
    auto sim = Simulator();
    Provision("base.cfg");

    const auto equal = OnLine({"verify", "base.cfg"});
    EXPECT_EQ(equal.status, 0) << equal.out << equal.err;
    EXPECT_TRUE(Has(equal.out, "Not reported by the module, not compared: the routing masks")) << equal.out;
    EXPECT_TRUE(Has(equal.out,
                    "171 requests: 171 answered, 0 answered ERROR, 0 no answer.\n"
                    "177 settings: 177 equal, 0 different, 0 without an answer.\n"))
        << equal.out;

    // A text changed behind the file's back.
    std::ofstream(dir.Path() / "change.txt") << "SETTX09 Pump on\n";
    ASSERT_EQ(OnLine({"send", "change.txt"}).status, 0);
    const auto changed = OnLine({"verify", "base.cfg"});
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(Lines(changed.out).front(), "ExtSmsText[9]: module \"Pump on\", file \"Pump 1 on\"")
        << changed.out;
    EXPECT_TRUE(Has(changed.out, "177 settings: 176 equal, 1 different, 0 without an answer."))
        << changed.out;

    // Read on the file as template: only what the module holds otherwise
    // changes; an existing file is replaced only with --force.
    const auto read = OnLine({"read", "--template", "base.cfg", "--out", "read.cfg"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_TRUE(Has(read.out, "177 settings read into read.cfg")) << read.out;
    ConfigRecord expected = Base();
    expected.SetExtSmsText(9, "Pump on");
    EXPECT_TRUE(Load("read.cfg") == expected);
    EXPECT_EQ(OnLine({"verify", "read.cfg"}).status, 0);

    const auto refused = OnLine({"read", "--out", "read.cfg"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(Has(refused.err, "read.cfg exists; --force replaces it")) << refused.err;
    EXPECT_TRUE(Load("read.cfg") == expected);
    // Without a template every other byte is zero.
    ASSERT_EQ(OnLine({"read", "--out", "read.cfg", "--force"}).status, 0);
    const ConfigRecord bare = Load("read.cfg");
    EXPECT_EQ(bare.Apn(), "internet.example");
    EXPECT_EQ(bare.PhoneBookNumber(7), "+491700007");
    EXPECT_EQ(bare.AnalogMin(5), 0);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "read.cfg"), kt::config::kRecordSize);
}

// A module that stops answering: three requests without an answer end the
// run; a line gone ends it at once. Nothing is written then.
TEST_F(VerifyCli, SilentAndHungUpModules) {
    Save("base.cfg", Base());
    {
        auto sim = Simulator({"--silent"});
        const auto verify = OnLine({"verify", "base.cfg"}, {"--timeout", "0.2"});
        EXPECT_EQ(verify.status, 1);
        EXPECT_EQ(Lines(verify.out)[0], "AlarmNumber[1]: no answer to GETNR1") << verify.out;
        EXPECT_TRUE(Has(verify.out,
                        "Stopped: 3 requests in a row got no answer. 3 of 171 requests sent: 0 "
                        "answered, 0 answered ERROR, 3 no answer, 168 not sent."))
            << verify.out;
        EXPECT_TRUE(Has(verify.out, "177 settings: 0 equal, 0 different, 177 without an answer."))
            << verify.out;

        const auto read = OnLine({"read", "--out", "silent.cfg"}, {"--timeout", "0.2"});
        EXPECT_EQ(read.status, 1);
        EXPECT_TRUE(Has(read.err, "177 of 177 settings without an answer; silent.cfg not written"))
            << read.err;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "silent.cfg"));
    }
    for (const char* verb : {"verify", "read"}) {
        SCOPED_TRACE(verb);
        auto sim = Simulator({"--hangup-after", "20"});
        const auto r = verb == std::string("verify")
                           ? OnLine({"verify", "base.cfg"}, {"--timeout", "1"})
                           : OnLine({"read", "--out", "lost.cfg"}, {"--timeout", "1"});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(Has(r.out, "Stopped: the line was lost. ")) << r.out;
        EXPECT_TRUE(Has(r.out, "20 answered")) << r.out;
        EXPECT_TRUE(Has(r.err, "COM1")) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "lost.cfg"));
    }
}

TEST_F(VerifyCli, BadArgumentsAndNoPort) {
    Save("base.cfg", Base());
    for (const std::vector<std::string>& bad : {
             std::vector<std::string>{"verify", "base.cfg"},
             {"verify", "--port", "COM1"},
             {"verify", "missing.cfg", "--port", "COM1"},
             {"verify", "base.cfg", "--port", "COM1", "--quiet", "0"},
             {"read", "--port", "COM1"},
             {"read", "--port", "COM1", "--out", "x.cfg", "--template", "missing.cfg"},
             {"read", "--port", "COM1", "--out", "x.cfg", "--force=yes"},
             {"verify", "base.cfg", "--port", "/dev/kt4470-none"},
         }) {
        const auto r = Ctl(bad);
        EXPECT_EQ(r.status, 2) << bad.back();
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_TRUE(Has(Ctl({"verify", "base.cfg", "--port", "/dev/kt4470-none"}).err,
                    "/dev/kt4470-none: cannot open: no such device"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.cfg"));
}

}  // namespace
