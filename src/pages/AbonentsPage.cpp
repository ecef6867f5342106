#include "pages/AbonentsPage.h"

#include <QFontDatabase>
#include <QGroupBox>

namespace kt::app {

namespace cmd = kt::protocol::cmd;
using cmd::MaskGroup;
using kt::config::FieldId;

namespace {

constexpr const char* kNumberHint = "Set Number with 1 or 2; other number set from cell phone";

// ---- the 23 alarm sources of the masks ---------------------------------------

constexpr int kSources = 23;
constexpr std::array<int, 3> kFirstSource{0, 3, 11};  // T/C 1..3, analog 1..8, digital 1..12
constexpr std::array<MaskGroup, 3> kGroups{MaskGroup::Temp, MaskGroup::Analog, MaskGroup::Digital};
constexpr std::array<FieldId, 3> kMaskFields{FieldId::TempRouteMask, FieldId::AnalogRouteMask,
                                             FieldId::DigitalRouteMask};

size_t At(MaskGroup g) {
    return static_cast<size_t>(g);
}

MaskGroup GroupOf(int source) {
    return source < kFirstSource[1]   ? MaskGroup::Temp
           : source < kFirstSource[2] ? MaskGroup::Analog
                                      : MaskGroup::Digital;
}

// The source's row in its group, 1-based.
int RowOf(int source) {
    return source - kFirstSource[At(GroupOf(source))] + 1;
}

// Row number as the box names carry it: two digits for the digital inputs.
std::string RowText(int source) {
    const int row = RowOf(source);
    if (GroupOf(source) == MaskGroup::Digital && row < 10) return "0" + std::to_string(row);
    return std::to_string(row);
}

std::string Letter(int source) {
    return std::string(1, cmd::GroupRow(GroupOf(source)).letter);
}

// CheckBoxT11 .. CheckBoxD412: group letter, column (alarm number), row.
std::string BitBoxName(int index) {
    const int source = index / 4;
    return "CheckBox" + Letter(source) + std::to_string(index % 4 + 1) + RowText(source);
}

// CheckBoxT1dis .. CheckBoxD12dis.
std::string DisableBoxName(int source) {
    return "CheckBox" + Letter(source) + RowText(source) + "dis";
}

std::string RowLabelName(int source) {
    if (source == 1) return "RTname1";
    if (source == 2) return "RTname2";
    return "MaskRow" + Letter(source) + RowText(source);
}

// The caption of a source's row; T/C rows 2 and 3 count runtime on the
// alternate module.
QString RowCaption(int source, bool alternate) {
    const int row = RowOf(source);
    switch (GroupOf(source)) {
        case MaskGroup::Temp:
            if (row == 1) return "Temperature 1";
            if (alternate) return QString("Runtime %1").arg(row - 1);
            return QString("T%1 / Counter%2").arg(row).arg(row - 1);
        case MaskGroup::Analog:
            return QString("Analog Input %1").arg(row);
        case MaskGroup::Digital:
            break;
    }
    return QString("Digital Input %1").arg(row);
}

QString BitBoxAccessible(int index, bool alternate) {
    return RowCaption(index / 4, alternate) + QString(" Nr%1").arg(index % 4 + 1);
}

QString DisableBoxAccessible(int source, bool alternate) {
    return RowCaption(source, alternate) + " Disable";
}

// ---- where the mask rows go ------------------------------------------------------

// Two blocks: T/C and analog on the left, digital on the right.
constexpr std::array<int, 2> kBlockX{8, 214};
constexpr int kHeadY = 16;
constexpr int kRowY = 32;
constexpr int kRowStep = 17;
constexpr int kCaptionW = 96;
constexpr int kBoxX = 98;  // column 4, the leftmost
constexpr int kBoxStep = 18;
constexpr int kDisableX = kBoxX + 4 * kBoxStep + 10;
constexpr int kBoxW = 18;

int BlockX(int source) {
    return kBlockX[GroupOf(source) == MaskGroup::Digital ? 1 : 0];
}

int RowY(int source) {
    const int line = GroupOf(source) == MaskGroup::Digital ? RowOf(source) - 1 : source;
    // A small gap between the T/C and the analog rows.
    return kRowY + line * kRowStep + (GroupOf(source) == MaskGroup::Analog ? 8 : 0);
}

// Columns left to right carry alarm numbers 4, 3, 2, 1.
int ColumnX(int column) {
    return kBoxX + (4 - column) * kBoxStep;
}

// Column headings of a block: "4", "3", "2", "1", "Disable".
QString HeadCaption(int index) {
    const int k = index % 5;
    return k < 4 ? QString::number(4 - k) : QString("Disable");
}

QRect HeadPlace(int index) {
    const int x0 = kBlockX[static_cast<size_t>(index / 5)];
    const int k = index % 5;
    if (k == 4) return QRect(x0 + kDisableX - 8, kHeadY, 46, 16);
    return QRect(x0 + ColumnX(4 - k) + 4, kHeadY, 14, 16);
}

const char* const kLegend[] = {
    "7 - send SMS to  Nr5, Nr6, Nr7",
    "F - send SMS to  Nr5, Nr6, Nr7 and to internal control",
    "Mask for  Nr.5,6,7  see  Int. and Ext. SMS",
    "Example",
    "F SETOU1 RSTOU2",
    "where F - number filter for SMS message",
};
const QRect kLegendPlace[] = {
    {8, 292, 420, 15}, {8, 307, 420, 15},  {8, 322, 420, 15},
    {8, 340, 60, 15},  {72, 340, 200, 15}, {8, 355, 420, 15},
};

// The inputs the alternate module lacks: analog 5..8, digital 8..12.
bool MissingOnAlternate(int source) {
    const int row = RowOf(source);
    switch (GroupOf(source)) {
        case MaskGroup::Analog:
            return row >= 5;
        case MaskGroup::Digital:
            return row >= 8;
        case MaskGroup::Temp:
            break;
    }
    return false;
}

}  // namespace

AbonentsPage::AbonentsPage(PageHost& host) : Page(host, kt::protocol::PageIndex::Abonents) {
    for (MaskGroup g : kGroups)
        saved_[At(g)] = std::string(static_cast<size_t>(cmd::GroupRow(g).rows), 'F');  // as the edits start
    BuildNumbers();
    BuildMasks();
}

// ---- building ------------------------------------------------------------------------------

void AbonentsPage::BuildNumbers() {
    QWidget* group =
        Builder().Panel({"Numbers", {.x = 4, .y = 4, .w = 396, .h = 330}}, {.caption = "Numbers"});
    auto b = Builder().In(group);

    // Alarm numbers on the left, the SIM phone book on the right; the same rows at two origins.
    const struct {
        int x;
        const char* part;  // names the titles
        const char* edits;
        const char* labels;
        const char* accessible;
        const char* title;
        const char* subtitle;
        const char* radio;
        const char* radioAccessible;
    } halves[] = {
        {8, "Alarm", "NNumber%1", "NNumberLabel%1", "Alarm number %1", "Numbers for alarm SMS",
         "(Numbers in EEPROM)", "RadioGroupNR", "Alarm number slot"},
        {200, "PhoneBook", "PBnr%1", "PBnrLabel%1", "Phone book number %1", "Numbers to SIM Phone Book",
         "(administration numbers)", "RadioGroupPB", "Phone book slot"},
    };
    const QStringList slotItems = {"1", "2", "3", "4", "5", "6", "7"};
    for (const auto& h : halves) {
        const std::string prefix = h.part;
        b.Label({prefix + "Title", {.x = h.x, .y = 18, .w = 184, .h = 16}}, {.caption = h.title});
        b.Label({prefix + "Subtitle", {.x = h.x, .y = 34, .w = 184, .h = 16}}, {.caption = h.subtitle});
        b.Edits({h.edits, 1, 7, {.x = h.x + 28, .y = 56, .w = 156, .h = 21, .dy = 24}},
                {.maxLength = cmd::kPhoneNumberLength, .recolour = true, .accessible = h.accessible});
        // A refused number's explanation (its tool tip) lasts until the number is edited.
        for (int n = 1; n <= 7; ++n)
            if (auto* e = Member<QLineEdit>(h.edits, n))
                connect(e, &QLineEdit::textChanged, e, [e] { e->setToolTip({}); });
        b.Labels({h.labels, 1, 7, {.x = h.x, .y = 59, .w = 26, .h = 16, .dy = 24}},
                 {.caption = "Nr%1", .buddy = h.edits});
        TRadioGroup* radio =
            b.Radio({h.radio, {.x = h.x, .y = 224, .w = 184, .h = 72}},
                    {.caption = "Number", .items = slotItems, .columns = 4, .accessible = h.radioAccessible});
        (h.x == 8 ? RadioGroupNR : RadioGroupPB) = radio;
    }

    // Below the radio groups; the phone book's two buttons take the width
    // their captions need, so the row starts left of the phone book's half.
    const Place buttons{.y = 300, .h = 25};
    b.Button({"GetNr", buttons.Column(8, 52)},
             {.caption = "GETNR", .tip = kNumberHint, .click = [this](int) { GetNrClick(); }});
    b.Button({"SetNr", buttons.Column(64, 52)},
             {.caption = "SETNR", .tip = kNumberHint, .click = [this](int) { SetNrClick(); }});
    b.Button({"ClrNr", buttons.Column(120, 52)},
             {.caption = "CLRNR", .click = [this](int) { ClrNrClick(); }});
    b.Button({"ReadPB", buttons.Column(180, 108)},
             {.caption = "Read Phone Book", .click = [this](int) { ReadPBClick(); }});
    b.Button({"ToPhoneBook", buttons.Column(292, 98)},
             {.caption = "Number To SIM", .click = [this](int) { ToPhoneBookClick(); }});
}

void AbonentsPage::BuildMasks() {
    QWidget* group =
        Builder().Panel({"FilterGroup", {.x = 404, .y = 4, .w = 438, .h = 376}}, {.caption = "Number Mask"});
    auto b = Builder().In(group);

    b.Labels({"MaskHead%1", 0, 9, {.of = HeadPlace}}, {.caption = HeadCaption});
    b.Labels({RowLabelName,
              0,
              kSources - 1,
              {.of = [](int s) { return QRect(BlockX(s), RowY(s), kCaptionW, kRowStep); }}},
             {.caption = [](int s) { return RowCaption(s, false); }});
    RTname1 = Control<QLabel>("RTname1");
    RTname2 = Control<QLabel>("RTname2");

    // One row for the 92 bit boxes and one for the 23 "Disable" boxes; each
    // member registers its own handler name (CheckBoxT11Click, CheckBoxT1disClick).
    b.Checks(
        {BitBoxName,
         0,
         4 * kSources - 1,
         {.of =
              [](int i) { return QRect(BlockX(i / 4) + ColumnX(i % 4 + 1), RowY(i / 4), kBoxW, kRowStep); }}},
        {.checked = true,
         .accessible = [](int i) { return BitBoxAccessible(i, false); },
         .click = [this](int i) { BitBoxClick(i); }});
    b.Checks({DisableBoxName,
              0,
              kSources - 1,
              {.of = [](int s) { return QRect(BlockX(s) + kDisableX, RowY(s), kBoxW, kRowStep); }}},
             {.accessible = [](int s) { return DisableBoxAccessible(s, false); },
              .click = [this](int s) { DisableBoxClick(s); }});

    // The three masks as the module gets them.
    const struct {
        MaskGroup group;
        const char* label;
        const char* accessible;
        int x, w;
    } edits[] = {
        {MaskGroup::Temp, "T/C", "T/C mask", 8, 50},
        {MaskGroup::Analog, "Analog", "Analog mask", 66, 90},
        {MaskGroup::Digital, "Digital", "Digital mask", 164, 124},
    };
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const auto& e : edits) {
        const MaskGroup g = e.group;
        const std::string name(cmd::GroupRow(g).edit);
        QLineEdit* edit = b.Edit({name, {.x = e.x, .y = 262, .w = e.w, .h = 21}},
                                 {.text = QString(cmd::GroupRow(g).rows, 'F'),
                                  .readOnly = true,
                                  .recolour = true,
                                  .accessible = e.accessible});
        edit->setFont(fixed);
        b.Label({name + "Label", {.x = e.x, .y = 246, .w = e.w, .h = 16}},
                {.caption = e.label, .buddy = name});
        maskEdits_[At(g)] = edit;
    }
    b.Button({"SetNfilter1", {.x = 298, .y = 260, .w = 134, .h = 25}},
             {.caption = "Set Numbers  Filter", .click = [this](int) { SetNfilter1Click(); }});

