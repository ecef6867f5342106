// What the operator is told and can reach: the no-answer line and the refused
// send, settings files (Open, Save As, recent files, a file given at start),
// the keyboard, and every control at 800 x 600.
#include <QAbstractSlider>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "config/SettingsFile.h"
#include "gui/GuiSupport.h"
#include "pages/MainPage.h"

namespace kt::test {
namespace {

class OperatorTest : public PtyWindowTest {
  protected:
    std::string Bar() const { return form->StatusBar1->currentMessage().toStdString(); }
    static bool WriteFile(const std::filesystem::path& file, const std::string& bytes) {
        FILE* f = fopen(file.c_str(), "wb");
        if (!f) return false;
        const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return fclose(f) == 0 && written;
    }
    // A settings file holding `number` as the module's number, and `apn`.
    static void WriteRecord(const std::filesystem::path& file, const std::string& number,
                            const std::string& apn = "") {
        config::ConfigRecord rec;
        rec.SetModuleNumberCopy(number);
        rec.SetApn(apn);
        ASSERT_TRUE(WriteFile(file, std::string(rec.Bytes().begin(), rec.Bytes().end())));
    }
    // The record a settings file holds (an empty one when it is no whole record).
    static config::ConfigRecord Read(const std::filesystem::path& file) {
        config::ConfigRecord rec;
        std::string error;
        EXPECT_TRUE(config::LoadRecordFile(file.string(), rec, &error)) << error;
        return rec;
    }
    std::string Number() const { return form->mainPage->BRnumber->text().toStdString(); }
    std::string Title() const { return form->windowTitle().toStdString(); }
    // The shown window, active, with the focus where a keyboard user has it.
    void Show() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
};

TEST_F(OperatorTest, NoAnswerIsSaidAndAClosedPortRefusesTheSend) {
    auto& f = StartOnPty();
    const std::string portState = Bar();
    Click("ReadState");
    ExpectSent("GETST");
    clock.steadyMs += 4999;
    f.Tick();
    EXPECT_EQ(Bar(), portState);
    clock.steadyMs += 1;
    f.Tick();
    EXPECT_EQ(Bar(), "No answer to GETST within 5 s");
    EXPECT_NE(f.MemoSMSinput->Text().find("No answer to GETST within 5 s\r\n"), std::string::npos);
    EXPECT_EQ(f.MemoS->Text(), "GETST\r\n");
    EXPECT_FALSE(f.BusyCursor());
    // The next command takes the notice back.
    Click("ReadState");
    ExpectSent("GETST");
    EXPECT_EQ(Bar(), portState);

    std::filesystem::remove(dir / "COM1");
    auto& g = StartWithoutPort();
    ASSERT_FALSE(g.CommPortDriver1.IsOpen());
    Click("ReadState");
    EXPECT_EQ(Bar().rfind("GETST not sent: COM1 -> ", 0), 0u) << Bar();
    EXPECT_NE(Bar().find(": cannot open: no such device"), std::string::npos) << Bar();
    EXPECT_FALSE(g.BusyCursor());
}

// Open and Save As move the window between settings files: the title names
// the file, "Save Setting" writes to it, the recent files list them newest
// first and survive a restart; a file that cannot be used changes nothing.
TEST_F(OperatorTest, SettingsFilesOpenSaveAsAndRecent) {
    const auto a = dir / "a.cfg", b = dir / "b.cfg", shortFile = dir / "short.cfg";
    WriteRecord(b, "+222", "internet.b");
    ASSERT_TRUE(WriteFile(shortFile, std::string(100, '\1')));
    auto& f = StartOnPty();
    EXPECT_EQ(Title(), "KT4470.cfg - KT4470QD25E");
    EXPECT_TRUE(f.Recent().Files().empty());

    f.mainPage->BRnumber->setText("+111");
    chosenFile = [&](app::FileDialog kind) { return kind == app::FileDialog::Save ? a : b; };
    f.SaveSettingsAs1->trigger();
    EXPECT_EQ(Read(a).ModuleNumber(), "+111");
    EXPECT_FALSE(std::filesystem::exists(dir / "KT4470.cfg"));
    EXPECT_EQ(Title(), "a.cfg - KT4470QD25E");
    EXPECT_EQ(Bar(), "Settings saved to " + a.string());
    EXPECT_FALSE(f.PagesDiffer());

    // Unsaved changes are asked about before another file replaces them.
    f.mainPage->BRnumber->setText("+333");
    answerQuestion = [](const app::Question&) { return app::Answer::Discard; };
    f.OpenSettings1->trigger();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].text.find("a.cfg"), std::string::npos) << questions[0].text;
    EXPECT_EQ(Number(), "+222");
    EXPECT_EQ(Title(), "b.cfg - KT4470QD25E");
    EXPECT_EQ(Read(a).ModuleNumber(), "+111");  // discarded
    EXPECT_EQ(fileDialogs, (std::vector<std::string>{"Save Settings As", "Open Settings"}));
    // "Write Changes" compares with the file just opened, not with the start.
    messages.clear();
    f.WriteChanges1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text.rfind("Nothing to send: ", 0), 0u) << messages[0].text;

    // "Save Setting" writes the window's file, and says so.
    f.mainPage->BRnumber->setText("+444");
    f.SaveSetting1->trigger();
    EXPECT_EQ(Read(b).ModuleNumber(), "+444");
    EXPECT_EQ(Bar(), "Settings saved to " + b.string());

    // A file that is not a whole record is refused with the reason.
    messages.clear();
    chosenFile = [&](app::FileDialog) { return shortFile; };
    f.OpenSettings1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "KT4470.cfg access error\r\n" + shortFile.string() +
                                    " holds 100 bytes, a settings record needs 4200");
    EXPECT_EQ(Number(), "+444");
    EXPECT_EQ(Title(), "b.cfg - KT4470QD25E");

    // Newest first, in the "File" menu, and there again after a restart.
    EXPECT_EQ(f.Recent().Files(), (std::vector<std::filesystem::path>{b, a}));
    auto& g = StartOnPty();
    ASSERT_EQ(g.RecentFile.size(), 2u);
    EXPECT_EQ(g.RecentFile[0]->text().toStdString(), "&1 " + b.string());
    EXPECT_EQ(g.RecentFile[1]->text().toStdString(), "&2 " + a.string());
    g.RecentFile[1]->trigger();
    EXPECT_EQ(Number(), "+111");
    EXPECT_EQ(g.Recent().Files(), (std::vector<std::filesystem::path>{a, b}));
    // A recent file that is gone leaves the list.
    std::filesystem::remove(b);
    messages.clear();
    g.RecentFile[1]->trigger();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(g.Recent().Files(), (std::vector<std::filesystem::path>{a}));
    EXPECT_EQ(g.RecentFile.size(), 1u);
}

