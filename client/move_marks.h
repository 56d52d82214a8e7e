#pragma once
// What the last move of a refereed view marks on the board: the square it
// left, the square it reached, and an own piece it cost. Only read here; the
// view turns it into pictures.

#include "game_view.h"

#include <cstdint>
#include <optional>

namespace client {

// The part a square played in the view's last move.
enum class MovePart { none, left, reached };

MovePart move_part_at(const core::GameView& view, int column, int row);

struct LostPiece {
    int column;
    int row;
    std::int32_t kind;
};

// The piece of `seat`'s that the last move of `view` took off the board, with
// the kind `previous` (the view shown before it) gave it: an attacker that
// lost on the square it left, or a defender on the square the attacker took.
// None when the move cost `seat` nothing, or `previous` does not show the
// piece on that square, so an older view can never lend a wrong kind.
std::optional<LostPiece> own_piece_lost(const core::GameView& view, const core::GameView& previous, int seat);

}  // namespace client