    b.Labels({"MaskLegend%1", 1, 6, {.of = [](int n) { return kLegendPlace[n - 1]; }}},
             {.caption = [](int n) { return QString(kLegend[n - 1]); }});
}

// ---- alarm numbers and phone book ------------------------------------------------------------

bool AbonentsPage::InboxPollUnderWay() const {
    // InboxPolling is cleared only by a reception: in direct mode, or once SMS
    // mode is off, a poll left unanswered must not lock these buttons.
    return host_.Window().SmsModeChecked() && Engine().InboxPolling;
}

void AbonentsPage::GetNrClick() {
    host_.Clear();
    if (InboxPollUnderWay()) return;
    Run({Step::Display, Step::Send}, cmd::ReadAlarmNumber(RadioGroupNR->ItemIndex() + 1));
}

void AbonentsPage::ClrNrClick() {
    host_.Clear();
    if (InboxPollUnderWay()) return;
    Run({Step::Display, Step::Send}, cmd::ClearAlarmNumber(RadioGroupNR->ItemIndex() + 1));
}

void AbonentsPage::Refused(const std::string& edit, const std::string& what, const std::string& problem) {
    const std::string text = what + " not sent: " + problem;
    host_.Window().ShowNotice(text);
    if (QWidget* w = Control(edit)) w->setToolTip(FromBytes(text));
}

