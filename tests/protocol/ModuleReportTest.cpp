// Reading a module back: the requests, their answers read with the page
// reply rules (a late answer to another request dropped), what a set of
// settings makes the module hold, the comparison and the record filled from
// the answers; the count of a run and its summaries.
#include <gtest/gtest.h>

#include "protocol/ModuleReport.h"
#include "protocol/RunTally.h"

namespace kt::protocol {
namespace {

using Values = std::vector<ControlValue>;

const ReportRequest& RequestFor(const ModuleReport& r, const std::string& command) {
    for (const auto& q : r.Requests())
        if (q.command == command) return q;
    throw std::runtime_error("no request " + command);
}

TEST(ModuleReport, RequestsInOrderAndWithoutWhatTheAlternateLayoutLeavesOut) {
    const auto all = ReportRequests(false);
    ASSERT_EQ(all.size(), 7u + 1 + 57 + 97 + 9);
    EXPECT_EQ(all.front().command, "GETNR1");
    EXPECT_EQ(all[7].command, "  GETPB");
    EXPECT_EQ(all[7].settings.size(), 7u);
    EXPECT_EQ(all[8].command, "GETTX01 ");
    EXPECT_EQ(all[8 + 57].command, "GETTI01 ");
    EXPECT_EQ(all.back().command, "GETRH ");
    EXPECT_EQ(all.back().settings[0].Label(), "HttpHost");
    EXPECT_EQ(all[8 + 8].settings[0].Label(), "ExtSmsText[9]");
    EXPECT_EQ(ReportRequests(true).size(), all.size() - 22 - 38);
}

TEST(ModuleReport, AnswersReadWithThePageReplyRules) {
    const ModuleReport report(false);
    const struct {
        const char* request;
        std::string answer;
        Values values;
    } cases[] = {
        {"GETNR3", "NUM3: +12345678 \r\n", {{"NNumber3", "+12345678"}}},
        {"GETNR3", "NUM2: +1 \r\n", {}},  // a late answer to another request
        {"GETNR3", "ERROR\r\n", {}},
        {"  GETPB",
         " N1:+491 N2: N3:+493 N4: N5: N6: N7:+497 \r\n",
         {{"PBnr1", "+491"},
          {"PBnr2", ""},
          {"PBnr3", "+493"},
          {"PBnr4", ""},
          {"PBnr5", ""},
          {"PBnr6", ""},
          {"PBnr7", "+497"}}},
        {"GETTX09 ", "09: Pump on", {{"TXTSMS9", "Pump on"}}},
        {"GETTX09 ", "10: Pump on", {}},
        {"GETTI70 ", std::string("70: Pump off\r\0", 14), {{"iTXTSMS70", "Pump off"}}},
        {"GETAP ", "APN: web\r", {{"APN", "web"}}},
        {"GETFT ", "FTPHOST: ftp.example.org\r", {{"FTPHostName", "ftp.example.org"}}},
        {"GETAP ", "IP address: 10.0.0.1\r", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request + std::string(" / ") + c.answer);
        EXPECT_EQ(ReportedValues(RequestFor(report, c.request), c.answer), c.values);
    }
}

TEST(ModuleReport, ExpectedValuesAreWhatTheWriteCommandsPutThere) {
    ModuleSettings s;
    s.alarmNumbers[0] = "+4917012345";
    s.alarmNumbers[1] = "12";  // fails its check: no command, compared as it is
    s.phoneBook[1] = "+4917";  // the others empty: the placeholder "+99"
    s.externalTexts[4] = "A\rB";
    s.gprs[1] = "user 1";  // cut before the blank
    s.gprs[7] = " s3cret";
    const auto expected = ExpectedValues(s);
    EXPECT_EQ(expected.at("NNumber1"), "+4917012345");
    EXPECT_EQ(expected.at("NNumber2"), "12");
    EXPECT_EQ(expected.at("NNumber3"), "");
    EXPECT_EQ(expected.at("PBnr1"), "+99");
    EXPECT_EQ(expected.at("PBnr2"), "+4917");
    EXPECT_EQ(expected.at("TXTSMS5"), "A B");
    EXPECT_EQ(expected.at("UserID"), "user");
    EXPECT_EQ(expected.at("DirName"), "s3cret");
    EXPECT_EQ(expected.at("APN"), "   ");           // "SETAP    "
    EXPECT_EQ(expected.at("HTTPhostName"), "   ");  // "SETRH,   "
    EXPECT_EQ(expected.size(), 7u + 7 + 57 + 97 + 9);
}

TEST(ModuleReport, ComparisonAndTheRecordFromTheAnswers) {
    ModuleReport report(false);
    ModuleSettings s;
    s.externalTexts[0] = "Pump on ";  // the trailing blank does not count
    s.externalTexts[1] = "Pump 1 on";
    s.internalTexts[0] = " x";  // a text's leading blank does
    s.gprs[0] = "web";
    for (size_t k = 0; k < report.Requests().size(); ++k) {
        const std::string& c = report.Requests()[k].command;
        if (c == "GETNR1") report.NoAnswer(k);
        if (c == "GETTX01 ") report.Answer(k, "01: Pump on");
        if (c == "GETTX02 ") report.Answer(k, "02: Pump on");
        if (c == "GETTI01 ") report.Answer(k, "01: x\r");
        if (c == "GETTX03 ") report.Answer(k, "ERROR\r\n");
        if (c == "GETAP ") report.Answer(k, "APN:  web \r");
    }
    const auto c = report.Compare(ExpectedValues(s), "file");
    EXPECT_EQ(c.lines, (std::vector<std::string>{
                           "AlarmNumber[1]: no answer to GETNR1",
                           "ExtSmsText[2]: module \"Pump on\", file \"Pump 1 on\"",
                           "ExtSmsText[3]: no value in the module's answer \"ERROR\\r\\n\"",
                           "IntSmsText[1]: module \"x\", file \" x\"",
                       }));
    EXPECT_EQ(c.equal, 2u);  // ExtSmsText[1], Apn
    EXPECT_EQ(c.different, 2u);
    EXPECT_EQ(c.unanswered, 177u - 4);
    EXPECT_EQ(c.differentSlots, (std::vector<std::string>{"SETTX02", "SETTI01"}));
    EXPECT_EQ(c.Summary(), "177 settings: 2 equal, 2 different, 173 without an answer.");

    config::ConfigRecord rec;
    rec.SetExtSmsText(4, "kept");
    report.Answer(8 + 1, "02: " + std::string(30, 'y'));  // GETTX02: longer than the field
    report.Store(rec);
    EXPECT_EQ(rec.ExtSmsText(1), "Pump on");
    EXPECT_EQ(rec.ExtSmsText(2), std::string(26, 'y'));
    EXPECT_EQ(rec.ExtSmsText(4), "kept");
    EXPECT_EQ(rec.Apn(), "web");
}

TEST(RunTally, CountsAndSummaries) {
    const struct {
        const char* answer;
        bool answered;
        RunTally::Outcome outcome;
    } answers[] = {
        {"NUM1: +1 \r\n", true, RunTally::Outcome::Answered},
        {"\r\nERROR\r\n\0", true, RunTally::Outcome::AnsweredError},
        {"ERRORS\r\n", true, RunTally::Outcome::Answered},
        {"", false, RunTally::Outcome::NoAnswer},
        {"", false, RunTally::Outcome::NoAnswer},
    };
    RunTally t;
    for (const auto& a : answers)
        EXPECT_EQ(t.Count(a.answered, a.answer), a.outcome) << a.answer;
    EXPECT_FALSE(t.Stopped());
    EXPECT_EQ(t.Summary(5, RunTally::End::Complete),
              "5 commands: 2 answered, 1 answered ERROR, 2 no answer.");
    EXPECT_EQ(t.Summary(9, RunTally::End::Cancelled),
              "Cancelled after 5 of 9 commands: 2 answered, 1 answered ERROR, 2 no answer, 4 not sent.");
    EXPECT_EQ(
        t.Summary(9, RunTally::End::LineLost, "requests"),
        "Stopped: the line was lost. 5 of 9 requests sent: 2 answered, 1 answered ERROR, 2 no answer, 4 not "
        "sent.");
    t.Count(false, {});
    EXPECT_TRUE(t.Stopped());
    EXPECT_EQ(t.Summary(9, RunTally::End::Stopped),
              "Stopped: 3 commands in a row got no answer. 6 of 9 commands sent: 2 answered, 1 answered "
              "ERROR, 3 no "
              "answer, 3 not sent.");
    EXPECT_EQ(RunTally().Summary(1, RunTally::End::Complete),
              "1 command: 0 answered, 0 answered ERROR, 0 no answer.");
}

}  // namespace
}  // namespace kt::protocol
