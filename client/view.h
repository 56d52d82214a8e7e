#pragma once
// The board window's painting: the pictures and where they go.

#include "board.h"
#include "game_view.h"
#include "image.h"

extern IMAGE image_exit, image_own_1, image_own_2, image_turn_1, image_turn_2;
extern IMAGE image_square, image_selected, image_river;
extern IMAGE image_rock, image_scissors, image_paper, image_hidden;
extern IMAGE image_lobby, image_win_1, image_win_2;
// The refereed game's last move: square backgrounds for the square it left and
// the square it reached, by outcome, and badges of an own piece it cost.
extern IMAGE image_from_step, image_to_step, image_from_won, image_to_won, image_from_lost, image_to_lost;
extern IMAGE image_lost_rock, image_lost_scissors, image_lost_paper;

// Loads the pictures from ../thirdparty/, each at its file's own size: the
// fifteen of the board, the lobby and the end in their fixed order, then the
// last move's marks and badges.
void load_view_images();
// Repaints the whole board window from the board and my_player; asks the
// server whose turn it is (until it answers) for the turn marker.
void draw_view();
// Repaints the whole board window from a refereed view, as `seat` sees it:
// the turn marker from the view's turn, every square on the plain background
// (draw_last_move then marks the last move).
void draw_view(const GameView& view, int seat);
// Repaints one square with `background` and the picture of its piece's kind,
// from the board or from `on`.
void draw_highlight(const IMAGE& background, int column, int row);
void draw_highlight(const IMAGE& background, const Board& on, int column, int row);
// Marks the last move of a refereed `view` on the square it left and the
// square it reached, redrawing the pieces now on them as `seat` sees them. An
// own piece the move cost shows its kind, taken from `previous` (the view
// shown before the move), as a badge in the top-right corner of the square
// where it stood. The opponent's kinds are never shown: the view has none.
void draw_last_move(const GameView& view, const GameView& previous, int seat);
// The background square [column][row] has in `view`: its mark while the last
// move marks it, else the plain square; for taking a selection away.
const IMAGE& square_background(const GameView& view, int column, int row);
