#pragma once
// The board window's painting: the fifteen pictures and where they go.

#include "board.h"
#include "game_view.h"
#include "image.h"

extern IMAGE image_exit, image_own_1, image_own_2, image_turn_1, image_turn_2;
extern IMAGE image_square, image_selected, image_river;
extern IMAGE image_rock, image_scissors, image_paper, image_hidden;
extern IMAGE image_lobby, image_win_1, image_win_2;

// Loads the fifteen pictures from ../thirdparty/, each at its file's own size.
void load_view_images();
// Repaints the whole board window from the board and my_player; asks the
// server whose turn it is (until it answers) for the turn marker.
void draw_view();
// Repaints the whole board window from a refereed view, as `seat` sees it:
// the turn marker from the view's turn. The flow keeps the view shown before,
// so what changed between the two can be marked.
void draw_view(const GameView& view, int seat);
// Repaints one square with `background` and the picture of its piece's kind,
// from the board or from `on`.
void draw_highlight(const IMAGE& background, int column, int row);
void draw_highlight(const IMAGE& background, const Board& on, int column, int row);
