// Shared set-up of the window tests: one offscreen QApplication, a temporary
// working directory with COMn links to pseudo-terminals, and a TForm1 built
// there with manual timers and recorded message boxes; the page tests' window
// on a pseudo-terminal as COM1 with its controls by name.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Form1.h"
#include "config/ConfigRecord.h"
#include "config/UserFolders.h"
#include "support/Pty.h"

namespace kt::test {

inline void EnsureApp() {
    static QApplication* app = [] {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "kt_gui_test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

struct ShownMessage {
    std::string text, caption;
    protocol::MsgIcon icon;
};

class FixedClock : public protocol::IClock {
  public:
    protocol::LocalTime Now() const override { return {2026, 12, 6, 17, 40, 5}; }
    int64_t SteadyMs() const override { return steadyMs; }
    int64_t steadyMs = 0;  // the monotonic time; the test moves it on
};

// A working directory of its own, removed afterwards.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureApp();
        char pattern[] = "/tmp/kt_gui_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        // The per-user data folder (session logs) is the test's own.
        if (const char* before = std::getenv(config::kDataDirVariable)) dataDirBefore = before;
        setenv(config::kDataDirVariable, dir.c_str(), 1);
    }
    void TearDown() override {
        form.reset();
        if (dataDirBefore)
            setenv(config::kDataDirVariable, dataDirBefore->c_str(), 1);
        else
            unsetenv(config::kDataDirVariable);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // COMn in the working directory pointing at `target`.
    void Link(int n, const std::string& target) {
        std::filesystem::create_symlink(target, dir / ("COM" + std::to_string(n)));
    }

    void WriteSettings(const config::ConfigRecord& rec) {
        FILE* f = fopen((dir / "KT4470.cfg").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(fwrite(rec.Bytes().data(), 1, rec.Bytes().size(), f), rec.Bytes().size());
        fclose(f);
    }

    std::string ReadFile(const std::string& name) {
        std::string out;
        FILE* f = fopen((dir / name).c_str(), "rb");
        if (!f) return out;
        char buf[8192];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        fclose(f);
        return out;
    }

    // The settings file as a record; an empty record when it is not a whole one.
    config::ConfigRecord SavedRecord() {
        const std::string bytes = ReadFile("KT4470.cfg");
        config::ConfigRecord rec;
        EXPECT_EQ(bytes.size(), config::kRecordSize);
        if (bytes.size() == config::kRecordSize) std::copy(bytes.begin(), bytes.end(), rec.Bytes().begin());
        return rec;
    }

    app::TForm1& Start() {
        app::FormOptions o;
        o.workDir = dir;
        o.clock = &clock;
        o.manualTimers = true;
        o.answerRule = answerRule;
        o.settingsFile = settingsFile;
        o.showMessage = [this](const std::string& t, const std::string& c, protocol::MsgIcon i) {
            messages.push_back({t, c, i});
        };
        o.ask = [this](const app::Question& q) {
            questions.push_back(q);
            return answerQuestion ? answerQuestion(q) : q.defaultButton;
        };
        o.chooseFile = [this](app::FileDialog kind, const std::string& caption, const std::filesystem::path&,
                              const std::string&) {
            fileDialogs.push_back(caption);
            return chosenFile ? chosenFile(kind) : std::filesystem::path();
        };
        if (moreOptions) moreOptions(o);
        form = std::make_unique<app::TForm1>(o);
        return *form;
    }

    std::filesystem::path dir;
    std::optional<std::string> dataDirBefore;
    std::filesystem::path settingsFile;  // given at start (empty: KT4470.cfg in dir)
    FixedClock clock;
    // The answer rule of the window's runs (tests of long runs shorten it).
    protocol::AnswerRule answerRule;
    std::vector<ShownMessage> messages;
    // Questions asked, and the answer given (null: the default button).
    std::vector<app::Question> questions;
    std::function<app::Answer(const app::Question&)> answerQuestion;
    // File dialogs shown (their captions), and the file chosen (null: cancelled).
    std::vector<std::string> fileDialogs;
    std::function<std::filesystem::path(app::FileDialog)> chosenFile;
    // Changes the options of the next Start() (a device tree, a bindings file).
    std::function<void(app::FormOptions&)> moreOptions;
    std::unique_ptr<app::TForm1> form;
};

// The framed direct-mode command as it appears on the wire.
inline std::string Framed(const std::string& command) {
    return std::string(14, ' ') + "SETUP:" + command + '\r' + std::string(1, '\0');
}

// Two digits at least: 7 as "07".
inline std::string Two(int v) {
    return (v >= 0 && v < 10 ? "0" : "") + std::to_string(v);
}

// What a screen reader announces for the control.
inline std::string AccessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name).toStdString() : std::string();
}

// The window with COM1 on a pseudo-terminal (or on no device), what it
// writes there and the module's answers, and its controls by name.
class PtyWindowTest : public WindowTest {
  protected:
    // The window with COM1 on the pseudo-terminal. A restart closes the
    // running window first, as the port is opened exclusively; a COM1 link
    // made before (a simulator's, or one to no device) stays.
    app::TForm1& StartOnPty() {
        EXPECT_TRUE(pty.Ok());
        return Restart(pty.SlavePath());
    }
    // The window with COM1 naming a device that does not exist.
    app::TForm1& StartWithoutPort() { return Restart((dir / "no-such-device").string()); }
    // Runs after every start: fixtures keep their page pointers here.
    virtual void Started(app::TForm1&) {}

