// The engine's receive path on any receptions, with any pending modem
// requests and exchange state, then the page reply parser on every page and
// one timer tick. Checked: the modem parsers take their results from the
// reception; the inbox request always ends; what goes on the wire is the
// PDU on the prompt or a well-formed deletion of a listed index; the reply
// kept for display is the reception as shown; page values go only to the
// controls of the page showing and come from the reply; the memos stay
// within their lines.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "gsm/PduCodec.h"
#include "protocol/Engine.h"
#include "protocol/MemoLines.h"
#include "serial/CommPortDriver.h"
#include "serial/SerialBackend.h"
#include "support/FakeWindow.h"

using kt::fuzz::Contains;
using kt::protocol::Memo;

namespace {

// A line that takes every byte written and never delivers any.
class WireBackend : public kt::serial::SerialBackend {
  public:
    explicit WireBackend(std::string& wire) : wire_(wire) {}
    bool Open(const std::string&, kt::serial::OpenError&, std::string&) override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Apply(const kt::serial::LineSettings&, std::string*) override { return true; }
    bool Purge(bool, bool) override { return true; }
    int32_t QueuedInput() override { return 0; }
    int32_t QueuedOutput() override { return 0; }
    int32_t Read(void*, uint32_t) override { return 0; }
    int32_t Write(const void* data, uint32_t count) override {
        wire_.append(static_cast<const char*>(data), count);
        return static_cast<int32_t>(count);
    }
    unsigned ModemLines() override { return 0; }
    bool Vanished(std::string&) override { return false; }
    int64_t TickMs() const override { return ++tick_; }
    void SleepMs(unsigned ms) override { tick_ += ms; }
    std::string OsPlatformCode() const override { return {}; }
    uint32_t OsVersion() const override { return 0; }

