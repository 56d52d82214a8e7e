#include "in_process_game.h"

#include "board.h"
#include "bot_turn.h"
#include "movers.h"
#include "player_view.h"

#include <time.h>

#include <cstdlib>
#include <random>

namespace support {

namespace {

// A move made on the board and noted among those played; none when there is
// no move.
std::optional<core::MoveResult> moved(core::Board& board, int player, const std::optional<core::Move>& move,
                                      std::vector<core::Move>& played) {
    if (!move) return std::nullopt;
    played.push_back(*move);
    return core::make_move(board, player, move->from_column, move->from_row, move->to_column, move->to_row);
}

bot::BotMind start_side(const core::Board& board, int player, unsigned seed, const Contender& side) {
    return bot::start_mind(board, player, seed, side.params ? *side.params : bot::search_params(side.level));
}

// The halves of the bot's turn around the side's own choice.
std::optional<core::MoveResult> chosen_turn(bot::BotMind& mind, const MoveChooser& chooser, core::Board& board,
                                            std::vector<core::Move>& played) {
    const int player = mind.knowledge.player;
    bot::learn_from_opponent_move(mind.knowledge, bot::view_of_board(board, player));
    std::optional<core::Move> move = chooser(mind);
    std::optional<core::MoveResult> result = moved(board, player, move, played);
    if (result) bot::learn_own_move(mind, *move, bot::view_of_board(board, player));
    return result;
}

double thread_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

GameEnd play_in_process(unsigned seed, const std::array<Contender, 2>& sides, int move_limit,
                        const AfterBotTurn& after_bot_turn) {
    std::srand(seed);
    core::Board board;
    core::deal_board(board, [] { return std::rand() % 5; });
    bot::BotMind minds[2] = {start_side(board, 1, seed, sides[0]), start_side(board, 2, seed + 1, sides[1])};
    std::mt19937 random_rng(seed);
    GameEnd end;
    for (int mover = 1; end.moves < move_limit; mover = core::opponent_of(mover)) {
        ++end.moves;
        std::optional<core::MoveResult> result;
        if (sides[mover - 1].random) {
            result = moved(board, mover, random_move(board, mover, random_rng), end.played);
        } else if (sides[mover - 1].greedy) {
            result = moved(board, mover, greedy_move(board, mover, random_rng), end.played);
        } else {
            bot::BotMind& mind = minds[mover - 1];
            double started = thread_seconds();
            if (sides[mover - 1].chooser) {
                result = chosen_turn(mind, sides[mover - 1].chooser, board, end.played);
            } else {
                bot::BotTurn turn = bot::play_bot_turn(mind, board);
                if (turn.move) {
                    result = turn.result;
                    end.played.push_back(*turn.move);
                }
            }
            end.think_seconds[mover].push_back(thread_seconds() - started);
            if (after_bot_turn) after_bot_turn(mind.knowledge, board);
        }
        if (!result) {
            end.winner = core::opponent_of(mover);
            end.forfeited = true;
            return end;
        }
        if (*result == core::MoveResult::far_row_win) {
            end.winner = mover;
            return end;
        }
    }
    return end;
}

GameEnd play_in_process(unsigned seed, int random_player, int move_limit,
                        const AfterBotTurn& after_bot_turn) {
    return play_in_process(seed, {Contender{.random = random_player == 1}, Contender{.random = random_player == 2}},
                           move_limit, after_bot_turn);
}

}  // namespace support
