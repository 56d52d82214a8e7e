#pragma once
// A stand-in for a refereed server, for tests that count what a player sends
// while it waits: on a port of its own, it gives one seat, serves the view the
// test sets (holding GET /view?after=V until the version passes V), and takes
// moves and resignations without judging them.

#include "game_view.h"
#include "server_address.h"

#include <httplib.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace support {

class RefereeStandIn {
public:
    static constexpr const char* token = "0123456789abcdef0123456789abcdef";

    // POST /seat gives seat `seat_number` with `token`.
    explicit RefereeStandIn(int seat_number = 1);
    ~RefereeStandIn();
    RefereeStandIn(const RefereeStandIn&) = delete;
    RefereeStandIn& operator=(const RefereeStandIn&) = delete;

    core::ServerAddress address() const { return {"127.0.0.1", port_, ""}; }
    std::vector<std::string> server_options() const;

    // The next view: `view` with the version one above the last.
    void set_view(core::GameView view);
    // Requests taken so far on a path ("/view", "/move", ...), and on all.
    int requests(const std::string& path) const;
    int all_requests() const;
    // The bodies of POST /move, in order.
    std::vector<std::string> moves() const;
    // Every request so far named the seat by `token`.
    bool seat_named_on_every_view_and_move() const;

private:
    void count(const httplib::Request& request);
    void serve_view(const httplib::Request& request, httplib::Response& response);

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    core::GameView view_;
    bool stopping_ = false;
    std::map<std::string, int> requests_;
    std::vector<std::string> moves_;
    bool seat_always_named_ = true;
};

}  // namespace support
