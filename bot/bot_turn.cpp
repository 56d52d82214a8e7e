#include "bot_turn.h"

#include "easy_rules.h"
#include "player_view.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace bot {

BotMind start_mind(const core::Board& board, int player, unsigned seed, const SearchParams& params) {
    return BotMind{start_knowledge(player, view_of_board(board, player)), std::nullopt, std::mt19937(seed), params, {}};
}

BotMind start_mind(const core::Board& board, int player, unsigned seed, Level level) {
    return start_mind(board, player, seed, search_params(level));
}

namespace {

void decide(BotMind& mind, BotTurn& turn) {
    const Knowledge& knowledge = mind.knowledge;
    if (mind.params.iterations == 0) {
        turn.move = easy_move(knowledge.last_seen, knowledge, mind.params, mind.previous, mind.rng, &turn.weighed);
        return;
    }
    SearchReport report;
    turn.move = search_move(knowledge.last_seen, knowledge, mind.params, mind.rng, mind.left, mind.previous, &report);
    turn.weighed = std::move(report.weighed);
    turn.converting = report.converting;
}

}  // namespace

BotTurn choose_bot_move(BotMind& mind, const core::Board& seen) {
    learn_from_opponent_move(mind.knowledge, view_of_board(seen, mind.knowledge.player));
    BotTurn turn;
    decide(mind, turn);
    return turn;
}

void learn_own_move(BotMind& mind, const core::Move& move, const PlayerView& after) {
    learn_from_own_move(mind.knowledge, move, after);
    mind.previous = move;
    if (mind.params.iterations > 0) mind.left.insert(position_key(mind.knowledge.last_seen));
}

BotTurn play_bot_turn(BotMind& mind, core::Board& board) {
    const int player = mind.knowledge.player;
    BotTurn turn = choose_bot_move(mind, board);
    if (!turn.move) return turn;
    const core::Move& move = *turn.move;
    turn.result = core::make_move(board, player, move.from_column, move.from_row, move.to_column, move.to_row);
    learn_own_move(mind, move, view_of_board(board, player));
    return turn;
}

namespace {

std::string squares_text(const core::Move& move) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d)->(%d,%d)", move.from_column, move.from_row, move.to_column,
                  move.to_row);
    return text;
}

std::string weighed_text(const WeighedMove& weighed) {
    char text[64];
    if (weighed.visits > 0) {
        std::snprintf(text, sizeof text, " visits %d mean %.3f", weighed.visits, weighed.value);
    } else {
        std::snprintf(text, sizeof text, " value %.2f", weighed.value);
    }
    return "  " + squares_text(weighed.move) + text + "\n";
}

}  // namespace

std::string turn_explanation(const BotTurn& turn) {
    if (!turn.move) return "no piece can move\n";
    std::string text = "chose " + squares_text(*turn.move);
    if (turn.weighed.empty()) return text + ", the only move\n";
    if (turn.converting) text += ", converting: nearest the far row,";
    text += " of " + std::to_string(turn.weighed.size()) + " weighed\n";
    std::vector<WeighedMove> ranked = turn.weighed;
    std::stable_sort(ranked.begin(), ranked.end(), [](const WeighedMove& a, const WeighedMove& b) {
        return a.visits != b.visits ? a.visits > b.visits : a.value > b.value;
    });
    for (const WeighedMove& weighed : ranked) text += weighed_text(weighed);
    return text;
}

}  // namespace bot
