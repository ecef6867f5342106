// The AT operations on the PC's modem and the clock buttons. They write byte
// by byte, mark the reply they wait for with a pending-request flag and leave
// the parsing to the receive path.
#include "protocol/ModemOperations.h"

#include <cstdio>
#include <string>

#include "protocol/Engine.h"

namespace kt::protocol {
namespace {

std::string Two(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", ((v % 100) + 100) % 100);
    return buf;
}

std::string DatePart(const LocalTime& t) {
    return Two(t.year) + "/" + Two(t.month) + "/" + Two(t.day) + ",";
}

std::string TimePart(const LocalTime& t) {
    return Two(t.hour) + ":" + Two(t.minute) + ":" + Two(t.second);
}

}  // namespace

std::string ModuleClockText(const LocalTime& t) {
    return DatePart(t) + TimePart(t);
}

std::string SetClockCommand(const LocalTime& t, const std::string& zone) {
    return "SETTM " + ModuleClockText(t) + zone.substr(0, 3);
}

std::string ModemClockCommand(const LocalTime& t, const std::string& zone, const std::string& manufacturer) {
    std::string cmd = "AT+CCLK=\"" + DatePart(t) + TimePart(t);
    if (manufacturer.compare(0, 7, "SIEMENS") != 0 || manufacturer.size() < 7) cmd += zone.substr(0, 3);
    cmd += '"';
    return cmd;
}

ProtocolEngine::QueryStart ProtocolEngine::BeginModemQuery() {
    if (!port_.OpenPort()) {
        if (PortErrorShown) return QueryStart::DisplayOnly;
        PortErrorShown = true;
        window_.ShowMessage(kPortErrorText, kErrorCaption, MsgIcon::Error);
        return QueryStart::Abort;
    }
    if ((ModemBusy && !ReadAllActive) || ModemOwnedByRun) return QueryStart::DisplayOnly;
    ModemBusy = true;
    window_.SetBusyCursor(true);
    return QueryStart::Send;
}

void ProtocolEngine::WriteBytes(const std::string& text) {
    for (char c : text)
        port_.WriteByte(static_cast<uint8_t>(c));
}

ProtocolEngine::QueryStart ProtocolEngine::ModemQuery(const std::string& command, bool& flag,
                                                      bool echoAsLine) {
    const QueryStart start = BeginModemQuery();
    if (start != QueryStart::Send) return start;
    WriteBytes(command);
    if (echoAsLine)
        EchoLine(Memo::SmsInput, command);
    else
        EchoText(Memo::SmsInput, command);
    SendCR();
    flag = true;
    return start;
}

void ProtocolEngine::GetHersteller() {
    if (ModemQuery("AT+CGMI", WantManufacturer, true) != QueryStart::Abort)
        window_.SetControlText("Hersteller", ManufacturerText);
}

void ProtocolEngine::GetCharSetClick() {
    ModemQuery("AT+CSCS?", WantCharSet, true);
}

void ProtocolEngine::GetModel() {
    ModemQuery("AT+CGMM", WantModel, true);
}

void ProtocolEngine::GetDateTime() {
    const QueryStart start = ModemQuery("AT+CCLK?", WantDateTime, true);
    if (start == QueryStart::Send) ReadBackClock = false;
    if (start != QueryStart::Abort) window_.SetControlText("DateTime", DateTimeText);
}

void ProtocolEngine::GetCMGF() {
    ModemQuery("AT+CMGF?", WantSmsFormat, true);
}

void ProtocolEngine::SetCMGF() {
    ModemQuery(std::string("AT+CMGF=") + SmsFormatChar, WantFormatEcho, false);
}

void ProtocolEngine::SendCMGL(const std::string& listCommand) {
    AwaitPrompt = false;
    PduSent = false;
    if (ModemBusy || ModemOwnedByRun) return;
    ModemBusy = true;
    window_.SetBusyCursor(true);
    WriteBytes(listCommand.substr(0, 9));
    SendCR();
    WantInbox = true;
    SerialTimeSetting();
    window_.SetBusyCursor(false);
    ModemBusy = false;  // the listing is collected without holding the modem
}

void ProtocolEngine::ReadAllParameterClick() {
    if (!window_.SmsModeChecked()) return;
    PhoneMissing = false;
    ReadAllStep = 0;
    ReadAllActive = true;
}

void ProtocolEngine::GetDTClick() {
    Clear();
    RawMode = false;
    DisplayOnMemo("GETTM");
    SendSMS("  GETTM");
}

void ProtocolEngine::SetDTClick() {
    Clear();
    RawMode = false;
    const std::string command = SetClockCommand(clock_.Now(), window_.ControlText("TimeZone"));
    if (!SmsModeActive) {
        DisplayOnMemo(command);
        SendSMS(command);
        ReadBackClock = true;
        return;
    }
    // SMS mode: the command goes to the modem as it is, not as an SMS.
    if (BeginModemQuery() != QueryStart::Send) return;
    WriteBytes(command);
    DisplayOnMemo(command);
    SendCR();
    ReadBackClock = true;
    ModemBusy = false;
    window_.SetBusyCursor(false);
}

void ProtocolEngine::SyncModemClick() {
    if (!SmsModeActive) return;
    Clear();
    if (BeginModemQuery() != QueryStart::Send) return;
    const std::string command =
        ModemClockCommand(clock_.Now(), window_.ControlText("TimeZone"), window_.ControlText("Hersteller"));
    WriteBytes(command);
    EchoLine(Memo::Monitor, command);
    SendCR();
    ReadBackClock = true;
    ModemBusy = false;
    window_.SetBusyCursor(false);
}

}  // namespace kt::protocol
