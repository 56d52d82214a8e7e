#include "stop_signals.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

// Windows has no signals. A program in a console is asked to end by the
// console's control events (Ctrl+C, Ctrl+Break, closing the window, logging
// off); a program started without a console, as the launcher starts the
// server and the bot, gets none of them, so each program also answers an
// event named for its process id, which the launcher sets to stop it cleanly.
// Both end in the one manual-reset event below, the Windows form of a signal
// having come.

namespace platform {

namespace {

HANDLE end_event() {
    static const HANDLE event = [] {
        const std::wstring name = L"Local\\rock-scissors-paper-stop-" + std::to_wstring(GetCurrentProcessId());
        return CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    }();
    return event;
}

// The system ends a program as soon as its handler returns from the close,
// log-off and shut-down events; a moment is left for the program's own end.
BOOL WINAPI on_console_event(DWORD type) {
    SetEvent(end_event());
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) Sleep(2000);
    return TRUE;
}

HANDLE event_of(bool manual_reset) { return CreateEventW(nullptr, manual_reset, FALSE, nullptr); }

// Wakes the thread of a StopOnSignals that is going without a signal.
HANDLE quit_event() {
    static const HANDLE event = event_of(TRUE);
    return event;
}

HANDLE wake_event() {
    static const HANDLE event = event_of(FALSE);
    return event;
}

std::atomic<bool> watching{false};

}  // namespace

StopOnSignals::StopOnSignals(std::function<void()> stop) {
    const HANDLE asked = end_event();
    ResetEvent(quit_event());
    SetConsoleCtrlHandler(on_console_event, TRUE);
    thread_ = std::thread([this, asked, stop = std::move(stop)] {
        const HANDLE events[] = {asked, quit_event()};
        DWORD which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0 && !done_) stop();
    });
}

StopOnSignals::~StopOnSignals() {
    done_ = true;
    SetEvent(quit_event());
    thread_.join();
    SetConsoleCtrlHandler(on_console_event, FALSE);
}

void watch_end_signals() {
    end_event();
    SetConsoleCtrlHandler(on_console_event, TRUE);
    watching = true;
}

void stop_watching_end_signals() {
    watching = false;
    SetConsoleCtrlHandler(on_console_event, FALSE);
}

bool end_requested() { return watching && WaitForSingleObject(end_event(), 0) == WAIT_OBJECT_0; }

void wake() { SetEvent(wake_event()); }

void wait_for_wake() {
    const HANDLE events[] = {wake_event(), end_event()};
    WaitForMultipleObjects(watching ? 2 : 1, events, FALSE, INFINITE);
}

void end_process_now() {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(0);
}

}  // namespace platform
