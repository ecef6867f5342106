// Shared set-up of the window tests: one offscreen QApplication, a temporary
// working directory with COMn links to pseudo-terminals, and a TForm1 built
// there with manual timers and recorded message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "config/ConfigRecord.h"
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
};

// A working directory of its own, removed afterwards.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureApp();
        char pattern[] = "/tmp/kt_gui_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        form.reset();
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

    app::TForm1& Start() {
        app::FormOptions o;
        o.workDir = dir;
        o.clock = &clock;
        o.manualTimers = true;
        o.showMessage = [this](const std::string& t, const std::string& c, protocol::MsgIcon i) {
            messages.push_back({t, c, i});
        };
        form = std::make_unique<app::TForm1>(o);
        return *form;
    }

    std::filesystem::path dir;
    FixedClock clock;
    std::vector<ShownMessage> messages;
    std::unique_ptr<app::TForm1> form;
};

// The framed direct-mode command as it appears on the wire.
inline std::string Framed(const std::string& command) {
    return std::string(14, ' ') + "SETUP:" + command + '\r' + std::string(1, '\0');
}

}  // namespace kt::test
