#include "knowledge.h"

#include "board.h"
#include "rules.h"

#include <vector>

namespace bot {

namespace {

struct Square {
    int column;
    int row;
};

bool is_opposing(const Knowledge& knowledge, const core::Cell& square) {
    return square.owner != 0 && square.owner != knowledge.player;
}

constexpr int no_single_kind = -1;

int single_kind(KindMask mask) {
    for (int kind = core::Rock; kind <= core::Paper; ++kind) {
        if (mask == mask_of(kind)) return kind;
    }
    return no_single_kind;
}

void remember_taken(Knowledge& knowledge, KindMask possible) {
    if (knowledge.taken_count < static_cast<int>(knowledge.taken.size())) {
        knowledge.taken[knowledge.taken_count++] = possible;
    }
}

void forget_piece(Knowledge& knowledge, int column, int row) {
    int kind = single_kind(knowledge.possible[column][row]);
    if (kind == no_single_kind) {
        remember_taken(knowledge, knowledge.possible[column][row]);
    } else if (knowledge.remaining[kind] > 0) {
        --knowledge.remaining[kind];
    }
    knowledge.possible[column][row] = 0;
}

void narrow(Knowledge& knowledge, int column, int row, KindMask allowed) {
    KindMask narrowed = knowledge.possible[column][row] & allowed;
    knowledge.possible[column][row] = narrowed != 0 ? narrowed : allowed;
}

// Whoever moved onto the square of a piece of kind `defender` and stays there
// is of the same kind or of the kind that beats it.
KindMask kinds_winning_attack_on(int defender) {
    return mask_of(defender) | mask_of(core::kind_beating(defender));
}

// The opponent's piece left `from`; it went to an orthogonal neighbour that
// it holds now and did not hold before, or it lost an attack on one of ours.
void follow_opposing_step(Knowledge& knowledge, const PlayerView& now, Square from) {
    const PlayerView& before = knowledge.last_seen;
    KindMask carried = knowledge.possible[from.column][from.row];
    knowledge.possible[from.column][from.row] = 0;
    std::vector<Square> own_neighbours;
    bool found = false;
    core::for_each_neighbour(from.column, from.row, [&](int column, int row) {
        if (found) return;
        const core::Cell& old_square = before[column][row];
        const core::Cell& new_square = now[column][row];
        if (old_square.owner == knowledge.player) own_neighbours.push_back({column, row});
        if (!is_opposing(knowledge, new_square) || is_opposing(knowledge, old_square)) return;
        knowledge.possible[column][row] = carried;
        if (old_square.owner == knowledge.player) narrow(knowledge, column, row, kinds_winning_attack_on(old_square.kind));
        found = true;
    });
    if (found) return;
    if (own_neighbours.size() == 1) {
        const Square& own = own_neighbours[0];
        const core::Cell& defender = before[own.column][own.row];
        // The opponent knows its attacker's kind, so it knows the one that beat it.
        knowledge.shown[own.column][own.row] = mask_of(defender.kind);
        int attacker = core::kind_beaten_by(defender.kind);
        if (knowledge.remaining[attacker] > 0) --knowledge.remaining[attacker];
        return;
    }
    // It lost to one of several of ours, so it was of a kind one of them beats.
    KindMask lost_to = 0;
    for (const Square& own : own_neighbours) lost_to |= mask_of(core::kind_beaten_by(before[own.column][own.row].kind));
    if (lost_to != 0) remember_taken(knowledge, carried & lost_to ? carried & lost_to : lost_to);
}

}  // namespace

Knowledge start_knowledge(int player, const PlayerView& view) {
    Knowledge knowledge;
    knowledge.player = player;
    knowledge.last_seen = view;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            if (is_opposing(knowledge, view[column][row])) knowledge.possible[column][row] = any_kind;
            if (view[column][row].owner == player) knowledge.shown[column][row] = any_kind;
        }
    }
    return knowledge;
}

namespace {

int pieces_on(const PlayerView& view) {
    int count = 0;
    for (const auto& column : view) {
        for (const auto& square : column) count += square.owner != 0;
    }
    return count;
}

}  // namespace

void learn_from_opponent_move(Knowledge& knowledge, const PlayerView& now) {
    bool quiet = pieces_on(now) == pieces_on(knowledge.last_seen);
    knowledge.quiet_turns = quiet ? knowledge.quiet_turns + 1 : 0;
    std::vector<Square> left;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            bool was = is_opposing(knowledge, knowledge.last_seen[column][row]);
            if (was && !is_opposing(knowledge, now[column][row])) left.push_back({column, row});
        }
    }
    if (left.size() == 1) follow_opposing_step(knowledge, now, left[0]);
    // Anything the single step does not explain leaves those pieces unknown.
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            KindMask& mask = knowledge.possible[column][row];
            if (!is_opposing(knowledge, now[column][row])) {
                mask = 0;
            } else if (mask == 0) {
                mask = any_kind;
            }
            KindMask& shown = knowledge.shown[column][row];
            if (now[column][row].owner != knowledge.player) {
                shown = 0;
            } else if (shown == 0) {
                shown = any_kind;
            }
        }
    }
    knowledge.last_seen = now;
}

void learn_from_own_move(Knowledge& knowledge, const core::Move& move, const PlayerView& after) {
    const core::Cell& target_before = knowledge.last_seen[move.to_column][move.to_row];
    int attacker = knowledge.last_seen[move.from_column][move.from_row].kind;
    KindMask shown = knowledge.shown[move.from_column][move.from_row];
    knowledge.shown[move.from_column][move.from_row] = 0;
    knowledge.shown[move.to_column][move.to_row] = shown;
    if (is_opposing(knowledge, target_before)) {
        if (after[move.to_column][move.to_row].owner == knowledge.player) {
            // The defender was of the attacker's kind or of the kind it beats;
            // when what was known already leaves only one of those, that kind is down one.
            narrow(knowledge, move.to_column, move.to_row, mask_of(attacker) | mask_of(core::kind_beaten_by(attacker)));
            // The opponent saw its defender of kind d lose, so the attacker is
            // d or the kind beating d; only a defender known for sure says which.
            int defender = single_kind(knowledge.possible[move.to_column][move.to_row]);
            if (defender != no_single_kind) {
                KindMask winners = kinds_winning_attack_on(defender);
                knowledge.shown[move.to_column][move.to_row] = shown & winners ? shown & winners : winners;
            }
            forget_piece(knowledge, move.to_column, move.to_row);
        } else {
            knowledge.possible[move.to_column][move.to_row] = mask_of(core::kind_beating(attacker));
            knowledge.shown[move.to_column][move.to_row] = 0;
        }
    }
    if (pieces_on(after) != pieces_on(knowledge.last_seen)) knowledge.quiet_turns = 0;
    knowledge.last_seen = after;
}

std::array<double, 3> kind_odds(const Knowledge& knowledge, int column, int row, double used_up_weight) {
    KindMask mask = knowledge.possible[column][row];
    if (mask == 0) mask = any_kind;
    std::array<double, 3> odds{};
    double total = 0;
    for (int kind = core::Rock; kind <= core::Paper; ++kind) {
        if (!(mask & mask_of(kind))) continue;
        odds[kind] = knowledge.remaining[kind] + used_up_weight;
        total += odds[kind];
    }
    for (double& odd : odds) odd /= total;
    return odds;
}

}  // namespace bot
