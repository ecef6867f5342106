// The "Abonents" page: its controls and names, the bytes every button puts on
// the line, the guard of the number buttons, replies into the edits, the
// routing masks (every box, the loaded forms, SETME), loading and saving
// across a restart, the alternate layout, and a round trip to kt4470-sim.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <set>

#include "app/SerialPortPage.h"
#include "gui/GuiSupport.h"
#include "pages/AbonentsPage.h"
#include "pages/MainPage.h"
#ifdef KT_SIM_BINARY
#include "sim/SimProcess.h"
#endif

namespace kt::test {
namespace {

using app::AbonentsPage;
using MaskGroup = protocol::cmd::MaskGroup;

// The three groups of mask rows as the names give them.
struct GroupNames {
    char letter;
    int rows;
    const char* edit;
};
const GroupNames kGroups[] = {{'T', 3, "TNrFilter"}, {'A', 8, "ANrFilter"}, {'D', 12, "DNrFilter"}};

std::string RowText(char letter, int row) {
    return (letter == 'D' && row < 10 ? "0" : "") + std::to_string(row);
}
std::string BitBox(char letter, int column, int row) {
    return "CheckBox" + std::string(1, letter) + std::to_string(column) + RowText(letter, row);
}
std::string DisableBox(char letter, int row) {
    return "CheckBox" + std::string(1, letter) + RowText(letter, row) + "dis";
}

class AbonentsPageTest : public PtyWindowTest {
  protected:
    void Started(app::TForm1& f) override {
        page = static_cast<AbonentsPage*>(f.PageAt(protocol::PageIndex::Abonents));
    }
    // A settings file with every mask at "F" (all bits, no row disabled).
    void WriteAllF(bool alternate = false) {
        config::ConfigRecord rec;
        rec.SetTempRouteMask("FFF");
        rec.SetAnalogRouteMask("FFFFFFFF");
        rec.SetDigitalRouteMask("FFFFFFFFFFFF");
        rec.SetAlternateModule(alternate);
        WriteSettings(rec);
    }

    QCheckBox* Box(const std::string& name) { return C<QCheckBox>(name); }
    std::string Masks() { return Text("TNrFilter") + "," + Text("ANrFilter") + "," + Text("DNrFilter"); }
    // The check states of a row: bits 1..4 as digits, then 'd' when disabled.
    std::string Row(char letter, int row) {
        std::string s;
        for (int c = 1; c <= 4; ++c)
            s += Box(BitBox(letter, c, row))->isChecked() ? char('0' + c) : '.';
        return s + (Box(DisableBox(letter, row))->isChecked() ? "d" : "");
    }

