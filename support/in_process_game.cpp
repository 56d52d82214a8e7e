#include "in_process_game.h"

#include "board.h"
#include "bot_turn.h"
#include "player_view.h"

#include <time.h>

#include <cstdlib>
#include <random>

namespace {

std::optional<MoveResult> random_turn(Board& board, int player, std::mt19937& rng) {
    auto moves = legal_moves(board, player);
    if (moves.empty()) return std::nullopt;
    const Move& move = moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(rng)];
    return make_move(board, player, move.from_column, move.from_row, move.to_column, move.to_row);
}

std::optional<MoveResult> greedy_turn(Board& board, int player, std::mt19937& rng) {
    auto moves = legal_moves(board, player);
    std::vector<Move> forward;
    for (const Move& move : moves) {
        if (move.to_row - move.from_row == forward_step(player)) forward.push_back(move);
    }
    if (forward.empty()) return random_turn(board, player, rng);
    const Move& move = forward[std::uniform_int_distribution<std::size_t>(0, forward.size() - 1)(rng)];
    return make_move(board, player, move.from_column, move.from_row, move.to_column, move.to_row);
}

BotMind start_side(const Board& board, int player, unsigned seed, const Contender& side) {
    return start_mind(board, player, seed, side.params ? *side.params : search_params(side.level));
}

// The halves of the bot's turn around the side's own choice.
std::optional<MoveResult> chosen_turn(BotMind& mind, const MoveChooser& chooser, Board& board) {
    const int player = mind.knowledge.player;
    learn_from_opponent_move(mind.knowledge, view_of_board(board, player));
    std::optional<Move> move = chooser(mind);
    if (!move) return std::nullopt;
    MoveResult result = make_move(board, player, move->from_column, move->from_row, move->to_column, move->to_row);
    learn_own_move(mind, *move, view_of_board(board, player));
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
    Board board;
    deal_board(board, [] { return std::rand() % 5; });
    BotMind minds[2] = {start_side(board, 1, seed, sides[0]), start_side(board, 2, seed + 1, sides[1])};
    std::mt19937 random_rng(seed);
    GameEnd end;
    for (int mover = 1; end.moves < move_limit; mover = opponent_of(mover)) {
        ++end.moves;
        std::optional<MoveResult> result;
        if (sides[mover - 1].random) {
            result = random_turn(board, mover, random_rng);
        } else if (sides[mover - 1].greedy) {
            result = greedy_turn(board, mover, random_rng);
        } else {
            BotMind& mind = minds[mover - 1];
            double started = thread_seconds();
            if (sides[mover - 1].chooser) {
                result = chosen_turn(mind, sides[mover - 1].chooser, board);
            } else {
                BotTurn turn = play_bot_turn(mind, board);
                if (turn.move) result = turn.result;
            }
            end.think_seconds[mover].push_back(thread_seconds() - started);
            if (after_bot_turn) after_bot_turn(mind.knowledge, board);
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

GameEnd play_in_process(unsigned seed, int random_player, int move_limit,
                        const AfterBotTurn& after_bot_turn) {
    return play_in_process(seed, {Contender{.random = random_player == 1}, Contender{.random = random_player == 2}},
                           move_limit, after_bot_turn);
}
