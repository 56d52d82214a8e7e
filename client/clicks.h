#pragma once
// What one click of the own turn does: select an own piece, drop the
// selection, or complete a move. The board is only read here.

#include "board.h"

#include <string>

namespace client {

// A turn starts with nothing selected; the position is only read while
// `selected` is true.
struct TurnSelection {
    bool selected = false;
    int selected_column = -1;
    int selected_row = -1;
};

enum class SquareDrawing { none, highlight, unhighlight };

// What the window has to do after one click of the turn, in this order:
// forfeit; redraw square [column][row]; then either pause 500 ms, or, when a
// move is due, make it with make_move from [column][row] to
// [to_column][to_row]. The board is left untouched until then, so the
// un-highlighted square still shows the piece that is about to move.
struct ClickOutcome {
    bool forfeit = false;
    SquareDrawing drawing = SquareDrawing::none;
    int column = -1;
    int row = -1;
    bool pause = false;
    bool move_due = false;
    int to_column = -1;
    int to_row = -1;
};

// A click of `player` on square [column][row] of `on` (anything off the board
// counts as a click outside the squares). Changes only the selection.
ClickOutcome click_square(TurnSelection& selection, const core::Board& on, int player, int column, int row);
// A click given by its cell code: "exit", "no" or column digit then row digit.
ClickOutcome click_cell_code(TurnSelection& selection, const core::Board& on, int player,
                             const std::string& code);

}  // namespace client
