#pragma once
// The requests a player sends to a refereed server: taking a seat, reading the
// seat's view at once or when it next changes, moving and resigning. The seat
// is named by its token in the header "Seat: TOKEN". Unlike the relay's
// requests, none of these asks again without a rest.

#include "game_client.h"
#include "game_constants.h"
#include "game_view.h"
#include "rules.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

struct Seat {
    int number = 0;     // 1 or 2, in the order the seats were taken
    std::string token;  // 32 lower-case hex digits, the seat's secret

    bool operator==(const Seat&) const = default;
};

// "N TOKEN", as POST /seat answers it and a seat file keeps it.
std::string seat_text(const Seat& seat);
// N is 1 or 2, TOKEN exactly 32 lower-case hex digits, one space between;
// one "\n" may follow. Anything else is none.
std::optional<Seat> seat_from_text(std::string_view text);

// 32 hex digits from the system's random source: the body of POST /seat, so
// that a repeat after a lost answer gets the same seat back.
std::string new_request_id();

// The rest before a failed request goes out again.
constexpr auto request_rest = std::chrono::milliseconds(250);

enum class SeatAnswer {
    taken,  // 200 "N TOKEN": a refereed game
    relay,  // 404: the server is a relay and has no seats
    full,   // 409: both seats are taken
    key_refused,  // 401: see GameClient::key_refusal
};

struct SeatReply {
    SeatAnswer answer = SeatAnswer::relay;
    Seat seat;  // for `taken`
};

// POST /seat with `request_id` until one of the answers above; any other
// reply, or none, goes out again after request_rest.
SeatReply take_seat(GameClient& client, const std::string& request_id);

// What one request of a seat came to.
enum class Answer {
    ok,            // 200: "ok", or a view
    refused,       // 409: not now or not that; nothing changed
    seat_unknown,  // 403: the server does not know the token (for a view, also
                   // 404: the server is a relay, which has no seats)
    key_refused,   // 401: see GameClient::key_refusal
    failed,        // no reply, or any other
};

struct ViewReply {
    Answer answer = Answer::failed;
    GameView view;  // for `ok`
};

// One GET /view for the seat.
ViewReply get_view(GameClient& client, const std::string& token);
// One GET /view?after=`version`: answered when the version passes it, or with
// the view as it stands after the server's wait.
ViewReply wait_for_change(GameClient& client, const std::string& token, std::uint64_t version);

// POST /move with the move's "C R C R".
Answer post_move(GameClient& client, const std::string& token, const Move& move);
// POST /resign: the other seat wins.
Answer post_resign(GameClient& client, const std::string& token);

}  // namespace core
