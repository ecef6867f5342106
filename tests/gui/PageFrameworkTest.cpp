// The page framework: controls built from rows, handlers reached by the
// names of family members, twins mirrored for one step, the settings rows in
// their order, and the window's registry, recolouring and alternate layout.
#include <QAbstractSlider>
#include <QLineEdit>
#include <QScrollBar>
#include <set>

#include "gui/GuiSupport.h"
#include "pages/MainPage.h"
#include "pages/PageBuilder.h"
#include "pages/SettingsTable.h"
#include "protocol/PageReply.h"

namespace kt::test {
namespace {

using app::ControlRegistry;
using app::PageBuilder;

struct WithApp {
    WithApp() { EnsureApp(); }
};

class Builder : public ::testing::Test, WithApp {
  protected:
    QWidget page;
    ControlRegistry registry;
    PageBuilder build{&page, registry};
};

TEST_F(Builder, FamiliesGetTheirNamesPlacesAndOneHandlerReachedByEveryMemberName) {
    std::vector<int> clicked;
    const auto buttons = build.Buttons(
        {"TXTSMSb%1", 1, 57, {.x = 10, .y = 20, .w = 30, .h = 21, .dy = 24, .perLine = 19, .lineDx = 280}},
        {.caption = "WR", .accessible = "Send text %1", .click = [&](int n) { clicked.push_back(n); }});
    ASSERT_EQ(buttons.size(), 57u);
    EXPECT_EQ(buttons[4]->objectName(), "TXTSMSb5");
    EXPECT_EQ(buttons[4]->accessibleName(), "Send text 5");
    EXPECT_EQ(buttons[0]->geometry(), QRect(10, 20, 30, 21));
    EXPECT_EQ(buttons[18]->geometry(), QRect(10, 20 + 18 * 24, 30, 21));  // last of the first column
    EXPECT_EQ(buttons[19]->geometry(), QRect(290, 20, 30, 21));           // top of the second
    EXPECT_EQ(registry.Find("TXTSMSb57"), buttons[56]);

    buttons[56]->click();
    EXPECT_TRUE(registry.RunHandler("TXTSMSb5Click"));
    EXPECT_FALSE(registry.RunHandler("TXTSMSb58Click"));
    EXPECT_EQ(clicked, (std::vector<int>{57, 5}));

    // Irregular names: one function for the whole family.
    const auto irregular = [](int n) {
        return std::string(n >= 2 && n <= 8 ? "MinLv" : "Minlv") + std::to_string(n);
    };
    std::vector<int> changed;
    build.Edits({irregular, 1, 16, {.w = 20, .h = 21, .dx = 40}},
                {.maxLength = 2,
                 .readOnly = true,
                 .accessible = "Analog input %1 minimum value",
                 .change = [&](int n) { changed.push_back(n); }});
    for (const char* name : {"Minlv1", "MinLv2", "MinLv8", "Minlv9", "Minlv16"})
        EXPECT_NE(registry.Get<QLineEdit>(name), nullptr) << name;
    EXPECT_EQ(registry.Find("MinLv9"), nullptr);
    EXPECT_TRUE(registry.RunHandler("MinLv8Change"));
    registry.Get<QLineEdit>("Minlv16")->setText("07");  // a program change runs the handler too
    EXPECT_EQ(changed, (std::vector<int>{8, 16}));

    // A handler shared by name is one handler; a second control of a name is refused.
    int shared = 0;
    for (const char* group : {"RadioGroup1", "RTsource"})
        build.Radio({group, {}},
                    {.items = {"a", "b"}, .click = [&](int) { ++shared; }, .handler = "RadioGroup1Click"});
    EXPECT_TRUE(registry.RunHandler("RadioGroup1Click"));
    registry.Get<app::TRadioGroup>("RTsource")->SetItemIndex(1);
    EXPECT_EQ(shared, 2);
    EXPECT_THROW(build.Button({"TXTSMSb1", {}}, {.caption = "x"}), std::logic_error);
}

// A family of check boxes may start member by member; the window's
// definition runs no handler.
TEST_F(Builder, CheckBoxesStartAsTheirMemberSays) {
    std::vector<int> clicked;
    const auto boxes = build.Checks(
        {"oCheckBox%1", 3, 6, {}},
        {.checkedOf = [](int k) { return k % 2 == 1; }, .click = [&](int k) { clicked.push_back(k); }});
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(std::vector<bool>({boxes[0]->isChecked(), boxes[1]->isChecked(), boxes[2]->isChecked(),
                                 boxes[3]->isChecked()}),
              std::vector<bool>({true, false, true, false}));
    EXPECT_TRUE(clicked.empty());
    boxes[1]->click();
    EXPECT_EQ(clicked, std::vector<int>{4});
}

// Each bar shows its own position; the mirror stops once the twin's
// position no longer changes, also when the twin's range is narrower.
TEST_F(Builder, TwinsMirrorForOneStepWithinTheirOwnRanges) {
    std::map<std::string, int> runs;
    auto bar = [&](const char* name, int min, int max) {
        return build.ScrollBar(
            {name, {}},
            {.min = min, .max = max, .position = min, .change = [&runs, name](int) { ++runs[name]; }});
    };
    QScrollBar* io = bar("DLoggerTmSB", 1, 6);
    QScrollBar* gprs = bar("eDLoggerTmSB", 1, 9);
    app::MirrorTwins(registry,
                     {{"DLoggerTmSB", "eDLoggerTmSB"}, {"SRateSB", "eSRateSB"}});  // one pair absent

    gprs->setValue(4);
    EXPECT_EQ(io->value(), 4);
    EXPECT_EQ(runs, (std::map<std::string, int>{{"DLoggerTmSB", 1}, {"eDLoggerTmSB", 1}}));
    gprs->setValue(8);  // the twin stops at 6 and pulls this one back
    EXPECT_EQ(io->value(), 6);
    EXPECT_EQ(gprs->value(), 6);
    io->setValue(6);  // no change: nothing runs
    EXPECT_EQ(runs["DLoggerTmSB"], 2);
}

TEST_F(Builder, SettingsRowsRunInStepOrderAndDeclareWhatTheySave) {
    using config::FieldId;
    build.Edits({"NNumber%1", 1, 7, {}}, {});
    build.ScrollBars({"ScrollBarMin%1", 1, 16, {}}, {.min = 0, .max = 99});
    app::SettingsTable table(registry);
    std::vector<std::string> ran;
    table.Load({17}, "masks", [&](config::ConfigRecord&) { ran.push_back("17"); });
    table.Texts({7}, {4}, "NNumber%1", FieldId::AlarmNumber);
    table.Load({7, 1}, "after the numbers", [&](config::ConfigRecord&) { ran.push_back("7.1"); });
    table.Values({24}, {10}, "ScrollBarMin%1", FieldId::AnalogMin);
    table.Load({3}, "first", [&](config::ConfigRecord&) { ran.push_back("3"); });

    config::ConfigRecord rec;
    rec.SetAlarmNumber(7, "+4915112345678");
    rec.SetAnalogMin(3, 150);  // limited by the bar
    table.RunLoad(rec);
    EXPECT_EQ(ran, (std::vector<std::string>{"3", "7.1", "17"}));
    EXPECT_EQ(registry.Get<QLineEdit>("NNumber7")->text(), "+4915112345678");
    EXPECT_EQ(registry.Get<QScrollBar>("ScrollBarMin3")->value(), 99);

    registry.Get<QLineEdit>("NNumber1")->setText(QString(25, '1'));
    table.RunSave(rec);
    EXPECT_EQ(rec.AlarmNumber(1), std::string(20, '1'));  // cut to the field
    EXPECT_EQ(rec.AnalogMin(3), 99);
    EXPECT_EQ(table.OwnedFields(), (std::set<FieldId>{FieldId::AlarmNumber, FieldId::AnalogMin}));
}

// ---- the window -------------------------------------------------------------------------

using Framework = WindowTest;

// Every name the replies, the settings rows and the page change use is a
// control of the expected kind (as far as its page is built).
TEST_F(Framework, NamesInUseResolveToControlsOfTheirKind) {
    auto& f = Start();
    for (const auto& [page, name] : protocol::PageReplyTargets()) {
        if (f.PageAt(page)->findChildren<QWidget*>().isEmpty()) continue;  // page not built yet
        EXPECT_NE(f.Controls().Get<QLineEdit>(name), nullptr) << name;
    }
    for (const std::string& name : f.Settings().BoundNames())
        EXPECT_NE(f.Controls().Find(name), nullptr) << name;

    // The recoloured controls are exactly the entry controls of the list that exist.
    std::set<std::string> listed = {
        "BRnumber",    "MemoSMSinput", "APN",     "UserID",       "Password",    "IPaddress", "FTPHostName",
        "UserNameFTP", "PasswordFTP",  "DirName", "AkoeffStr",    "ADividerStr", "TNrFilter", "ANrFilter",
        "DNrFilter",   "Minlv1",       "Maxlv1",  "T1min",        "T1max",       "T2min",     "T2max",
        "T3min",       "T3max",        "RT1",     "FormatSelect", "SRate",       "DLoggerTm"};
    const auto family = [&listed](const char* prefix, int from, int to) {
        for (int i = from; i <= to; ++i)
            listed.insert(prefix + std::to_string(i));
    };
    family("NNumber", 1, 7);
    family("PBnr", 1, 7);
    family("TXTSMS", 1, 57);
    family("iTXTSMS", 1, 97);
    family("MinLv", 2, 8);
    family("MaxLv", 2, 8);
    family("PulseD", 1, 8);
    family("Output", 1, 7);
    std::set<std::string> recoloured;
    for (QWidget* w : f.Controls().Recoloured())
        recoloured.insert(w->objectName().toStdString());
    for (const std::string& name : listed)
        EXPECT_EQ(recoloured.count(name), f.Controls().Find(name) ? 1u : 0u) << name;
    EXPECT_EQ(recoloured.size(), std::count_if(listed.begin(), listed.end(), [&](const std::string& n) {
                  return f.Controls().Find(n) != nullptr;
              }));
}

// The action checks itself before it triggers; the handler flips the stored
// option once and sets the mark from it.
TEST_F(Framework, AlternateModuleActionFlipsTheStoredOptionOnce) {
    auto& f = Start();
    ASSERT_FALSE(f.Config.AlternateModule());
    f.KTM447QD1->trigger();
    EXPECT_TRUE(f.Config.AlternateModule());
    EXPECT_TRUE(f.KTM447QD1->isChecked());
    EXPECT_FALSE(f.mainPage->ReadRT->isHidden());
    EXPECT_TRUE(f.Controls().RunHandler("KTM447QD1Click"));
    EXPECT_FALSE(f.Config.AlternateModule());
    EXPECT_FALSE(f.KTM447QD1->isChecked());
    EXPECT_TRUE(f.mainPage->ReadRT->isHidden());
}

}  // namespace
}  // namespace kt::test