    // What the window wrote: `count` bytes, plus anything that follows at once.
    std::string Wire(size_t count) {
        std::string got = pty.Read(count, 2000);  // first: the operands of + are unsequenced
        return got + pty.ReadAll(30);
    }
    // The command went out framed, and nothing after it.
    void ExpectSent(const std::string& command) { EXPECT_EQ(Wire(Framed(command).size()), Framed(command)); }

    // An unanswered pass-through command left RawMode set, no reply to show
    // and an old reply in the memo.
    void AfterPassThrough() {
        form->Engine().RawMode = true;
        form->Engine().ReplyToShow = false;
        form->MemoSMSinput->SetText("old reply");
    }

    // The module's answer arrives; the window polls the port and ticks once.
    void Deliver(const std::string& reply) {
        ASSERT_TRUE(pty.Write(reply));
        for (int i = 0; i < 200 && form->CommPortDriver1.Backend().QueuedInput() < int32_t(reply.size()); ++i)
            usleep(5000);
        form->PollPort();
        form->Tick();
    }
    // Polls the port and ticks until `done` holds (10 s at most), for the
    // answers of a simulated module.
    bool Until(const std::function<bool()>& done) {
        for (int i = 0; i < 2000 && !done(); ++i) {
            form->PollPort();
            if (i % 10 == 9) form->Tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }
    // Until the reply memo holds `text`.
    bool ReplyShows(const std::string& text) {
        return Until([&] { return form->MemoSMSinput->Text().find(text) != std::string::npos; });
    }

    // A control by its name in the window's registry.
    template <class T = QWidget>
    T* C(const std::string& name) const {
        T* w = form->Controls().Get<T>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string Text(const std::string& name) const { return app::TextOf(C(name)); }
    void SetText(const std::string& name, const std::string& text) { app::SetTextOf(C(name), text); }
    int Value(const std::string& name) const { return app::ValueOf(C(name)); }
    void SetValue(const std::string& name, int value) { app::SetValueOf(C(name), value); }
    void Click(const std::string& name) {
        auto* b = C<QAbstractButton>(name);
        ASSERT_NE(b, nullptr);
        b->click();
    }

    Pty pty;

  private:
    app::TForm1& Restart(const std::string& com1) {
        form.reset();
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(dir / "COM1", ec))) Link(1, com1);
        auto& f = Start();
        messages.clear();  // the missing settings file
        Started(f);
        return f;
    }
};

}  // namespace kt::test
