// The "Main" page: its controls, the bytes every button puts on the line in
// direct mode, the clock buttons in both modes, the panel switches, the SMS
// mode switch, its settings across a restart, and one round trip through the
// window to kt4470-sim.
#include <QAbstractButton>
#include <QLineEdit>
#include <functional>
#include <map>

#include "app/SerialPortPage.h"
#include "gui/GuiSupport.h"
#include "pages/MainPage.h"
#ifdef KT_SIM_BINARY
#include "sim/SimProcess.h"
#endif

namespace kt::test {
namespace {

using app::MainPage;

class MainPageTest : public PtyWindowTest {
  protected:
    void Started(app::TForm1& f) override { page = f.mainPage; }

    int PortErrors() const {
        int n = 0;
        for (const auto& m : messages)
            n += m.text == protocol::kPortErrorText && m.caption == "Error";
        return n;
    }

    MainPage* page = nullptr;
};

std::string Caption(QAbstractButton* b) {
    return b->text().toStdString();
}

TEST_F(MainPageTest, ControlsWithNamesCaptionsAndDefaults) {
    auto& f = StartWithoutPort();
    const std::map<std::string, std::string> captions = {
        {"ReadState", "Read Status"},
        {"ReadAnalog", "Read Analog"},
        {"ReadTemperature", "Temperature"},
        {"ReadTH", "Temp., Humidity"},
        {"ReadAlevelBtn", "Analog Level"},
        {"ReadRT", "Runtime"},
        {"Version", "Version number"},
        {"TemperatureLevelBtn", "Temp.Level"},
        {"COUNTERS", "Read Counters"},
        {"RestartModule", "Restart KT4470 / KTM447QD"},
        {"GetDT", "Get Date/Time"},
        {"SetDT", "Set Date/Time"},
        {"Squality", "Signal Quality"},
        {"SendAT", "Send"},
        {"ctrlZbtn", "CtrlZ"},
        {"band0", "0"},
        {"band1", "1"},
        {"band2", "2"},
        {"band3", "3"},
        {"SupportedBand", "Supported Band"},
        {"CurrentBand", "Current Band"},
        {"ATcmdOpen", "AT Command enable"},
        {"GSMbandOpen", "GSM Band enable"},
        {"SyncModem", "Synchronize Modem Time"},
        {"SMSmode", "SMS mode"},
        {"DeleteSMS", "Delete incoming SMS enable"},
    };
    for (const auto& [name, caption] : captions) {
        auto* b = page->findChild<QAbstractButton*>(name.c_str());
        ASSERT_NE(b, nullptr) << name;
        EXPECT_EQ(Caption(b), caption) << name;
    }
    for (const char* name : {"BRnumber", "Hersteller", "ModelIDCode", "DateTime", "Memo5", "ATcommand",
                             "PanelAT", "ATcmd", "PanelBand", "TimeZone", "Label42"})
        EXPECT_NE(page->findChild<QWidget*>(name), nullptr) << name;

    // Read-only, borderless identification edits with their labels; the hint.
    for (QLineEdit* e : {page->Hersteller, page->ModelIDCode, page->DateTime}) {
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_FALSE(e->hasFrame());
    }
    EXPECT_EQ(AccessibleName(page->Hersteller), "Manufacturer");
    EXPECT_EQ(AccessibleName(page->ModelIDCode), "Model");
    EXPECT_EQ(AccessibleName(page->DateTime), "Date/Time");
    EXPECT_EQ(
        page->DateTime->toolTip().toStdString(),
        "0 - supplied from battery; 1 - not supplied from battery; 2 -  no battery; 3- error. 00..100 - "
        "charge in percent");
    EXPECT_EQ(page->SyncModem->toolTip().toStdString(),
              "Set Date/Time for GSM modem or cell phone (sinchronize with PC)");
    EXPECT_EQ(page->BandLabel[2]->text().toStdString(), "2 - GSM 850MHz + DCS 1800MHz");
    EXPECT_EQ(page->ATcmd->text().toStdString(), "AT");
    EXPECT_EQ(page->TimeZone->text().toStdString(), "+02");
    ASSERT_NE(qobject_cast<app::TEdit*>(page->TimeZone), nullptr);
    EXPECT_EQ(qobject_cast<app::TEdit*>(page->TimeZone)->MaxLength(), 3);
    EXPECT_EQ(page->Label42->text().toStdString(), "Time Zone");
    EXPECT_EQ(page->BRnumberLabel->text().toStdString(), "KT4470 Number");
    EXPECT_EQ(page->BRnumber->palette().color(QPalette::Base), QColor(255, 255, 245));  // recoloured at start
    EXPECT_FALSE(page->DeleteSMS->isChecked());  // the empty record's value replaces the default
    // States: what is hidden, disabled, and what lies over what.
    for (QWidget* w : std::initializer_list<QWidget*>{page->ReadRT, page->GSMbandOpen, page->PanelAT,
                                                      page->PanelBand, page->ctrlZbtn, page->TimeZone,
                                                      page->Label42, page->SyncModem, page->DeleteSMS})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(page->ReadTH->isEnabled());
    EXPECT_FALSE(page->TemperatureLevelBtn->isEnabled());
    EXPECT_FALSE(page->Memo5->isHidden());
    EXPECT_EQ(page->Memo5->parentWidget(), page->Hersteller->parentWidget());
    EXPECT_TRUE(page->Memo5->geometry().contains(page->Hersteller->geometry()));
    EXPECT_TRUE(page->Memo5->geometry().contains(page->DateTime->geometry()));
    EXPECT_EQ(f.PageControl1->widget(0), page);
}

TEST_F(MainPageTest, ModuleRequestsGoFramedAndShowInTheMonitor) {
    auto& f = StartOnPty();
    const struct {
        QPushButton* button;
        std::function<void()> handler;  // not a member pointer: GCC 12's UBSan miscompiles calls through one
        std::string command, display;
    } requests[] = {
        {page->ReadState, [this] { page->ReadStateClick(); }, "GETST", "GETST"},
        {page->ReadAnalog, [this] { page->ReadAnalogClick(); }, "GETAN", "GETAN"},
        {page->ReadTemperature, [this] { page->ReadTemperatureClick(); }, "GETTC", "GETTC"},
        {page->ReadTH, [this] { page->ReadTHClick(); }, "GETTH", "GETTH"},
        {page->ReadAlevelBtn, [this] { page->ReadAlevelBtnClick(); }, "ANLEV0", "ANLEV0"},
        {page->ReadRT, [this] { page->ReadRTClick(); }, "GETRT", "GETRT"},
        {page->Version, [this] { page->VersionClick(); }, "  GETVR", "GETVR"},
        {page->TemperatureLevelBtn, [this] { page->TemperatureLevelBtnClick(); }, "TCLEV0", "TCLEV0"},
        {page->COUNTERS, [this] { page->COUNTERSClick(); }, "GETCT", "GETCT"},
        {page->RestartModule, [this] { page->RestartModuleClick(); }, "RSTRT", "RSTRT"},
        {page->GetDT, [this] { page->GetDTClick(); }, "  GETTM", "GETTM"},
    };
    for (const auto& r : requests) {
        SCOPED_TRACE(r.command);
        AfterPassThrough();
        f.MemoS->SetText("old command");
        if (r.button->isEnabled()) {
            r.button->click();
        } else {
            r.button->click();  // a disabled button does nothing
            EXPECT_EQ(pty.ReadAll(30), "");
            r.handler();
        }
        ExpectSent(r.command);
        EXPECT_EQ(f.MemoS->Text(), r.display + "\r\n");
        EXPECT_EQ(f.MemoSMSinput->Text(), "\r\n");
        EXPECT_FALSE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().ReplyToShow);
    }
    // The module's answer is appended to the reply memo on the next tick.
    page->ReadState->click();
    Wire(Framed("GETST").size());
    Deliver("ST: IN 000000000000 OUT 00000000\r\n");
    EXPECT_NE(f.MemoSMSinput->Text().find("ST: IN 000000000000 OUT 00000000"), std::string::npos)
        << f.MemoSMSinput->Text();
}

TEST_F(MainPageTest, ModuleRequestInSmsModeIsSubmittedToTheModuleNumber) {
    auto& f = StartOnPty();
    page->SMSmode->setChecked(true);
    page->BRnumber->setText("+359888123456");
    page->ReadState->click();
    const std::string sent = Wire(10);
    ASSERT_EQ(sent.substr(0, 8), "AT+CMGS=");
    ASSERT_EQ(sent.back(), '\r');
    const int octets = std::stoi(sent.substr(8));
    EXPECT_EQ(f.MemoS->Line(0), "GETST");

    // The modem's prompt releases the PDU: service centre octet, then the
    // announced number of octets, then Ctrl-Z.
    Deliver("\r\n> ");
    const std::string pdu = Wire(2 + 2 * size_t(octets) + 1);
    ASSERT_EQ(pdu.size(), 2 + 2 * size_t(octets) + 1);
    EXPECT_EQ(pdu.back(), '\x1A');
    EXPECT_NE(pdu.find("538988214365"), std::string::npos) << pdu;  // the number, semi-octets
}

TEST_F(MainPageTest, PassThroughCommandsGoRawWithTheSkipStateSaved) {
    auto& f = StartOnPty();
    const struct {
        QPushButton* button;
        std::string sent;
        bool clearsMonitor;
    } commands[] = {
        {page->Squality, "  AT+CSQ", true},
        {page->band[0], "  AT#BND=0", true},
        {page->band[1], "  AT#BND=1", true},
        {page->band[2], "  AT#BND=2", true},
        {page->band[3], "  AT#BND=3", true},
        {page->SupportedBand, "  AT#BND=?", true},
        {page->CurrentBand, "  AT#BND?", true},
        {page->SendAT, "  AT", false},
        {page->ctrlZbtn, std::string(1, '\x1A'), false},
    };
    f.serialPage->SkipCRLFcb->setChecked(true);
    for (const auto& c : commands) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        f.Engine().SkipCRLFSaved = false;
        f.Engine().RawMode = false;
        f.MemoSMSinput->SetText("old reply");
        f.MemoS->SetText("GETST");
        c.button->click();  // hidden buttons work all the same
        EXPECT_EQ(Wire(c.sent.size() + 1), c.sent + "\r");
        EXPECT_TRUE(f.Engine().RawMode);
        EXPECT_TRUE(f.Engine().SkipCRLFSaved);
        EXPECT_EQ(f.MemoSMSinput->LineCount(), 0);
        EXPECT_EQ(f.MemoS->Text(), c.clearsMonitor ? "" : "GETST\r\n");
    }
    EXPECT_FALSE(f.BusyCursor());  // Ctrl-Z restores the cursor

