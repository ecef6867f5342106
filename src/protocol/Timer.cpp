// The 1000 ms timer: end of an SMS submission, the modem read-all sequence,
// the status colour, the give-up on a silent phone, the inbox poll, the
// nightly command, and (both modes) the reply display.
#include <string>

#include "protocol/Engine.h"

namespace kt::protocol {

void ProtocolEngine::Timer1Timer() {
    if (window_.SmsModeChecked()) watching_ = false;  // a direct-mode wait ends with the mode
    if (window_.SmsModeChecked() && !ModemOwnedByRun) {
        // Submission end: the next reception is the modem's result.
        if (PduSent) {
            SerialTimeSetting();
            port_.SetInputTimeout(5200);
            AwaitSendResult = true;
        }

        if (ReadAllActive && !ModemBusy) {
            ++ReadAllStep;
            ReadAllStepAction();
            if (ReadAllStep >= 7) {
                ReadAllActive = false;
                window_.SetBusyCursor(false);
                ModemBusy = false;
                window_.SetStatusText(" ");
            }
        }

        if (ReadBackClock) GetDateTime();

        window_.SetStatusColor(PhoneMissing ? kBlack : ModemBusy ? kRed : kGreen);

        bool gaveUpWithMessage = false;
        if (ReadAllActive) ++ReplyWaitTicks;
        if (ReadAllActive && ReplyWaitTicks >= 99) {
            ReadAllActive = false;
            ReplyWaitTicks = 0;
            if (!PhoneMissing) {
                window_.ShowMessage(kPhoneMissingText, kErrorCaption, MsgIcon::Error);
                gaveUpWithMessage = true;
            }
            PhoneMissing = true;
            ModemBusy = false;
            window_.SetBusyCursor(false);
            window_.SetStatusColor(kBlack);
        }

        bool inboxPolled = false;
        if (!gaveUpWithMessage) {
            if (!ReadAllActive && !ModemBusy && !InboxPollHold) {
                ++InboxPollTicks;
                if (InboxPollTicks > InboxPollInterval * 30) {
                    InboxPolling = true;
                    window_.SetStatusColor(kCyan);
                    window_.SetBusyCursor(true);
                    SendCMGL(InboxPollAll ? "AT+CMGL=0" : "AT+CMGL=1");
                    inboxPolled = true;
                    InboxPollTicks = 0;
                    InboxPollAll = !InboxPollAll;
                    ModemBusy = false;
                    window_.SetBusyCursor(false);
                    window_.SetStatusColor(kGreen);
                }
            }

            // Nightly window, on the local time of day.
            const LocalTime now = clock_.Now();
            if (now.hour == 0) {
                if (now.minute <= 1) {
                    InboxPollHold = true;
                } else if (now.minute == 2) {
                    InboxPollHold = true;
                    if (!NightlySent) {
                        NightlySent = true;
                        SendSMS("GETMH");
                    }
                } else if (now.minute == 3) {
                    InboxPollHold = false;
                    NightlySent = false;
                }
            }
        }
        ExchangeTick(inboxPolled);
        AppendReplyToMemo();
    } else if (!window_.SmsModeChecked()) {
        // Back from SMS mode: the field names the mode again.
        if (CommandState != SmsCommandState::Idle) {
            CommandState = SmsCommandState::Idle;
            window_.SetStatusText(kDirectModeStatus);
        }
        CheckAnswer();
        ShowReplyNow();
    }

    if (ReplyArrived) ++ReplyIdleTicks;
    if (ReplyIdleTicks > 0) {
        window_.SetBusyCursor(false);
        LastReply.clear();
        ReplyIdleTicks = 0;
        ReplyArrived = false;
    }
}

void ProtocolEngine::ShowReplyNow() {
    for (const auto& [name, value] : PageReplyParser())
        window_.SetControlText(name, value);
    AppendReplyToMemo();
}

void ProtocolEngine::AppendReplyToMemo() {
    if (!ReplyToShow || LastReply.empty()) return;
    std::string added = LastReply + "\r\n";
    // A pass-through reply carries a NUL after its text: the memo's text ends
    // there, as in the native edit control, so no extra line break follows it.
    const size_t nul = added.find('\0');
    if (nul != std::string::npos) added.resize(nul);
    AppendToMemo(Memo::SmsInput, added);
    ReplyToShow = false;
}

void ProtocolEngine::ReadAllStepAction() {
    ModemBusy = false;
    switch (ReadAllStep) {
        case 1:
            GetHersteller();
            break;
        case 2:
            GetCharSetClick();
            break;
        case 3:
            GetModel();
            break;
        case 4:
            GetDateTime();
            break;
        case 5:
            GetCMGF();
            break;
        case 6:
            SetCMGF();
            break;
        default:
            break;
    }
    window_.SetControlText("ModelIDCode", ModelText);
    window_.SetControlText("Hersteller", ManufacturerText);
    window_.SetControlText("DateTime", DateTimeText);
}

void ProtocolEngine::TakeModem() {
    ModemOwnedByRun = true;
    AwaitPrompt = PduSent = AwaitSendResult = SmsOutgoing = false;
    WantInbox = InboxPolling = false;
    ModemBusy = false;
    window_.SetBusyCursor(false);
}

void ProtocolEngine::ReleaseModem() {
    ModemOwnedByRun = false;
    InboxPollHold = false;
    InboxPollTicks = 0;
}

}  // namespace kt::protocol
