#pragma once
// The game server's state and its eight routes. The server relays boards
// without reading them; every rule of the game lives in the clients.

#include <httplib.h>

#include <mutex>
#include <string>

// The one game of this process's lifetime. It only moves forward: nothing
// ever resets it.
struct GameState {
    int player_count = 0;     // players given a number: 0, 1, then 2 for good
    int current_turn = 1;     // the player to move, 1 or 2
    std::string board_text;   // the last /chess body, byte for byte
    int winner = 0;           // the last number posted to /win; 0 for none
};

extern GameState game_state;

// Held for the whole body of every handler, console line included, so that two
// first /join requests cannot both get "1" and two console lines never mix.
extern std::mutex game_mutex;

// Registers GET /join /start /who /next, POST /chess, GET /what, POST /win,
// GET /who_win, in that order.
void register_routes(httplib::Server& server);