    // The edit's text goes out as typed, an empty one as the two blanks alone.
    page->ATcmd->setText("AT+CGMI");
    page->SendAT->click();
    EXPECT_EQ(Wire(10), "  AT+CGMI\r");
    page->ATcmd->clear();
    page->SendAT->click();
    EXPECT_EQ(Wire(3), "  \r");
}

TEST_F(MainPageTest, PassThroughReplyEndsRawModeAndShows) {
    auto& f = StartOnPty();
    page->Squality->click();
    EXPECT_EQ(Wire(9), "  AT+CSQ\r");
    // "Connect" right after a pass-through goes out unframed.
    f.ConnectBtnClick();
    EXPECT_EQ(Wire(5), "  OK\r");
    Deliver("\r\n+CSQ: 20,0\r\n\r\nOK\r\n");
    EXPECT_FALSE(f.Engine().RawMode);
    EXPECT_NE(f.MemoSMSinput->Text().find("+CSQ: 20,0"), std::string::npos) << f.MemoSMSinput->Text();
    page->Squality->click();
    Wire(9);
    page->Version->click();  // a module request frames again
    ExpectSent("  GETVR");
}

TEST_F(MainPageTest, SetDateTimeFromTheClockInBothModes) {
    auto& f = StartOnPty();
    const std::string command = "SETTM 26/12/06,17:40:05+02";
    page->SetDT->click();
    ExpectSent(command);
    EXPECT_EQ(f.MemoS->Text(), command + "\r\n");
    EXPECT_TRUE(f.Engine().ReadBackClock);

    // SMS mode: the same text straight to the modem, then the clock read back.
    page->SMSmode->setChecked(true);
    f.Engine().ReadBackClock = false;
    page->SetDT->click();
    EXPECT_EQ(Wire(command.size() + 1), command + "\r");
    EXPECT_EQ(f.MemoS->Text(), command + "\r\n");
    EXPECT_TRUE(f.Engine().ReadBackClock);
    EXPECT_FALSE(f.Engine().ModemBusy);
    f.Tick();
    EXPECT_EQ(Wire(9), "AT+CCLK?\r");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainPageTest, SetDateTimeInSmsModeReportsAClosedPortOnce) {
    auto& f = StartWithoutPort();
    ASSERT_FALSE(f.CommPortDriver1.IsOpen());
    page->SMSmode->setChecked(true);
    page->SetDT->click();
    EXPECT_EQ(PortErrors(), 1);
    page->SetDT->click();
    page->SyncModem->click();
    EXPECT_EQ(PortErrors(), 1);
    EXPECT_FALSE(f.Engine().ReadBackClock);
}

