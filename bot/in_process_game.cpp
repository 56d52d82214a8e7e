#include "in_process_game.h"

#include "board.h"
#include "strategy.h"

#include <cstdlib>
#include <random>

namespace {

std::optional<MoveResult> random_turn(int player, std::mt19937& rng) {
    auto moves = legal_moves(board, player);
    if (moves.empty()) return std::nullopt;
    const Move& move = moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(rng)];
    return make_move(board, player, move.from_column, move.from_row, move.to_column, move.to_row);
}

}  // namespace

GameEnd play_in_process(unsigned seed, int random_player, int move_limit,
                        const std::function<void(const Knowledge&)>& after_bot_turn) {
    std::srand(seed);
    deal_board();
    BotMind mind_1 = start_mind(1, seed);
    BotMind mind_2 = start_mind(2, seed + 1);
    std::mt19937 random_rng(seed);
    GameEnd end;
    for (int mover = 1; end.moves < move_limit; mover = opponent_of(mover)) {
        ++end.moves;
        std::optional<MoveResult> result;
        if (mover == random_player) {
            result = random_turn(mover, random_rng);
        } else {
            BotMind& mind = mover == 1 ? mind_1 : mind_2;
            BotTurn turn = play_bot_turn(mind);
            if (turn.move) result = turn.result;
            if (after_bot_turn) after_bot_turn(mind.knowledge);
        }
        if (!result) {
            end.winner = opponent_of(mover);
            end.forfeited = true;
            return end;
        }
        if (*result == MoveResult::far_row_win) {
            end.winner = mover;
            return end;
        }
    }
    return end;
}
