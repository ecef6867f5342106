// Command framing and sending in both modes, the byte writers and the port
// timing applied after each send.
#include <algorithm>
#include <string>

#include "protocol/Engine.h"
#include "protocol/Framing.h"
#include "serial/PortText.h"

namespace kt::protocol {

bool ProtocolEngine::SendSMS(const std::string& command) {
    // A closed port takes nothing: say why instead of writing into the void
    // (in SMS mode the submission would wait for a prompt that never comes).
    if (!port_.IsOpen()) {
        watching_ = false;
        if (!window_.RunReportsAnswers())
            Notice(CommandName(command) + " not sent: " + kt::serial::NotOpenText(port_));
        return false;
    }
    window_.SetBusyCursor(true);
    const std::string text = CommandLine(command);

    if (window_.SmsModeChecked()) {
        if (ModemOwnedByRun) {
            window_.SetBusyCursor(false);
            return false;  // an SMS run has the modem
        }
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
        const bool built = CommandPdu(command, window_.ModuleNumber(), pdu,
                                      [this](const std::string& msg, const std::string& caption) {
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

        const std::string submit = SmsSubmitCommand(pdu);
        bool written = SendStrings(submit, static_cast<int>(submit.size()));
        PendingPdu = pdu;
        PendingPduLength = static_cast<int>(pdu.size());
        written &= SendCR();
        EchoChar(Memo::Monitor, '\r');
        SerialTimeSetting();
        AwaitPrompt = true;
        smsCommand_ = CommandName(command);
        SetCommandState(SmsCommandState::Submitting);
        return written;
    }

    // Byte by byte, as every sender writes: prefix, command line, NUL.
    const std::string frame = DirectFrame(command, RawMode);
    const bool written = SendStrings(frame, static_cast<int>(frame.size()));
    SerialTimeSetting();
    port_.SetPollingDelay(4000);
    WatchAnswer(command);
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
    if (CommandState == SmsCommandState::Submitting) SetCommandState(SmsCommandState::Submitted);
}

}  // namespace kt::protocol
