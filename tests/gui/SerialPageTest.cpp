// The "Serial Port" page: reopening on a new choice, parity on an open port,
// the wait time-out display, and ports that cannot be opened.
#include <QtTest/QTest>

#include "app/SerialPortPage.h"
#include "gui/GuiSupport.h"
#include "serial/SerialBackend.h"

namespace kt::test {
namespace {

using SerialPage = WindowTest;

TEST_F(SerialPage, ChoosingAnEntryReopensThePortWithTheNewSettings) {
    Pty one, two;
    ASSERT_TRUE(one.Ok() && two.Ok());
    Link(1, one.SlavePath());
    Link(2, two.SlavePath());
    auto& f = Start();
    auto& page = *f.serialPage;

    page.RadioGroupPort->Item(1)->click();  // the operator picks "Com2"
    EXPECT_EQ(page.RadioGroupPort->ItemIndex(), 1);
    page.RadioGroupRate->Item(2)->click();  // and "9600"
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
    EXPECT_EQ(two.Line().speed, 9600u);
    f.ConnectBtnClick();
    EXPECT_EQ(two.Read(Framed("  OK").size(), 2000), Framed("  OK"));
    EXPECT_EQ(one.ReadAll(50), "");
    EXPECT_EQ(f.StatusBar1->currentMessage().toStdString(), "COM2 -> " + two.SlavePath() + " open: 9600 8N1");
    EXPECT_EQ(page.PortDevice->text().toStdString(), "Com2 -> " + two.SlavePath());
    EXPECT_EQ(page.RadioGroupPort->Item(0)->toolTip().toStdString(), "Com1 -> " + one.SlavePath());
}

TEST_F(SerialPage, ParityEvenSwitchesTheOpenPortAtOnce) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    auto& f = Start();
    auto& page = *f.serialPage;

    page.ParityEven->click();
    EXPECT_EQ(f.CommPortDriver1.Parity(), serial::ptEVEN);
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());  // switched in place, not reopened
    EXPECT_EQ(f.StatusBar1->currentMessage().toStdString(), "COM1 -> " + pty.SlavePath() + " open: 2400 8E1");
    // The next InitPort keeps it.
    page.RadioGroupRate->SetItemIndex(1);
    EXPECT_EQ(f.CommPortDriver1.Parity(), serial::ptEVEN);
    EXPECT_EQ(pty.Line().speed, 4800u);
    page.ParityEven->setChecked(false);
    EXPECT_EQ(f.CommPortDriver1.Parity(), serial::ptNONE);
}

TEST_F(SerialPage, TrackBarShowsItsPositionAndTypingChangesNothing) {
    auto& f = Start();
    auto& page = *f.serialPage;
    page.TrackBar5->setValue(2500);
    EXPECT_EQ(page.Edit1->text().toStdString(), "2500");
    page.Edit1->clear();
    QTest::keyClicks(page.Edit1, "300");
    EXPECT_EQ(page.Edit1->text().toStdString(), "300");
    EXPECT_EQ(page.TrackBar5->value(), 2500);
    page.TrackBar5->setValue(200000);  // limited to the bar's range
    EXPECT_EQ(page.Edit1->text().toStdString(), "100000");
}

TEST_F(SerialPage, PortThatCannotOpenIsReportedInTheStatusBar) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    Link(2, (dir / "no-such-adapter").string());
    Link(3, pty.SlavePath());
    auto& f = Start();
    auto& page = *f.serialPage;

    page.RadioGroupPort->SetItemIndex(1);
    EXPECT_FALSE(f.CommPortDriver1.IsOpen());
    const std::string missing = f.StatusBar1->currentMessage().toStdString();
    EXPECT_NE(missing.find("no such device"), std::string::npos) << missing;
    EXPECT_NE(missing.find("no-such-adapter"), std::string::npos) << missing;
    EXPECT_EQ(missing.find('\n'), std::string::npos);
    EXPECT_TRUE(messages.size() == 1);  // only the start-up warning: no modal box for the port

    // Another program holds the device.
    serial::TCommPortDriver other;
    other.SetPortName(pty.SlavePath());
    ASSERT_TRUE(other.OpenPort());
    page.RadioGroupPort->SetItemIndex(2);
    EXPECT_FALSE(f.CommPortDriver1.IsOpen());
    const std::string busy = f.StatusBar1->currentMessage().toStdString();
    EXPECT_NE(busy.find("in use by another program"), std::string::npos) << busy;
    other.ClosePort();

    // Picking it again once it is free opens it.
    page.RadioGroupPort->SetItemIndex(0);
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
}

TEST_F(SerialPage, LostLineIsReportedAndRepickingTheEntryReopensIt) {
    auto pty = std::make_unique<Pty>();
    ASSERT_TRUE(pty->Ok());
    Link(1, pty->SlavePath());
    auto& f = Start();
    ASSERT_TRUE(f.CommPortDriver1.IsOpen());

    // While the port is open, re-picking its entry changes nothing.
    f.serialPage->RadioGroupPort->Item(0)->click();
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());

    pty->CloseMaster();
    f.PollPort();
    EXPECT_FALSE(f.CommPortDriver1.IsOpen());
    const std::string lost = f.StatusBar1->currentMessage().toStdString();
    EXPECT_NE(lost.find("pick it again to reopen it"), std::string::npos) << lost;
    EXPECT_EQ(messages.size(), 1u);  // the start-up warning only

    // The adapter is back (here: a new pseudo-terminal behind the same link).
    pty = std::make_unique<Pty>();
    ASSERT_TRUE(pty->Ok());
    std::filesystem::remove(dir / "COM1");
    Link(1, pty->SlavePath());
    f.serialPage->RadioGroupPort->Item(0)->click();
    EXPECT_TRUE(f.CommPortDriver1.IsOpen());
    f.ConnectBtnClick();
    EXPECT_EQ(pty->Read(Framed("  OK").size(), 2000), Framed("  OK"));
}

}  // namespace
}  // namespace kt::test
