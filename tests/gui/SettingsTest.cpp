// Every field of the settings record through the window and back: a full
// record loaded, shown by the controls, saved field by field (with a sentinel
// in memory to catch a field loaded but not saved), the clamps and repairs of
// loading, and the alternate module layout applied row by row.
#include <QEvent>
#include <QLineEdit>
#include <functional>

#include "gui/GuiSupport.h"
#include "pages/AbonentsPage.h"
#include "pages/OtherPage.h"
#include "pages/SmsSchedulePage.h"
#include "protocol/ModuleCommands.h"

namespace kt::test {
namespace {

using config::ConfigRecord;
using config::Field;
using config::FieldId;
using config::FieldType;
using protocol::PageIndex;

// A field element as text: numbers in decimal, texts and reserved bytes as they are.
std::string Get(const ConfigRecord& r, FieldId id, int n) {
    const auto& f = Field(id);
    if (f.type == FieldType::Str) return r.GetString(f, n);
    if (f.type == FieldType::Reserved) return r.GetRaw(f, n);
    return std::to_string(r.GetInt(f, n));
}
void Put(ConfigRecord& r, FieldId id, int n, const std::string& v) {
    const auto& f = Field(id);
    if (f.type == FieldType::Str) return r.SetString(f, n, v);
    if (f.type == FieldType::Reserved) return r.SetRaw(f, n, v);
    r.SetInt(f, n, std::stoll(v));
}
// What a control shows: an edit's text, or a position, index or check state.
std::string Shown(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) ? app::TextOf(w) : std::to_string(app::ValueOf(w));
}

// ---- the full record ---------------------------------------------------------------

// A field's value for element n, in the plain or the inverted record.
using Value = std::function<std::string(int n, bool inverted)>;
Value Num(int first, int step = 0) {
    return [=](int n, bool) { return std::to_string(first + step * (n - 1)); };
}
Value Either(std::string plain, std::string inverted) {
    return [=](int, bool inv) { return inv ? inverted : plain; };
}
const Value kFlag = Either("1", "0");
// Fills the field: element number, Latin-1 letters, the field's name, a trailing blank.
Value Latin1(FieldId id) {
    return [id](int n, bool) {
        std::string s = std::to_string(n) + "\xC4\xF6" + std::string(Field(id).name) + "\xE9\xDF";
        s.resize(static_cast<size_t>(Field(id).MaxLength() - 1), 'x');
        return s + ' ';
    };
}

struct Bound {
    FieldId field;
    const char* control;  // "%1" for the element; null: no control shows it
    Value value;
};

std::vector<Bound> FullRecord() {
    using F = FieldId;
    std::vector<Bound> t = {
        {F::RateIndex, "RadioGroupRate", Num(5)},
        {F::PortIndex, "RadioGroupPort", Num(3)},
        {F::WaitSmsTimeout, "TrackBar5", Num(54321)},
        {F::SmsPollFactor, nullptr, Num(13)},
        {F::TempTimeout, "TTimeout1SB", Num(37)},
        {F::AnalogTimeout, "ATimeout1SB", Num(58)},
        {F::DigitalFilter, "DFilterSB", Num(7)},
        {F::PulseLength, "PulseDsb%1", Num(9, -1)},
        {F::SampleRate, "SRateSB", Num(2)},
        {F::DeleteSms, "DeleteSMS", kFlag},
        {F::SmsModeOn, "SMSmode", kFlag},
        {F::AnalogMin, "ScrollBarMin%1", Num(1, 1)},
        {F::AnalogMax, "ScrollBarMax%1", Num(98, -1)},
        {F::TempMin, "ScrollBarT%1min", Num(-11, -11)},
        {F::TempMax, "ScrollBarT%1max", Num(141, 1)},
        {F::TempRouteMask, "TNrFilter", Either("1-C", "E-3")},
        {F::AnalogRouteMask, "ANrFilter", Either("F-3-C0-9", "-F-C-3F6")},
        {F::DigitalRouteMask, "DNrFilter", Either("0123456789AB", "FEDCBA987654")},
        {F::TempFormatIndex, nullptr, Num(2)},
        {F::LoggerPeriod, "DLoggerTmSB", Num(4)},
        {F::OtherFlags, nullptr, Either("0110100101101001", "1001011010010110")},
        {F::ScheduleString, nullptr, Either("L44071923", "C  05  21")},
        {F::ScheduleEnd, nullptr, Num(85)},
        {F::AnalogMode, "AMode%1", [](int n, bool inv) { return std::to_string((n + inv) % 2); }},
        {F::Reserved10, nullptr, Num(3)},
        {F::Reserved11, nullptr, Num(-1234)},
        {F::Reserved12, nullptr, Num(4321)},
        {F::SkipCrLf, "SkipCRLFcb", kFlag},
        {F::AlternateModule, nullptr, kFlag},
        {F::ParityEvenOn, "ParityEven", kFlag},
        {F::SaveOnExit, "SaveSettingAfterExitCB", kFlag},
        {F::GprsSampleRate, "eSRateSB", Num(6)},
        {F::GprsLoggerPeriod, "eDLoggerTmSB", Num(8)},
        {F::ModuleNumber, "BRnumber", Latin1(F::ModuleNumber)},
        {F::ModuleNumberCopy, "BRnumber", Latin1(F::ModuleNumberCopy)},
        {F::ExtSmsText, "TXTSMS%1", Latin1(F::ExtSmsText)},
        {F::IntSmsText, "iTXTSMS%1", Latin1(F::IntSmsText)},
        {F::AlarmNumber, "NNumber%1", Latin1(F::AlarmNumber)},
        {F::PhoneBookNumber, "PBnr%1", Latin1(F::PhoneBookNumber)},
        {F::AnalogMultipliers, "AkoeffStr", Latin1(F::AnalogMultipliers)},
        {F::AnalogDividers, "ADividerStr", Latin1(F::AnalogDividers)},
        {F::MuxText, "MUX%1", Latin1(F::MuxText)},
    };
    for (const auto& r : protocol::cmd::kGprsParameters) {
        const auto id = static_cast<F>(config::FindField(r.recordField) - config::kFields.data());
        t.push_back({id, r.edit.data(), Latin1(id)});
    }
    for (size_t i = 0; i < config::kFieldCount; ++i)
        if (config::kFields[i].type == FieldType::Reserved)
            t.push_back({F(i), nullptr,
                         [i](int, bool) { return std::string(config::kFields[i].size, char(0xB0 + i)); }});
    return t;
}

using Settings = PtyWindowTest;

TEST_F(Settings, EveryFieldThroughTheWindowAndBack) {
    ASSERT_TRUE(pty.Ok());
    Link(4, pty.SlavePath());  // "Com4", the stored port
    const auto table = FullRecord();
    std::set<FieldId> covered;
    for (const Bound& b : table)
        covered.insert(b.field);
    ASSERT_EQ(covered.size(), config::kFieldCount);  // a value for every field

    for (bool inverted : {false, true}) {
        SCOPED_TRACE(inverted ? "booleans inverted" : "plain");
        ConfigRecord stored;
        for (const Bound& b : table)
            for (int n = 1; n <= Field(b.field).count; ++n)
                Put(stored, b.field, n, b.value(n, inverted));
        // What the save writes: the stored values, except where loading
        // makes one control show another field.
        ConfigRecord expected = stored;
        expected.SetModuleNumber(stored.ModuleNumberCopy());  // the second copy wins
        expected.SetSampleRate(stored.GprsSampleRate());      // step 12 after step 9
        expected.SetGprsLoggerPeriod(stored.LoggerPeriod());  // step 19, through the twin
        expected.SetScheduleEnd(0);
        WriteSettings(stored);
        auto& f = Start();
        ASSERT_TRUE(messages.empty());

        // Every control by its name shows its field; display edits and the
        // schedule's controls show what their handlers wrote.
        for (const Bound& b : table)
            for (int n = 1; b.control && n <= Field(b.field).count; ++n) {
                const std::string name = app::NameOf(b.control, n);
                ASSERT_NE(f.Controls().Find(name), nullptr) << name;
                EXPECT_EQ(Shown(f.Controls().Find(name)), Get(expected, b.field, n)) << name;
            }
        const std::map<std::string, std::string> shown = {{"Edit1", "54321"},
                                                          {"TTimeout1t", "37"},
                                                          {"ATimeout1a", "58"},
                                                          {"DFilterD", "7"},
                                                          {"PulseD1", "18"},
                                                          {"SRate", "6"},
                                                          {"eDLoggerTm", "4"},
                                                          {"Minlv1", "01"},
                                                          {"Maxlv16", "83"},
                                                          {"T3min", "-33"},
                                                          {"SMSShed", inverted ? "1" : "3"},
                                                          {"RadioGroup1", inverted ? "4" : "1"},
                                                          {"TrackBar4", inverted ? "21" : "23"},
                                                          {"CheckBoxS1", inverted ? "0" : "1"},
                                                          {"CheckBoxA1dis", inverted ? "1" : "0"}};
        for (const auto& [name, text] : shown)
            EXPECT_EQ(Shown(f.Controls().Find(name)), text) << name;
        // The working variables.
        const bool on = !inverted;
        auto& e = f.Engine();
        EXPECT_EQ(e.InboxPollInterval, 13);
        EXPECT_EQ(
            std::vector<bool>({e.DeleteIncoming, e.SmsModeActive, e.SkipCRLFSaved, !f.MemoS->isVisibleTo(&f),
                               f.KTM447QD1->isChecked(), f.CommPortDriver1.Parity() == serial::ptEVEN}),
            std::vector<bool>(6, on));
        EXPECT_EQ(static_cast<app::SmsSchedulePage*>(f.PageAt(PageIndex::SmsSchedule))->ScheduleText,
                  stored.ScheduleString());
        EXPECT_EQ(static_cast<app::OtherPage*>(f.PageAt(PageIndex::Other))->StoredOptions(),
                  stored.OtherFlags());
        // A disabled row's saved digit is cleared by its bit boxes' handlers.
        std::string digits = stored.TempRouteMask();
        std::replace(digits.begin(), digits.end(), '-', '0');
        EXPECT_EQ(static_cast<app::AbonentsPage*>(f.PageAt(PageIndex::Abonents))
                      ->SavedDigits(protocol::cmd::MaskGroup::Temp)
                      .substr(0, 3),
                  digits);

        // A sentinel in memory: whatever the save does not write stays.
        f.Config.Bytes().fill(0xA5);
        f.SaveSetting1Click();
        const std::string file = ReadFile("KT4470.cfg");
        ASSERT_EQ(file.size(), config::kRecordSize);
        const ConfigRecord saved = SavedRecord();
        std::vector<bool> owned(config::kRecordSize, false);
        std::set<FieldId> notOwned(covered);
        for (FieldId id : f.Settings().OwnedFields()) {
            notOwned.erase(id);
            for (int n = 1; n <= Field(id).count; ++n) {
                EXPECT_EQ(Get(saved, id, n), Get(expected, id, n)) << Field(id).name << "[" << n << "]";
                std::fill_n(owned.begin() + long(Field(id).ElementOffset(n)), Field(id).size, true);
            }
        }
        for (size_t i = 0; i < config::kRecordSize; ++i)
            ASSERT_TRUE(owned[i] || uint8_t(file[i]) == 0xA5) << "byte " << i << " is not the window's";
        EXPECT_EQ(notOwned, (std::set<FieldId>{FieldId::Reserved1, FieldId::Reserved2, FieldId::Reserved3,
                                               FieldId::Reserved4, FieldId::Reserved5, FieldId::Reserved6,
                                               FieldId::Reserved7, FieldId::Reserved13}));

        // The saved file loads and saves to itself.
        Start().SaveSetting1Click();
        EXPECT_EQ(ReadFile("KT4470.cfg"), file);
    }
}

// ---- clamps and repairs ----------------------------------------------------------------

TEST_F(Settings, LoadingLimitsAndRepairsAndTheSaveKeepsWhatTheWindowShows) {
    using F = FieldId;
    const std::string padded = "XY" + std::string(14, ' ');
    const struct {
        FieldId field;
        int n;
        std::string stored;
        const char* control;  // null: no control shows it
        std::string shown;
        std::string loaded;  // the record after loading: defaults and limits written back
        std::string saved;
    } repairs[] = {
        {F::AnalogMin, 3, "150", "ScrollBarMin3", "99", "99", "99"},
        {F::AnalogMax, 12, "-7", "ScrollBarMax12", "0", "0", "0"},
        {F::TempMin, 2, "-200", "ScrollBarT2min", "-99", "-99", "-99"},
        {F::TempMax, 3, "1000", "ScrollBarT3max", "149", "149", "149"},
        {F::AnalogMode, 2, "5", "AMode2", "1", "5", "1"},
        {F::AnalogMode, 3, "-1", "AMode3", "-1", "-1", "-1"},
        {F::PulseLength, 4, "12", "PulseDsb4", "9", "12", "9"},
        {F::TempTimeout, 1, "150", "TTimeout1SB", "99", "150", "99"},
        {F::DigitalFilter, 1, "-3", "DFilterSB", "0", "-3", "0"},
        {F::RateIndex, 1, "9", "RadioGroupRate", "6", "9", "6"},
        {F::WaitSmsTimeout, 1, "200000", "TrackBar5", "100000", "200000", "100000"},
        // The logger pair: step 12 sets both bars, step 19 the IO control
        // bar once more, which its twin follows.
        {F::SampleRate, 1, "2", "SRateSB", "8", "2", "8"},
        {F::GprsSampleRate, 1, "8", "eSRateSB", "8", "8", "8"},
        {F::GprsLoggerPeriod, 1, "3", "eDLoggerTmSB", "5", "3", "5"},
        {F::LoggerPeriod, 1, "5", "DLoggerTmSB", "5", "5", "5"},
        {F::ModuleNumber, 1, "+111", "BRnumber", "+222", "+111", "+222"},
        {F::ModuleNumberCopy, 1, "+222", "BRnumber", "+222", "+222", "+222"},
        {F::TempRouteMask, 1, "", "TNrFilter", "---", "---", "---"},
        {F::AnalogRouteMask, 1, "a1G", "ANrFilter", "-1------", "a1G", "-1------"},
        {F::DigitalRouteMask, 1, "01", "DNrFilter", "01----------", "01", "01----------"},
        {F::OtherFlags, 1, "XY", nullptr, "", padded, padded},
        {F::ScheduleString, 1, "C6", nullptr, "", "C6", "C6       "},
        {F::ScheduleEnd, 1, "85", nullptr, "", "85", "0"},
        {F::Reserved10, 1, "7", nullptr, "", "0", "0"},
    };
    Link(7, (dir / "no-such-device").string());  // "Com7", the stored port
    for (const auto& [factor, interval] : {std::pair{-3, 1}, std::pair{21, 20}}) {
        SCOPED_TRACE(factor);
        ConfigRecord stored;
        stored.SetPortIndex(6);
        stored.SetSmsPollFactor(factor);
        for (const auto& r : repairs)
            Put(stored, r.field, r.n, r.stored);
        WriteSettings(stored);
        auto& f = Start();
        EXPECT_EQ(f.Engine().InboxPollInterval, interval);
        for (const auto& r : repairs) {
            EXPECT_EQ(r.control ? Shown(f.Controls().Find(r.control)) : "", r.shown) << Field(r.field).name;
            EXPECT_EQ(Get(f.Config, r.field, r.n), r.loaded) << Field(r.field).name;
        }
        f.SaveSetting1Click();
        const ConfigRecord saved = SavedRecord();
        EXPECT_EQ(saved.SmsPollFactor(), factor);  // kept as stored
        for (const auto& r : repairs)
            EXPECT_EQ(Get(saved, r.field, r.n), r.saved) << Field(r.field).name;
    }
}

// ---- the alternate module layout -------------------------------------------------------------

// Records the row of every watched control that is shown, hidden, enabled,
// disabled or toggled, in the order of the changes.
class RowRecorder : public QObject {
  public:
    std::vector<int> rows;
    void Watch(QWidget* w, int row) {
        rowOf_[w] = row;
        w->installEventFilter(this);
        if (auto* box = qobject_cast<QAbstractButton*>(w))
            connect(box, &QAbstractButton::toggled, this, [this, row] { rows.push_back(row); });
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        const auto t = e->type();
        if (t == QEvent::ShowToParent || t == QEvent::HideToParent || t == QEvent::EnabledChange)
            rows.push_back(rowOf_.at(o));
        return false;
    }

