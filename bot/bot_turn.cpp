#include "bot_turn.h"

#include "easy_rules.h"
#include "player_view.h"

BotMind start_mind(const Board& board, int player, unsigned seed, const SearchParams& params) {
    return BotMind{start_knowledge(player, view_of_board(board, player)), std::nullopt, std::mt19937(seed), params, {}};
}

BotMind start_mind(const Board& board, int player, unsigned seed, Level level) {
    return start_mind(board, player, seed, search_params(level));
}

namespace {

std::optional<Move> decide(BotMind& mind, std::vector<WeighedMove>& weighed) {
    const Knowledge& knowledge = mind.knowledge;
    if (mind.params.iterations == 0) {
        return easy_move(knowledge.last_seen, knowledge, mind.params, mind.previous, mind.rng, &weighed);
    }
    return search_move(knowledge.last_seen, knowledge, mind.params, mind.rng, mind.left, &weighed);
}

}  // namespace

BotTurn play_bot_turn(BotMind& mind, Board& board) {
    const int player = mind.knowledge.player;
    learn_from_opponent_move(mind.knowledge, view_of_board(board, player));
    BotTurn turn;
    turn.move = decide(mind, turn.weighed);
    if (!turn.move) return turn;
    const Move& move = *turn.move;
    turn.result = make_move(board, player, move.from_column, move.from_row, move.to_column, move.to_row);
    learn_from_own_move(mind.knowledge, move, view_of_board(board, player));
    mind.previous = move;
    if (mind.params.iterations > 0) mind.left.insert(position_key(mind.knowledge.last_seen));
    return turn;
}

