#pragma once
// The client's game from joining to the end picture, on the main thread.

#include "game_client.h"
#include "image.h"
#include "input.h"

#include <memory>

// The one connection of the game flow to the game server, made at start-up.
extern std::unique_ptr<GameClient> http_client;
// The record every peek_message of the game fills.
extern InputMessage message_record;

// Ends the game through the end picture when /who_win names a winner.
void check_winner();
// Shows `picture` over the board for 10 s, closes the window and exits 0.
[[noreturn]] void end_with_picture(const IMAGE& picture);
// Gives the win to the opponent and exits 0 at once, without a picture.
[[noreturn]] void forfeit();
// The own turn: clicks until a move is posted and the turn handed over.
// Every other way out ends the program.
void take_turn();
