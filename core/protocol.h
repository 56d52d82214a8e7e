#pragma once
// Every request a player sends to the game server, each with the reply it
// waits for. A failed request and a refused reply are alike: the request goes
// out again at once, with no limit (after a short pause when the reply went
// over its bounds). A 401 is the exception: each function returns at once,
// with 0, an empty board or an empty text, and the caller, seeing
// client.key_refused(), stops.

#include "board.h"
#include "game_client.h"
#include "server_address.h"

#include <optional>
#include <string>

namespace core {

// The body read as a decimal int: leading white space, an optional sign, then
// the digits up to the first non-digit. No digit, or a value outside int: none.
std::optional<int> number_in_body(const std::string& body);

// GET /join until a nonzero number; returns it.
int join_game(GameClient& client);
// GET /start until the body is exactly "2".
void wait_for_start(GameClient& client);
// POST /chess with the board's text until "ok".
void post_board(GameClient& client, const Board& board);
// GET /what until a 200 reply that holds a whole board; returns it. Before
// player 1's first post the server holds an empty text, which is refused.
Board fetch_board(GameClient& client);
// GET /who_win until a 200 reply; returns its body ("0": nobody has won).
std::string ask_who_win(GameClient& client);
// The winner a /who_win body names, which picks the end picture: 0 for exactly
// "0" (the game goes on), 1 for exactly "1", and 2 for any other body.
int winner_in_reply(const std::string& who_win_body);
// One GET /who: true when it was answered and names `player`.
bool is_turn_of(GameClient& client, int player);
// GET /next until "ok".
void hand_over_turn(GameClient& client);
// POST /win with the winner's number until "ok".
void post_win(GameClient& client, int winner);

}  // namespace core
