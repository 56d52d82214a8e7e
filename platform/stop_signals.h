#pragma once
// The signals that ask a program to end (SIGTERM and SIGINT, and for a window
// SIGHUP too; a console's Ctrl+C or close elsewhere), turned into a clean end
// the program runs itself instead of an end where it stands.

#include <atomic>
#include <functional>
#include <thread>

namespace platform {

// For a server: the stop signals taken by a thread of their own, so a
// refereed server can answer every waiting long poll and end its serving
// loop itself.
class StopOnSignals {
public:
    // Blocks the signals in the calling thread, and so in every thread it
    // starts later, and calls `stop` on a thread of its own at the first.
    // Construct it before the server starts its threads.
    explicit StopOnSignals(std::function<void()> stop);
    // Wakes the thread if no signal came, without calling `stop`, and joins it.
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// For a thread that sleeps until it has work: an end signal marks the end as
// asked for and wakes it, as wake() does. Process-wide, as signals are.
// From watch_end_signals() until stop_watching_end_signals(), which puts back
// the handlers there were before.
void watch_end_signals();
void stop_watching_end_signals();
// True once an end signal came while they were watched.
bool end_requested();
// Wakes one wait_for_wake(), now or the next one to come.
void wake();
// Returns after a wake() or an end signal.
void wait_for_wake();
// Ends the process at once with status 0, without exit-time destruction,
// once standard output and error are flushed.
[[noreturn]] void end_process_now();

}  // namespace platform
