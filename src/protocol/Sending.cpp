// Command framing and sending in both modes, the byte writers and the port
// timing applied after each send.
#include <algorithm>
#include <string>

#include "gsm/PduCodec.h"
#include "protocol/Engine.h"

namespace kt::protocol {
namespace {

constexpr const char* kModulePrefix = "              SETUP:";  // 14 blanks
constexpr size_t kMaxFill = 32;

bool StartsWith5(const std::string& s, const char* a, const char* b) {
    return s.compare(0, 5, a) == 0 || s.compare(0, 5, b) == 0;
}

// Pads the text-slot and input-name commands to the width the module reads.
std::string FillToWidth(std::string command) {
    if (StartsWith5(command, "SETTX", "GETTX") && command.size() < 48)
        command.append(std::min<size_t>(48 - command.size(), kMaxFill), ' ');
    if (StartsWith5(command, "SETTI", "GETTI") && command.size() < 23)
        command.append(std::min<size_t>(23 - command.size(), kMaxFill), ' ');
    return command;
}

}  // namespace

bool ProtocolEngine::SendSMS(const std::string& command) {
    window_.SetBusyCursor(true);
    const std::string text = FillToWidth(command) + '\r';

    if (window_.SmsModeChecked()) {
        if (text.size() > kMaxSmsCommandLength) {
            // Would be cut or wrap around in the one-octet length field.
            window_.SetBusyCursor(false);
            window_.ShowMessage(kCommandTooLongText, kErrorCaption, MsgIcon::Error);
            return false;
        }
        if (ModemBusy) {
            InboxPollHold = true;  // dropped: another modem exchange is under way
            return false;
        }
        std::string pdu;
        const bool built = kt::gsm::TextToPDUConversion(
            text, window_.ModuleNumber(), pdu, [this](const std::string& msg, const std::string& caption) {
                window_.ShowMessage(msg, caption, MsgIcon::Error);
            });
        if (!built) {
            // No module number: nothing to submit, nothing starts.
            window_.SetBusyCursor(false);
            return false;
        }
        InboxPollHold = true;
        SmsOutgoing = true;
        AwaitPrompt = false;
        PduSent = false;
        ModemBusy = true;

        bool written = SendStrings("AT+CMGS=", 8);
        const std::string octets = std::to_string(static_cast<int>(pdu.size() / 2) - 1);
        written &= SendStrings(octets, static_cast<int>(octets.size()));
        PendingPdu = pdu;
        PendingPduLength = static_cast<int>(pdu.size());
        written &= SendCR();
        EchoChar(Memo::Monitor, '\r');
        SerialTimeSetting();
        AwaitPrompt = true;
        return written;
    }

    bool written = true;
    if (!RawMode) written &= SendStrings(kModulePrefix, 20);
    written &= SendStrings(text, static_cast<int>(text.size()));
    if (!RawMode) {
        const uint8_t nul = 0;
        written &= port_.WriteBuffer(&nul, 1) == 1;
    }
    SerialTimeSetting();
    port_.SetPollingDelay(4000);
    return written;
}

bool ProtocolEngine::SendStrings(const std::string& text, int count) {
    if (text.empty()) return true;
    const int n = std::clamp(count, 1, static_cast<int>(text.size()));
    bool all = true;
    for (int i = 0; i < n; ++i)
        all &= port_.WriteByte(static_cast<uint8_t>(text[static_cast<size_t>(i)]));
    return all;
}

bool ProtocolEngine::SendCR() {
    const uint8_t cr = '\r';
    return port_.WriteBuffer(&cr, 1) == 1;
}

void ProtocolEngine::SerialTimeSetting() {
    port_.SetPollingDelay(4000);
    port_.SetInputTimeout(700);
    port_.SetOutputTimeout(1500);
}

void ProtocolEngine::DisplayInputSMS() {
    window_.SetMemoText(Memo::SmsInput, "\r\n");
}

void ProtocolEngine::DisplayOnMemo(const std::string& text) {
    DisplayInputSMS();
    window_.SetMemoText(Memo::Monitor, "");
    EchoText(Memo::Monitor, text);
}

void ProtocolEngine::SendPendingPdu() {
    AwaitPrompt = false;
    const int digits = std::clamp(PendingPduLength - 1, 0, static_cast<int>(PendingPdu.size()));
    const std::string hex = PendingPdu.substr(0, static_cast<size_t>(digits));
    for (char c : hex)
        port_.WriteByte(static_cast<uint8_t>(c));
    EchoLine(Memo::Monitor, hex);
    port_.WriteByte(0x1A);
    PduSent = true;
    ModemBusy = false;
    window_.SetBusyCursor(false);
}

}  // namespace kt::protocol