    AbonentsPage* page = nullptr;
};

TEST_F(AbonentsPageTest, ControlsTextsNamesAndHandlers) {
    auto& f = StartWithoutPort();
    EXPECT_EQ(f.PageControl1->widget(1), page);
    EXPECT_EQ(page->findChild<QGroupBox*>("Numbers")->title().toStdString(), "Numbers");
    EXPECT_EQ(page->findChild<QGroupBox*>("FilterGroup")->title().toStdString(), "Number Mask");
    EXPECT_EQ(page->RadioGroupNR->title().toStdString(), "Number");
    EXPECT_EQ(page->RadioGroupPB->title().toStdString(), "Number");
    for (auto* group : {page->RadioGroupNR, page->RadioGroupPB}) {
        ASSERT_EQ(group->Count(), 7);
        EXPECT_EQ(group->ItemIndex(), 0);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(AccessibleName(group->Item(i)), std::to_string(i + 1));
    }

    const std::pair<const char*, const char*> captions[] = {
        {"GetNr", "GETNR"},
        {"SetNr", "SETNR"},
        {"ClrNr", "CLRNR"},
        {"ReadPB", "Read Phone Book"},
        {"ToPhoneBook", "Number To SIM"},
        {"SetNfilter1", "Set Numbers  Filter"},
    };
    for (const auto& [name, caption] : captions) {
        ASSERT_NE(C<QAbstractButton>(name), nullptr) << name;
        EXPECT_EQ(C<QAbstractButton>(name)->text().toStdString(), caption);
        EXPECT_EQ(AccessibleName(C<QAbstractButton>(name)), caption);
    }
    for (const char* name : {"GetNr", "SetNr"})
        EXPECT_EQ(C<QAbstractButton>(name)->toolTip().toStdString(),
                  "Set Number with 1 or 2; other number set from cell phone");

    std::set<std::string> labels;
    for (QLabel* l : page->findChildren<QLabel*>())
        labels.insert(l->text().toStdString());
    for (const char* text : {"Numbers for alarm SMS",
                             "(Numbers in EEPROM)",
                             "Numbers to SIM Phone Book",
                             "(administration numbers)",
                             "Nr1",
                             "Nr7",
                             "T/C",
                             "Analog",
                             "Digital",
                             "4",
                             "3",
                             "2",
                             "1",
                             "Disable",
                             "Temperature 1",
                             "T2 / Counter1",
                             "T3 / Counter2",
                             "Analog Input 8",
                             "Digital Input 12",
                             "7 - send SMS to  Nr5, Nr6, Nr7",
                             "F - send SMS to  Nr5, Nr6, Nr7 and to internal control",
                             "Mask for  Nr.5,6,7  see  Int. and Ext. SMS",
                             "Example",
                             "F SETOU1 RSTOU2",
                             "where F - number filter for SMS message"})
        EXPECT_EQ(labels.count(text), 1u) << text;
    EXPECT_EQ(page->RTname1->text().toStdString(), "T2 / Counter1");
    EXPECT_EQ(page->RTname2->text().toStdString(), "T3 / Counter2");

    const std::pair<std::string, std::string> names[] = {
        {"NNumber1", "Alarm number 1"},
        {"NNumber7", "Alarm number 7"},
        {"PBnr3", "Phone book number 3"},
        {"RadioGroupNR", "Alarm number slot"},
        {"RadioGroupPB", "Phone book slot"},
        {"CheckBoxA23", "Analog Input 3 Nr2"},
        {"CheckBoxT42", "T2 / Counter1 Nr4"},
        {"CheckBoxT13", "T3 / Counter2 Nr1"},
        {"CheckBoxD101", "Digital Input 1 Nr1"},
        {"CheckBoxD412", "Digital Input 12 Nr4"},
        {"CheckBoxT1dis", "Temperature 1 Disable"},
        {"CheckBoxD08dis", "Digital Input 8 Disable"},
        {"TNrFilter", "T/C mask"},
        {"ANrFilter", "Analog mask"},
        {"DNrFilter", "Digital mask"},
    };
    for (const auto& [name, accessible] : names)
        EXPECT_EQ(AccessibleName(f.Controls().Find(name)), accessible) << name;

    for (int n = 1; n <= 7; ++n)
        for (const char* edit : {"NNumber", "PBnr"}) {
            auto* e = qobject_cast<app::TEdit*>(C<QLineEdit>(edit + std::to_string(n)));
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->MaxLength(), 20);
            EXPECT_FALSE(e->isReadOnly());
        }
    // Every box by its name with its own handler name; the mask edits are read-only.
    int boxes = 0;
    for (const auto& g : kGroups) {
        EXPECT_TRUE(C<QLineEdit>(g.edit)->isReadOnly());
        for (int r = 1; r <= g.rows; ++r) {
            for (int c = 1; c <= 4; ++c, ++boxes) {
                ASSERT_NE(Box(BitBox(g.letter, c, r)), nullptr) << BitBox(g.letter, c, r);
                EXPECT_TRUE(f.Controls().HasHandler(BitBox(g.letter, c, r) + "Click"));
            }
            ASSERT_NE(Box(DisableBox(g.letter, r)), nullptr) << DisableBox(g.letter, r);
            EXPECT_TRUE(f.Controls().HasHandler(DisableBox(g.letter, r) + "Click"));
        }
    }
    EXPECT_EQ(boxes, 92);
    EXPECT_EQ(page->findChildren<QCheckBox*>().size(), 92 + 23);
}

// Each button's bytes in direct mode, its monitor line, and what it leaves in
// the edit; a refused number or typo sends nothing and says why, in the
// status bar and as the edit's tool tip until it is edited.
TEST_F(AbonentsPageTest, NumberAndPhoneBookCommandsOnTheWire) {
    auto& f = StartOnPty();
    const struct {
        const char* button;
        int slot;          // item of the button's radio group, 1-based
        std::string text;  // typed into the slot's edit
        std::string sent;  // command; empty: nothing goes out
        std::string shown;
        std::string after;     // the edit afterwards
        std::string why = {};  // a refusal: the start of its explanation
    } rows[] = {
        {"GetNr", 3, "", "GETNR3", "GETNR3", ""},
        {"ClrNr", 7, "", "CLRNR7", "CLRNR7", ""},
        {"SetNr", 3, "+12345678", "SETNN3,+12345678", "SETNN3,+12345678", "+12345678"},
        {"SetNr", 5, "1234567890123456789012", "SETNN5,12345678901234567890", "SETNN5,12345678901234567890",
         "1234567890123456789012"},
        {"SetNr", 2, "1+2", "", "", "1+2", "Alarm number 2 not sent: its 2nd character \"+\" is not a digit"},
        {"SetNr", 4, "12", "", "", "12", "Alarm number 4 not sent: it has fewer than 3 characters"},
        {"SetNr", 1, "", "", "", "", "Alarm number 1 not sent: it is empty"},
        {"SetNr", 6, "a12", "", "", "a12",
         "Alarm number 6 not sent: its 1st character \"a\" is not \"+\" or a digit"},
        {"ReadPB", 1, "", "  GETPB", "GETPB", ""},
        {"ToPhoneBook", 1, "", "SETPB1 +99", "SETPB1 +99", "+99"},
        {"ToPhoneBook", 4, "", "SETPB4,+99", "SETPB4,+99", "+99"},
        {"ToPhoneBook", 2, "+4917 12", "SETPB2,+4917 12", "SETPB2,+4917 12", "+4917 12"},
        {"ToPhoneBook", 6, "0x12", "", "", "0x12",  // a typo stays as typed
         "Phone book number 6 not sent: its 2nd character \"x\" is not a digit"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.button) + " " + std::to_string(r.slot) + " " + r.text);
        const bool alarm = std::string(r.button).find("Nr") != std::string::npos;
        (alarm ? page->RadioGroupNR : page->RadioGroupPB)->SetItemIndex(r.slot - 1);
        const std::string edit = (alarm ? "NNumber" : "PBnr") + std::to_string(r.slot);
        SetText(edit, r.text);
        f.Engine().RawMode = true;  // left over from a pass-through command
        f.MemoS->SetText("old command");
        Click(r.button);
        if (r.sent.empty()) {
            EXPECT_EQ(pty.ReadAll(30), "");
            EXPECT_EQ(f.MemoS->Text(), "");  // Clear ran all the same
            const std::string bar = f.StatusBar1->currentMessage().toStdString();
            EXPECT_EQ(bar.rfind(r.why, 0), 0u) << bar;
            EXPECT_NE(bar.find(alarm ? "(an alarm number starts with" : "(a phone book number starts with"),
                      std::string::npos)
                << bar;
            EXPECT_EQ(C(edit)->toolTip().toStdString(), bar);
            SetText(edit, r.text + "0");
            EXPECT_TRUE(C(edit)->toolTip().isEmpty());
            SetText(edit, r.text);
        } else {
            ExpectSent(r.sent);
            EXPECT_EQ(f.MemoS->Text(), r.shown + "\r\n");
        }
        EXPECT_EQ(Text(edit), r.after);
        EXPECT_FALSE(f.Engine().RawMode);
    }
    // "Number To SIM" keeps the "Skip CR/LF" state as the one Clear returns to.
    f.serialPage->SkipCRLFcb->setChecked(true);
    f.Engine().SkipCRLFSaved = false;
    Click("ToPhoneBook");
    EXPECT_TRUE(f.Engine().SkipCRLFSaved);
}

