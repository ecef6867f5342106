// The driver's poll timer on Win32: timer 1 of a hidden message-only window.
// Its ticks arrive as WM_TIMER messages, so the thread that created the timer
// must pump messages (a GUI message loop does; PumpMessages is for programs
// and tests without one).
#pragma once

// Lean windows.h: its full form defines macros such as SetPort (winspool)
// that would rename members of TCommPortDriver.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>

#include "serial/CommPortDriver.h"

namespace kt::serial {

class Win32PollTimer final : public IPollTimer {
  public:
    // `onTick` runs on every timer message, on the creating thread; the owner
    // usually calls TCommPortDriver::Poll() from it.
    explicit Win32PollTimer(std::function<void()> onTick);
    ~Win32PollTimer() override;
    Win32PollTimer(const Win32PollTimer&) = delete;
    Win32PollTimer& operator=(const Win32PollTimer&) = delete;

    void Start(unsigned periodMs) override;
    void Stop() override;

    bool Running() const { return running_; }
    // False when the hidden window could not be created (the timer never fires).
    bool Valid() const { return window_ != nullptr; }
    HWND Window() const { return window_; }

    // Dispatches this thread's messages for about `ms` milliseconds, or until
    // `done` returns true (checked after every message and at least every
    // 10 ms). Returns `done()`'s last value (true when there is no `done`).
    static bool PumpMessages(unsigned ms, const std::function<bool()>& done = nullptr);

  private:
    static LRESULT CALLBACK PollWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    static constexpr UINT_PTR kTimerId = 1;

    std::function<void()> onTick_;
    HWND window_ = nullptr;
    bool running_ = false;
};

}  // namespace kt::serial
