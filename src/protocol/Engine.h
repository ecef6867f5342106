// The module command protocol engine: command framing and sending, the
// receive path with the modem-reply parsers, the reply display, the periodic
// timer with the SMS exchange state machine, and the AT operations on the
// PC's modem. It holds the window's transient protocol state as public data
// members; the window owns one engine and reaches it only through these
// members and methods, the engine reaches the window only through IWindow.
//
// The owner wires the driver's receive event to CommPortDriver1ReceiveData
// and its 1000 ms timer to Timer1Timer; the constructor touches neither.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/AnswerRule.h"
#include "protocol/PageIndex.h"
#include "protocol/SmsExchange.h"
#include "protocol/WindowInterface.h"
#include "serial/CommPortDriver.h"

namespace kt::protocol {

// Texts the engine shows or sends.
inline constexpr const char* kCommandTooLongText = "Command too long for one SMS (160 characters at most).";
inline constexpr const char* kPortErrorText =
    "Could not connect to serial port.\r\nPlease, check settings and try again.";
inline constexpr const char* kPhoneMissingText = "Cell Phone not connected";
inline constexpr const char* kErrorCaption = "Error";
// The status field in direct mode.
inline constexpr const char* kDirectModeStatus = "Setting Mode";

// Longest command (blanks and line end included) that fits one SMS in the
// GSM 7-bit alphabet.
inline constexpr size_t kMaxSmsCommandLength = 160;

// Where the last single SMS-mode command stands, as the status field says it.
enum class SmsCommandState {
    Idle,
    Submitting,      // "AT+CMGS=" written, waiting for the modem's prompt
    Submitted,       // PDU and Ctrl-Z written, waiting for the modem's result
    NotSubmitted,    // the modem answered the submission with an error
    AwaitingAnswer,  // the modem took the SMS; the module's answer is awaited in the inbox
    AnswerReceived,  // an answer SMS was read from the inbox
    NoAnswer,        // none came within kSmsAnswerTimeoutMs, the inbox listed since
};
// "submitting", "submitted", ... ("" for Idle).
const char* SmsCommandWords(SmsCommandState state);

// The command as the operator reads it in a notice: outer blanks and line
// ends dropped, other control characters as blanks.
std::string CommandName(const std::string& command);
// "No answer to GETST within 5 s" (the answer rule's time-out).
std::string NoAnswerText(const std::string& command);

class ProtocolEngine {
  public:
    ProtocolEngine(kt::serial::TCommPortDriver& port, IWindow& window, const IClock& clock);
    ProtocolEngine(const ProtocolEngine&) = delete;
    ProtocolEngine& operator=(const ProtocolEngine&) = delete;

    // ---- Send state ------------------------------------------------------
    bool RawMode = false;        // direct mode: no module framing, no NUL
    bool ModemBusy = false;      // a modem exchange is under way
    bool SmsOutgoing = false;    // an SMS submission was started
    bool AwaitPrompt = false;    // "AT+CMGS=" sent, the next reception releases the PDU
    bool PduSent = false;        // PDU and Ctrl-Z written, waiting for the result
    bool InboxPollHold = false;  // no inbox poll while set
    std::string PendingPdu;      // PDU hex digits followed by one NUL
    int PendingPduLength = 0;    // its length in characters (NUL included)

    // ---- Pending modem requests (one parser each) ------------------------
    bool WantManufacturer = false;
    bool WantModel = false;
    bool WantCharSet = false;
    bool WantDateTime = false;
    bool WantSmsFormat = false;
    bool WantFormatEcho = false;
    bool WantInbox = false;

    // ---- Direct-mode reply state -----------------------------------------
    std::string LastReply;       // last direct-mode reply (no NULs)
    bool ReplyToShow = false;    // LastReply waits to be shown
    bool SkipCRLFSaved = false;  // saved state of "Skip CR/LF"
    bool ReplyArrived = false;   // a reception happened since the last tick
    int ReplyIdleTicks = 0;

    // ---- Timer and SMS exchange state ------------------------------------
    bool AwaitSendResult = false;  // the next reception ends the submission
    bool ReadAllActive = false;    // the modem read-all sequence runs
    int ReadAllStep = 0;           // its last step (1..7)
    int ReplyWaitTicks = 0;        // ticks without a reception during read-all
    bool PhoneMissing = false;     // the phone gave no answer
    bool ReadBackClock = false;    // the next SMS-mode tick reads the modem clock
    int InboxPollTicks = 0;
    int InboxPollInterval = 1;  // in units of 30 ticks, 1..20
    bool InboxPollAll = false;  // toggles "AT+CMGL=1" / "AT+CMGL=0"
    bool InboxPolling = false;  // a poll was issued, no reception since
    bool NightlySent = false;   // "GETMH" went out in this 00:02 minute
    SmsCommandState CommandState = SmsCommandState::Idle;

    // ---- Parser results ---------------------------------------------------
    std::string ManufacturerText;
    std::string ModelText;
    std::string DateTimeText;
    char SmsFormatChar = '1';
    std::string InboxText;       // text of the last inbox message read
    bool DeleteIncoming = true;  // delete each inbox message after reading it

