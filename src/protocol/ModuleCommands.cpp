#include "protocol/ModuleCommands.h"

#include <algorithm>
#include <initializer_list>

#include "protocol/ControlRanges.h"

namespace kt::protocol::cmd {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F');
}

// Blanks and every character below them end or separate values.
bool IsBlankLike(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

char HexChar(int v) {
    return "0123456789ABCDEF"[v & 0x0F];
}

int HexValue(char c) {
    return IsDigit(c) ? c - '0' : c - 'A' + 10;
}

// Character at a 1-based position; NUL outside the text.
char At(std::string_view s, int pos) {
    return pos >= 1 && static_cast<size_t>(pos) <= s.size() ? s[static_cast<size_t>(pos) - 1] : '\0';
}

// Writes ch at a 1-based position, filling with fill up to it first.
void Put(std::string& s, int pos, char ch, char fill) {
    if (pos < 1) return;
    if (s.size() < static_cast<size_t>(pos)) s.resize(static_cast<size_t>(pos), fill);
    s[static_cast<size_t>(pos) - 1] = ch;
}

std::string N(int v) {
    return std::to_string(v);
}

std::string ZeroPadded(int v, int width) {
    std::string s = std::to_string(v);
    if (s.size() < static_cast<size_t>(width)) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
    return s;
}

std::string TextKeyword(TextBank bank) {
    return bank == TextBank::External ? "TX" : "TI";
}

// Hour n of the schedule occupies positions 2n and 2n+1.
void PutHour(std::string& text, int n, std::string_view two) {
    if (n < 1 || n > 4 || two.size() != 2) return;
    Put(text, 2 * n, two[0], ' ');
    Put(text, 2 * n + 1, two[1], ' ');
}

constexpr std::array<char, 4> kTypeLetters{'A', 'C', 'T', 'L'};
constexpr std::array<std::string_view, 4> kTimeoutCodes{"33", "44", "55", "66"};

// Timeouts 0..3 ("Hours" .. "30 min") put their code into positions 2-3.
bool IsInterval(int timeout) {
    return timeout >= 0 && timeout <= 3;
}

// A non-empty schedule text of exactly nine characters.
void FitSchedule(std::string& text) {
    if (!text.empty()) text.resize(kScheduleLength, ' ');
}

}  // namespace

// ---- Shared number texts ---------------------------------------------------

std::string TwoDigits(int value) {
    const std::string s = std::to_string(value).substr(0, 2);
    return value < 10 ? "0" + s : s;
}

std::string TimeoutField(std::string_view editText) {
    const std::string_view two = editText.substr(0, 2);
    if (two.size() < 2 || !IsDigit(two[1])) return "0" + std::string(editText.substr(0, 1));
    return std::string(two);
}

// ---- Alarm numbers and SIM phone book ---------------------------------------

namespace {

// A phone number's first characters, each '+' or a digit (plus) or a digit
// only; the first that breaks its rule, said in words, and the rule.
std::string NumberProblem(std::string_view text, std::initializer_list<bool> plusAllowed, const char* rule) {
    const std::string_view n = text.substr(0, kPhoneNumberLength);
    static const char* const kOrdinal[] = {"1st", "2nd", "3rd"};
    std::string why;
    size_t i = 0;
    for (const bool plus : plusAllowed) {
        if (i >= n.size()) {
            why = n.empty() ? "it is empty"
                            : "it has fewer than " + std::to_string(plusAllowed.size()) + " characters";
            break;
        }
        if (!IsDigit(n[i]) && !(plus && n[i] == '+')) {
            why = std::string("its ") + kOrdinal[i] + " character \"" + n[i] + "\" is not " +
                  (plus ? "\"+\" or a digit" : "a digit");
            break;
        }
        ++i;
    }
    return why.empty() ? why : why + " (" + rule + ")";
}

}  // namespace

std::string AlarmNumberProblem(std::string_view number) {
    return NumberProblem(number, {true, false, true},
                         "an alarm number starts with \"+\" or a digit, then a digit, then \"+\" or a digit");
}

bool AlarmNumberValid(std::string_view number) {
    return AlarmNumberProblem(number).empty();
}

std::optional<std::string> SetAlarmNumber(int slot, std::string_view number) {
    if (!AlarmNumberValid(number)) return std::nullopt;
    return "SETNN" + N(slot) + "," + std::string(number.substr(0, kPhoneNumberLength));
}

std::string ReadAlarmNumber(int slot) {
    return "GETNR" + N(slot);
}

std::string ClearAlarmNumber(int slot) {
    return "CLRNR" + N(slot);
}

std::string PhoneBookEntryProblem(std::string_view entry) {
    return NumberProblem(entry, {true, false},
                         "a phone book number starts with \"+\" or a digit, then a digit; an empty one "
                         "writes the placeholder +99");
}

