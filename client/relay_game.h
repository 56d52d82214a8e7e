#pragma once
// The window's game through a relay, on the main thread: join, wait for the
// second player, share the starting board, then the opponent's turn and the
// own turn in alternation until a winner is known. Every relay request that
// fails or is refused goes out again at once; the relay is polled, never
// waited on.

#include "board.h"
#include "game_client.h"
#include "pictures.h"
#include "server_address.h"

#include <memory>
#include <optional>

namespace client {

struct RelayGame {
    std::unique_ptr<core::GameClient> client;  // the game's one connection, made at start-up
    core::ServerAddress address;               // of the server, for the turn marker's own requests
    const Pictures& pictures;
    // All empty at start; set up by the deal or the first fetch, then replaced
    // by every fetch and changed by every own move.
    core::Board board;
    int player = 0;  // 0 until the relay gives one
};

// None while the game goes on; else the exit status it ended with.
using GameEnd = std::optional<int>;

// Says that the server refused the key; returns the exit status, 2.
int stop_refused(const RelayGame& game);

// From the lobby, open, to the end; returns the exit status, 0 on every end
// the game reaches itself.
int play_relay_game(RelayGame& game);

// Ends the game through the end picture when /who_win names a winner.
GameEnd check_winner(RelayGame& game);
// Shows `picture` over the board for 10 s and closes the window.
GameEnd end_with_picture(const IMAGE& picture);
// Gives the win to the opponent and closes the window at once, without a picture.
GameEnd forfeit(RelayGame& game);
// The opponent's turn, until /who names this player or the game ends: a
// click on the exit button forfeits, any other mouse message is dropped.
GameEnd wait_for_turn(RelayGame& game);
// The own turn: clicks until a move is posted and the turn handed over, or
// the game ends.
GameEnd take_turn(RelayGame& game);

}  // namespace client