    // ---- A run that owns the modem ------------------------------------------
    // While an SMS run exchanges with the modem it owns the line: the
    // receive path passes nothing to the parsers, the timer starts no
    // exchange (submission end, read-all step, clock read-back, inbox poll,
    // nightly command) and SMS-mode sends and modem operations send nothing.
    bool ModemOwnedByRun = false;
    // The run takes the modem: a submission or an inbox listing of the
    // engine's own still waiting is given up, so that no answer of the run
    // is taken for theirs.
    void TakeModem();
    // The run is over: everything works as before, the inbox poll counting
    // afresh.
    void ReleaseModem();

    // ---- Modem operations -------------------------------------------------
    bool PortErrorShown = false;  // the port error box was shown (once per run)
    bool SmsModeActive = false;   // copy of SMSmode's check state; the clock buttons test it

    // ---- Sending ----------------------------------------------------------
    // Frames and sends one module command in the mode the window shows.
    // True when every byte was handed to the driver; false when the command
    // was dropped (SMS exchange busy, no module number, too long) or a write
    // failed (port closed, line stuck); the remaining bytes are still tried.
    bool SendSMS(const std::string& command);
    // Writes characters 1..count of text one byte at a time (at least the
    // first, none of an empty text, never past its end); false when any
    // byte was not written.
    bool SendStrings(const std::string& text, int count);
    bool SendCR();
    void SerialTimeSetting();
    void DisplayInputSMS();
    void DisplayOnMemo(const std::string& text);
    // The modem's prompt arrived: send the stored PDU and Ctrl-Z.
    void SendPendingPdu();

    // ---- Echo (each memo echoes onto its own last line) --------------------
    void EchoChar(Memo memo, char ch);
    void EchoText(Memo memo, const std::string& text);
    void EchoLine(Memo memo, const std::string& text);
    // Appends the lines of text to the memo, as if its text were set to the
    // old text followed by this one.
    void AppendToMemo(Memo memo, const std::string& text);

    // ---- Receiving --------------------------------------------------------
    void CommPortDriver1ReceiveData(kt::serial::TCommPortDriver* sender, const void* data, uint32_t size);

    // ---- Modem-reply parsers (each acts only when its flag is set) ---------
    void ManufacturerParser(const std::string& raw);
    void ModelParser(const std::string& raw);
    void CharSetParser(const std::string& raw);
    void DateTimeParser(const std::string& raw);
    void SmsFormatParser(const std::string& raw);
    void FormatEchoParser(const std::string& raw);
    void InboxParser(const std::string& raw);

    // Values from LastReply for the page showing (direct mode only, when a
    // reply waits to be shown; the rules are PageReplyValues); the timer
    // applies them by control name.
    std::vector<ControlValue> PageReplyParser() const;

    // ---- Periodic timer -----------------------------------------------------
    void Timer1Timer();
    // Direct mode: the reply waiting is shown now, as the next tick would show
    // it (the showing page's values, the reply memo).
    void ShowReplyNow();
    void ReadAllStepAction();

    // ---- Modem operations (AT commands to the PC's modem) ------------------
    void GetHersteller();
    void GetCharSetClick();
    void GetModel();
    void GetDateTime();
    void GetCMGF();
    void SetCMGF();
    void SendCMGL(const std::string& listCommand);
    void ReadAllParameterClick();
    void GetDTClick();
    void SetDTClick();
    void SyncModemClick();

    // ---- Window-level helpers ------------------------------------------------
    // Empties both memos, sets ReplyToShow, clears RawMode.
    void Clear();
    // The idle state of start-up: format '1', no pending request, no SMS
    // exchange, read-all stopped, counters cleared.
    void ResetState();
    // The settings file's poll factor as the inbox poll interval (1..20).
    static int InboxPollIntervalFromFactor(int smsPollFactor);

  private:
    // ---- What the operator is told (status bar, reply memo) ----------------
    // A notice line; remembers that one is up, so the next command takes it back.
    void Notice(const std::string& text);
    // Direct mode: a command went out; its first byte is awaited with the
    // answer rule's time-out.
    void WatchAnswer(const std::string& command);
    // Direct mode, every tick: a command that got no byte within the time-out
    // is said in the status bar and the reply memo.
    void CheckAnswer();
    // SMS mode: the exchange's new state in the status field and the status bar.
    void SetCommandState(SmsCommandState state, const std::string& detail = {});
    // SMS mode: what a reception and a tick mean for the exchange.
    void ExchangeReceived(const std::string& raw);
    void ExchangeTick(bool inboxPolled);

    enum class QueryStart { Send, DisplayOnly, Abort };
    QueryStart BeginModemQuery();
    void WriteBytes(const std::string& text);
    QueryStart ModemQuery(const std::string& command, bool& flag, bool echoAsLine);
    void AppendReplyToMemo();
    void ShowInboxText();

    kt::serial::TCommPortDriver& port_;
    IWindow& window_;
    const IClock& clock_;

    AnswerRule answerWatch_;  // the direct-mode command's first byte
    bool watching_ = false;
    std::string watched_;     // that command, as CommandName gives it
    bool noticeUp_ = false;   // the status bar shows a notice of the engine
    std::string smsCommand_;  // the SMS-mode command of CommandState
    int smsWaitTicks_ = 0;    // ticks of AwaitingAnswer
    int smsPolls_ = 0;        // inbox listings since then
};

}  // namespace kt::protocol