void AbonentsPage::SetNrClick() {
    host_.Clear();
    const int slot = RadioGroupNR->ItemIndex() + 1;
    const std::string edit = NameOf("NNumber%1", slot);
    if (const auto command = cmd::SetAlarmNumber(slot, TextAt(edit)))
        Run({Step::Send, Step::Display}, *command);
    else
        Refused(edit, "Alarm number " + std::to_string(slot), cmd::AlarmNumberProblem(TextAt(edit)));
}

void AbonentsPage::ReadPBClick() {
    const cmd::ShownCommand read = cmd::ReadPhoneBook();
    Request(read.command, read.display);
}

void AbonentsPage::ToPhoneBookClick() {
    host_.Clear();
    Engine().SkipCRLFSaved = host_.Window().SkipCrLfChecked();
    if (InboxPollUnderWay()) return;
    const int slot = RadioGroupPB->ItemIndex() + 1;
    const std::string edit = NameOf("PBnr%1", slot);
    const cmd::PhoneBookWrite write = cmd::SetPhoneBookEntry(slot, TextAt(edit));
    // A typo sends nothing and stays for the operator to correct.
    if (!write.command) {
        Refused(edit, "Phone book number " + std::to_string(slot), cmd::PhoneBookEntryProblem(TextAt(edit)));
        return;
    }
    SetTextAt(edit, write.entry);  // an emptied slot shows the placeholder it writes
    Run({Step::Send, Step::Display}, *write.command);
}

