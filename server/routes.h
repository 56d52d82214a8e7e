#pragma once
// The relay's game and its eight routes. The relay passes boards on without
// reading them; every rule of the game lives in the players' programs.

#include <httplib.h>

#include <mutex>
#include <ostream>
#include <string>

namespace server {

// The one game of the relay's lifetime. It only moves forward: nothing ever
// resets it.
struct GameState {
    int player_count = 0;     // players given a number: 0, 1, then 2 for good
    int current_turn = 1;     // the player to move, 1 or 2
    std::string board_text;   // the last /chess body, byte for byte
    int winner = 0;           // the last number posted to /win; 0 for none
};

struct Relay {
    explicit Relay(std::ostream& console_lines) : console(console_lines) {}

    std::ostream& console;  // the GBK lines: a player joined, a winner posted
    // Held for the whole body of every handler, console line included, so that
    // two first /join requests cannot both get "1" and two console lines never
    // mix.
    std::mutex mutex;
    GameState game;
};

// Registers GET /join /start /who /next, POST /chess, GET /what, POST /win,
// GET /who_win, in that order, over `relay`, which must outlive the server.
void register_routes(httplib::Server& server, Relay& relay);

}  // namespace server
