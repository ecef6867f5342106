// The SMS exchange of one command against the simulated modem in-process,
// on a clock the test runs: submissions, inbox listings, deletions, a slow
// network, refusals, foreign and late messages; then against a modem that
// says nothing or too little.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "ModemModel.h"
#include "gsm/PduCodec.h"
#include "protocol/SmsExchange.h"

namespace kt::sim {
namespace {

using protocol::SmsEvent;
using protocol::SmsExchange;
using Kind = SmsEvent::Kind;

constexpr const char* kModule = "+4917012345";
constexpr const char* kOther = "+4915550000";

struct Timed {
    int64_t ms;
    SmsEvent event;
};

// The exchange wired to the modem model; time passes only when neither side
// has anything to say.
class Wire {
  public:
    std::chrono::system_clock::time_point Now() const {
        return std::chrono::system_clock::from_time_t(1796677200) + std::chrono::milliseconds(ms);
    }

    void Run(SmsExchange& x) {
        for (int guard = 0; guard < 100000 && !x.Done(); ++guard) {
            Collect(x);
            const std::string out = x.TakeOutput();
            sent += out;
            std::string back;
            for (const Exchange& e : modem.Feed(out))
                back += e.answer;
            if (!back.empty()) {
                x.Received(back, ms);
                continue;
            }
            int64_t step = x.MsUntilDue(ms);
            if (const int64_t d = modem.MsUntilDelivery(); d >= 0 && d < step) step = d;
            ms += std::max<int64_t>(step, 1);
            modem.DeliverDue();
            x.Advance(ms);
        }
        Collect(x);
        sent += x.TakeOutput();
    }
    std::vector<Kind> Kinds() const {
        std::vector<Kind> k;
        for (const Timed& t : events)
            k.push_back(t.event.kind);
        return k;
    }
    size_t Count(const std::string& what) const {
        size_t n = 0;
        for (size_t at = sent.find(what); at != std::string::npos; at = sent.find(what, at + 1))
            ++n;
        return n;
    }

    int64_t ms = 0;
    std::string sent;
    std::vector<Timed> events;
    ModuleModel module{[this] { return Now(); }};
    ModemModel modem{kModule, module, [this] { return Now(); }};