bool PhoneBookEntryValid(std::string_view entry) {
    return PhoneBookEntryProblem(entry).empty();
}

PhoneBookWrite SetPhoneBookEntry(int slot, std::string_view entry) {
    if (entry.empty()) {
        // The module's form for slot 1 separates the placeholder with a blank.
        const char separator = slot == 1 ? ' ' : ',';
        return {"SETPB" + N(slot) + separator + "+99", "+99"};
    }
    if (!PhoneBookEntryValid(entry)) return {std::nullopt, std::string(entry)};
    return {"SETPB" + N(slot) + "," + std::string(entry), std::string(entry)};
}

ShownCommand ReadPhoneBook() {
    return {"  GETPB", "GETPB"};
}

// ---- Alarm routing masks ----------------------------------------------------

int HEXfromCheckBox(int bit, int digit) {
    if (bit == 1 || bit == 2 || bit == 4 || bit == 8) return digit | bit;
    return digit;
}

int HEXfromUnCheckBox(int bit, int digit) {
    if (bit == 1 || bit == 2 || bit == 4 || bit == 8) return digit & (bit ^ 0x0F);
    return digit & 0x0F;
}

std::string NormaliseMask(std::string_view mask, int rows) {
    std::string out(mask.substr(0, static_cast<size_t>(std::max(rows, 0))));
    out.resize(static_cast<size_t>(std::max(rows, 0)), '-');
    for (char& c : out)
        if (!IsHexDigit(c)) c = '-';
    return out;
}

std::string LoadMask(MaskGroup g, std::string_view stored) {
    const MaskGroupRow& row = GroupRow(g);
    return stored.empty() ? std::string(row.emptyDefault) : NormaliseMask(stored, row.rows);
}

MaskRowBoxes DecodeMaskChar(char c) {
    MaskRowBoxes boxes;
    if (!IsHexDigit(c)) {
        boxes.disabled = true;
        return boxes;
    }
    const int v = HexValue(c);
    for (int bit = 0; bit < 4; ++bit)
        boxes.alarm[static_cast<size_t>(bit)] = (v >> bit) & 1;
    return boxes;
}

MaskState MaskBitClick(MaskState s, int row, int column, bool checked, bool rowDisabled) {
    if (row < 1 || column < 1 || column > 4) return s;
    std::string& work = rowDisabled ? s.saved : s.mask;
    const char c = At(work, row);
    const int digit = IsHexDigit(c) ? HexValue(c) : 0;
    const int bit = 1 << (column - 1);
    Put(work, row, HexChar(checked ? HEXfromCheckBox(bit, digit) : HEXfromUnCheckBox(bit, digit)), '-');
    return s;
}

MaskState MaskDisableClick(MaskState s, int row, bool checked) {
    if (row < 1) return s;
    if (checked) {
        Put(s.saved, row, At(s.mask, row) ? At(s.mask, row) : '-', '-');
        Put(s.mask, row, '-', '-');
    } else {
        const char saved = At(s.saved, row);
        Put(s.mask, row, IsHexDigit(saved) ? saved : '0', '-');
    }
    return s;
}

std::string SetMasks(std::string_view temp, std::string_view analog, std::string_view digital) {
    return "SETME," + std::string(temp) + ",," + std::string(analog) + "," + std::string(digital);
}

// ---- SMS texts and input/output names ---------------------------------------

std::string SendableText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    return out;
}

std::string ReadText(TextBank bank, int slot) {
    return "GET" + TextKeyword(bank) + TwoDigits(slot) + " ";
}

ShownCommand WriteText(TextBank bank, int slot, std::string_view text) {
    const std::string keyword = "SET" + TextKeyword(bank) + TwoDigits(slot);
    const std::string sendable = SendableText(text);
    return {keyword + " " + sendable, keyword + "," + sendable};
}

int ReplySlotNumber(std::string_view reply) {
    if (reply.size() < 2 || !IsDigit(reply[0]) || !IsDigit(reply[1])) return -1;
    return (reply[0] - '0') * 10 + (reply[1] - '0');
}

// ---- Analog inputs ------------------------------------------------------------

std::string AnalogLevelKeyword(int input) {
    return (input > 8 ? "ANLEW" : "ANLEV") + N(input > 8 ? input - 8 : input) + ",";
}

std::string AnalogLevels(int input, int minimum, int maximum) {
    return AnalogLevelKeyword(input) + TwoDigits(minimum) + "," + TwoDigits(maximum);
}

std::string AnalogModes(const std::array<int, 8>& modeIndexes, std::string_view multipliers,
                        std::string_view dividers) {
    std::string cmd = "AMODE";
    for (const int index : modeIndexes)
        cmd += index >= 0 && index <= 8 ? static_cast<char>('1' + index) : '0';
    return cmd + "," + std::string(multipliers) + "," + std::string(dividers);
}