TEST_F(MainPageTest, SynchronizeModemTimeWithAndWithoutZone) {
    auto& f = StartOnPty();
    page->SyncModem->click();  // direct mode: nothing
    EXPECT_EQ(pty.ReadAll(50), "");

    page->SMSmode->setChecked(true);
    page->Hersteller->setText("SIEMENS MODEM");
    page->SyncModem->click();
    const std::string siemens = "AT+CCLK=\"26/12/06,17:40:05\"";
    ASSERT_EQ(siemens.size(), 27u);
    EXPECT_EQ(Wire(28), siemens + "\r");
    EXPECT_EQ(f.MemoS->Line(f.MemoS->LineCount() - 2), siemens);
    EXPECT_TRUE(f.Engine().ReadBackClock);
    EXPECT_FALSE(f.Engine().ModemBusy);

    page->Hersteller->setText("KT4470-SIM");
    page->SyncModem->click();
    const std::string other = "AT+CCLK=\"26/12/06,17:40:05+02\"";
    ASSERT_EQ(other.size(), 30u);
    EXPECT_EQ(Wire(31), other + "\r");
}

TEST_F(MainPageTest, PanelSwitchesToggleCaptionsAndPanels) {
    StartWithoutPort();
    auto state = [this] {
        return std::make_tuple(!page->PanelAT->isHidden(), !page->PanelBand->isHidden(),
                               Caption(page->ATcmdOpen), Caption(page->GSMbandOpen));
    };
    using S = std::tuple<bool, bool, std::string, std::string>;
    EXPECT_EQ(state(), S(false, false, "AT Command enable", "GSM Band enable"));
    page->ATcmdOpen->click();
    EXPECT_EQ(state(), S(true, false, "AT Command disable", "GSM Band enable"));
    page->ATcmdOpen->click();
    EXPECT_EQ(state(), S(false, false, "AT Command enable", "GSM Band enable"));

    // The hidden band switch mirrors it and takes the place of the AT panel.
    page->ATcmdOpen->click();
    page->GSMbandOpen->click();
    EXPECT_EQ(state(), S(false, true, "AT Command enable", "GSM Band disable"));
    page->ATcmdOpen->click();
    EXPECT_EQ(state(), S(true, false, "AT Command disable", "GSM Band enable"));

    // Closing one panel while the other shows names the other's switch.
    page->PanelBand->show();
    page->ATcmdOpen->click();
    EXPECT_EQ(state(), S(false, true, "AT Command enable", "GSM Band disable"));
    page->PanelAT->show();
    page->GSMbandOpen->click();
    EXPECT_EQ(state(), S(true, false, "AT Command disable", "GSM Band enable"));
}

