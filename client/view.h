#pragma once
// The board window's painting: where each picture goes.

#include "board.h"
#include "game_view.h"
#include "pictures.h"

namespace client {

struct RelayGame;

// Repaints the whole board window from the relay game's board and player
// number; asks the server whose turn it is (until it answers) for the turn
// marker, on a connection of its own. False when the server refuses the key.
bool draw_view(const RelayGame& game);
// Repaints the whole board window from a refereed view, as `seat` sees it:
// the turn marker from the view's turn, every square on the plain background
// (draw_last_move then marks the last move).
void draw_view(const Pictures& pictures, const core::GameView& view, int seat);
// Repaints one square with `background` and the picture of the kind of the
// piece on it in `on`.
void draw_highlight(const Pictures& pictures, const IMAGE& background, const core::Board& on, int column, int row);
// Marks the last move of a refereed `view` on the square it left and the
// square it reached, redrawing the pieces now on them as `seat` sees them. An
// own piece the move cost shows its kind, taken from `previous` (the view
// shown before the move), as a badge in the top-right corner of the square
// where it stood. The opponent's kinds are never shown: the view has none.
void draw_last_move(const Pictures& pictures, const core::GameView& view, const core::GameView& previous, int seat);
// The background square [column][row] has in `view`: its mark while the last
// move marks it, else the plain square; for taking a selection away.
const IMAGE& square_background(const Pictures& pictures, const core::GameView& view, int column, int row);

}  // namespace client
