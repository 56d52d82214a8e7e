#include "easy_rules.h"

#include "board.h"
#include "rules.h"

#include <algorithm>

namespace bot {

namespace {

bool is_opposing(const core::Cell& square, int player) {
    return square.owner != 0 && square.owner != player;
}

// A side that waits too long for the other to come forward ends up in a
// stand-off that nobody wins, so the longer nothing is taken, the more the
// bot values going forward over keeping its pieces out of reach.
double boldness(const Knowledge& knowledge, const SearchParams& params) {
    return 1 + knowledge.quiet_turns / params.easy_quiet_turns_per_boldness;
}

double advance_value(const SearchParams& params, int player, int row) {
    int forward = progress(player, row);
    return params.easy_advance * forward * forward;
}

double exposure_chance(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params, int column,
                int row) {
    double worst = 0;
    core::for_each_neighbour(column, row, [&](int c, int r) {
        if (!is_opposing(view[c][r], knowledge.player)) return;
        worst = std::max(worst, defence_loss_chance(knowledge, params, c, r, view[column][row].kind));
    });
    return worst;
}

// Material and advance of both sides, the danger to our pieces that stand
// next to opposing ones, and above all the opponent's chance to win at once.
double position_value(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params) {
    int player = knowledge.player;
    double bold = boldness(knowledge, params);
    double value = 0;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            const core::Cell& square = view[column][row];
            if (square.owner == player) {
                double worth = params.easy_piece + bold * advance_value(params, player, row);
                double danger = params.easy_exposure / bold * exposure_chance(view, knowledge, params, column, row);
                value += worth * (1 - danger);
            } else if (square.owner != 0) {
                value -= params.easy_piece + advance_value(params, core::opponent_of(player), row);
            }
        }
    }
    return value - params.easy_win * opponent_win_chance(view, knowledge, params);
}

double outcome_value(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                     const core::Move& move) {
    if (move.to_row == core::far_row(knowledge.player)) return params.easy_win;
    return position_value(view, knowledge, params);
}

double move_value(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                  const core::Move& move) {
    const core::Cell& target = view[move.to_column][move.to_row];
    PlayerView moved = after_step(view, move);
    if (target.owner == 0) return outcome_value(moved, knowledge, params, move);
    int attacker = view[move.from_column][move.from_row].kind;
    double chance = attack_chance(knowledge, params, attacker, move.to_column, move.to_row);
    double lost = position_value(after_lost_attack(view, move), knowledge, params);
    return chance * outcome_value(moved, knowledge, params, move) + (1 - chance) * lost;
}

bool undoes(const core::Move& move, const std::optional<core::Move>& previous) {
    return previous && move.from_column == previous->to_column &&
           move.from_row == previous->to_row && move.to_column == previous->from_column &&
           move.to_row == previous->from_row;
}

}  // namespace

std::optional<core::Move> easy_move(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                              const std::optional<core::Move>& previous, std::mt19937& rng,
                              std::vector<WeighedMove>* weighed) {
    std::uniform_real_distribution<double> noise(0, params.easy_noise);
    std::optional<core::Move> best;
    double best_value = 0;
    for (const core::Move& move : core::legal_moves(view, knowledge.player)) {
        double value = move_value(view, knowledge, params, move) + noise(rng);
        if (undoes(move, previous)) value -= params.easy_undo;
        if (weighed) weighed->push_back({move, 0, value});
        if (!best || value > best_value) {
            best = move;
            best_value = value;
        }
    }
    return best;
}

}  // namespace bot