std::string Correction20mA(int channel, std::string_view text) {
    return "K20MA" + N(channel) + "," + std::string(text);
}

std::string AnalogTimeoutFilter(std::string_view editText) {
    return "SETTF,,,," + TimeoutField(editText) + " ";
}

// ---- Temperature, runtime and counters ----------------------------------------

std::string SignedLevel(int position) {
    // Decimal text in a four-character field, then sign and leading zeros
    // worked in place: "5   " -> "+5  " -> "+005", "-99 " -> "-099".
    std::string s = std::to_string(position).substr(0, 4);
    s.resize(4, ' ');
    if (s[0] != '+' && s[0] != '-') s = "+" + s.substr(0, 3);
    if (!IsDigit(s[3]) && IsDigit(s[2])) {
        s = {s[0], '0', s[1], s[2]};
    } else if (!IsDigit(s[2])) {
        s[3] = s[1];
        s[1] = s[2] = '0';
    }
    return s;
}

std::string TempLevels(int input, int minimum, int maximum) {
    return "TCLEV" + N(input) + SignedLevel(minimum) + SignedLevel(maximum);
}

std::string RuntimeLevels(int runtime1, int runtime2) {
    return "RTLEV " + ZeroPadded(runtime1, 5) + " " + ZeroPadded(runtime2, 5);
}

std::string RuntimeDivider(int position) {
    const std::string zeros = position < 10 ? "000" : position < 100 ? "00" : position < 1000 ? "0" : "";
    return (zeros + std::to_string(position)).substr(0, 4);
}

std::string RuntimeSource(int inputIndex, int sourceIndex, std::string_view divider) {
    static constexpr std::array<char, 3> kLetters{'A', 'D', 'I'};
    const int input = inputIndex >= 0 && inputIndex <= 3 ? inputIndex + 1 : 1;
    const char letter =
        sourceIndex >= 0 && sourceIndex <= 2 ? kLetters[static_cast<size_t>(sourceIndex)] : 'A';
    return "RTMOD" + N(input) + letter + std::string(divider);
}

std::string TempTimeoutFilter(std::string_view editText) {
    return "SETTF," + TimeoutField(editText) + " ";
}

// ---- Outputs and inputs ---------------------------------------------------------

std::string SetOutput(int output) {
    return "SETOU" + N(output);
}

std::string ResetOutput(int output) {
    return "RSTOU" + N(output);
}

std::string ReadOutput(int output) {
    return "GETOS" + N(output);
}

std::string ReadInput(int input) {
    return "GETIS" + TwoDigits(input);
}

std::string OutputsParallel(std::string_view bits) {
    return "OUTP " + std::string(bits);
}

OutputStates OutputStatesAfter(OutputStates states, std::string_view bits) {
    for (size_t k = 0; k < states.size() && k < bits.size(); ++k) {
        if (bits[k] == '0') states[k] = kOutputOff;
        if (bits[k] == '1') states[k] = kOutputOn;
    }
    return states;
}

std::string Parameters(int sampling, int logger, const std::array<int, 8>& pulses) {
    std::string cmd = "SETTN" + N(sampling) + "," + N(logger) + ",";
    for (const int p : pulses)
        cmd += N(p);
    return cmd;
}

std::string SampleRate(int position) {
    return "SRATE" + N(position);
}

std::string LoggerPeriod(int position) {
    return "DLPER" + N(position);
}

std::string DigitalFilter(int position) {
    return "SETTF       " + N(position);
}

// ---- Other settings -------------------------------------------------------------

std::string SetOptionSwitch(std::string_view options, int position, bool on) {
    std::string s(options);
    Put(s, position, on ? 'E' : 'D', ' ');
    return s;
}

std::string SetOptionMark(std::string_view options, int position, std::string_view mark) {
    std::string s(options);
    if (!mark.empty()) Put(s, position, mark[0], ' ');
    return s;
}

OptionsWrite SetOptions(std::string_view options) {
    std::string padded(options.substr(0, kOptionsLength));
    padded.resize(kOptionsLength, ' ');
    return {padded, "SETMP " + padded};
}

std::string TimeoutFilters(int tempTimeout, int analogTimeout, int digitalFilter) {
    return "SETTF," + TwoDigits(tempTimeout) + "," + TwoDigits(analogTimeout) + "," + N(digitalFilter);
}

std::string DateTimeSource(int index) {
    return "DTFTP" + N(index + 1);
}

std::string RestartEnable(bool on) {
    return on ? "RSTEN1" : "RSTEN0";
}

// ---- GPRS, FTP and HTTP parameters ----------------------------------------------

