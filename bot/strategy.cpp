#include "strategy.h"

#include "board.h"
#include "rules.h"
#include "search.h"

#include <algorithm>

namespace {

constexpr double win_value = 10000;
constexpr double piece_value = 10;
constexpr double exposure_weight = 0.3;
constexpr double undo_penalty = 3;
constexpr double noise_range = 0.5;

bool is_opposing(const SquareView& square, int player) {
    return square.owner != 0 && square.owner != player;
}

// A side that waits too long for the other to come forward ends up in a
// stand-off that nobody wins, so the longer nothing is taken, the more the
// bot values going forward over keeping its pieces out of reach.
double boldness(const Knowledge& knowledge) { return 1 + knowledge.quiet_turns / 4.0; }

double advance_value(int player, int row) {
    int forward = progress(player, row);
    return 0.5 * forward * forward;
}

// The chance that the opposing piece at [column][row] wins an attack on our
// piece of kind `defender_kind`.
double defence_loss_chance(const Knowledge& knowledge, int column, int row, int defender_kind) {
    auto odds = kind_odds(knowledge, column, row);
    double chance = 0;
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (attacker_wins(kind, defender_kind)) chance += odds[kind];
    }
    return chance;
}

double exposure(const PlayerView& view, const Knowledge& knowledge, int column, int row) {
    double worst = 0;
    for_each_neighbour(column, row, [&](int c, int r) {
        if (!is_opposing(view[c][r], knowledge.player)) return;
        worst = std::max(worst, defence_loss_chance(knowledge, c, r, view[column][row].kind));
    });
    return worst;
}

// Material and advance of both sides, the danger to our pieces that stand
// next to opposing ones, and above all the opponent's chance to win at once.
double position_value(const PlayerView& view, const Knowledge& knowledge) {
    int player = knowledge.player;
    double bold = boldness(knowledge);
    double value = 0;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const SquareView& square = view[column][row];
            if (square.owner == player) {
                double worth = piece_value + bold * advance_value(player, row);
                double danger = exposure_weight / bold * exposure(view, knowledge, column, row);
                value += worth * (1 - danger);
            } else if (square.owner != 0) {
                value -= piece_value + advance_value(opponent_of(player), row);
            }
        }
    }
    return value - win_value * opponent_win_chance(view, knowledge);
}

double outcome_value(const PlayerView& view, const Knowledge& knowledge, const Move& move) {
    if (move.to_row == far_row(knowledge.player)) return win_value;
    return position_value(view, knowledge);
}

double move_value(const PlayerView& view, const Knowledge& knowledge, const Move& move) {
    const SquareView& target = view[move.to_column][move.to_row];
    PlayerView moved = after_step(view, move);
    if (target.owner == 0) return outcome_value(moved, knowledge, move);
    int attacker = view[move.from_column][move.from_row].kind;
    double chance = attack_chance(knowledge, attacker, move.to_column, move.to_row);
    double lost = position_value(after_lost_attack(view, move), knowledge);
    return chance * outcome_value(moved, knowledge, move) + (1 - chance) * lost;
}

bool undoes(const Move& move, const std::optional<Move>& previous) {
    return previous && move.from_column == previous->to_column &&
           move.from_row == previous->to_row && move.to_column == previous->from_column &&
           move.to_row == previous->from_row;
}

}  // namespace

std::vector<Move> legal_moves(const PlayerView& view, int player) {
    Board owners;
    owners_of(view, owners);
    return legal_moves(owners, player);
}

double attack_chance(const Knowledge& knowledge, int attacker_kind, int column, int row) {
    auto odds = kind_odds(knowledge, column, row);
    double chance = 0;
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (attacker_wins(attacker_kind, kind)) chance += odds[kind];
    }
    return chance;
}

double opponent_win_chance(const PlayerView& view, const Knowledge& knowledge) {
    int player = knowledge.player;
    int defended_row = back_row(player);
    double worst = 0;
    for (int column = 0; column < board_columns; ++column) {
        const SquareView& target = view[column][defended_row];
        if (is_opposing(target, player)) continue;
        for_each_neighbour(column, defended_row, [&](int c, int r) {
            if (!is_opposing(view[c][r], player)) return;
            double chance = target.owner == 0 ? 1.0 : defence_loss_chance(knowledge, c, r, target.kind);
            worst = std::max(worst, chance);
        });
    }
    return worst;
}

std::optional<Move> choose_move(const PlayerView& view, const Knowledge& knowledge,
                                const std::optional<Move>& previous, std::mt19937& rng) {
    std::uniform_real_distribution<double> noise(0, noise_range);
    std::optional<Move> best;
    double best_value = 0;
    for (const Move& move : legal_moves(view, knowledge.player)) {
        double value = move_value(view, knowledge, move) + noise(rng);
        if (undoes(move, previous)) value -= undo_penalty;
        if (!best || value > best_value) {
            best = move;
            best_value = value;
        }
    }
    return best;
}

BotMind start_mind(const Board& board, int player, unsigned seed, Level level) {
    return BotMind{start_knowledge(player, view_of_board(board, player)), std::nullopt, std::mt19937(seed), level, {}};
}

namespace {

std::optional<Move> decide(BotMind& mind) {
    const Knowledge& knowledge = mind.knowledge;
    int iterations = search_iterations(mind.level);
    if (iterations == 0) return choose_move(knowledge.last_seen, knowledge, mind.previous, mind.rng);
    return search_move(knowledge.last_seen, knowledge, iterations, mind.rng, mind.left);
}

}  // namespace

std::optional<Move> choose_bot_move(BotMind& mind, const Board& seen) {
    learn_from_opponent_move(mind.knowledge, view_of_board(seen, mind.knowledge.player));
    return decide(mind);
}

void learn_own_move(BotMind& mind, const Move& move, const PlayerView& after) {
    learn_from_own_move(mind.knowledge, move, after);
    mind.previous = move;
    if (search_iterations(mind.level) > 0) mind.left.insert(position_key(mind.knowledge.last_seen));
}

BotTurn play_bot_turn(BotMind& mind, Board& board) {
    const int player = mind.knowledge.player;
    BotTurn turn;
    turn.move = choose_bot_move(mind, board);
    if (!turn.move) return turn;
    const Move& move = *turn.move;
    turn.result = make_move(board, player, move.from_column, move.from_row, move.to_column, move.to_row);
    learn_own_move(mind, move, view_of_board(board, player));
    return turn;
}
