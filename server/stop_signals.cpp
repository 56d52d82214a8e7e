#include "stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <utility>

namespace server {

namespace {

sigset_t stop_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

StopOnSignals::StopOnSignals(std::function<void()> stop) {
    sigset_t set = stop_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    thread_ = std::thread([this, set, stop = std::move(stop)] {
        int signal = 0;
        sigwait(&set, &signal);
        if (!done_) stop();
    });
}

// A thread that already took a signal and ended is still joinable, so the
// wake-up below reaches a valid thread either way.
StopOnSignals::~StopOnSignals() {
    done_ = true;
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
}

}  // namespace server