// GETNR, CLRNR and "Number To SIM" wait only while an inbox poll is under way
// in SMS mode; a poll flag left over in direct mode locks nothing.
TEST_F(AbonentsPageTest, NumberButtonsWaitOnlyForAnInboxPollInSmsMode) {
    auto& f = StartOnPty();
    f.mainPage->BRnumber->setText("+359888123456");
    SetText("PBnr1", "+4917");
    const struct {
        const char* button;
        bool refusedDuringPoll;
        std::string direct;
    } rows[] = {
        {"GetNr", true, "GETNR1"},        {"ClrNr", true, "CLRNR1"},    {"ToPhoneBook", true, "SETPB1,+4917"},
        {"SetNr", false, "SETNN1,+4912"}, {"ReadPB", false, "  GETPB"},
    };
    SetText("NNumber1", "+4912");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.button);
        f.mainPage->SMSmode->setChecked(true);
        for (bool polling : {true, false}) {
            f.EndModemExchange();
            f.Engine().InboxPolling = polling;
            Click(r.button);
            const bool refused = polling && r.refusedDuringPoll;
            const std::string sent = refused ? pty.ReadAll(30) : Wire(10);
            EXPECT_EQ(sent.substr(0, 8), refused ? "" : "AT+CMGS=") << "polling " << polling;
        }
        // Direct mode with the flag of an unanswered poll still set.
        f.mainPage->SMSmode->setChecked(false);
        f.EndModemExchange();
        f.Engine().InboxPolling = true;
        Click(r.button);
        ExpectSent(r.direct);
    }
}

