#include "view_watch.h"

#include "referee_requests.h"

#include <condition_variable>
#include <mutex>
#include <utility>

namespace client {

// Shared by the window's thread and the watching thread, and kept alive by
// both, so a thread left to end with the process never outlives its state.
struct WatchState {
    WatchState(const core::ServerAddress& address, const std::string& token) : client(address, core::long_poll_wait), token(token) {}

    core::GameClient client;
    std::string token;
    std::mutex mutex;
    std::condition_variable changed;
    std::optional<core::GameView> newest;  // not yet handed out
    bool seat_unknown = false;
    bool key_refused = false;
    bool stopping = false;
    bool finished = false;
};

namespace {

// After a failure: the server may be restarting, or the way to it gone.
constexpr auto failure_rest = std::chrono::seconds(1);
// A reply that brings nothing new sooner than this did not wait on the server
// as a long poll does; the next one waits a little first.
constexpr auto shortest_wait = std::chrono::seconds(1);

// False once the watch is stopping; otherwise rests for `rest`.
bool rest(WatchState& state, std::chrono::milliseconds rest) {
    std::unique_lock lock(state.mutex);
    return !state.changed.wait_for(lock, rest, [&] { return state.stopping; });
}

bool stopping(WatchState& state) {
    std::lock_guard lock(state.mutex);
    return state.stopping;
}

void watch(WatchState& state) {
    std::optional<std::uint64_t> known;
    while (!stopping(state)) {
        const auto asked = std::chrono::steady_clock::now();
        core::ViewReply reply = known ? core::wait_for_change(state.client, state.token, *known)
                                : core::get_view(state.client, state.token);
        if (reply.answer == core::Answer::seat_unknown || reply.answer == core::Answer::key_refused) {
            std::lock_guard lock(state.mutex);
            state.seat_unknown = reply.answer == core::Answer::seat_unknown;
            state.key_refused = reply.answer == core::Answer::key_refused;
            state.changed.notify_all();
            return;
        }
        if (reply.answer != core::Answer::ok) {
            if (!rest(state, failure_rest)) return;
            continue;
        }
        if (known && reply.view.version <= *known) {
            if (std::chrono::steady_clock::now() - asked < shortest_wait && !rest(state, core::request_rest)) return;
            continue;
        }
        known = reply.view.version;
        std::lock_guard lock(state.mutex);
        state.newest = reply.view;
        state.changed.notify_all();
    }
}

}  // namespace

ViewWatch::ViewWatch(const core::ServerAddress& address, const std::string& token)
    : state_(std::make_shared<WatchState>(address, token)) {
    thread_ = std::thread([state = state_] {
        watch(*state);
        std::lock_guard lock(state->mutex);
        state->finished = true;
        state->changed.notify_all();
    });
}

ViewWatch::~ViewWatch() {
    std::unique_lock lock(state_->mutex);
    state_->stopping = true;
    state_->changed.notify_all();
    // stop() breaks off a request in flight; one that starts just after needs
    // another, so it is repeated until the thread is done.
    for (int tries = 0; tries < 20 && !state_->finished; ++tries) {
        lock.unlock();
        state_->client.stop();
        lock.lock();
        state_->changed.wait_for(lock, std::chrono::milliseconds(50), [&] { return state_->finished; });
    }
    const bool finished = state_->finished;
    lock.unlock();
    if (finished) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

ViewWatch::News ViewWatch::next(std::chrono::milliseconds limit) {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait_for(lock, limit,
                             [&] { return state_->newest || state_->seat_unknown || state_->key_refused; });
    News news;
    news.view = std::exchange(state_->newest, std::nullopt);
    news.seat_unknown = state_->seat_unknown;
    news.key_refused = state_->key_refused;
    return news;
}

}  // namespace client