std::string ParameterValue(std::string_view editText) {
    size_t begin = 0;
    while (begin < editText.size() && IsBlankLike(editText[begin]))
        ++begin;
    size_t end = begin;
    while (end < editText.size() && !IsBlankLike(editText[end]))
        ++end;
    return std::string(editText.substr(begin, end - begin));
}

ParameterWrite WriteParameter(const GprsParameterRow& row, std::string_view editText) {
    const std::string keyword(row.write);
    const std::string shownKeyword = keyword.substr(0, keyword.size() - 1) + ",";
    const std::string value = ParameterValue(editText);
    if (value.empty() && row.empty == EmptyValue::ApnClear) {
        const std::string clear = keyword + "   ";
        return {clear, clear, std::string(editText)};
    }
    if (value.empty() && row.empty == EmptyValue::HttpBlanks)
        return {keyword + "   ", shownKeyword + "   ", "   "};
    return {keyword + value, shownKeyword + value, value};
}

std::string MaxErrorLevel(int position) {
    return "ESKTD" + TwoDigits(position);
}

// ---- SMS schedule -----------------------------------------------------------------

std::string ScheduleTypeEdit(std::string text, int type) {
    if (text.empty()) return text;
    FitSchedule(text);
    text[0] = type >= 0 && type <= 3 ? kTypeLetters[static_cast<size_t>(type)] : ' ';
    return text;
}

std::string ScheduleTimeoutEdit(std::string text, const ScheduleControls& c) {
    if (text.empty()) return text;
    FitSchedule(text);
    if (IsInterval(c.timeout))
        PutHour(text, 1, kTimeoutCodes[static_cast<size_t>(c.timeout)]);
    else
        PutHour(text, 1, c.enabled[0] ? TwoDigits(c.hour[0]) : "  ");
    return text;
}

std::string ScheduleHourEdit(std::string text, int n, const ScheduleControls& c) {
    if (text.empty() || n < 1 || n > 4 || !c.enabled[static_cast<size_t>(n - 1)]) return text;
    FitSchedule(text);
    if (n == 1 && IsInterval(c.timeout)) return text;  // the interval code stays
    PutHour(text, n, TwoDigits(c.hour[static_cast<size_t>(n - 1)]));
    return text;
}

std::string ScheduleHourOff(std::string text, int n, const ScheduleControls& c) {
    if (text.empty()) return text;
    FitSchedule(text);
    if (n == 1 && IsInterval(c.timeout)) return text;
    PutHour(text, n, "  ");
    return text;
}

ScheduleWrite FinishSchedule(std::string text, const ScheduleControls& c) {
    if (text.empty()) text.assign(kScheduleLength, ' ');
    FitSchedule(text);
    for (int n = 1; n <= 4; ++n)
        if (c.enabled[static_cast<size_t>(n - 1)])
            PutHour(text, n, TwoDigits(c.hour[static_cast<size_t>(n - 1)]));
    if (IsInterval(c.timeout))
        PutHour(text, 1, kTimeoutCodes[static_cast<size_t>(c.timeout)]);
    else if (!c.enabled[0])
        PutHour(text, 1, "  ");  // "other" without a first hour sends no interval code
    if (c.type >= 0 && c.type <= 3)
        text[0] = kTypeLetters[static_cast<size_t>(c.type)];
    else
        text.assign(kScheduleLength, ' ');
    return {text, "SETSH," + text};
}

std::string LoadSchedule(std::string_view stored) {
    std::string text(stored.substr(0, kScheduleLength));
    FitSchedule(text);
    return text;
}

ScheduleView DecodeSchedule(std::string_view stored) {
    std::string s(stored.substr(0, kScheduleLength));
    s.resize(kScheduleLength, ' ');
    ScheduleView view;
    for (int k = 1; k <= 4; ++k) {
        const char a = s[static_cast<size_t>(2 * k - 1)];
        const char b = s[static_cast<size_t>(2 * k)];
        if (!IsDigit(a) || !IsDigit(b)) continue;
        const int v = (a - '0') * 10 + (b - '0');
        // The first pair may hold an interval code ("33"): no hour, bar at 0.
        view.hours[static_cast<size_t>(k - 1)] =
            k == 1 && v > range::kScheduleHour.max ? 0 : range::kScheduleHour.Limit(v);
    }
    const auto letter = std::find(kTypeLetters.begin(), kTypeLetters.end(), s[0]);
    view.type = letter == kTypeLetters.end() ? 4 : static_cast<int>(letter - kTypeLetters.begin());
    if (s[1] >= '3' && s[1] <= '6') {
        if (s[2] == s[1]) view.timeout = s[1] - '3';
    } else {
        view.timeout = 4;
    }
    return view;
}

}  // namespace kt::protocol::cmd
