#pragma once
// The client's process-wide game state: the one board it shows and plays on,
// its player number and the server it plays through.

#include "board.h"
#include "server_address.h"

// All empty at start; set up by the deal or the first fetch, then replaced by
// every fetch and changed by every own move.
extern Board board;
// This process's player number, 0 until the server gives one.
extern int my_player;
// Set from the command line before the first request.
extern ServerAddress server_address;
