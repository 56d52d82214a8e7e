#pragma once
// One whole game played by the bot through the game server its options name.

#include "options.h"

// Joins, sets up, plays until the game is over and tells how it ended on
// standard output. Returns the exit status, 0. A server that refuses the key
// ends the program with status 2 (see GameClient).
int play_game(const BotOptions& options);
