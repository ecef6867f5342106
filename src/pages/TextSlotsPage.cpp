#include "pages/TextSlotsPage.h"

#include <set>
#include <stdexcept>

namespace kt::app {

using kt::protocol::PageIndex;
using kt::protocol::cmd::TextBank;

namespace {

// ---- slot positions --------------------------------------------------------

// A slot's place in its page's grid: the block (temperature and analog rows,
// or digital input rows; or the inputs' and the outputs' group box), the row
// and the column in it.
struct Cell {
    int block, row, column;
};

Cell CellOf(int slot) {
    if (slot <= 33) return {0, (slot - 1) / 3, (slot - 1) % 3};  // three per temperature or analog input
    if (slot <= 45) return {1, slot - 34, 0};                    // input k, 0-1
    if (slot <= 57) return {1, slot - 46, 1};                    // input k, 1-0
    if (slot <= 69) return {0, slot - 58, 0};                    // input k, state 1
    if (slot <= 81) return {0, slot - 70, 1};                    // input k, state 0
    if (slot <= 89) return {1, slot - 82, 0};                    // output k on
    return {1, slot - 90, 1};                                    // output k off
}

const char* const kEventColumns[2][3] = {{"< MINIMUM", "NORMAL", "> MAXIMUM"},
                                         {"Event 0-1", "Event 1-0", ""}};
const char* const kNameColumns[2][2] = {{"1", "0"}, {"ON", "OFF"}};
const char* const kNameGroups[2] = {"Digital Inputs Name", "Digital Outputs Name"};
const char* const kNameGroupObjects[2] = {"DIname", "DOname"};

// The alarm texts that end with a blank.
const std::set<int> kTrailingBlank = {1, 6, 9, 10, 12, 15, 16, 18, 21, 22, 24, 27, 28, 30, 33};

// ---- geometry ----------------------------------------------------------------

// The buttons take "WR" and "RD" with the style's margins; a little taller
// than the edit beside them.
constexpr int kEditW = 110, kEditH = 21, kButtonW = 28, kButtonH = 23, kColumnStep = 140;
constexpr int kRowStep = 24, kCaptionH = 17;

// Event pages: the temperature and analog rows on the left, the digital
// input rows on the right, one caption line above both.
constexpr int kEventHeaderY = 4, kEventRowY = 22;
constexpr int kEventCaptionX[2] = {8, 508}, kEventCaptionW[2] = {74, 52};
constexpr int kEventColumnX[2] = {84, 562};

QRect EventEditAt(int slot) {
    const Cell c = CellOf(slot);
    return QRect(kEventColumnX[c.block] + c.column * kColumnStep, kEventRowY + c.row * kRowStep, kEditW,
                 kEditH);
}
QRect EventRowAt(int block, int row) {
    return QRect(kEventCaptionX[block], kEventRowY + row * kRowStep + 2, kEventCaptionW[block], kCaptionH);
}

// Names page: two group boxes; positions inside the box.
const QRect kNameGroupRects[2] = {QRect(8, 4, 350, 332), QRect(370, 4, 350, 236)};
constexpr int kNameHeaderY = 18, kNameRowY = 36, kNameCaptionX = 8, kNameCaptionW = 52, kNameColumnX = 64;

QRect NameEditAt(int slot) {
    const Cell c = CellOf(slot);
    return QRect(kNameColumnX + c.column * kColumnStep, kNameRowY + c.row * kRowStep, kEditW, kEditH);
}

// The button right of its edit, centred on it.
std::function<QRect(int)> ButtonBeside(std::function<QRect(int)> editAt) {
    return [editAt](int slot) {
        const QRect e = editAt(slot);
        return QRect(e.x() + e.width() + 1, e.y() + (e.height() - kButtonH) / 2, kButtonW, kButtonH);
    };
}

// The legend of the internal texts' form, below the temperature and analog rows.
const struct {
    const char* text;
    int x, y, w;
} kLegend[] = {
    {"Example", 100, 290, 56},
    {"F SETOU1 RSTOU2", 160, 290, 200},
    {"where F - number filter for SMS message", 100, 306, 400},
    {"F - send SMS to  Nr5, Nr6, Nr7 and to internal control", 100, 322, 400},
    {"7 - send SMS to  Nr5, Nr6, Nr7", 100, 338, 400},
};

const QRect kEventReadBox(8, 292, 80, 20);
const QRect kNameReadBox(370, 252, 80, 20);

}  // namespace

// ---- tables ---------------------------------------------------------------------

const TextSlotTable& TextSlotsOf(PageIndex page) {
    for (const auto& t : kTextSlotTables)
        if (t.page == page) return t;
    throw std::logic_error("no text slot table for this page");
}

QString DefaultSlotText(TextBank bank, int slot) {
    if (bank == TextBank::External) {
        QString text;
        if (slot >= 1 && slot <= 33) {
            static const char* const kinds[3] = {"< MINIMUM", "Normal", "> MAXIMUM"};
            const bool temp = slot <= 9;
            const int input = temp ? (slot - 1) / 3 + 1 : (slot - 10) / 3 + 1;
            text = QString("%1 %2 %3")
                       .arg(temp ? "Temperature" : "Analog Input")
                       .arg(input)
                       .arg(kinds[(slot - 1) % 3]);
        } else if (slot >= 34 && slot <= 45) {
            text = QString("Event INP%1 0-1").arg(slot - 33);
        } else if (slot >= 46 && slot <= 57) {
            text = QString("Event INP%1 1-0").arg(slot - 45);
        }
        if (kTrailingBlank.count(slot)) text += ' ';
        return text;
    }
    if (slot >= 58 && slot <= 69) return QString("INP%1 1").arg(slot - 57);
    if (slot >= 70 && slot <= 81) return QString("INP%1 0").arg(slot - 69);
    if (slot >= 82 && slot <= 89) return QString("OUT%1 1").arg(slot - 81);
    if (slot >= 90 && slot <= 97) return QString("OUT%1 0").arg(slot - 89);
    return {};
}

SlotCaptions CaptionsOf(int slot, bool alternate) {
    const Cell c = CellOf(slot);
    if (slot <= 57) {
        QString row;
        if (c.block == 1) {
            row = QString("Input %1").arg(c.row + 1);
        } else if (c.row < 3) {
            row = alternate && c.row > 0 ? QString("RUNTIME%1").arg(c.row)
                                         : QString("Temp.Inp.%1").arg(c.row + 1);
        } else {
            const int input = c.row - 2;
            row = input == 1 ? QString("Analog.Inp.1") : QString("Analog Inp.%1").arg(input);
        }
        return {{}, row, kEventColumns[c.block][c.column]};
    }
    return {kNameGroups[c.block], QString(c.block == 0 ? "Input %1" : "Output %1").arg(c.row + 1),
            kNameColumns[c.block][c.column]};
}

QString SlotDescription(int slot, bool alternate) {
    const SlotCaptions c = CaptionsOf(slot, alternate);
    const QString where = c.row + ", " + c.column;
    return c.group.isEmpty() ? where : c.group + ", " + where;
}

// ---- the page ----------------------------------------------------------------------

TextSlotsPage::TextSlotsPage(PageHost& host, PageIndex page) : Page(host, page), table_(TextSlotsOf(page)) {
    if (table_.layout == SlotLayout::Events) {
        BuildEvents();
        if (table_.legend) BuildLegend();
    } else {
        BuildNames();
    }
    Describe();
}

void TextSlotsPage::BuildSlots(PageBuilder b, int first, int last, const std::function<QRect(int)>& editAt) {
    const TextBank bank = table_.bank;
    const auto edits = b.Edits({table_.edit, first, last, {.of = editAt}},
                               {.text = [bank](int slot) { return DefaultSlotText(bank, slot); },
                                .maxLength = table_.maxLength,
                                .recolour = true,
                                .accessible = "Text %1"});
    // A text the program sets (loading, a reply) shows from its start: the
    // edits are narrower than the longest texts. Only the operator's editing
    // (with the focus) moves the cursor away from it.
    for (QLineEdit* edit : edits) {
        edit->setCursorPosition(0);
        QObject::connect(edit, &QLineEdit::cursorPositionChanged, edit, [edit] {
            if (!edit->hasFocus()) edit->setCursorPosition(0);
        });
    }
    b.Buttons(
        {table_.button, first, last, {.of = ButtonBeside(editAt)}},
        {.caption = "WR", .accessible = "Send text %1", .click = [this](int slot) { SlotClick(slot); }});
}

void TextSlotsPage::BuildEvents() {
    auto b = Builder();
    // Column captions: the conditions of the left block, then the input events.
    b.Labels({Label("LabelCol%1"),
              1,
              5,
              {.of =
                   [](int n) {
                       const int block = n <= 3 ? 0 : 1, column = n <= 3 ? n - 1 : n - 4;
                       return QRect(kEventColumnX[block] + column * kColumnStep, kEventHeaderY, kEditW,
                                    kCaptionH);
                   }}},
             {.caption = [](int n) { return CaptionsOf(n <= 3 ? n : 33 + 12 * (n - 4) + 1, false).column; }});
    // Row captions. The runtime counters' captions lie over those of
    // temperature inputs 2 and 3 and show only for the sibling module.
    b.Labels({Label("LabelT%1"), 1, 3, {.of = [](int t) { return EventRowAt(0, t - 1); }}},
             {.caption = [](int t) { return CaptionsOf(3 * (t - 1) + 1, false).row; }});
    for (QLabel* l : b.Labels({Label("LabelRT%1"), 1, 2, {.of = [](int n) { return EventRowAt(0, n); }}},
                              {.caption = [](int n) { return CaptionsOf(3 * n + 1, true).row; }}))
        l->hide();
    b.Labels({Label("LabelAI%1"), 1, 8, {.of = [](int a) { return EventRowAt(0, a + 2); }}},
             {.caption = [](int a) { return CaptionsOf(10 + 3 * (a - 1), false).row; }});
    b.Labels({Label("LabelDI%1"), 1, 12, {.of = [](int k) { return EventRowAt(1, k - 1); }}},
             {.caption = [](int k) { return CaptionsOf(33 + k, false).row; }});

    BuildSlots(b, table_.first, table_.last, EventEditAt);
    ReadBox = b.Check({table_.readBox, Place::At(kEventReadBox)},
                      {.caption = "Read", .click = [this](int) { ReadBoxClick(); }});
}

void TextSlotsPage::BuildLegend() {
    auto b = Builder();
    b.Labels({Label("Legend%1"),
              1,
              5,
              {.of =
                   [](int n) {
                       const auto& l = kLegend[n - 1];
                       return QRect(l.x, l.y, l.w, 16);
                   }}},
             {.caption = [](int n) { return QString(kLegend[n - 1].text); }});
}

void TextSlotsPage::BuildNames() {
    // Inputs 58..81 (columns "1" and "0"), outputs 82..97 ("ON" and "OFF").
    const SlotRange ranges[2] = {{58, 81}, {82, 97}};
    const char* const rows[2] = {"LabelDI%1", "LabelDO%1"};
    for (int g = 0; g < 2; ++g) {
        QWidget* group = Builder().Panel({kNameGroupObjects[g], Place::At(kNameGroupRects[g])},
                                         {.caption = kNameGroups[g]});
        auto b = Builder().In(group);
        const int first = ranges[g].first;
        b.Labels({Label("LabelCol%1"),
                  2 * g + 1,
                  2 * g + 2,
                  {.of =
                       [g](int n) {
                           const int column = n - 2 * g - 1;
                           return QRect(kNameColumnX + column * kColumnStep, kNameHeaderY, kEditW, kCaptionH);
                       }}},
                 {.caption = [g](int n) { return QString(kNameColumns[g][n - 2 * g - 1]); }});
        const int count = (ranges[g].last - first + 1) / 2;
        b.Labels({Label(rows[g]),
                  1,
                  count,
                  {.of =
                       [](int k) {
                           return QRect(kNameCaptionX, kNameRowY + (k - 1) * kRowStep + 2, kNameCaptionW,
                                        kCaptionH);
                       }}},
                 {.caption = [first](int k) { return CaptionsOf(first + k - 1, false).row; }});
        BuildSlots(b, first, ranges[g].last, NameEditAt);
    }
    ReadBox = Builder().Check({table_.readBox, Place::At(kNameReadBox)},
                              {.caption = "Read", .click = [this](int) { ReadBoxClick(); }});
}

void TextSlotsPage::Describe() {
    for (int slot = table_.first; slot <= table_.last; ++slot) {
        const QString description = SlotDescription(slot, alternate_);
        Member(table_.edit, slot)->setAccessibleDescription(description);
        Member(table_.button, slot)->setAccessibleDescription(description);
    }
}

// ---- handlers ------------------------------------------------------------------------

void TextSlotsPage::SlotClick(int slot) {
    namespace cmd = kt::protocol::cmd;
    if (ReadBox->isChecked()) {
        Request(cmd::ReadText(table_.bank, slot));
        return;
    }
    const std::string text = TextAt(NameOf(table_.edit, slot));
    const cmd::ShownCommand write = cmd::WriteText(table_.bank, slot, text);
    // The record keeps what it can of the text as sent at once, not only at
    // the next save.
    if (Run({Step::Clear, Step::Send}, write.command))
        host_.Record().SetString(kt::config::Field(table_.field), slot, cmd::SendableText(text));
    Run({Step::Display}, write.command, write.display);
}

void TextSlotsPage::ReadBoxClick() {
    Run({table_.readBoxClears ? Step::Clear : Step::RawModeOff}, {});
    const QString caption = ReadBox->isChecked() ? "RD" : "WR";
    for (int slot = table_.first; slot <= table_.last; ++slot)
        Member<QPushButton>(table_.button, slot)->setText(caption);
}

void TextSlotsPage::ApplyAlternateModule(bool on, AlternateRow row) {
    const bool events = table_.layout == SlotLayout::Events;
    if (row == AlternateRow::Shown && events) {
        for (int n : {1, 2})
            Control(NameOf(Label("LabelRT%1"), n))->setVisible(on);
    } else if (row == AlternateRow::Hidden && events) {
        for (int n : {2, 3})
            Control(NameOf(Label("LabelT%1"), n))->setVisible(!on);
    } else if (row == PairsRow()) {
        for (const SlotRange& r : table_.alternateOff)
            for (int slot = r.first; slot <= r.last; ++slot) {
                Member(table_.button, slot)->setEnabled(!on);
                Member(table_.edit, slot)->setEnabled(!on);
            }
        // The captions announced with the slots follow the labels shown.
        alternate_ = on;
        Describe();
    }
}

AlternateRow TextSlotsPage::PairsRow() const {
    switch (table_.page) {
        case PageIndex::ExternalSms:
            return AlternateRow::ExternalTexts;
        case PageIndex::IntExtSms:
            return AlternateRow::IntExtTexts;
        default:
            return AlternateRow::IONames;
    }
}

void TextSlotsPage::AddSettings(SettingsTable& t) {
    if (table_.bindsField) t.Texts(table_.load, table_.save, table_.edit, table_.field);
}

}  // namespace kt::app