// ---- routing masks -----------------------------------------------------------------------------

cmd::MaskState AbonentsPage::MaskOf(MaskGroup g) const {
    return {ToBytes(MaskEdit(g)->text()), saved_[At(g)]};
}

void AbonentsPage::BitBoxClick(int index) {
    const int source = index / 4;
    const MaskGroup g = GroupOf(source);
    const bool disabled = ValueAt(DisableBoxName(source)) != 0;
    const cmd::MaskState s =
        cmd::MaskBitClick(MaskOf(g), RowOf(source), index % 4 + 1, ValueAt(BitBoxName(index)) != 0, disabled);
    // A disabled row edits its saved digit; the mask keeps its '-'.
    if (disabled) {
        saved_[At(g)] = s.saved;
    } else {
        MaskEdit(g)->setText(FromBytes(s.mask));
    }
}

void AbonentsPage::DisableBoxClick(int source) {
    const MaskGroup g = GroupOf(source);
    const cmd::MaskState s =
        cmd::MaskDisableClick(MaskOf(g), RowOf(source), ValueAt(DisableBoxName(source)) != 0);
    saved_[At(g)] = s.saved;
    MaskEdit(g)->setText(FromBytes(s.mask));
}

void AbonentsPage::SetNfilter1Click() {
    Run({Step::Clear, Step::RawModeOff, Step::Send, Step::Display},
        cmd::SetMasks(ToBytes(MaskEdit(MaskGroup::Temp)->text()),
                      ToBytes(MaskEdit(MaskGroup::Analog)->text()),
                      ToBytes(MaskEdit(MaskGroup::Digital)->text())));
}