  private:
    std::string& wire_;
    bool open_ = false;
    mutable int64_t tick_ = 0;
};

struct Rig {
    Rig() : port(nullptr, std::make_unique<WireBackend>(wire)), eng(port, win, clock) {
        port.SetPortName("fuzz-line");
        port.OpenPort();
    }
    std::string wire;
    kt::serial::TCommPortDriver port;
    kt::test::FakeWindow win;
    kt::test::FakeClock clock;
    kt::protocol::ProtocolEngine eng;
};

bool IsDigits(const std::string& s) {
    if (s.empty()) return false;
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string WithoutNuls(std::string s) {
    std::erase(s, '\0');
    return s;
}

// The controls each page may fill from a reply.
bool BelongsToPage(int page, const std::string& name) {
    auto numbered = [&](const std::string& prefix, int lo, int hi) {
        if (name.compare(0, prefix.size(), prefix) != 0) return false;
        const std::string n = name.substr(prefix.size());
        if (!IsDigits(n) || n.size() > 2 || n[0] == '0') return false;
        const int v = std::stoi(n);
        return v >= lo && v <= hi;
    };
    switch (page) {
        case 1:
            return numbered("NNumber", 1, 7) || numbered("PBnr", 1, 7);
        case 2:
            return numbered("TXTSMS", 1, 57);
        case 3:
        case 4:
            return numbered("iTXTSMS", 1, 97);
        case 10:
            for (const char* c : {"Password", "UserID", "PasswordFTP", "UserNameFTP", "HTTPhostName",
                                  "IPaddress", "APN", "FTPHostName", "DirName"})
                if (name == c) return true;
            return false;
        default:
            return false;
    }
}

void CheckMemo(const kt::protocol::MemoLines& memo) {
    FUZZ_CHECK(memo.Count() <= kt::protocol::kMemoMaxLines);
    for (const auto& line : memo.Lines())
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
}

void Receive(Rig& r, const std::string& chunk) {
    auto& e = r.eng;
    const bool smsMode = r.win.smsMode;
    const bool awaitPrompt = e.AwaitPrompt;
    const bool wantInbox = e.WantInbox;
    const bool rawMode = e.RawMode;
    const bool skipCrLf = r.win.skipCrLf;
    const std::string pdu = e.PendingPdu;
    const std::string manufacturer = e.ManufacturerText, model = e.ModelText, clock = e.DateTimeText;
    const std::string inbox = e.InboxText;
    r.wire.clear();

    e.CommPortDriver1ReceiveData(&r.port, chunk.data(), static_cast<uint32_t>(chunk.size()));

    const std::string txt = WithoutNuls(chunk);
    if (txt.empty()) {
        FUZZ_CHECK(r.wire.empty());
        FUZZ_CHECK(e.WantInbox == wantInbox && e.AwaitPrompt == awaitPrompt);
        return;
    }
    FUZZ_CHECK(!e.WantInbox && !e.AwaitPrompt && e.ReplyArrived);

    // Parser results come from this reception, one line each.
    for (const auto& [before, after] : {std::pair{&manufacturer, &e.ManufacturerText},
                                        std::pair{&model, &e.ModelText}, std::pair{&clock, &e.DateTimeText}})
        if (*after != *before)
            FUZZ_CHECK(!after->empty() && Contains(chunk, *after) && !Contains(*after, "\r"));

    // The wire: at most one deletion of a listed message (the inbox parser
    // runs first), then the stored PDU that the prompt releases.
    std::string rest = r.wire;
    if (rest.compare(0, 8, "AT+CMGD=") == 0) {
        FUZZ_CHECK(wantInbox && e.DeleteIncoming);
        const std::size_t cr = rest.find('\r');
        FUZZ_CHECK(cr != std::string::npos);
        const std::string index = rest.substr(8, cr - 8);
        FUZZ_CHECK(IsDigits(index) && index.size() <= 3 && Contains(chunk, index + ","));
        rest.erase(0, cr + 1);
    }
    if (awaitPrompt)
        FUZZ_CHECK(rest == pdu.substr(0, pdu.size() - 1) + "\x1A");
    else
        FUZZ_CHECK(rest.empty());

    if (e.InboxText != inbox && smsMode) {
        std::string table;
        for (const uint8_t c : kt::gsm::GSMToTextTable)
            table += static_cast<char>(c);
        FUZZ_CHECK(e.InboxText.find_first_not_of(table) == std::string::npos);
    }

    if (!smsMode) {
        FUZZ_CHECK(e.ReplyToShow);
        std::string shown = txt;
        if (skipCrLf)
            for (char& c : shown)
                if (static_cast<unsigned char>(c) < 32) c = ' ';
        const bool rawEnded = rawMode && !e.RawMode;
        FUZZ_CHECK(e.LastReply == (rawEnded ? txt + '\0' : shown));
    }
}

void CheckPages(Rig& r) {
    auto& e = r.eng;
    if (r.win.smsMode || e.LastReply.empty()) return;
    const int page = r.win.page;
    for (int p = 0; p <= 12; ++p) {
        r.win.page = p;
        e.ReplyToShow = true;
        for (const auto& [name, value] : e.PageReplyParser()) {
            FUZZ_CHECK(BelongsToPage(p, name));
            FUZZ_CHECK(Contains(e.LastReply, value));
            if (name.compare(0, 7, "NNumber") == 0) FUZZ_CHECK(value.size() <= 20 && !Contains(value, " "));
        }
    }
    r.win.page = page;
}

}  // namespace

// Input: two bytes of state (pending requests, mode, exchange flags, page),
// then receptions separated by "|~|".
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static Rig r;
    auto& e = r.eng;
    e.ResetState();
    e.LastReply.clear();
    e.ReplyToShow = e.ReplyArrived = e.RawMode = false;
    e.ManufacturerText = e.ModelText = e.DateTimeText = e.InboxText = "";
    r.win.smsInput.Clear();
    r.win.monitor.Clear();
    r.win.controls.clear();
    r.win.messages.clear();
    r.win.statusColors.clear();

    const unsigned bits = data[0] | data[1] << 8;
    e.WantManufacturer = bits & 1;
    e.WantModel = bits & 2;
    e.WantCharSet = bits & 4;
    e.WantDateTime = bits & 8;
    e.WantSmsFormat = bits & 16;
    e.WantFormatEcho = bits & 32;
    e.WantInbox = bits & 64;
    r.win.smsMode = bits & 128;
    r.win.skipCrLf = bits & 256;
    e.SkipCRLFSaved = bits & 512;
    e.RawMode = bits & 1024;
    e.DeleteIncoming = bits & 2048;
    r.win.page = static_cast<int>((bits >> 12) % 13);
    if (r.win.smsMode && (bits & 0x8000)) {
        // An SMS submission waiting for the modem's prompt.
        r.wire.clear();
        e.SendSMS("GETST");
        FUZZ_CHECK(e.AwaitPrompt && r.wire.compare(0, 8, "AT+CMGS=") == 0);
    }

    const std::string all(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::size_t from = 0;
    for (int n = 0; n < 4 && from <= all.size(); ++n) {
        const std::size_t sep = all.find("|~|", from);
        const std::string chunk = all.substr(from, sep == std::string::npos ? std::string::npos : sep - from);
        Receive(r, chunk);
        CheckPages(r);
        if (sep == std::string::npos) break;
        from = sep + 3;
    }

    e.Timer1Timer();
    CheckMemo(r.win.smsInput);
    CheckMemo(r.win.monitor);
    return 0;
}
