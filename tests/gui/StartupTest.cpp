// Start-up: the settings file read, the port opened for the stored choice,
// SMS mode taking the modem read-all sequence up by itself.
#include "app/SerialPortPage.h"
#include "gui/GuiSupport.h"
#include "pages/MainPage.h"

namespace kt::test {
namespace {

using Startup = WindowTest;

TEST_F(Startup, WithoutSettingsFileWarnsOnceAndRunsOnCom1At2400) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    auto& f = Start();

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "KT4470.cfg access error\r\n" + (dir / "KT4470.cfg").string() + " does not exist");
    EXPECT_EQ(messages[0].caption, "Warning");
    EXPECT_EQ(f.serialPage->RadioGroupPort->ItemIndex(), 0);
    EXPECT_EQ(f.serialPage->RadioGroupRate->ItemIndex(), 0);
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
    EXPECT_EQ(pty.Line().speed, 2400u);
    EXPECT_EQ(f.Engine().InboxPollInterval, 1);
    EXPECT_TRUE(f.MemoS->isVisibleTo(&f));
    EXPECT_EQ(f.mainPage->BRnumber->text().toStdString(), "");  // the empty record wins over the default
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);
    EXPECT_FALSE(f.BusyCursor());
    EXPECT_EQ(f.StatusBar1->currentMessage().toStdString(), "COM1 -> " + pty.SlavePath() + " open: 2400 8N1");
    // The driver polls through the window's timer while the port is open.
    EXPECT_TRUE(f.PortPollTimer().Running());
    EXPECT_EQ(f.PortPollTimer().Period(), 5000u);
    f.CommPortDriver1.ClosePort();
    EXPECT_FALSE(f.PortPollTimer().Running());
}

TEST_F(Startup, StoredPortAndRateReopenThePort) {
    Pty first, third;
    ASSERT_TRUE(first.Ok() && third.Ok());
    Link(1, first.SlavePath());
    Link(3, third.SlavePath());
    config::ConfigRecord rec;
    rec.SetPortIndex(2);
    rec.SetRateIndex(6);
    rec.SetModuleNumber("111");
    rec.SetModuleNumberCopy("+4917099");
    rec.SetSmsPollFactor(25);
    rec.SetSkipCrLf(true);
    rec.SetWaitSmsTimeout(2500);
    WriteSettings(rec);
    auto& f = Start();

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(f.serialPage->RadioGroupPort->ItemIndex(), 2);
    EXPECT_EQ(f.serialPage->RadioGroupRate->ItemIndex(), 6);
    EXPECT_EQ(third.Line().speed, 115200u);
    f.ConnectBtnClick();
    EXPECT_EQ(third.Read(Framed("  OK").size(), 2000), Framed("  OK"));
    EXPECT_EQ(first.ReadAll(50), "");
    // The other loaded values, with their handlers run.
    EXPECT_EQ(f.mainPage->BRnumber->text().toStdString(), "+4917099");
    EXPECT_EQ(f.Engine().InboxPollInterval, 20);
    EXPECT_TRUE(f.serialPage->SkipCRLFcb->isChecked());
    EXPECT_TRUE(f.Engine().SkipCRLFSaved);
    EXPECT_EQ(f.serialPage->Edit1->text().toStdString(), "2500");
}

TEST_F(Startup, SmsModeStoredOnHidesMonitorAndStartsReadAll) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    config::ConfigRecord rec;
    rec.SetSmsModeOn(true);
    rec.SetDeleteSms(false);
    WriteSettings(rec);
    auto& f = Start();

    EXPECT_TRUE(f.mainPage->SMSmode->isChecked());
    EXPECT_TRUE(f.Engine().SmsModeActive);
    EXPECT_FALSE(f.Engine().DeleteIncoming);
    EXPECT_TRUE(f.MemoS->isHidden());
    EXPECT_TRUE(f.Engine().ReadAllActive);
    f.Tick();  // first step of the sequence: the manufacturer query
    EXPECT_EQ(pty.Read(8, 2000), "AT+CGMI\r");
}

TEST_F(Startup, NegativeStoredIndexKeepsThePreviousPortAndRate) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    config::ConfigRecord rec;
    rec.SetPortIndex(-1);
    rec.SetRateIndex(-3);
    WriteSettings(rec);
    auto& f = Start();

    EXPECT_EQ(f.serialPage->RadioGroupPort->ItemIndex(), -1);
    EXPECT_EQ(f.serialPage->RadioGroupRate->ItemIndex(), -1);
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
    EXPECT_EQ(pty.Line().speed, 2400u);
    f.TestBtnClick();
    EXPECT_EQ(pty.Read(Framed("  +EXIT").size(), 2000), Framed("  +EXIT"));
}

// The port is opened for the window's own selection before the settings are
// read: the missing-file warning finds Com1 open and the AT panels hidden.
TEST_F(Startup, PortOpensBeforeTheSettingsAreRead) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    app::FormOptions o;
    o.workDir = dir;
    o.manualTimers = true;
    bool portOpen = false, panelsHidden = false;
    app::TForm1* shown = nullptr;
    o.showMessage = [&](const std::string& text, const std::string&, protocol::MsgIcon) {
        messages.push_back({text, "", protocol::MsgIcon::Warning});
        // Built but not yet populated: find it through the application.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<app::TForm1*>(w)) shown = f;
        if (!shown) return;
        portOpen = shown->CommPortDriver1.IsOpen();
        auto* at = shown->findChild<QWidget*>("PanelAT");
        auto* band = shown->findChild<QWidget*>("PanelBand");
        panelsHidden = at && band && at->isHidden() && band->isHidden();
    };
    form = std::make_unique<app::TForm1>(o);
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(shown, form.get());
    EXPECT_TRUE(portOpen);
    EXPECT_TRUE(panelsHidden);
}

// Stored values beyond the controls' ranges are absorbed by the controls, and
// the next save stores what the controls show; the exit option comes back.
TEST_F(Startup, OutOfRangeSelectionsAreLimitedAndSavedAsShown) {
    config::ConfigRecord rec;
    rec.SetPortIndex(99);
    rec.SetRateIndex(7);
    rec.SetWaitSmsTimeout(-5);
    rec.SetSaveOnExit(true);
    WriteSettings(rec);
    auto& f = Start();

    EXPECT_EQ(f.serialPage->RadioGroupPort->ItemIndex(), 15);  // "Com16"
    EXPECT_EQ(f.serialPage->RadioGroupRate->ItemIndex(), 6);   // "115200"
    EXPECT_EQ(f.CommPortDriver1.BaudRateValue(), 115200u);
    EXPECT_EQ(f.serialPage->TrackBar5->value(), 0);
    EXPECT_EQ(f.serialPage->Edit1->text().toStdString(), "0");
    EXPECT_TRUE(f.serialPage->SaveSettingAfterExitCB->isChecked());

    f.show();
    f.ExitBtnClick();  // saves, because the stored option says so
    EXPECT_FALSE(f.isVisible());
    const std::string saved = ReadFile("KT4470.cfg");
    ASSERT_EQ(saved.size(), config::kRecordSize);
    config::ConfigRecord out;
    std::copy(saved.begin(), saved.end(), out.Bytes().begin());
    EXPECT_EQ(out.PortIndex(), 15);
    EXPECT_EQ(out.RateIndex(), 6);
    EXPECT_EQ(out.WaitSmsTimeout(), 0);
    EXPECT_TRUE(out.SaveOnExit());
}

}  // namespace
}  // namespace kt::test