// Defaults for empty masks go into the record; every mask is made to fit its
// rows, shown, kept as the saved digits and decoded into its rows' boxes.
void AbonentsPage::LoadMasks(kt::config::ConfigRecord& c) {
    for (MaskGroup g : kGroups) {
        const cmd::MaskGroupRow& row = cmd::GroupRow(g);
        const auto& field = kt::config::Field(kMaskFields[At(g)]);
        const std::string stored = c.GetString(field);
        if (stored.empty()) c.SetString(field, 1, row.emptyDefault);
        const std::string mask = cmd::LoadMask(g, stored);
        MaskEdit(g)->setText(FromBytes(mask));
        saved_[At(g)] = mask;
    }
    for (int source = 0; source < kSources; ++source) {
        const MaskGroup g = GroupOf(source);
        const std::string mask = ToBytes(MaskEdit(g)->text());
        const cmd::MaskRowBoxes boxes = cmd::DecodeMaskChar(mask[static_cast<size_t>(RowOf(source) - 1)]);
        // A digit sets the bits, then enables the row; anything else disables
        // the row, then clears its bits. Either way the handlers leave the
        // mask as loaded.
        if (boxes.disabled) SetValueAt(DisableBoxName(source), 1);
        for (int column = 1; column <= 4; ++column)
            SetValueAt(BitBoxName(source * 4 + column - 1),
                       boxes.alarm[static_cast<size_t>(column - 1)] ? 1 : 0);
        if (!boxes.disabled) SetValueAt(DisableBoxName(source), 0);
    }
}

// ---- layout and settings ---------------------------------------------------------------------------

void AbonentsPage::ApplyAlternateModule(bool on, AlternateRow row) {
    if (row == AlternateRow::DisableBoxes) {
        for (int source = 0; source < kSources; ++source)
            if (MissingOnAlternate(source)) SetValueAt(DisableBoxName(source), on ? 1 : 0);
    }
    if (row != AlternateRow::RowCaptions) return;
    RTname1->setText(RowCaption(1, on));
    RTname2->setText(RowCaption(2, on));
    // The boxes of those rows are announced with the row's caption.
    for (int source : {1, 2}) {
        Control(DisableBoxName(source))->setAccessibleName(DisableBoxAccessible(source, on));
        for (int column = 0; column < 4; ++column)
            Control(BitBoxName(source * 4 + column))
                ->setAccessibleName(BitBoxAccessible(source * 4 + column, on));
    }
}

void AbonentsPage::AddSettings(SettingsTable& t) {
    t.Texts({7, 1}, {4, 1}, "NNumber%1", FieldId::AlarmNumber);
    t.Texts({7, 2}, {4, 2}, "PBnr%1", FieldId::PhoneBookNumber);
    t.Load({17},
           "TNrFilter, ANrFilter, DNrFilter, saved digits, mask boxes <- route masks (defaults written back)",
           [this](kt::config::ConfigRecord& c) { LoadMasks(c); }, {kMaskFields.begin(), kMaskFields.end()});
    t.Save({12}, "route masks <- TNrFilter, ANrFilter, DNrFilter", {kMaskFields.begin(), kMaskFields.end()},
           [this](kt::config::ConfigRecord& c) {
               for (size_t g = 0; g < kMaskFields.size(); ++g)
                   c.SetString(kt::config::Field(kMaskFields[g]), 1,
                               ToBytes(maskEdits_[g]->text()));  // cut to the field
           });
}

}  // namespace kt::app
