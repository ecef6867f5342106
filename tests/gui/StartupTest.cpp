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
    EXPECT_EQ(messages[0].text, "KT4470.cfg access error");
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

}  // namespace
}  // namespace kt::test
