// The receive path: every poll's bytes pass through here once.
#include <algorithm>
#include <string>

#include "protocol/Engine.h"
#include "protocol/TextPos.h"

namespace kt::protocol {

void ProtocolEngine::CommPortDriver1ReceiveData(kt::serial::TCommPortDriver* /*sender*/, const void* data,
                                                uint32_t size) {
    if (ModemOwnedByRun) return;  // the run reads the line itself
    SerialTimeSetting();
    port_.SetPollingDelay(4000);

    const std::string raw = (data != nullptr && size > 0)
                                ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                                : std::string();

    // Preset: from the first CR, as long as the position of the first NUL
    // (nothing when the reception holds no NUL).
    {
        const int cr = text::Pos('\r', raw);
        LastReply = text::Copy(raw, cr > 0 ? cr : 1, text::Pos('\0', raw));
    }

    if (watching_) answerWatch_.Received(raw, clock_.SteadyMs());

    std::string txt = raw;
    txt.erase(std::remove(txt.begin(), txt.end(), '\0'), txt.end());
    if (txt.empty()) return;

    InboxPollHold = false;
    InboxPolling = false;

    PhoneMissing = false;
    ReplyWaitTicks = 0;
    if (WantManufacturer) ManufacturerParser(raw);
    if (WantModel) ModelParser(raw);
    if (WantCharSet) CharSetParser(raw);
    if (WantDateTime) DateTimeParser(raw);
    if (WantSmsFormat) SmsFormatParser(raw);
    if (WantFormatEcho) FormatEchoParser(raw);
    if (WantInbox) InboxParser(raw);

    if (!window_.SmsModeChecked()) {
        LastReply = txt;
        if (window_.SkipCrLfChecked()) {
            for (char& c : LastReply)
                if (static_cast<unsigned char>(c) < 32) c = ' ';
        } else {
            window_.SetSkipCrLfChecked(SkipCRLFSaved);
        }
        ReplyToShow = true;
        // A pass-through reply that starts with its line end (the modem's
        // own answer) ends raw mode; one that echoes the command first does not.
        const int cr = text::Pos('\r', txt);
        if (RawMode && cr <= 4) {
            LastReply = txt + '\0';
            RawMode = false;
        }
    }

    // Before the prompt below moves the exchange on: this reception is a
    // result only for a submission already made.
    if (window_.SmsModeChecked()) ExchangeReceived(raw);

    if (AwaitPrompt) {
        SendPendingPdu();
        AwaitPrompt = false;
    }

    if (AwaitSendResult) {
        InboxPollHold = false;
        PduSent = false;
        AwaitSendResult = false;
        if (SmsOutgoing) {
            SmsOutgoing = false;
            SerialTimeSetting();
            port_.SetInputTimeout(700);
        }
    }

    if (!AwaitPrompt && !PduSent) {
        InboxPollHold = false;
        ModemBusy = false;
    }

    ReplyArrived = true;
    ReplyIdleTicks = 0;
}

}  // namespace kt::protocol
