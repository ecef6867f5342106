// The buttons below the pages and saving the settings.
#include "app/SerialPortPage.h"
#include "config/SettingsFile.h"
#include "gui/GuiSupport.h"
#include "pages/MainPage.h"

namespace kt::test {
namespace {

using Commands = WindowTest;

TEST_F(Commands, ConnectSendsOkAndTheReplyShowsAfterPollAndTick) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    auto& f = Start();
    f.MemoS->SetText("old command");
    f.MemoSMSinput->SetText("old reply");

    f.ConnectBtnClick();
    EXPECT_EQ(pty.Read(Framed("  OK").size(), 2000), Framed("  OK"));
    EXPECT_EQ(f.MemoS->LineCount(), 0);
    EXPECT_TRUE(f.BusyCursor());

    ASSERT_TRUE(pty.Write("OK\r\n"));
    for (int i = 0; i < 50 && f.CommPortDriver1.Backend().QueuedInput() < 4; ++i)
        usleep(10000);
    f.PollPort();
    f.Tick();
    EXPECT_NE(f.MemoSMSinput->Text().find("OK"), std::string::npos) << f.MemoSMSinput->Text();
    f.Tick();
    EXPECT_FALSE(f.BusyCursor());

    // "Test" after a pass-through command goes out unframed.
    f.Engine().RawMode = true;
    f.TestBtnClick();
    EXPECT_EQ(pty.Read(8, 2000), "  +EXIT\r");
}

TEST_F(Commands, ClearRestoresTheSavedSkipStateAndKeepsTheMonitor) {
    auto& f = Start();
    auto& page = *f.serialPage;
    page.SkipCRLFcb->click();
    EXPECT_TRUE(f.Engine().SkipCRLFSaved);  // the click handler stores the state
    f.Engine().SkipCRLFSaved = false;       // as a pass-through command saves it
    f.MemoS->SetText("GETST");
    f.MemoSMSinput->SetText("reply\r\nlines");
    f.SetBusyCursor(true);

    f.ClearBtnClick();
    EXPECT_FALSE(page.SkipCRLFcb->isChecked());
    EXPECT_EQ(f.MemoSMSinput->LineCount(), 0);
    EXPECT_EQ(f.MemoS->Text(), "GETST\r\n");
    EXPECT_FALSE(f.BusyCursor());

    f.Clear();  // the routine the pages call: both memos, reply flag, raw mode
    f.Engine().RawMode = true;
    f.Clear();
    EXPECT_EQ(f.MemoS->LineCount(), 0);
    EXPECT_TRUE(f.Engine().ReplyToShow);
    EXPECT_FALSE(f.Engine().RawMode);
}

// The close box does what "Exit" does: saved first when "Save Setting after
// Exit" is ticked; otherwise changed pages are saved, discarded or kept open
// as the operator answers. A save that fails keeps the window open unless
// the operator discards the settings.
TEST_F(Commands, CloseBoxAndExitSaveOrAsk) {
    using app::Answer;
    enum class Way { CloseBox, ExitButton, ExitItem };
    const struct {
        const char* what;
        bool option, change, unwritable;
        Way way;
        Answer answer;  // to the question, if one is asked
        int questions;
        bool closes, saved;
    } cases[] = {
        {"option: close box saves", true, true, false, Way::CloseBox, Answer::Cancel, 0, true, true},
        {"option: Exit saves", true, true, false, Way::ExitButton, Answer::Cancel, 0, true, true},
        {"nothing changed", false, false, false, Way::CloseBox, Answer::Cancel, 0, true, false},
        {"changed: Save", false, true, false, Way::CloseBox, Answer::Save, 1, true, true},
        {"changed: Discard", false, true, false, Way::ExitItem, Answer::Discard, 1, true, false},
        {"changed: Cancel", false, true, false, Way::ExitButton, Answer::Cancel, 1, false, false},
        {"option, save fails: Cancel", true, true, true, Way::CloseBox, Answer::Cancel, 1, false, false},
        {"option, save fails: Discard", true, true, true, Way::ExitButton, Answer::Discard, 1, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir / "KT4470.cfg");
        auto& f = Start();
        f.show();
        if (c.option) f.serialPage->SaveSettingAfterExitCB->setChecked(true);
        if (c.change) f.mainPage->BRnumber->setText("+4930123");
        if (c.unwritable)
            std::filesystem::create_directory(dir / "KT4470.cfg");  // not writable, even for root
        questions.clear();
        messages.clear();
        answerQuestion = [&c](const app::Question&) { return c.answer; };
        switch (c.way) {
            case Way::CloseBox:
                f.close();
                break;
            case Way::ExitButton:
                f.ExitBtnClick();
                break;
            case Way::ExitItem:
                f.Exit1->trigger();
                break;
        }
        EXPECT_EQ(!f.isVisible(), c.closes);
        EXPECT_TRUE(messages.empty());  // a question, not a box on top of it
        ASSERT_EQ(questions.size(), static_cast<size_t>(c.questions));
        if (c.unwritable) {
            EXPECT_EQ(questions[0].text.rfind("KT4470.cfg access error\r\n", 0), 0u) << questions[0].text;
            EXPECT_NE(questions[0].text.find("not a regular file"), std::string::npos) << questions[0].text;
            EXPECT_EQ(questions[0].defaultButton, Answer::Cancel);
            EXPECT_TRUE(std::filesystem::is_directory(dir / "KT4470.cfg"));
        } else if (c.questions) {
            EXPECT_EQ(questions[0].buttons,
                      (std::vector<Answer>{Answer::Save, Answer::Discard, Answer::Cancel}));
            EXPECT_EQ(questions[0].defaultButton, Answer::Save);
            if (!c.closes) {
                EXPECT_TRUE(f.PagesDiffer());  // kept open, changes and all
            }
            EXPECT_EQ(std::filesystem::exists(dir / "KT4470.cfg"), c.saved);
        }
        if (c.saved) {
            EXPECT_EQ(SavedRecord().ModuleNumber(), "+4930123");
            EXPECT_EQ(SavedRecord().SaveOnExit(), c.option);
        } else if (!c.unwritable) {
            EXPECT_FALSE(std::filesystem::exists(dir / "KT4470.cfg"));
        }
    }
    std::filesystem::remove_all(dir / "KT4470.cfg");
}

TEST_F(Commands, SaveSettingKeepsFieldsItDoesNotOwnByteForByte) {
    Pty pty;
    ASSERT_TRUE(pty.Ok());
    Link(1, pty.SlavePath());
    config::ConfigRecord rec;
    uint32_t seed = 12345;
    for (auto& b : rec.Bytes()) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    // Values the window's own controls can hold.
    rec.SetRateIndex(3);
    rec.SetPortIndex(0);
    rec.SetWaitSmsTimeout(777);
    rec.SetSmsPollFactor(-4);
    rec.SetModuleNumber("+111");
    rec.SetModuleNumberCopy("+222");
    rec.SetSmsModeOn(false);
    rec.SetDeleteSms(true);
    rec.SetParityEvenOn(true);
    rec.SetSkipCrLf(false);
    rec.SetSaveOnExit(false);
    rec.SetAlternateModule(true);
    rec.SetReserved10(7);  // above 4: saved as 0
    WriteSettings(rec);
    const std::string original = ReadFile("KT4470.cfg");

    auto& f = Start();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(f.CommPortDriver1.Parity(), serial::ptEVEN);
    f.serialPage->SkipCRLFcb->setChecked(true);
    f.SaveSetting1->trigger();
    const std::string saved = ReadFile("KT4470.cfg");
    ASSERT_EQ(saved.size(), config::kRecordSize);

    config::ConfigRecord out;
    std::copy(saved.begin(), saved.end(), out.Bytes().begin());
    EXPECT_EQ(out.ModuleNumber(), "+222");
    EXPECT_EQ(out.ModuleNumberCopy(), "+222");
    EXPECT_EQ(out.RateIndex(), 3);
    EXPECT_EQ(out.WaitSmsTimeout(), 777);
    EXPECT_EQ(out.SmsPollFactor(), -4);  // unclamped
    EXPECT_EQ(out.Reserved10(), 0);
    EXPECT_EQ(out.Reserved8(), rec.Reserved8());  // carried values
    EXPECT_EQ(out.Reserved12(), rec.Reserved12());
    EXPECT_TRUE(out.SkipCrLf());
    EXPECT_TRUE(out.ParityEvenOn());
    EXPECT_TRUE(out.AlternateModule());
    EXPECT_TRUE(out.DeleteSms());

    // Every byte outside the fields the save rows write is as the file had it.
    std::vector<bool> owned(config::kRecordSize, false);
    const auto fields = f.Settings().OwnedFields();
    EXPECT_TRUE(fields.count(config::FieldId::ModuleNumberCopy));
    for (config::FieldId id : fields) {
        const auto& def = config::Field(id);
        for (int n = 1; n <= def.count; ++n)
            for (size_t i = 0; i < def.size; ++i)
                owned[def.ElementOffset(n) + i] = true;
    }
    for (size_t i = 0; i < config::kRecordSize; ++i) {
        if (!owned[i]) {
            EXPECT_EQ(saved[i], original[i]) << "byte " << i;
        }
    }

    // Saving twice gives the same file.
    f.SaveSetting1Click();
    EXPECT_EQ(ReadFile("KT4470.cfg"), saved);
}

}  // namespace
}  // namespace kt::test
