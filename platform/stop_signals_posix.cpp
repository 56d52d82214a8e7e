#include "stop_signals.h"

#include <pthread.h>
#include <semaphore.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace platform {

namespace {

sigset_t stop_signals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

constexpr int end_signals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int end_signal_count = sizeof end_signals / sizeof end_signals[0];

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");
std::atomic<bool> end_asked{false};

struct sigaction previous_actions[end_signal_count] = {};

// Posted for every wake and by the end signals (sem_post may be called from a
// signal handler).
sem_t thread_wake;

void init_thread_wake_once() {
    static const bool ready = sem_init(&thread_wake, 0, 0) == 0;
    (void)ready;
}

void on_end_signal(int) {
    end_asked.store(true);
    sem_post(&thread_wake);
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

void watch_end_signals() {
    init_thread_wake_once();
    struct sigaction action = {};
    action.sa_handler = on_end_signal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < end_signal_count; ++i) sigaction(end_signals[i], &action, &previous_actions[i]);
}

void stop_watching_end_signals() {
    for (int i = 0; i < end_signal_count; ++i) sigaction(end_signals[i], &previous_actions[i], nullptr);
}

bool end_requested() { return end_asked.load(); }

void wake() {
    init_thread_wake_once();
    sem_post(&thread_wake);
}

void wait_for_wake() {
    init_thread_wake_once();
    while (sem_wait(&thread_wake) != 0 && errno == EINTR && !end_asked.load()) {
    }
}

void end_process_now() {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(0);
}

}  // namespace platform
