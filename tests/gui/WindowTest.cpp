// The main window's composition and the accessibility audit of every page.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <map>
#include <set>

#include "gui/GuiSupport.h"
#include "pages/MainPage.h"
#include "version/Version.h"

namespace kt::test {
namespace {

// A caption without its mnemonic mark.
std::string Plain(QString text) {
    return text.remove('&').toStdString();
}

using Composition = WindowTest;

TEST_F(Composition, PagesInOrderWithCaptionsAndNames) {
    auto& f = Start();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"TabSheet1", "Main"},        {"TabSheet2", "Abonents"},    {"TabSheet3", "External SMS"},
        {"TabSheet4", "Int/Ext SMS"}, {"TabSheet5", "IOname"},      {"TabSheet6", "Analog 1-8"},
        {"TabTCT", "Temp/Counter"},   {"TabSheet8", "SMS Shedule"}, {"TabSheet9", "IO control"},
        {"TabSheet10", "Other"},      {"SRateSBar", "GPRS, FTP"},   {"TabSheet12", "Serial Port"},
        {"TabSheet7", "Analog 9-16"},
    };
    ASSERT_EQ(f.PageControl1->count(), 13);
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(f.PageControl1->widget(i)->objectName().toStdString(), expected[i].first) << i;
        EXPECT_EQ(f.PageControl1->tabText(i).toStdString(), expected[i].second) << i;
    }
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);
    EXPECT_EQ(f.windowTitle().toStdString(), "KT4470.cfg - KT4470QD25E");  // the settings file's name
    EXPECT_EQ(f.size(), QSize(881, 703));
}

// All 13 tabs show at the start size, none behind scroll arrows.
TEST_F(Composition, EveryTabFitsTheStartSize) {
    auto& f = Start();
    f.show();
    QTabBar* bar = f.PageControl1->tabBar();
    EXPECT_FALSE(f.PageControl1->usesScrollButtons());
    EXPECT_LE(bar->sizeHint().width(), f.PageControl1->width());
    for (int i = 0; i < bar->count(); ++i) {
        EXPECT_TRUE(bar->rect().contains(bar->tabRect(i))) << i;
        EXPECT_GE(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(bar->tabText(i))) << i;
    }
}

