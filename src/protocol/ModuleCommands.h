// Module commands of the configuration pages, built from plain values.
//
// Every function takes the values a page reads from its controls (slot and
// input numbers, texts, scroll-bar and track-bar positions, radio-group item
// indexes with -1 for "none selected", check states) and returns the exact
// text handed to SendSMS: fixed widths, signs and separators included, but
// before SendSMS adds its own blanks for the text commands, the line end and
// the framing. Where a page shows a different text in the monitor memo, or
// changes one of its controls while building the command, the result says so.
//
// The window's pages and kt4470ctl both build their commands here, so the
// two can never disagree. Nothing here touches a window, a port or the
// engine. Positions in texts are 1-based where a name says "position".
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kt::protocol::cmd {

// A command together with the text the monitor memo shows for it.
struct ShownCommand {
    std::string command;
    std::string display;
};

// ---- Shared number texts ---------------------------------------------------

// Two-digit text of a value 0..99: "00".."99" (the first two characters of
// the decimal text, with a "0" in front below 10).
std::string TwoDigits(int value);
// A timeout edit's text as sent: its first two characters, or "0" and its
// first character when there is no second character or it is not a digit
// ("7" gives "07", "0" gives "00").
std::string TimeoutField(std::string_view editText);

// ---- Alarm numbers and SIM phone book ---------------------------------------

inline constexpr int kPhoneNumberLength = 20;  // characters of a number edit that count

// An alarm number may be written: at least three characters, the first '+'
// or a digit, the second a digit, the third '+' or a digit (only the first
// 20 characters count).
bool AlarmNumberValid(std::string_view number);
// Why a number fails that check, naming the rule ("its 2nd character "a" is
// not a digit (an alarm number starts with ...)"); empty when it passes.
std::string AlarmNumberProblem(std::string_view number);
// "SETNN" + slot + "," + the first 20 characters; nothing for a number that
// fails the check.
std::optional<std::string> SetAlarmNumber(int slot, std::string_view number);
std::string ReadAlarmNumber(int slot);   // "GETNR" + slot
std::string ClearAlarmNumber(int slot);  // "CLRNR" + slot

// A phone-book entry may be written: the first character '+' or a digit,
// the second a digit.
bool PhoneBookEntryValid(std::string_view entry);
// Why an entry fails that check, naming the rule; empty when it passes.
std::string PhoneBookEntryProblem(std::string_view entry);
struct PhoneBookWrite {
    std::optional<std::string> command;  // nothing is sent when empty
    std::string entry;                   // the edit's text afterwards
};
// "SETPB" + slot + "," + entry. An empty entry writes the placeholder "+99"
// into the edit and sends it ("SETPB1 +99" with a blank for slot 1, "SETPB4,+99"
// for the others); an entry that fails the check sends nothing and stays.
PhoneBookWrite SetPhoneBookEntry(int slot, std::string_view entry);
// "  GETPB", shown as "GETPB".
ShownCommand ReadPhoneBook();

// ---- Alarm routing masks ----------------------------------------------------

enum class MaskGroup { Temp, Analog, Digital };
struct MaskGroupRow {
    char letter;                    // group letter of the check-box names
    int rows;                       // mask length, one character per input
    std::string_view emptyDefault;  // mask used when the stored one is empty
    std::string_view edit;          // read-only edit holding the mask
    std::string_view recordField;
};
inline constexpr std::array<MaskGroupRow, 3> kMaskGroups{{
    {'T', 3, "---", "TNrFilter", "TempRouteMask"},
    {'A', 8, "--------", "ANrFilter", "AnalogRouteMask"},
    {'D', 12, "000000000000", "DNrFilter", "DigitalRouteMask"},
}};
inline const MaskGroupRow& GroupRow(MaskGroup g) {
    return kMaskGroups[static_cast<size_t>(g)];
}

// Digit edits of the bit boxes (bit 1, 2, 4 or 8; digit 0..15).
int HEXfromCheckBox(int bit, int digit);
int HEXfromUnCheckBox(int bit, int digit);

// A stored mask made to fit its rows: cut to the row count, padded with '-',
// every character other than '0'-'9', 'A'-'F' and '-' turned into '-'.
std::string NormaliseMask(std::string_view mask, int rows);
// The mask a group shows after loading: the group's default for an empty
// stored mask, the normalised stored mask otherwise.
std::string LoadMask(MaskGroup g, std::string_view stored);

// One mask character as its row's boxes: alarm numbers 1..4 (bits 0..3) and
// "Disable". Only '0'-'9' and 'A'-'F' are digits; anything else is a
// disabled row with no alarm number.
struct MaskRowBoxes {
    std::array<bool, 4> alarm{};
    bool disabled = false;
};
MaskRowBoxes DecodeMaskChar(char c);

// The mask text of a group and its saved digits (the digits of disabled rows).
struct MaskState {
    std::string mask;
    std::string saved;
};
// Bit box of column 1..4 in row 1..n now checked or not; a disabled row
// edits its saved digit, an enabled row the mask.
MaskState MaskBitClick(MaskState s, int row, int column, bool checked, bool rowDisabled);
// Disable box of a row now checked (the digit is saved and the row shows
// '-') or clear (the saved digit comes back, '0' in place of '-').
MaskState MaskDisableClick(MaskState s, int row, bool checked);
// "SETME," + T/C mask + ",," + analog mask + "," + digital mask.
std::string SetMasks(std::string_view temp, std::string_view analog, std::string_view digital);

// ---- SMS texts and input/output names ---------------------------------------

// External texts use "SETTX"/"GETTX" (slots 1..57); internal texts and the
// input/output names share "SETTI"/"GETTI" and one numbering (1..97).
enum class TextBank { External, Internal };
// The text as it may be sent: characters below a blank become blanks, so a
// line end can never split the command.
std::string SendableText(std::string_view text);
// "GETTX07 " / "GETTI70 ": keyword, two-digit slot, one blank.
std::string ReadText(TextBank bank, int slot);
// "SETTX07 " + text, shown as "SETTX07," + text.
ShownCommand WriteText(TextBank bank, int slot, std::string_view text);
// The slot number at the start of a text reply: two decimal digits give
// 0..99, anything else -1.
int ReplySlotNumber(std::string_view reply);

// ---- Analog inputs ------------------------------------------------------------

// "ANLEV1,".."ANLEV8," for inputs 1..8, "ANLEW1,".."ANLEW8," for 9..16.
std::string AnalogLevelKeyword(int input);
// Keyword + two-digit minimum + "," + two-digit maximum.
std::string AnalogLevels(int input, int minimum, int maximum);
// "AMODE" + one digit per channel pair (item index + 1, "0" for none) + ","
// + multipliers + "," + dividers, both as typed.
std::string AnalogModes(const std::array<int, 8>& modeIndexes, std::string_view multipliers,
                        std::string_view dividers);
// "K20MA" + channel + "," + text as typed.
std::string Correction20mA(int channel, std::string_view text);
// "SETTF,,,," + analog timeout field + " ".
std::string AnalogTimeoutFilter(std::string_view editText);
inline constexpr std::string_view kReadAnalogParameters = "GETAN1";

// ---- Temperature, runtime and counters ----------------------------------------

// A temperature level as sign and three digits: -99 "-099", 0 "+000",
// 25 "+025", 149 "+149".
std::string SignedLevel(int position);
// "TCLEV" + input + signed minimum + signed maximum.
std::string TempLevels(int input, int minimum, int maximum);
// "RTLEV " + runtime 1 + " " + runtime 2, five digits each.
std::string RuntimeLevels(int runtime1, int runtime2);
// The runtime divider as four digits ("0009", "0240", "9600").
std::string RuntimeDivider(int position);
// "RTMOD" + input 1..4 + "A", "D" or "I" + divider text as typed. An index
// outside its group counts as the first item.
std::string RuntimeSource(int inputIndex, int sourceIndex, std::string_view divider);
// "SETTF," + temperature timeout field + " ".
std::string TempTimeoutFilter(std::string_view editText);
inline constexpr std::string_view kReadRuntimeSource = "RTMODR";
inline constexpr std::string_view kReadCounters = "GETCT";
inline constexpr std::string_view kClearCounters = "CLRCT";

// ---- Outputs and inputs ---------------------------------------------------------

inline constexpr std::string_view kOutputOn = "ON ";
inline constexpr std::string_view kOutputOff = "OFF";
using OutputStates = std::array<std::string, 8>;  // texts of Output1..Output8

std::string SetOutput(int output);    // "SETOU" + output
std::string ResetOutput(int output);  // "RSTOU" + output
std::string ReadOutput(int output);   // "GETOS" + output, 0 for all
std::string ReadInput(int input);     // "GETIS" + two digits, 0 for all
// "OUTP " + text as typed.
std::string OutputsParallel(std::string_view bits);
// The output states after "OUTP": character k "0" shows "OFF", "1" shows
// "ON ", any other character or none leaves output k as it was.
OutputStates OutputStatesAfter(OutputStates states, std::string_view bits);
// "SETTN" + sampling digit + "," + logger digit + "," + eight pulse digits.
std::string Parameters(int sampling, int logger, const std::array<int, 8>& pulses);
std::string SampleRate(int position);    // "SRATE" + digit
std::string LoggerPeriod(int position);  // "DLPER" + digit
// "SETTF" + seven blanks + the filter as decimal text.
std::string DigitalFilter(int position);

// ---- Other settings -------------------------------------------------------------

inline constexpr std::string_view kInitialOptions = "MPEDEDDDDEEDEDE";
inline constexpr int kOptionsLength = 16;
// Switch position 3..15 set to "E" (on) or "D" (off).
std::string SetOptionSwitch(std::string_view options, int position, bool on);
// Mark position 1 (minus) or 2 (plus) set to the mark edit's character; an
// empty mark edit leaves the position as it is.
std::string SetOptionMark(std::string_view options, int position, std::string_view mark);
struct OptionsWrite {
    std::string options;  // padded to 16: the edit's text afterwards and the remembered string
    std::string command;  // "SETMP " + options
};
OptionsWrite SetOptions(std::string_view options);
inline constexpr std::string_view kReadOptions = "GETMP";
// "SETTF," + two digits + "," + two digits + "," + digital filter.
std::string TimeoutFilters(int tempTimeout, int analogTimeout, int digitalFilter);
// "DTFTP" + item index + 1 ("FTP" 1 .. "RTC-GM862" 7).
std::string DateTimeSource(int index);
// "RSTEN1" or "RSTEN0".
std::string RestartEnable(bool on);

// ---- GPRS, FTP and HTTP parameters ----------------------------------------------

// What an empty value sends: the bare write keyword, the APN's clearing
// form (edit left as it is) or three blanks written into the HTTP host edit.
enum class EmptyValue { Bare, ApnClear, HttpBlanks };
struct GprsParameterRow {
    std::string_view edit;  // object name of the edit
    std::string_view group;
    std::string_view label;
    int maxLength;
    std::string_view initialText;
    std::string_view button;
    std::string_view read;   // read command
    std::string_view write;  // write keyword, ending in a blank or a comma
    std::string_view recordField;
    EmptyValue empty;
};
inline constexpr std::array<GprsParameterRow, 9> kGprsParameters{{
    {"APN", "GPRS", "APN ", 40, "internet", "APNbtn", "GETAP ", "SETAP ", "Apn", EmptyValue::ApnClear},
    {"UserID", "GPRS", "User ID", 16, "", "UIDbtn", "GETID ", "SETID ", "GprsUser", EmptyValue::Bare},
    {"Password", "GPRS", "Password", 16, "", "PWbtn", "GETPW ", "SETPW ", "GprsPassword", EmptyValue::Bare},
    {"IPaddress", "GPRS", "IP address", 40, "0.0.0.0", "IPbtn", "GETIP ", "SETIP ", "ServerAddress",
     EmptyValue::Bare},
    {"FTPHostName", "FTP", "Host Name", 40, "ftp.example.org", "FTPHostNamebtn", "GETFT ", "SETFT ",
     "FtpHost", EmptyValue::Bare},
    {"UserNameFTP", "FTP", "User ID", 40, "", "UNbtn", "GETAF ", "SETAF ", "FtpUser", EmptyValue::Bare},
    {"PasswordFTP", "FTP", "Password", 16, "", "FPWbtn", "GETPF ", "SETPF ", "FtpPassword", EmptyValue::Bare},
    {"DirName", "FTP", "Object / Dir Name", 16, "IMEI", "DirNameBtn", "GETDN ", "SETDN ", "FtpDirectory",
     EmptyValue::Bare},
    {"HTTPhostName", "HTTP", "HTTP Host ", 40, "", "HTTPhostBtn", "GETRH ", "SETRH,", "HttpHost",
     EmptyValue::HttpBlanks},
}};

// The value of a parameter edit as sent: leading blanks dropped, then cut
// before the next blank; every character below a blank counts as a blank.
std::string ParameterValue(std::string_view editText);
struct ParameterWrite {
    std::string command;
    std::string display;
    std::string edit;  // the edit's text afterwards
};
// Write keyword + value, shown with a comma in place of the keyword's blank;
// an empty value sends the row's empty form.
ParameterWrite WriteParameter(const GprsParameterRow& row, std::string_view editText);
// "ESKTD" + two digits.
std::string MaxErrorLevel(int position);

// ---- SMS schedule -----------------------------------------------------------------

inline constexpr int kScheduleLength = 9;
// The schedule page's controls.
struct ScheduleControls {
    int type = 0;     // SMSShed: 0 "Analog", 1 "Counters", 2 "Temperature", 3 "DataLogger", 4 "Disable"
    int timeout = 0;  // RadioGroup1: 0 "Hours", 1 "10 min", 2 "20 min", 3 "30 min", 4 "other"
    std::array<bool, 4> enabled{};  // CheckBoxS1..CheckBoxS4
    std::array<int, 4> hour{};      // TrackBar1..TrackBar4
    friend bool operator==(const ScheduleControls&, const ScheduleControls&) = default;
};
// Immediate edits of the schedule text; an empty text stays empty. A
// non-empty text shorter than 9 characters is filled with blanks first.
std::string ScheduleTypeEdit(std::string text, int type);
// Positions 2-3: the interval code, or with "other" hour 1 when it is
// enabled and two blanks when it is not.
std::string ScheduleTimeoutEdit(std::string text, const ScheduleControls& c);
// Hour n (1..4) written when its box is on. Positions 2-3 carry the interval
// code instead of hour 1 while an interval is chosen: hour 1 is written there
// only with "other" (or no timeout selected).
std::string ScheduleHourEdit(std::string text, int n, const ScheduleControls& c);
// Hour n blanked when its box is turned off; hour 1 only where it is written.
std::string ScheduleHourOff(std::string text, int n, const ScheduleControls& c);
struct ScheduleWrite {
    std::string text;     // the schedule text afterwards
    std::string command;  // "SETSH," + text
};
ScheduleWrite FinishSchedule(std::string text, const ScheduleControls& c);
inline constexpr std::string_view kReadSchedule = "GETSH";

// The stored schedule as the page's working text: at most 9 characters, a
// shorter non-empty one filled with blanks to 9.
std::string LoadSchedule(std::string_view stored);
// The controls a stored schedule selects. An absent timeout leaves the group
// as it is; an absent hour leaves its box off and its track bar as it is.
struct ScheduleView {
    int type = 4;
    std::optional<int> timeout;
    std::array<std::optional<int>, 4> hours;  // the track bar's position, box checked
};
ScheduleView DecodeSchedule(std::string_view stored);

}  // namespace kt::protocol::cmd