TEST_F(MainPageTest, Memo5CoversTheModemFieldsOutsideSmsMode) {
    auto& f = StartWithoutPort();
    EXPECT_FALSE(page->Memo5->isHidden());
    EXPECT_FALSE(f.Engine().SmsModeActive);
    EXPECT_FALSE(f.MemoS->isHidden());
    page->SMSmode->click();
    EXPECT_TRUE(page->Memo5->isHidden());
    EXPECT_TRUE(f.Engine().SmsModeActive);
    EXPECT_TRUE(f.MemoS->isHidden());  // the monitor line, as after a start in SMS mode
    page->SMSmode->setChecked(false);  // a change from the program runs the handler too
    EXPECT_FALSE(page->Memo5->isHidden());
    EXPECT_FALSE(f.Engine().SmsModeActive);
    EXPECT_FALSE(f.MemoS->isHidden());
}

TEST_F(MainPageTest, NumberModeAndDeletionSurviveSaveAndRestart) {
    StartWithoutPort();
    page->BRnumber->setText("+359877000111");
    page->SMSmode->setChecked(true);
    page->DeleteSMS->setChecked(false);
    form->SaveSetting1->trigger();

    auto& g = StartWithoutPort();
    EXPECT_EQ(page->BRnumber->text().toStdString(), "+359877000111");
    EXPECT_TRUE(page->SMSmode->isChecked());
    EXPECT_TRUE(page->Memo5->isHidden());  // loading ran the mode switch
    EXPECT_TRUE(g.Engine().SmsModeActive);
    EXPECT_FALSE(page->DeleteSMS->isChecked());
    EXPECT_FALSE(g.Engine().DeleteIncoming);

    // The record holds 20 characters of the number.
    page->BRnumber->setText("+3598770001112223334445");
    page->SMSmode->setChecked(false);
    page->DeleteSMS->setChecked(true);
    g.SaveSetting1Click();
    StartWithoutPort();
    EXPECT_EQ(page->BRnumber->text().toStdString(), "+3598770001112223334");
    EXPECT_FALSE(page->SMSmode->isChecked());
    EXPECT_FALSE(page->Memo5->isHidden());
    EXPECT_TRUE(page->DeleteSMS->isChecked());
}

