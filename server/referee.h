#pragma once
// A refereed game: the server holds the true board, applies the rules to each
// move a seat sends and shows every seat only what it may see. The seats are
// named by secret tokens handed out by take_seat. Each operation below takes
// the referee's lock for its whole body, console line included, and answers
// with a status and a plain-text body; the route handlers only carry them
// over HTTP.

#include "game_constants.h"
#include "game_view.h"

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// How long GET /view?after=V waits for a change before it answers the view as
// it stands. The players give up on an answer after long_poll_wait.
constexpr std::chrono::seconds long_poll_limit{25};
static_assert(long_poll_limit < core::long_poll_wait, "a held view must be answered before its player gives up");

// Waits without a seat token (watchers) held at once; each holds a thread of
// the server, and the seats' own must always find one.
constexpr int max_watcher_waits = 8;

// The truth of the game. It only moves forward, one version per change.
struct RefereeGame {
    int seats_taken = 0;
    std::array<std::string, 2> tokens;       // seat 1's and seat 2's, once taken
    std::array<std::string, 2> request_ids;  // what each seat was taken with; empty: none
    core::Board dealt;                             // as dealt when the second seat was taken
    core::Board board;                             // as it stands
    int turn = 0;                            // 0 before the deal and after the end
    int winner = 0;
    std::vector<core::LastMove> moves;
    std::uint64_t version = 0;
};

struct Referee {
    explicit Referee(std::ostream& console_lines) : console(console_lines) {}

    std::ostream& console;  // the GBK lines: a seat taken, the winner set
    std::mutex mutex;
    // Notified on a new version, on a seat's newer wait and when serving ends.
    std::condition_variable changed;
    RefereeGame game;
    // Per seat, how many waits it has started: a wait whose number is no
    // longer the latest answers at once.
    std::array<std::uint64_t, 2> latest_wait{};
    int watcher_waits = 0;
    bool ending = false;
};

// What a request gets: its status and body.
struct Answer {
    int status;
    std::string body;
};

// A seat's token as the request's "Seat" header gives it; none without one.
using SeatToken = std::optional<std::string>;

// POST /seat: "N TOKEN" for the next seat, or the same answer again for a
// request id already used; 409 once both are taken.
Answer take_seat(Referee& referee, std::string_view request_id);

// GET /view, and GET /view?after=V with `after` the text of V. A wait without
// a seat token that would be held while max_watcher_waits are gets 503.
Answer show_view(Referee& referee, const SeatToken& token,
                 const std::optional<std::string>& after);

// POST /move with body "C R C R".
Answer play_move(Referee& referee, const SeatToken& token, std::string_view body);

// POST /resign: the other seat wins.
Answer resign(Referee& referee, const SeatToken& token);

// GET /record: the dealt board, the moves and the winner, once there is one.
Answer show_record(Referee& referee, const SeatToken& token);

// A number of the game as the relay's read-only routes give it: seats taken,
// the turn or the winner.
Answer relay_number(Referee& referee, int RefereeGame::*number);

// Serving ends: every wait answers now, and every later one at once.
void end_waits(Referee& referee);

}  // namespace server