// Every bit box changes exactly its own bit of its own row, and back; every
// "Disable" box turns its row into '-' and back.
TEST_F(AbonentsPageTest, EveryBoxEditsItsOwnRow) {
    WriteAllF();
    StartWithoutPort();
    const std::string all = "FFF,FFFFFFFF,FFFFFFFFFFFF";
    ASSERT_EQ(Masks(), all);
    for (const auto& g : kGroups) {
        for (int r = 1; r <= g.rows; ++r) {
            std::string mask(static_cast<size_t>(g.rows), 'F');
            for (int c = 1; c <= 4; ++c) {
                SCOPED_TRACE(BitBox(g.letter, c, r));
                Box(BitBox(g.letter, c, r))->setChecked(false);
                mask[static_cast<size_t>(r - 1)] = "0123456789ABCDEF"[0xF & ~(1 << (c - 1))];
                EXPECT_EQ(Text(g.edit), mask);
                Box(BitBox(g.letter, c, r))->click();
                EXPECT_EQ(Masks(), all);
            }
            SCOPED_TRACE(DisableBox(g.letter, r));
            Box(DisableBox(g.letter, r))->click();
            mask[static_cast<size_t>(r - 1)] = '-';
            EXPECT_EQ(Text(g.edit), mask);
            EXPECT_EQ(Row(g.letter, r), "1234d");  // the bits keep their states
            Box(DisableBox(g.letter, r))->click();
            EXPECT_EQ(Masks(), all);
        }
    }
}

// The worked examples: FFF to EFF to EF7; a disabled row edited through its
// saved digit; SETME with disabled rows.
TEST_F(AbonentsPageTest, MaskExamplesAndSetme) {
    WriteAllF();
    auto& f = StartOnPty();
    Box("CheckBoxT11")->click();
    EXPECT_EQ(Text("TNrFilter"), "EFF");
    Box("CheckBoxT43")->click();
    EXPECT_EQ(Text("TNrFilter"), "EF7");

    Box("CheckBoxA1dis")->click();
    EXPECT_EQ(Text("ANrFilter"), "-FFFFFFF");
    Box("CheckBoxA21")->click();
    EXPECT_EQ(Text("ANrFilter"), "-FFFFFFF");
    EXPECT_EQ(page->SavedDigits(MaskGroup::Analog)[0], 'D');
    Box("CheckBoxA1dis")->click();
    EXPECT_EQ(Text("ANrFilter"), "DFFFFFFF");

    Box("CheckBoxT11")->click();
    Box("CheckBoxT43")->click();
    Box("CheckBoxT2dis")->click();
    Box("CheckBoxD12dis")->click();
    f.Engine().RawMode = true;
    Click("SetNfilter1");
    const std::string setme = "SETME,F-F,,DFFFFFFF,FFFFFFFFFFF-";
    ExpectSent(setme);
    EXPECT_EQ(f.MemoS->Text(), setme + "\r\n");
    EXPECT_FALSE(f.Engine().RawMode);
    EXPECT_TRUE(f.Engine().ReplyToShow);
}

// No settings file: the masks' defaults are shown, decoded and written into
// the record; a '-' row enabled again becomes '0'.
TEST_F(AbonentsPageTest, AllZeroRecordGivesTheDefaultMasks) {
    auto& f = StartWithoutPort();
    EXPECT_EQ(Masks(), "---,--------,000000000000");
    EXPECT_EQ(f.Config.TempRouteMask(), "---");
    EXPECT_EQ(f.Config.AnalogRouteMask(), "--------");
    EXPECT_EQ(f.Config.DigitalRouteMask(), "000000000000");
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(Row('T', r), "....d");
    for (int r = 1; r <= 8; ++r)
        EXPECT_EQ(Row('A', r), "....d");
    for (int r = 1; r <= 12; ++r)
        EXPECT_EQ(Row('D', r), "....");
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(Text("NNumber" + std::to_string(n)), "");
        EXPECT_EQ(Text("PBnr" + std::to_string(n)), "");
    }
    Box("CheckBoxT2dis")->click();
    EXPECT_EQ(Text("TNrFilter"), "-0-");
    Box("CheckBoxA8dis")->setChecked(false);
    EXPECT_EQ(Text("ANrFilter"), "-------0");
}