TEST_F(Composition, SharedControlsAndMenusByName) {
    auto& f = Start();
    for (const char* name :
         {"PageControl1", "MemoSMSinput", "MemoS",          "Status",         "ConnectBtn",
          "TestBtn",      "ClearBtn",     "ExitBtn",        "StatusBar1",     "BRnumber",
          "SMSmode",      "DeleteSMS",    "RadioGroupPort", "RadioGroupRate", "SkipCRLFcb",
          "Label1",       "TrackBar5",    "Edit1",          "ParityEven",     "SaveSettingAfterExitCB"}) {
        EXPECT_NE(f.findChild<QWidget*>(name), nullptr) << name;
    }
    const std::map<std::string, std::string> captions = {
        {"ConnectBtn", "Connect"}, {"TestBtn", "Test"}, {"ClearBtn", "Clear"}, {"ExitBtn", "Exit"}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(f.findChild<QAbstractButton*>(name.c_str())->text().toStdString(), caption);
    EXPECT_EQ(f.Status->text().toStdString(), "Setting Mode");
    EXPECT_TRUE(f.Status->isReadOnly());
    EXPECT_TRUE(f.mainPage->DeleteSMS->isHidden());

    // Menus by object name and caption (mnemonics aside), in order.
    const auto items = [](QWidget* menu) {
        std::vector<std::pair<std::string, std::string>> shown;
        for (QAction* a : menu->actions())
            if (!a->isSeparator()) shown.emplace_back(a->objectName().toStdString(), Plain(a->text()));
        return shown;
    };
    using Items = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(items(f.menuBar()), (Items{{"", "File"}, {"", "Option"}}));
    auto* file = f.menuBar()->actions()[0]->menu();
    auto* option = f.menuBar()->actions()[1]->menu();
    ASSERT_TRUE(file && option);
    EXPECT_EQ(items(file), (Items{{"OpenSettings1", "Open Settings..."},
                                  {"SaveSettingsAs1", "Save Settings As..."},
                                  {"About1", "About"},
                                  {"Exit1", "Exit"}}));
    EXPECT_EQ(items(option), (Items{{"KTM447QD1", "KTM447QD-RT"},
                                    {"SaveSetting1", "Save Setting"},
                                    {"WriteAllSettings1", "Write All Settings to Module..."},
                                    {"WriteChanges1", "Write Changes to Module..."},
                                    {"VerifyModule1", "Verify Module..."},
                                    {"ReadSettings1", "Read Settings from Module..."},
                                    {"Traffic1", "Traffic..."}}));
    EXPECT_FALSE(f.KTM447QD1->isVisible());
}

// Every menu and item has a mnemonic of its own ("&File", "&Option"), also
// items added after the menus were built; the common shortcuts.
TEST_F(Composition, MenusHaveMnemonicsAndShortcuts) {
    auto& f = Start();
    EXPECT_EQ(f.menuBar()->actions()[0]->text().toStdString(), "&File");
    EXPECT_EQ(f.menuBar()->actions()[1]->text().toStdString(), "&Option");
    QMenu* option = f.menuBar()->actions()[1]->menu();
    option->addAction("Later Item");  // as another part of the window may add one
    const auto check = [](QWidget* menu) {
        std::set<QChar> used;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            const QString text = a->text();
            const qsizetype at = text.indexOf('&');
            ASSERT_GE(at, 0) << text.toStdString();
            EXPECT_TRUE(used.insert(text[at + 1].toLower()).second) << text.toStdString();
        }
    };
    check(f.menuBar());
    for (QAction* top : f.menuBar()->actions()) {
        emit top->menu()->aboutToShow();
        check(top->menu());
    }
    EXPECT_EQ(f.SaveSetting1->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(f.Exit1->shortcut(), QKeySequence("Ctrl+Q"));
}

TEST_F(Composition, AboutShowsVersionAndLicence) {
    auto& f = Start();
    messages.clear();
    f.About1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "About KT4470QD25E");
    EXPECT_EQ(messages[0].icon, protocol::MsgIcon::Information);
    for (const std::string& part :
         {std::string("Version ") + Version(), std::string(kLicenceName), std::string("LICENSE")})
        EXPECT_NE(messages[0].text.find(part), std::string::npos) << part;
    EXPECT_EQ(messages[0].text.find("http"), std::string::npos);  // the project has no web address yet
}

TEST_F(Composition, ChangingThePageRecoloursTheEntryControls) {
    auto& f = Start();
    const QColor ivory(255, 255, 245);
    EXPECT_EQ(f.mainPage->BRnumber->palette().color(QPalette::Base), ivory);  // start-up ran it once
    for (QWidget* w : {static_cast<QWidget*>(f.mainPage->BRnumber), static_cast<QWidget*>(f.MemoSMSinput)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, Qt::green);
        w->setPalette(p);
    }
    f.PageControl1->setCurrentIndex(11);
    EXPECT_EQ(f.mainPage->BRnumber->palette().color(QPalette::Base), ivory);
    EXPECT_EQ(f.MemoSMSinput->palette().color(QPalette::Base), ivory);
    EXPECT_EQ(f.ActivePageIndex(), 11);
}

