#pragma once
// The seat's view as the referee last told it, kept by a thread of its own on
// a connection of its own. That thread spends the game in long polls, each up
// to 25 s on the server, so the window's thread never waits on one: it stays
// free for clicks and the Exit button.

#include "game_view.h"
#include "server_address.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace client {

struct WatchState;

class ViewWatch {
public:
    // Starts watching at once, from the view as it stands.
    ViewWatch(const core::ServerAddress& address, const std::string& token);
    // Stops the thread; a request it cannot break off within a second is left
    // to end with the process.
    ~ViewWatch();
    ViewWatch(const ViewWatch&) = delete;
    ViewWatch& operator=(const ViewWatch&) = delete;

    struct News {
        std::optional<core::GameView> view;  // newer than any handed out before
        bool seat_unknown = false;     // the server refused the token: nothing more will come
        bool key_refused = false;      // the server refused the key: nothing more will come
    };
    // Waits up to `limit` for news; an empty News when there is none.
    News next(std::chrono::milliseconds limit);

private:
    std::shared_ptr<WatchState> state_;
    std::thread thread_;
};

}  // namespace client
