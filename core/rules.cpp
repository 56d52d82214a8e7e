#include "rules.h"

#include "board.h"

#include <cstdlib>

namespace core {

int kind_beating(int kind) { return (kind + 2) % 3; }
int kind_beaten_by(int kind) { return (kind + 1) % 3; }

bool attacker_wins(std::int32_t attacker_kind, std::int32_t defender_kind) {
    if (attacker_kind == Paper) {
        if (defender_kind == Rock) return true;
    } else if (attacker_kind == Rock && defender_kind == Paper) {
        return false;
    }
    return attacker_kind <= defender_kind;
}

bool orthogonally_adjacent(int column_a, int row_a, int column_b, int row_b) {
    if (column_a == column_b) return std::abs(row_a - row_b) == 1;
    if (row_a == row_b) return std::abs(column_a - column_b) == 1;
    return false;
}

MoveFault move_fault(const Board& on, int player, const Move& move) {
    if (!on_board(move.from_column, move.from_row) || on[move.from_column][move.from_row].owner != player) {
        return MoveFault::not_own_piece;
    }
    if (!on_board(move.to_column, move.to_row) ||
        !orthogonally_adjacent(move.from_column, move.from_row, move.to_column, move.to_row)) {
        return MoveFault::not_one_step;
    }
    if (on[move.to_column][move.to_row].owner == player) return MoveFault::onto_own_piece;
    return MoveFault::none;
}

bool is_legal_move(const Board& on, int player, int from_column, int from_row, int to_column,
                   int to_row) {
    return move_fault(on, player, {from_column, from_row, to_column, to_row}) == MoveFault::none;
}

void list_legal_moves(const Board& on, int player, MoveList& into) {
    into.size = 0;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            if (on[column][row].owner != player) continue;
            for_each_neighbour(column, row, [&](int to_column, int to_row) {
                if (on[to_column][to_row].owner != player) {
                    into.moves[into.size++] = {column, row, to_column, to_row};
                }
            });
        }
    }
}

std::vector<Move> legal_moves(const Board& on, int player) {
    MoveList list;
    list_legal_moves(on, player, list);
    return {list.begin(), list.end()};
}

MoveResult make_move(Board& on, int player, int from_column, int from_row, int to_column,
                     int to_row) {
    Cell& source = on[from_column][from_row];
    Cell& target = on[to_column][to_row];
    bool reaches_target = target.owner == 0 || attacker_wins(source.kind, target.kind);
    if (reaches_target) target = source;
    source = Cell{0, 0};
    if (reaches_target && to_row == far_row(player)) return MoveResult::far_row_win;
    return MoveResult::ordinary;
}

}  // namespace core
