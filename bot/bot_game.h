#pragma once
// One whole game played by the bot through the game server its options name.

#include "options.h"

namespace bot {

// Takes a seat first: on a refereed server the refereed game is played. On a
// relay it joins, sets up, plays until the game is over and tells how it
// ended on standard output. Returns the exit status: 0 when the game is over,
// 2 when the game's seats are taken or the server does not know the bot's
// seat. A server that refuses the key ends the program with status 2 (see
// GameClient).
int play_game(const BotOptions& options);

}  // namespace bot
