#include "rules.h"

#include "board.h"

#include <cstdlib>

int opponent_of(int player) { return player == 1 ? 2 : 1; }

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

int far_row(int player) { return player == 1 ? board_rows - 1 : 0; }

bool is_legal_move(const Board& on, int player, int from_column, int from_row, int to_column,
                   int to_row) {
    if (!on_board(from_column, from_row) || !on_board(to_column, to_row)) return false;
    if (on[from_column][from_row].owner != player) return false;
    if (on[to_column][to_row].owner == player) return false;
    return orthogonally_adjacent(from_column, from_row, to_column, to_row);
}

std::vector<Move> legal_moves(const Board& on, int player) {
    std::vector<Move> moves;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            if (on[column][row].owner != player) continue;
            for (auto [dc, dr] : orthogonal_steps) {
                int to_column = column + dc;
                int to_row = row + dr;
                if (is_legal_move(on, player, column, row, to_column, to_row)) {
                    moves.push_back({column, row, to_column, to_row});
                }
            }
        }
    }
    return moves;
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

bool is_legal_move(int from_column, int from_row, int to_column, int to_row) {
    return is_legal_move(board, my_player, from_column, from_row, to_column, to_row);
}

MoveResult make_move(int from_column, int from_row, int to_column, int to_row) {
    return make_move(board, my_player, from_column, from_row, to_column, to_row);
}

namespace {

ClickOutcome pause_only() {
    ClickOutcome outcome;
    outcome.pause = true;
    return outcome;
}

ClickOutcome select_square(TurnSelection& selection, int column, int row) {
    ClickOutcome outcome = pause_only();
    if (board[column][row].owner != my_player) return outcome;
    selection.selected = true;
    selection.selected_column = column;
    selection.selected_row = row;
    outcome.drawing = SquareDrawing::highlight;
    outcome.column = column;
    outcome.row = row;
    return outcome;
}

// Every click on a square while a piece is selected clears the selection; only
// a step to an orthogonal neighbour that is not the mover's own makes a move.
ClickOutcome click_with_selection(TurnSelection& selection, int column, int row) {
    ClickOutcome outcome;
    outcome.drawing = SquareDrawing::unhighlight;
    outcome.column = selection.selected_column;
    outcome.row = selection.selected_row;
    selection.selected = false;
    if (!is_legal_move(selection.selected_column, selection.selected_row, column, row)) {
        outcome.pause = true;
        return outcome;
    }
    outcome.move_due = true;
    outcome.to_column = column;
    outcome.to_row = row;
    return outcome;
}

}  // namespace

ClickOutcome click_square(TurnSelection& selection, int column, int row) {
    if (!on_board(column, row)) return pause_only();
    if (!selection.selected) return select_square(selection, column, row);
    return click_with_selection(selection, column, row);
}

ClickOutcome click_cell_code(TurnSelection& selection, const std::string& code) {
    if (code == "exit") {
        ClickOutcome outcome;
        outcome.forfeit = true;
        return outcome;
    }
    bool two_digits = code.size() == 2 && code[0] >= '0' && code[0] <= '9' &&
                      code[1] >= '0' && code[1] <= '9';
    if (!two_digits) return pause_only();
    return click_square(selection, code[0] - '0', code[1] - '0');
}
