// Hidden-window poll timer: SetTimer/KillTimer on a message-only window whose
// procedure turns timer 1 into a tick and leaves everything else to
// DefWindowProcA.
#include "serial/Win32PollTimer.h"

#include <algorithm>

namespace kt::serial {

namespace {

constexpr char kClassName[] = "KtCommPortPollWindow";

// Registers the window class once per process; later calls only report it.
bool RegisterPollClass(WNDPROC proc) {
    static const bool registered = [proc] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

}  // namespace

Win32PollTimer::Win32PollTimer(std::function<void()> onTick) : onTick_(std::move(onTick)) {
    if (!RegisterPollClass(&PollWindowProc)) return;
    window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32PollTimer::~Win32PollTimer() {
    Stop();
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void Win32PollTimer::Start(unsigned periodMs) {
    if (!window_) return;
    // SetTimer with the same id replaces the period of a running timer.
    running_ = SetTimer(window_, kTimerId, periodMs, nullptr) != 0;
}

void Win32PollTimer::Stop() {
    if (!window_ || !running_) return;
    KillTimer(window_, kTimerId);
    running_ = false;
    // A tick posted before KillTimer may still be queued: drop it, so that
    // nothing polls after Stop.
    MSG msg;
    while (PeekMessageA(&msg, window_, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

LRESULT CALLBACK Win32PollTimer::PollWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        auto* self = reinterpret_cast<Win32PollTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && self->running_ && self->onTick_) {
            self->onTick_();
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool Win32PollTimer::PumpMessages(unsigned ms, const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (done && done()) return true;
        }
        if (done && done()) return true;
        const DWORD elapsed = GetTickCount() - start;  // unsigned: right across the wrap
        if (elapsed >= ms) return done ? done() : true;
        const DWORD wait = std::min<DWORD>(ms - elapsed, 10);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

}  // namespace kt::serial
