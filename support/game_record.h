#pragma once
// Reading a bot's game record and judging the boards in it by the core's
// rules, with everything in view (both sides' kinds).

#include <optional>
#include <string>
#include <vector>

namespace support {

struct LogEvent {
    long long stamp = 0;
    std::string event;
    std::string detail;
};

std::vector<LogEvent> read_game_log(const std::string& path);

// One turn of a bot: the board it was handed, and the board it posted or how
// the game ended in that turn ("won" or "forfeited").
struct RecordedTurn {
    long long fetched_at = 0;
    std::string fetched;
    std::optional<std::string> posted;
    std::string ending;
};

struct BotRecord {
    int player = 0;
    std::string starting_board;   // dealt by player 1, received by player 2
    std::vector<RecordedTurn> turns;
    std::string winner_told;      // the /who_win body, for the bot that did not end the game
    std::vector<long long> handed_over_at;
};

// Empty `player` when the record does not have the expected shape.
BotRecord read_bot_record(const std::string& path);

// Empty when `after` is make_move of one of `mover`'s legal moves on
// `before`; otherwise what is wrong.
std::string step_fault(const std::string& before, const std::string& after, int mover);

// Whether one of `player`'s legal moves wins on the far row, and whether it
// has a legal move at all (none on a text that is no board).
bool can_step_onto_far_row(const std::string& text, int player);
bool has_legal_step(const std::string& text, int player);

}  // namespace support
