#pragma once
// Replays a bot-versus-bot game from the two bots' records: every board the
// server handed a player at the start of its turn must be the board the other
// player posted last, and must follow from the one before by the rules.

#include "game_record.h"

#include <string>
#include <vector>

namespace support {

struct RelayedGame {
    int winner = 0;
    int moves = 0;                     // moves whose board went through the server
    std::string last_board;            // the last board relayed
    std::vector<long long> hand_offs;  // microseconds from /next "ok" to the other's /what
    std::vector<std::string> faults;
};

RelayedGame check_relayed_game(const BotRecord& first, const BotRecord& second);

}  // namespace support
