// The text pages "External SMS", "Int/Ext SMS" and "IOname": the slot table
// of each page, the bytes every slot button puts on the line, the record
// copy of a write, the replies that fill the edits, the "Read" boxes, the
// texts across a save and a restart, the sibling module's layout, and one
// round trip to kt4470-sim.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <set>

#include "gui/GuiSupport.h"
#include "pages/TextSlotsPage.h"
#ifdef KT_SIM_BINARY
#include "sim/SimProcess.h"
#endif

namespace kt::test {
namespace {

using app::TextSlotsPage;
using config::FieldId;
using protocol::PageIndex;

// What the pages must be, independent of the page's own table.
const struct Expected {
    PageIndex page;
    int first, last;
    std::string edit, button, readBox;  // name stems
    std::string write, read;            // keywords
    FieldId field;
    int maxLength, stored;
} kPages[] = {
    {PageIndex::ExternalSms, 1, 57, "TXTSMS", "TXTSMSb", "GetText", "SETTX", "GETTX", FieldId::ExtSmsText, 32,
     26},
    {PageIndex::IntExtSms, 1, 57, "iTXTSMS", "iTXTSMSb", "iGetText", "SETTI", "GETTI", FieldId::IntSmsText,
     15, 15},
    {PageIndex::IOname, 58, 97, "iTXTSMS", "TXTSMSb", "nGetText", "SETTI", "GETTI", FieldId::IntSmsText, 15,
     15},
};

std::string N(const std::string& stem, int slot) {
    return stem + std::to_string(slot);
}

class TextSlotsPageTest : public PtyWindowTest {
  protected:
    TextSlotsPage* PageOf(PageIndex index) { return static_cast<TextSlotsPage*>(form->PageAt(index)); }
    // Exactly the bytes of one framed command.
    std::string Sent(const std::string& command) { return pty.Read(Framed(command).size(), 2000); }
};

TEST(TextSlotTable, DefaultTextsAndCaptions) {
    using protocol::cmd::TextBank;
    const std::pair<int, const char*> external[] = {{1, "Temperature 1 < MINIMUM "},
                                                    {2, "Temperature 1 Normal"},
                                                    {3, "Temperature 1 > MAXIMUM"},
                                                    {4, "Temperature 2 < MINIMUM"},
                                                    {6, "Temperature 2 > MAXIMUM "},
                                                    {9, "Temperature 3 > MAXIMUM "},
                                                    {10, "Analog Input 1 < MINIMUM "},
                                                    {11, "Analog Input 1 Normal"},
                                                    {12, "Analog Input 1 > MAXIMUM "},
                                                    {13, "Analog Input 2 < MINIMUM"},
                                                    {33, "Analog Input 8 > MAXIMUM "},
                                                    {34, "Event INP1 0-1"},
                                                    {45, "Event INP12 0-1"},
                                                    {46, "Event INP1 1-0"},
                                                    {57, "Event INP12 1-0"}};
    for (const auto& [slot, text] : external)
        EXPECT_EQ(app::DefaultSlotText(TextBank::External, slot).toStdString(), text) << slot;
    int blanks = 0;
    for (int slot = 1; slot <= 57; ++slot) {
        blanks += app::DefaultSlotText(TextBank::External, slot).endsWith(' ');
        EXPECT_EQ(app::DefaultSlotText(TextBank::Internal, slot), "") << slot;
    }
    EXPECT_EQ(blanks, 15);
    const std::pair<int, const char*> names[] = {{58, "INP1 1"},  {69, "INP12 1"}, {70, "INP1 0"},
                                                 {81, "INP12 0"}, {82, "OUT1 1"},  {89, "OUT8 1"},
                                                 {90, "OUT1 0"},  {97, "OUT8 0"}};
    for (const auto& [slot, text] : names)
        EXPECT_EQ(app::DefaultSlotText(TextBank::Internal, slot).toStdString(), text) << slot;

    const std::tuple<int, bool, const char*> descriptions[] = {
        {1, false, "Temp.Inp.1, < MINIMUM"},
        {5, false, "Temp.Inp.2, NORMAL"},
        {5, true, "RUNTIME1, NORMAL"},
        {9, true, "RUNTIME2, > MAXIMUM"},
        {10, true, "Analog.Inp.1, < MINIMUM"},
        {33, false, "Analog Inp.8, > MAXIMUM"},
        {34, false, "Input 1, Event 0-1"},
        {57, false, "Input 12, Event 1-0"},
        {58, false, "Digital Inputs Name, Input 1, 1"},
        {81, false, "Digital Inputs Name, Input 12, 0"},
        {82, false, "Digital Outputs Name, Output 1, ON"},
        {97, true, "Digital Outputs Name, Output 8, OFF"}};
    for (const auto& [slot, alternate, text] : descriptions)
        EXPECT_EQ(app::SlotDescription(slot, alternate).toStdString(), text) << slot;
}

// Every slot of every page: its edit and button on that page with their
// names, limits and accessible names; the button's write and read commands
// with the slot number; the record element a write fills at once.
TEST_F(TextSlotsPageTest, EverySlotButtonWritesAndReadsItsSlot) {
    auto& f = StartOnPty();
    for (const Expected& p : kPages) {
        TextSlotsPage* page = PageOf(p.page);
        ASSERT_EQ(page->Table().page, p.page);
        EXPECT_EQ(page->findChildren<QLineEdit*>().size(), p.last - p.first + 1);
        for (int slot = p.first; slot <= p.last; ++slot) {
            SCOPED_TRACE(N(p.button, slot));
            QLineEdit* edit = C<QLineEdit>(N(p.edit, slot));
            QAbstractButton* button = C<QAbstractButton>(N(p.button, slot));
            ASSERT_TRUE(edit && button);
            EXPECT_TRUE(page->isAncestorOf(edit) && page->isAncestorOf(button));
            EXPECT_EQ(qobject_cast<app::TEdit*>(edit)->MaxLength(), p.maxLength);
            EXPECT_EQ(edit->accessibleName().toStdString(), "Text " + std::to_string(slot));
            EXPECT_EQ(button->accessibleName().toStdString(), "Send text " + std::to_string(slot));
            EXPECT_EQ(edit->accessibleDescription(), app::SlotDescription(slot, false));
            EXPECT_EQ(button->text().toStdString(), "WR");
            EXPECT_TRUE(f.Controls().HasHandler(N(p.button, slot) + "Click"));

            const std::string text = "T" + std::to_string(slot) + "-" + p.write;
            edit->setText(QString::fromStdString(text));
            button->click();
            std::string command = p.write + Two(slot) + " " + text;
            command.resize(p.write == "SETTX" ? 48 : 23, ' ');
            EXPECT_EQ(Sent(command), Framed(command));
            EXPECT_EQ(f.Config.GetString(config::Field(p.field), slot), text);
            EXPECT_EQ(f.MemoS->Line(0), p.write + Two(slot) + "," + text);
        }
        PageOf(p.page)->ReadBox->setChecked(true);
        for (int slot = p.first; slot <= p.last; ++slot) {
            f.Config.SetString(config::Field(p.field), slot, "kept");
            Click(N(p.button, slot));
            std::string command = p.read + Two(slot) + " ";
            command.resize(p.read == "GETTX" ? 40 : 23, ' ');
            EXPECT_EQ(Sent(command), Framed(command)) << slot;
            EXPECT_EQ(f.Config.GetString(config::Field(p.field), slot), "kept")
                << slot;  // a read keeps the record
        }
    }
    EXPECT_EQ(pty.ReadAll(30), "");
}

// Filling to width, the memo's comma form, line ends turned into blanks
// before sending, and what the record keeps of a long text.
TEST_F(TextSlotsPageTest, WritesFillToWidthAndTheRecordKeepsItsShare) {
    auto& f = StartOnPty();
    const std::string t32 = "Pump 3 pressure above the limit!";
    const std::string tLong = t32 + " and rising.";
    ASSERT_EQ(t32.size(), 32u);
    const struct {
        const char* edit;
        const char* button;
        std::string text, command, shown, stored;
    } cases[] = {
        {"TXTSMS1", "TXTSMSb1", "Temperature 1 < MINIMUM ",
         "SETTX01 Temperature 1 < MINIMUM " + std::string(16, ' '), "SETTX01,Temperature 1 < MINIMUM ",
         "Temperature 1 < MINIMUM "},
        {"TXTSMS7", "TXTSMSb7", t32, "SETTX07 " + t32 + std::string(8, ' '), "SETTX07," + t32,
         t32.substr(0, 26)},
        {"TXTSMS8", "TXTSMSb8", tLong, "SETTX08 " + tLong, "SETTX08," + tLong, tLong.substr(0, 26)},
        {"TXTSMS9", "TXTSMSb9", "", "SETTX09 " + std::string(32, ' '), "SETTX09,", ""},
        {"iTXTSMS5", "iTXTSMSb5", "", "SETTI05 " + std::string(15, ' '), "SETTI05,", ""},
        {"iTXTSMS6", "iTXTSMSb6", "F SETOU1 RSTOU2", "SETTI06 F SETOU1 RSTOU2", "SETTI06,F SETOU1 RSTOU2",
         "F SETOU1 RSTOU2"},
        {"iTXTSMS70", "TXTSMSb70", "Door\r\nopen\t", "SETTI70 Door  open " + std::string(4, ' '),
         "SETTI70,Door  open ", "Door  open "},
        {"iTXTSMS71", "TXTSMSb71", "A long name of twenty", "SETTI71 A long name of twenty",
         "SETTI71,A long name of twenty", "A long name of "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        f.MemoSMSinput->SetText("old reply");
        f.Engine().ReplyToShow = false;
        SetText(c.edit, c.text);
        Click(c.button);
        EXPECT_EQ(Sent(c.command), Framed(c.command));
        EXPECT_EQ(f.MemoS->Text(), c.shown + "\r\n");
        EXPECT_EQ(f.MemoSMSinput->Text(), "\r\n");
        EXPECT_TRUE(f.Engine().ReplyToShow);
        const std::string slot = std::string(c.edit).substr(std::string(c.edit).find_first_of("0123456789"));
        const FieldId field = c.edit[0] == 'i' ? FieldId::IntSmsText : FieldId::ExtSmsText;
        EXPECT_EQ(f.Config.GetString(config::Field(field), std::stoi(slot)), c.stored);
    }
}

// Answers fill the slot edits by their two digits while a text page shows,
// cut at the first line end; the next write sends no line end.
TEST_F(TextSlotsPageTest, RepliesFillTheEditsUpToTheLineEnd) {
    auto& f = StartOnPty();
    const struct {
        int page;
        std::string reply, edit, value;
    } cases[] = {
        {2, "05: Door\r\n", "TXTSMS5", "Door"},
        {2, "06: Gate", "TXTSMS6", "Gate"},
        {3, "05: Alarm\r\n", "iTXTSMS5", "Alarm"},
        {3, "06: Pump!", "iTXTSMS6", "Pump"},
        {3, "60: Valve\r", "iTXTSMS60", "Valve"},  // a name of the IOname page
        {4, "07: Siren\r", "iTXTSMS7", "Siren"},   // a text of the Int/Ext SMS page
        {2, "1: not a text\r\n", "TXTSMS20", "Analog Inp"},
        {2, "0A: not a text\r\n", "TXTSMS17", "Analog Inp"},
        {3, "1: x\r\n", "iTXTSMS20", "Analog Inp"},
        {1, "05: Abonents page\r\n", "TXTSMS5", "Door"},
    };
    for (int n : {17, 20})
        for (const char* stem : {"TXTSMS", "iTXTSMS"})
            SetText(N(stem, n), "Analog Inp");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        f.PageControl1->setCurrentIndex(c.page);
        Deliver(c.reply);
        EXPECT_EQ(Text(c.edit), c.value);
        EXPECT_EQ(C<QLineEdit>(c.edit)->cursorPosition(), 0);  // shown from its start
        EXPECT_NE(f.MemoSMSinput->Text().find(c.reply.substr(0, 4)),
                  std::string::npos);  // shown all the same
    }
    Click("TXTSMSb5");
    const std::string command = "SETTX05 Door" + std::string(32, ' ');  // 32 blanks at most
    EXPECT_EQ(Sent(command), Framed(command));
}

// Each "Read" box recaptions the buttons of its own page only; the first
// clears the memos, the other two only RawMode.
TEST_F(TextSlotsPageTest, ReadBoxRecaptionsOnlyItsOwnPage) {
    auto& f = StartOnPty();
    for (const Expected& p : kPages) {
        SCOPED_TRACE(p.readBox);
        auto* box = f.Controls().Get<QCheckBox>(p.readBox);
        ASSERT_EQ(box, PageOf(p.page)->ReadBox);
        EXPECT_EQ(box->text().toStdString(), "Read");
        f.MemoS->SetText("GETST");
        f.Engine().RawMode = true;
        box->setChecked(true);
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_EQ(f.MemoS->Text(), p.readBox == "GetText" ? "" : "GETST\r\n");
        for (const Expected& q : kPages)
            for (int slot = q.first; slot <= q.last; ++slot)
                EXPECT_EQ(Text(N(q.button, slot)), &q == &p ? "RD" : "WR") << q.button << slot;
        box->click();
        for (int slot = p.first; slot <= p.last; ++slot)
            EXPECT_EQ(Text(N(p.button, slot)), "WR");
    }
}

TEST_F(TextSlotsPageTest, CaptionsGroupsAndLegend) {
    StartOnPty();
    const std::pair<const char*, const char*> labels[] = {
        {"LabelCol1", "< MINIMUM"},
        {"LabelCol2", "NORMAL"},
        {"LabelCol3", "> MAXIMUM"},
        {"LabelCol4", "Event 0-1"},
        {"iLabelCol5", "Event 1-0"},
        {"LabelT2", "Temp.Inp.2"},
        {"iLabelT3", "Temp.Inp.3"},
        {"LabelRT1", "RUNTIME1"},
        {"iLabelRT2", "RUNTIME2"},
        {"nLabelCol1", "1"},
        {"nLabelCol2", "0"},
        {"nLabelCol3", "ON"},
        {"nLabelCol4", "OFF"},
        {"iLegend1", "Example"},
        {"iLegend2", "F SETOU1 RSTOU2"},
        {"iLegend3", "where F - number filter for SMS message"},
        {"iLegend4", "F - send SMS to  Nr5, Nr6, Nr7 and to internal control"},
        {"iLegend5", "7 - send SMS to  Nr5, Nr6, Nr7"},
    };
    for (const auto& [name, caption] : labels) {
        auto* label = form->Controls().Get<QLabel>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text().toStdString(), caption) << name;
    }
    EXPECT_EQ(form->Controls().Find("Legend1"), nullptr);  // the legend is the Int/Ext SMS page's
    const std::pair<const char*, const char*> groups[] = {{"DIname", "Digital Inputs Name"},
                                                          {"DOname", "Digital Outputs Name"}};
    for (const auto& [name, title] : groups) {
        auto* group = C<QGroupBox>(name);
        ASSERT_NE(group, nullptr) << name;
        EXPECT_EQ(group->title().toStdString(), title);
    }
    EXPECT_TRUE(C<QGroupBox>("DIname")->isAncestorOf(C<QLineEdit>("iTXTSMS81")));
    EXPECT_TRUE(C<QGroupBox>("DOname")->isAncestorOf(C<QAbstractButton>("TXTSMSb82")));
}

// A 32-character external text is stored as 26; the internal texts and the
// names keep 15; empty slots load empty.
TEST_F(TextSlotsPageTest, TextsSurviveSaveAndRestart) {
    StartOnPty();
    const std::string t32 = "Pump 3 pressure above the limit!";
    const std::pair<const char*, std::string> set[] = {{"TXTSMS1", t32},
                                                       {"TXTSMS57", "Last"},
                                                       {"iTXTSMS1", "F SETOU1 RSTOU2"},
                                                       {"iTXTSMS97", "Valve 8 shut now"}};
    for (const auto& [name, text] : set)
        SetText(name, text);
    form->SaveSetting1->trigger();

    StartOnPty();
    const std::pair<const char*, std::string> loaded[] = {
        {"TXTSMS1", t32.substr(0, 26)},   {"TXTSMS57", "Last"}, {"iTXTSMS1", "F SETOU1 RSTOU2"},
        {"iTXTSMS97", "Valve 8 shut no"}, {"TXTSMS2", ""},      {"iTXTSMS58", ""}};
    for (const auto& [name, text] : loaded)
        EXPECT_EQ(Text(name), text) << name;
}

// The sibling module's layout disables the listed pairs and shows the
// runtime counters' row captions; the default layout undoes both.
TEST_F(TextSlotsPageTest, AlternateLayoutDisablesTheListedPairsAndSwapsTheLabels) {
    config::ConfigRecord rec;
    rec.SetAlternateModule(true);
    WriteSettings(rec);
    auto& f = StartOnPty();
    const std::set<int> events = {22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32,
                                  33, 41, 42, 43, 44, 45, 53, 54, 55, 56, 57};
    const std::set<int> names = {65, 66, 67, 68, 69, 77, 78, 79, 80, 81, 87, 88, 89, 95, 96, 97};
    for (bool on : {true, false, true}) {
        SCOPED_TRACE(on);
        for (const Expected& p : kPages) {
            const std::set<int>& off = p.page == PageIndex::IOname ? names : events;
            for (int slot = p.first; slot <= p.last; ++slot) {
                const bool enabled = !(on && off.count(slot));
                EXPECT_EQ(C<QLineEdit>(N(p.edit, slot))->isEnabled(), enabled) << p.edit << slot;
                EXPECT_EQ(C<QAbstractButton>(N(p.button, slot))->isEnabled(), enabled) << p.button << slot;
            }
        }
        for (const char* prefix : {"", "i"}) {
            auto label = [&](const char* name) { return f.Controls().Find(std::string(prefix) + name); };
            // The runtime captions take the places of the temperature ones
            // (which show and hide is the settings test's).
            EXPECT_FALSE(label("LabelT1")->isHidden());
            EXPECT_EQ(label("LabelRT1")->geometry(), label("LabelT2")->geometry());
        }
        EXPECT_EQ(C<QLineEdit>("TXTSMS4")->accessibleDescription().toStdString(),
                  on ? "RUNTIME1, < MINIMUM" : "Temp.Inp.2, < MINIMUM");
        f.KTM447QD1Click();
    }
}

#ifdef KT_SIM_BINARY
// A text written to the simulated module and read back fills its edit: the
// external texts come back without a line end, the names with a CR.
TEST_F(TextSlotsPageTest, WriteAndReadBackAgainstTheSimulator) {
    sim::SimProcess simulator({"--mode", "module", "--link", (dir / "COM1").string()});
    ASSERT_FALSE(simulator.FirstLine().empty());
    auto& f = StartOnPty();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());
    const struct {
        PageIndex page;
        const char *edit, *button, *text, *answer;
    } cases[] = {{PageIndex::ExternalSms, "TXTSMS5", "TXTSMSb5", "Door open", "05: Door open"},
                 {PageIndex::IOname, "iTXTSMS70", "TXTSMSb70", "Door shut", "70: Door shut"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        f.PageControl1->setCurrentIndex(static_cast<int>(c.page));
        SetText(c.edit, c.text);
        Click(c.button);
        EXPECT_TRUE(ReplyShows(c.answer)) << f.MemoSMSinput->Text();
        SetText(c.edit, "");
        PageOf(c.page)->ReadBox->setChecked(true);
        Click(c.button);
        EXPECT_TRUE(Until([&] { return Text(c.edit) == c.text; })) << f.MemoSMSinput->Text();
    }
}
#endif

}  // namespace
}  // namespace kt::test
