#pragma once
// SIGTERM and SIGINT taken by a thread of their own instead of ending the
// process where it stands, so a refereed server can answer every waiting long
// poll and end its serving loop itself.

#include <atomic>
#include <functional>
#include <thread>

namespace server {

class StopOnSignals {
public:
    // Blocks both signals in the calling thread, and so in every thread it
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

}  // namespace server
