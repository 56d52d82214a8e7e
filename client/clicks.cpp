#include "clicks.h"

#include "rules.h"

namespace client {

namespace {

ClickOutcome pause_only() {
    ClickOutcome outcome;
    outcome.pause = true;
    return outcome;
}

ClickOutcome select_square(TurnSelection& selection, const core::Board& on, int player, int column, int row) {
    ClickOutcome outcome = pause_only();
    if (on[column][row].owner != player) return outcome;
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
ClickOutcome click_with_selection(TurnSelection& selection, const core::Board& on, int player, int column,
                                  int row) {
    ClickOutcome outcome;
    outcome.drawing = SquareDrawing::unhighlight;
    outcome.column = selection.selected_column;
    outcome.row = selection.selected_row;
    selection.selected = false;
    if (!core::is_legal_move(on, player, selection.selected_column, selection.selected_row, column, row)) {
        outcome.pause = true;
        return outcome;
    }
    outcome.move_due = true;
    outcome.to_column = column;
    outcome.to_row = row;
    return outcome;
}

}  // namespace

ClickOutcome click_square(TurnSelection& selection, const core::Board& on, int player, int column, int row) {
    if (!core::on_board(column, row)) return pause_only();
    if (!selection.selected) return select_square(selection, on, player, column, row);
    return click_with_selection(selection, on, player, column, row);
}

ClickOutcome click_cell_code(TurnSelection& selection, const core::Board& on, int player,
                             const std::string& code) {
    if (code == "exit") {
        ClickOutcome outcome;
        outcome.forfeit = true;
        return outcome;
    }
    bool two_digits = code.size() == 2 && code[0] >= '0' && code[0] <= '9' &&
                      code[1] >= '0' && code[1] <= '9';
    if (!two_digits) return pause_only();
    return click_square(selection, on, player, code[0] - '0', code[1] - '0');
}

}  // namespace client