#ifdef KT_SIM_BINARY
// Direct mode through the window to the simulated module and back into the
// reply memo.
TEST_F(MainPageTest, RequestsAgainstTheSimulator) {
    sim::SimProcess simulator({"--mode", "module", "--link", (dir / "COM1").string()});
    ASSERT_FALSE(simulator.FirstLine().empty());
    auto& f = StartOnPty();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());
    page->ReadState->click();
    EXPECT_TRUE(ReplyShows("ST: IN ")) << f.MemoSMSinput->Text();
    page->Version->click();
    EXPECT_TRUE(ReplyShows("VR: KT4470QD25E SIM 1.0")) << f.MemoSMSinput->Text();
    page->SetDT->click();
    EXPECT_TRUE(ReplyShows("TM: 26/12/06,17:4")) << f.MemoSMSinput->Text();
    page->ATcmdOpen->click();
    page->ATcmd->setText("AT#BND=?");
    page->SendAT->click();
    EXPECT_TRUE(ReplyShows("#BND: (0-3)")) << f.MemoSMSinput->Text();
    EXPECT_FALSE(f.Engine().RawMode);
    page->Squality->click();
    EXPECT_TRUE(ReplyShows("+CSQ: 20,0")) << f.MemoSMSinput->Text();
}
#endif

}  // namespace
}  // namespace kt::test