  private:
    void Collect(SmsExchange& x) {
        for (SmsEvent& e : x.TakeEvents())
            events.push_back({ms, std::move(e)});
    }
};

std::string ModuleAnswer(const std::string& command) {
    ModuleModel m;
    std::string a = m.Command(command);
    while (!a.empty() && (a.back() == '\r' || a.back() == '\n'))
        a.pop_back();
    return a;
}

TEST(SmsExchange, CommandsAnsweredInOrderWithTheWindowsBytesAndOtherSendersLeft) {
    Wire w;
    w.modem.Deliver(kOther, "Hello");
    SmsExchange x(kModule);
    x.Survey(w.ms);
    w.Run(x);
    EXPECT_TRUE(w.events.empty()) << "another sender's message is no earlier answer";

    const std::vector<std::string> commands = {"GETVR", "SETTF,05,10,3", "GETST"};
    for (size_t k = 0; k < commands.size(); ++k) {
        w.sent.clear();
        w.events.clear();
        x.Start(commands[k], w.ms);
        w.Run(x);
        EXPECT_EQ(x.Result(), SmsExchange::Outcome::Answered) << commands[k];
        EXPECT_EQ(x.Answer(), ModuleAnswer(commands[k]));
        EXPECT_EQ(w.Kinds(), (std::vector<Kind>{Kind::Submitted, Kind::Answered}));
        EXPECT_EQ(w.events[0].event.reference, static_cast<int>(k + 1));
        std::string pdu;
        ASSERT_TRUE(gsm::TextToPDUConversion(commands[k] + "\r", kModule, pdu));
        // The foreign message keeps index 1: each answer takes index 2.
        EXPECT_EQ(w.sent, "AT+CMGS=" + std::to_string(pdu.size() / 2 - 1) + "\r" +
                              pdu.substr(0, pdu.size() - 1) + "\x1A" + "AT+CMGL=0\r" + "AT+CMGD=2\r");
        EXPECT_EQ(w.ms, 0) << "with an answer at once, the run waits for nothing";
    }
    ASSERT_EQ(w.modem.Inbox().size(), 1u);
    EXPECT_EQ(w.modem.Inbox()[0].index, 1);
}

// Each case: the modem's network, the times, what the command comes to and when.
TEST(SmsExchange, SlowNetworkRefusalsAndLostAnswers) {
    const struct {
        const char* name;
        int delayMs, failSubmit;
        bool textMode;
        int64_t answerMs;
        SmsExchange::Outcome outcome;
        std::string words;
        int64_t doneMs;
        size_t listings;
    } cases[] = {
        // Listings at 0, 2000 and 4000: the answer of 3 s is found at 4 s.
        {"slow answer", 3000, 0, false, 10000, SmsExchange::Outcome::Answered, "", 4000, 3},
        // The last look falls on the deadline itself.
        {"lost answer", 5000, 0, false, 3000, SmsExchange::Outcome::NoAnswer, "after 3 s", 3000, 3},
        {"refused", 0, 1, false, 10000, SmsExchange::Outcome::NotSubmitted, "+CMS ERROR: 38", 0, 0},
        {"text mode", 0, 0, true, 10000, SmsExchange::Outcome::NotSubmitted, "+CMS ERROR: 302", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Wire w;
        w.modem.SetSmsDelay(std::chrono::milliseconds(c.delayMs));
        w.modem.SetFailSubmit(c.failSubmit);
        if (c.textMode) w.modem.Feed("AT+CMGF=1\r");
        SmsExchange x(kModule, {.answerMs = c.answerMs});
        x.Start("GETVR", 0);
        w.Run(x);
        EXPECT_EQ(x.Result(), c.outcome);
        EXPECT_EQ(x.Words(), c.words);
        EXPECT_EQ(w.ms, c.doneMs);
        EXPECT_EQ(w.Count("AT+CMGL=0\r"), c.listings);
        if (c.textMode) {
            EXPECT_EQ(w.Count("\x1A"), 0u) << "no PDU after a refusal";
        }

        // The run goes on: the next command, on a quick network, is answered.
        w.modem.SetSmsDelay(std::chrono::milliseconds(0));
        x.Start("GETTC", w.ms);
        w.Run(x);
        EXPECT_EQ(x.Answer(), c.textMode ? "" : ModuleAnswer("GETTC"));
    }
}

TEST(SmsExchange, EarlierMessagesStayAndLateAnswersAreToldApart) {
    Wire w;
    w.modem.Deliver(kModule, "from last week");
    SmsExchange x(kModule);
    x.Survey(0);
    w.Run(x);
    ASSERT_EQ(w.Kinds(), std::vector<Kind>{Kind::EarlierMessage});
    EXPECT_EQ(w.events[0].event.text, "from last week");

    // A late answer waits unread when the next command's answer comes: the
    // newer one answers, the older is reported; both are deleted, the earlier
    // message stays (read, so no listing of unread messages takes it).
    w.events.clear();
    w.modem.Deliver(kModule, "late");
    w.ms += 2000;
    x.Start("GETVR", w.ms);
    w.Run(x);
    EXPECT_EQ(x.Answer(), ModuleAnswer("GETVR"));
    EXPECT_EQ(w.Kinds(), (std::vector<Kind>{Kind::Submitted, Kind::LateAnswer, Kind::Answered}));
    EXPECT_EQ(w.events[1].event.text, "late");
    EXPECT_EQ(w.Count("AT+CMGD="), 2u);
    ASSERT_EQ(w.modem.Inbox().size(), 1u);
    EXPECT_EQ(w.modem.Inbox()[0].stat, 1);
}

// A modem that says nothing, or stops halfway, or announces a message.
TEST(SmsExchange, SilenceTimeOutsAnnouncementsAndAbandon) {
    SmsExchange x(kModule, {.modemMs = 1000, .answerMs = 10000});
    x.Start("GETST", 0);
    EXPECT_EQ(x.TakeOutput().rfind("AT+CMGS=", 0), 0u);
    EXPECT_EQ(x.MsUntilDue(400), 600);
    x.Advance(1000);
    EXPECT_EQ(x.Words(), "no answer from the modem within 1 s");
    EXPECT_EQ(x.TakeOutput(), "\x1B") << "the message input is left";

    x.Start("GETST", 0);
    x.TakeOutput();
    x.Received("AT+CMGS=19\r\r\n> ", 10);
    EXPECT_EQ(x.TakeOutput().back(), '\x1A');
    x.Received("0011\r\n+CMGS: 7\r\n", 20);
    x.Advance(1020);
    EXPECT_EQ(x.Result(), SmsExchange::Outcome::NotSubmitted) << "no OK after +CMGS";

    x.TakeEvents();
    x.Start("GETST", 0);
    x.TakeOutput();
    x.Received("\r\n> ", 0);
    x.TakeOutput();
    x.Received("\r\n+CMGS: 7\r\n\r\nOK\r\n", 10);
    EXPECT_EQ(x.TakeOutput(), "AT+CMGL=0\r");
    x.Received("AT+CMGL=0\r\r\nOK\r\n", 20);
    EXPECT_EQ(x.MsUntilDue(20), 1990) << "two seconds from one listing to the next";
    x.Received("\r\n+CMTI: \"SM\",3\r\n", 500);
    EXPECT_EQ(x.TakeOutput(), "AT+CMGL=0\r") << "an announced message is listed at once";
    x.Abandon("cancelled", 600);
    EXPECT_TRUE(x.Done());
    EXPECT_EQ(x.Result(), SmsExchange::Outcome::Abandoned);
    const auto events = x.TakeEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].reference, 7);
    EXPECT_EQ(events[1].kind, Kind::Abandoned);

    SmsExchange noNumber("");
    noNumber.Start("GETST", 0);
    EXPECT_EQ(noNumber.Words(), "Phone Number Error. Please, check settings and try again.");
    EXPECT_EQ(noNumber.TakeOutput(), "");
}

TEST(SmsExchange, SameNumber) {
    const struct {
        const char* sender;
        const char* number;
        bool same;
    } cases[] = {
        {"+4917012345", "+4917012345", true},
        {"+4917012345", "4917012345", true},
        {"+4917012345", "017012345", true},
        {"+49 170 12345", "+49-170-12345", true},
        {"+4917012345", "+4917012346", false},
        {"+4912345", "012345", false},  // too short to be national
        {"", "+4917012345", false},
        {"+4917012345", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(protocol::SameNumber(c.sender, c.number), c.same) << c.sender << " / " << c.number;
}

}  // namespace
}  // namespace kt::sim