  private:
    std::map<QObject*, int> rowOf_;
};

TEST_F(Settings, AlternateLayoutRowByRow) {
    ConfigRecord stored;
    stored.SetAlternateModule(true);
    stored.SetAnalogRouteMask("12345678");  // analog 5..8 enabled by the masks
    stored.SetDigitalRouteMask("000000000---");
    WriteSettings(stored);
    auto& f = Start();
    // The rows of the layout in their order, by the state the alternate layout gives.
    const auto names = [](const std::string& pattern, std::vector<std::pair<int, int>> ranges) {
        std::vector<std::string> all;
        for (const auto& [first, last] : ranges)
            for (int n = first; n <= last; ++n)
                all.push_back(app::NameOf(pattern, n));
        return all;
    };
    const std::vector<std::pair<int, int>> events = {{22, 33}, {41, 45}, {53, 57}};
    const std::vector<std::pair<int, int>> io = {{65, 69}, {77, 81}, {87, 89}, {95, 97}};
    const std::vector<std::pair<std::function<bool(QWidget*)>, std::vector<std::string>>> rows = {
        {[](QWidget* w) { return !w->isHidden(); },
         {"LabelRT1", "LabelRT2", "iLabelRT1", "iLabelRT2", "ReadRT", "PanelRT", "Panel1"}},
        {[](QWidget* w) { return w->isHidden(); }, {"LabelT2", "LabelT3", "iLabelT2", "iLabelT3"}},
        {[](QWidget* w) { return !w->isEnabled(); }, names("AMode%1", {{5, 8}})},
        {[](QWidget* w) { return !w->isEnabled(); }, names("TXTSMSb%1", events)},
        {[](QWidget* w) { return !w->isEnabled(); }, names("iTXTSMS%1", events)},
        {[](QWidget* w) { return !w->isEnabled(); }, names("iTXTSMS%1", io)},
        {[](QWidget* w) { return app::ValueOf(w) == 1; }, names("CheckBoxA%1dis", {{5, 8}})},
        {[](QWidget* w) { return app::ValueOf(w) == 1; }, names("CheckBoxD%1dis", {{10, 12}})},
    };
    RowRecorder recorder;
    const auto expectLayout = [&](bool on, size_t skip) {
        for (size_t r = 0; r < rows.size(); ++r)
            for (const std::string& name : rows[r].second)
                EXPECT_EQ(rows[r].first(f.Controls().Find(name)), on && r != skip) << name;
        EXPECT_EQ(app::TextOf(f.Controls().Find("RTname2")), on ? "Runtime 2" : "T3 / Counter2");
    };
    // Start-up decodes the masks after the layout: the stored digits win.
    expectLayout(true, 6);
    EXPECT_FALSE(f.KTM447QD1->isVisible());

    for (size_t r = 0; r < rows.size(); ++r)
        for (const std::string& name : rows[r].second)
            recorder.Watch(f.Controls().Find(name), static_cast<int>(r));
    for (bool on : {false, true}) {
        recorder.rows.clear();
        f.KTM447QD1->trigger();
        EXPECT_EQ(f.Config.AlternateModule(), on);
        expectLayout(on, rows.size());
        EXPECT_TRUE(std::is_sorted(recorder.rows.begin(), recorder.rows.end())) << "row by row";
        EXPECT_EQ(std::set<int>(recorder.rows.begin(), recorder.rows.end()).size(), rows.size() - !on);
    }
    EXPECT_EQ(app::TextOf(f.Controls().Find("ANrFilter")), "1234----");
}

}  // namespace
}  // namespace kt::test