// Stored masks that do not fit their rows are shown, decoded and sent alike:
// cut, padded with '-', foreign characters as '-'.
TEST_F(AbonentsPageTest, BadStoredMasksFitTheirRows) {
    config::ConfigRecord rec;
    rec.SetTempRouteMask("FFFA");     // one too many
    rec.SetAnalogRouteMask("12 4x");  // short, a blank and a letter
    rec.SetDigitalRouteMask("0a");    // short, lower case
    WriteSettings(rec);
    auto& f = StartOnPty();
    EXPECT_EQ(Masks(), "FFF,12-4----,0-----------");
    EXPECT_EQ(Row('A', 1), "1...");
    EXPECT_EQ(Row('A', 2), ".2..");
    EXPECT_EQ(Row('A', 3), "....d");
    EXPECT_EQ(Row('A', 4), "..3.");
    EXPECT_EQ(Row('A', 8), "....d");
    EXPECT_EQ(Row('D', 2), "....d");  // 'a' is not ten
    // A click in a padded row stays inside the mask.
    Box("CheckBoxA18")->click();
    Box("CheckBoxA8dis")->click();
    EXPECT_EQ(Text("ANrFilter"), "12-4---1");
    Click("SetNfilter1");
    const std::string setme = "SETME,FFF,,12-4---1,0-----------";
    ExpectSent(setme);
    f.SaveSetting1Click();
    EXPECT_EQ(f.Config.TempRouteMask(), "FFF");
    EXPECT_EQ(f.Config.AnalogRouteMask(), "12-4---1");
}

// Numbers from replies or typed, and masks, survive "Save Setting" and a
// restart; the boxes follow the masks.
TEST_F(AbonentsPageTest, NumbersAndMasksSurviveSaveAndRestart) {
    WriteAllF();
    auto& f = StartOnPty();
    f.PageControl1->setCurrentIndex(1);
    Deliver("NUM3: 12345678901234567890 \r\n");                   // a full-length number
    Deliver("NUM4: +4930123");                                    // the reply ends with the number
    Deliver(" N1:+99 N2: N3:+4930 N4: N5: N6: N7:+4917012\r\n");  // no blank after the last entry
    EXPECT_EQ(Text("NNumber3"), "12345678901234567890");
    EXPECT_EQ(Text("NNumber4"), "+4930123");
    EXPECT_EQ(Text("PBnr3"), "+4930");
    EXPECT_EQ(Text("PBnr7"), "+4917012");
    SetText("NNumber2", "1234567890123456789012");  // the record holds 20
    SetText("PBnr5", "+35985");
    Box("CheckBoxT21")->click();
    Box("CheckBoxA3dis")->click();
    Box("CheckBoxD112")->click();
    Box("CheckBoxD412")->click();
    ASSERT_EQ(Masks(), "DFF,FF-FFFFF,FFFFFFFFFFF6");
    f.SaveSetting1->trigger();

    StartOnPty();
    EXPECT_EQ(Masks(), "DFF,FF-FFFFF,FFFFFFFFFFF6");
    EXPECT_EQ(Row('T', 1), "1.34");
    EXPECT_EQ(Row('A', 3), "....d");
    EXPECT_EQ(Row('D', 12), ".23.");
    const std::pair<const char*, const char*> numbers[] = {{"NNumber2", "12345678901234567890"},
                                                           {"NNumber3", "12345678901234567890"},
                                                           {"NNumber4", "+4930123"},
                                                           {"PBnr1", "+99"},
                                                           {"PBnr2", ""},
                                                           {"PBnr5", "+35985"},
                                                           {"PBnr7", "+4917012"}};
    for (const auto& [edit, text] : numbers)
        EXPECT_EQ(Text(edit), text) << edit;
    // The digit of a row disabled in the file is not stored: it comes back as '0'.
    Box("CheckBoxA3dis")->click();
    EXPECT_EQ(Text("ANrFilter"), "FF0FFFFF");
}