// kt4470 FILE: the window loads FILE as KT4470.cfg at start (an all-zero
// record silently, a missing file with a warning naming it), names it in the
// title, saves there and keeps a file it read among the recent files.
TEST_F(OperatorTest, FileGivenAtStartIsTheWindowsFile) {
    const struct {
        const char* what;
        std::optional<std::string> number;  // the file's module number; none: no file
        bool zeros;                         // the file is all zero bytes
        std::string shown;
    } cases[] = {
        {"a record", "+4917012", false, "+4917012"},
        {"all zero bytes", std::nullopt, true, ""},
        {"missing", std::nullopt, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        settingsFile = dir / (std::string(c.what) + ".cfg");
        if (c.number) WriteRecord(settingsFile, *c.number);
        if (c.zeros) {
            ASSERT_TRUE(WriteFile(settingsFile, std::string(config::kRecordSize, '\0')));
        }
        messages.clear();
        questions.clear();
        auto& f = Start();
        const bool exists = c.number || c.zeros;
        ASSERT_EQ(messages.size(), exists ? 0u : 1u);
        if (!exists) {
            EXPECT_EQ(messages[0].text,
                      "KT4470.cfg access error\r\n" + settingsFile.string() + " does not exist");
        }
        EXPECT_EQ(f.BlankSettings(), !c.number);
        EXPECT_EQ(Number(), c.shown);
        EXPECT_EQ(Title(), settingsFile.filename().string() + " - KT4470QD25E");
        const auto& recent = f.Recent().Files();
        EXPECT_EQ(!recent.empty() && recent.front() == settingsFile, exists);
        EXPECT_FALSE(f.PagesDiffer());  // closing asks nothing
        f.mainPage->BRnumber->setText("+4917099");
        f.SaveSetting1Click();
        EXPECT_EQ(Read(settingsFile).ModuleNumber(), "+4917099");
        EXPECT_TRUE(questions.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "KT4470.cfg"));
}

// The last-command line is read-only and Tab leaves it; Ctrl+Tab and
// Ctrl+Shift+Tab turn the pages from wherever the focus is.
TEST_F(OperatorTest, KeyboardLeavesTheLastCommandLineAndTurnsPages) {
    auto& f = StartOnPty();
    Show();
    f.MemoS->SetText("GETST");
    f.MemoS->setFocus();
    ASSERT_TRUE(f.MemoS->hasFocus());
    QTest::keyClicks(f.MemoS, "x");
    QTest::keyClick(f.MemoS, Qt::Key_Tab);
    EXPECT_FALSE(f.MemoS->hasFocus());
    EXPECT_EQ(f.MemoS->Text(), "GETST\r\n");

    f.mainPage->BRnumber->setFocus();
    const struct {
        QWidget* from;
        Qt::KeyboardModifiers keys;
        int page;
    } turns[] = {
        {f.mainPage->BRnumber, Qt::ControlModifier, 1},
        {f.MemoSMSinput, Qt::ControlModifier, 2},
        {f.MemoSMSinput, Qt::ControlModifier | Qt::ShiftModifier, 1},
        {f.ExitBtn, Qt::ControlModifier | Qt::ShiftModifier, 0},
        {f.ExitBtn, Qt::ControlModifier | Qt::ShiftModifier, 12},  // round to the last page
        {f.PageControl1, Qt::ControlModifier, 0},
    };
    for (const auto& t : turns) {
        t.from->setFocus();
        QTest::keyClick(t.from, (t.keys & Qt::ShiftModifier) ? Qt::Key_Backtab : Qt::Key_Tab, t.keys);
        EXPECT_EQ(f.PageControl1->currentIndex(), t.page) << t.from->objectName().toStdString();
    }
}

// At 800 x 600 the window scrolls: every control of every page, and every
// control below the pages, can be brought into view whole.
TEST_F(OperatorTest, EveryControlCanBeReachedAt800x600) {
    auto& f = StartOnPty();
    f.resize(800, 600);
    Show();
    QWidget* viewport = f.ClientArea->viewport();
    const auto reachable = [&](QWidget* w) {
        // Scrolled so that the whole control shows (ensureWidgetVisible shows an edit's cursor only).
        const QPoint centre = w->mapTo(f.ClientArea->widget(), w->rect().center());
        f.ClientArea->ensureVisible(centre.x(), centre.y(), w->width() / 2 + 1, w->height() / 2 + 1);
        const QRect shown(w->mapTo(viewport, QPoint(0, 0)), w->size());
        return viewport->rect().contains(shown);
    };
    int checked = 0;
    for (int page = 0; page < f.PageControl1->count(); ++page) {
        f.PageControl1->setCurrentIndex(page);
        QWidget* p = f.PageControl1->widget(page);
        for (QWidget* w : p->findChildren<QWidget*>()) {
            if (!w->isVisible() || !w->findChildren<QWidget*>().isEmpty())
                continue;  // the controls themselves
            ++checked;
            EXPECT_TRUE(reachable(w)) << "page " << page << ": " << w->objectName().toStdString();
        }
    }
    for (QWidget* w : {static_cast<QWidget*>(f.MemoSMSinput), static_cast<QWidget*>(f.MemoS),
                       static_cast<QWidget*>(f.Status), static_cast<QWidget*>(f.ConnectBtn),
                       static_cast<QWidget*>(f.ExitBtn)})
        EXPECT_TRUE(reachable(w)) << w->objectName().toStdString();
    EXPECT_GT(checked, 500);
    EXPECT_TRUE(f.ClientArea->verticalScrollBar()->isVisible());

    // At the start size nothing scrolls.
    f.resize(881, 703);
    QApplication::processEvents();
    EXPECT_FALSE(f.ClientArea->verticalScrollBar()->isVisible());
    EXPECT_FALSE(f.ClientArea->horizontalScrollBar()->isVisible());
}

}  // namespace
}  // namespace kt::test
