// End-to-end set-up: kt4470-sim as a child process linked as COM1 in the
// test's working directory, the window built there (offscreen) with its two
// timers driven from the test while it waits on the real line.
#pragma once

#include <QAbstractButton>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gui/GuiSupport.h"
#include "sim/SimProcess.h"

namespace kt::test {

inline constexpr const char* kModuleNumber = "+4917012345678";

class E2e : public WindowTest {
  protected:
    void TearDown() override {
        form.reset();  // closes the port before the simulator goes
        sim.reset();
        WindowTest::TearDown();
    }

    std::filesystem::path LinkPath() const { return dir / "COM1"; }
    std::filesystem::path LogPath() const { return dir / "sim.log"; }

    // Starts the simulator with `args` (role, faults) linked as COM1 and
    // logging to sim.log; returns once its device is there.
    void StartSim(std::vector<std::string> args) {
        for (const std::string& a :
             {std::string("--link"), LinkPath().string(), std::string("--log"), LogPath().string()})
            args.push_back(a);
        sim = std::make_unique<sim::SimProcess>(args);
        device = sim->FirstLine();
        ASSERT_FALSE(device.empty()) << sim->ErrorLine();
        ASSERT_TRUE(std::filesystem::exists(LinkPath()));
    }

    // A settings file for Com1 in direct mode, or in SMS mode with the
    // simulated module's number (incoming answers deleted after reading).
    void WriteDirectSettings() { WriteSettings(config::ConfigRecord{}); }
    void WriteSmsSettings() {
        config::ConfigRecord rec;
        rec.SetSmsModeOn(true);
        rec.SetModuleNumber(kModuleNumber);
        rec.SetModuleNumberCopy(kModuleNumber);
        rec.SetDeleteSms(true);
        WriteSettings(rec);
    }

    // Clicks a control of the window by its name, as the operator would.
    void ClickOn(const char* name) {
        auto* button = form->findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }

    // One turn of the driver's poll. The window polls every few seconds, so
    // a reply normally arrives whole: wait up to `waitMs` for bytes, then
    // until the line has been quiet for a moment, then poll (which also
    // notices a line that has gone).
    void PollLine(int waitMs) {
        auto& port = form->CommPortDriver1;
        if (!port.IsOpen()) return;
        int32_t queued = port.Backend().QueuedInput();
        for (int waited = 0; queued <= 0 && waited < waitMs; waited += 5) {
            Sleep(5);
            queued = port.Backend().QueuedInput();
        }
        for (int i = 0; queued > 0 && quietMs > 0 && i < 100; ++i) {
            Sleep(quietMs);
            const int32_t now = port.Backend().QueuedInput();
            if (now == queued) break;
            queued = now;
        }
        form->PollPort();
    }

    // Poll and tick in turn until done() holds, at most `ticks` ticks (each
    // stands for the window's one-second timer).
    bool RunUntil(const std::function<bool()>& done, int ticks = 200, int waitMs = 60) {
        for (int t = 0; t < ticks; ++t) {
            if (done()) return true;
            PollLine(waitMs);
            if (done()) return true;
            form->Tick();
        }
        return done();
    }
    // Exactly `ticks` ticks.
    void RunTicks(int ticks, int waitMs = 60) {
        RunUntil([] { return false; }, ticks, waitMs);
    }

    std::string Memo() const { return form->MemoSMSinput->Text(); }
    bool MemoHas(const std::string& text) const { return Memo().find(text) != std::string::npos; }
    std::string MonitorLine() const { return form->MemoS->LineCount() > 0 ? form->MemoS->Line(0) : ""; }
    // Non-empty lines of the reply memo.
    std::vector<std::string> ReplyLines() const {
        std::vector<std::string> out;
        for (int i = 0; i < form->MemoSMSinput->LineCount(); ++i)
            if (!form->MemoSMSinput->Line(i).empty()) out.push_back(form->MemoSMSinput->Line(i));
        return out;
    }
    std::string StatusBarText() const { return form->StatusBar1->currentMessage().toStdString(); }
    std::string SimLog() { return ReadFile("sim.log"); }

    static void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    // How long the line must stay quiet before a poll; 0 polls at once.
    int quietMs = 30;
    std::unique_ptr<sim::SimProcess> sim;
    std::string device;
};

}  // namespace kt::test