// The alternate layout: runtime captions for T/C 2 and 3, analog 5..8 and
// digital 8..12 disabled through their boxes, and back.
TEST_F(AbonentsPageTest, AlternateModuleLayout) {
    WriteAllF(true);
    auto& f = StartWithoutPort();
    EXPECT_EQ(page->RTname1->text().toStdString(), "Runtime 1");
    EXPECT_EQ(page->RTname2->text().toStdString(), "Runtime 2");
    EXPECT_EQ(AccessibleName(Box("CheckBoxT42")), "Runtime 1 Nr4");
    EXPECT_EQ(AccessibleName(Box("CheckBoxT3dis")), "Runtime 2 Disable");
    // Start-up decodes the masks after the layout: the stored masks win.
    EXPECT_EQ(Masks(), "FFF,FFFFFFFF,FFFFFFFFFFFF");
    EXPECT_FALSE(Box("CheckBoxA5dis")->isChecked());

    f.KTM447QD1Click();  // default layout: the boxes were clear already
    EXPECT_EQ(page->RTname1->text().toStdString(), "T2 / Counter1");
    EXPECT_EQ(page->RTname2->text().toStdString(), "T3 / Counter2");
    EXPECT_EQ(AccessibleName(Box("CheckBoxT42")), "T2 / Counter1 Nr4");
    EXPECT_EQ(Masks(), "FFF,FFFFFFFF,FFFFFFFFFFFF");
    Box("CheckBoxA15")->click();  // analog 5 now E
    f.KTM447QD1Click();
    EXPECT_EQ(Masks(), "FFF,FFFF----,FFFFFFF-----");
    EXPECT_EQ(Row('A', 5), ".234d");
    EXPECT_EQ(Row('D', 8), "1234d");
    EXPECT_FALSE(Box("CheckBoxD07dis")->isChecked());
    f.KTM447QD1Click();
    EXPECT_EQ(Masks(), "FFF,FFFFEFFF,FFFFFFFFFFFF");
}

#ifdef KT_SIM_BINARY
// Direct mode through the window to the simulated module and back into the edits.
TEST_F(AbonentsPageTest, NumbersPhoneBookAndMasksAgainstTheSimulator) {
    WriteAllF();
    sim::SimProcess simulator({"--mode", "module", "--link", (dir / "COM1").string()});
    ASSERT_FALSE(simulator.FirstLine().empty());
    auto& f = StartOnPty();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());
    f.PageControl1->setCurrentIndex(1);

    page->RadioGroupNR->SetItemIndex(1);
    SetText("NNumber2", "12345678901234567890");
    Click("SetNr");
    EXPECT_TRUE(ReplyShows("NUM2: 12345678901234567890")) << f.MemoSMSinput->Text();
    SetText("NNumber2", "");
    Click("GetNr");
    EXPECT_TRUE(Until([&] { return Text("NNumber2") == "12345678901234567890"; })) << f.MemoSMSinput->Text();
    Click("ClrNr");
    EXPECT_TRUE(Until([&] { return Text("NNumber2").empty(); })) << f.MemoSMSinput->Text();

    page->RadioGroupPB->SetItemIndex(3);
    SetText("PBnr4", "+4917012345");
    SetText("PBnr5", "stale");
    Click("ToPhoneBook");
    EXPECT_TRUE(Until([&] { return Text("PBnr5").empty(); })) << f.MemoSMSinput->Text();
    EXPECT_EQ(Text("PBnr4"), "+4917012345");
    page->RadioGroupPB->SetItemIndex(0);
    Click("ToPhoneBook");  // an empty slot 1 goes out as "SETPB1 +99"
    EXPECT_TRUE(ReplyShows("N1:+99 ")) << f.MemoSMSinput->Text();
    SetText("PBnr1", "");
    Click("ReadPB");
    EXPECT_TRUE(Until([&] { return Text("PBnr1") == "+99"; })) << f.MemoSMSinput->Text();

    Box("CheckBoxT2dis")->click();
    Box("CheckBoxD112")->click();
    Click("SetNfilter1");
    EXPECT_TRUE(ReplyShows("ME: T F-F A FFFFFFFF D FFFFFFFFFFFE")) << f.MemoSMSinput->Text();
}
#endif

}  // namespace
}  // namespace kt::test