// What the engine sees of the window and does to it.
TEST_F(Composition, EngineViewOfTheWindow) {
    auto& f = Start();
    protocol::IWindow& w = f;
    w.SetControlText("BRnumber", "+49\xE4\x01");  // 8-bit bytes survive
    EXPECT_EQ(w.ModuleNumber(), "+49\xE4\x01");
    EXPECT_EQ(w.ControlText("BRnumber"), "+49\xE4\x01");
    w.SetControlText("NoSuchControl", "x");
    EXPECT_EQ(w.ControlText("NoSuchControl"), "");
    EXPECT_EQ(w.ControlText(""), "");

    w.AppendMemoLine(protocol::Memo::SmsInput, "a");
    w.AppendMemoLine(protocol::Memo::SmsInput, "b");
    w.SetMemoLine(protocol::Memo::SmsInput, 0, "A");
    EXPECT_EQ(w.MemoText(protocol::Memo::SmsInput), "A\r\nb\r\n");
    w.SetMemoText(protocol::Memo::Monitor, "GETST");
    EXPECT_EQ(w.MemoLine(protocol::Memo::Monitor, 0), "GETST");
    EXPECT_EQ(w.MemoLineCount(protocol::Memo::Monitor), 1);

    w.SetStatusColor(protocol::kRed);
    w.SetStatusText(" ");
    EXPECT_EQ(f.Status->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(f.Status->text().toStdString(), " ");

    w.SetBusyCursor(true);
    w.SetBusyCursor(true);  // balanced: one override however often it is asked
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    w.SetBusyCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    EXPECT_FALSE(w.SmsModeChecked());
    f.mainPage->SMSmode->click();
    EXPECT_TRUE(w.SmsModeChecked());
    EXPECT_TRUE(f.Engine().SmsModeActive);  // its click handler ran

    w.ShowMessage("Cell Phone not connected", "Error", protocol::MsgIcon::Error);
    ASSERT_EQ(messages.size(), 2u);  // after the start-up warning
    EXPECT_EQ(messages[1].caption, "Error");
}

// Controls an operator can reach: they must be announced by name.
bool IsControl(QWidget* w) {
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
           qobject_cast<QAbstractSlider*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           qobject_cast<QComboBox*>(w) || qobject_cast<QGroupBox*>(w);
}

// Every visible control on every page has an accessible name, unique on its
// page; the controls below the pages are audited the same way. The pages are
// audited as they start, with the alternate layout's controls shown, and
// with every control start-up hides shown.
TEST_F(Composition, AccessibilityAuditOfEveryPage) {
    auto& f = Start();
    std::vector<QWidget*> scopes;
    for (int i = 0; i < f.PageControl1->count(); ++i)
        scopes.push_back(f.PageControl1->widget(i));
    scopes.push_back(f.centralWidget());
    const auto audit = [&](const std::string& state) {
        SCOPED_TRACE(state);
        int audited = 0;
        for (QWidget* scope : scopes) {
            std::map<std::string, std::string> seen;  // accessible name -> object name
            for (QWidget* w : scope->findChildren<QWidget*>()) {
                if (!IsControl(w) || !w->isVisibleTo(scope)) continue;
                // Inside the page control a page is its own scope.
                if (scope == f.centralWidget() && f.PageControl1->isAncestorOf(w)) continue;
                // Scroll bars of a memo belong to the memo.
                if (qobject_cast<QAbstractSlider*>(w) &&
                    qobject_cast<QAbstractScrollArea*>(w->parentWidget()->parentWidget()))
                    continue;
                ++audited;
                const std::string name = AccessibleName(w);
                const std::string where =
                    scope->objectName().toStdString() + "/" + w->objectName().toStdString();
                EXPECT_FALSE(name.empty()) << where << " has no accessible name";
                // An entry of a radio group is announced within its named group
                // ("Phone book slot", "3"): unique within the group is enough.
                auto* group = qobject_cast<app::TRadioGroup*>(w->parentWidget());
                const std::string key =
                    qobject_cast<QRadioButton*>(w) && group ? AccessibleName(group) + " / " + name : name;
                auto [it, fresh] = seen.emplace(key, w->objectName().toStdString());
                EXPECT_TRUE(fresh || name.empty())
                    << where << " shares the name \"" << name << "\" with " << it->second;
            }
        }
        return audited;
    };
    const int atStart = audit("at start");
    EXPECT_GT(atStart, 30);  // the serial page alone has 16 + 7 entries
    f.ApplyAlternateModule(true);
    EXPECT_GT(audit("alternate layout"), atStart);  // the runtime panel and button
    f.ApplyAlternateModule(false);
    for (QWidget* page : scopes)
        for (QWidget* w : page->findChildren<QWidget*>())
            w->setVisible(true);
    EXPECT_GT(audit("everything shown"), atStart);
}

}  // namespace
}  // namespace kt::test
