#include "beliefs.h"

#include <algorithm>
#include <bit>

std::vector<HiddenPiece> hidden_pieces(const PlayerView& view, const Knowledge& knowledge) {
    std::vector<HiddenPiece> hidden;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const SquareView& square = view[column][row];
            if (square.owner == 0 || square.owner == knowledge.player) continue;
            KindMask possible = knowledge.possible[column][row];
            hidden.push_back({column, row, possible != 0 ? possible : any_kind});
        }
    }
    std::stable_sort(hidden.begin(), hidden.end(), [](const HiddenPiece& a, const HiddenPiece& b) {
        return std::popcount(a.possible) < std::popcount(b.possible);
    });
    return hidden;
}

namespace {

int draw_kind(KindMask possible, const std::array<int, 3>& at_large, std::mt19937& rng) {
    int weights[3] = {0, 0, 0};
    int total = 0;
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (possible & mask_of(kind)) total += weights[kind] = std::max(at_large[kind], 0);
    }
    if (total == 0) {
        for (int kind = Rock; kind <= Paper; ++kind) total += weights[kind] = (possible & mask_of(kind)) ? 1 : 0;
    }
    int pick = std::uniform_int_distribution<int>(0, total - 1)(rng);
    for (int kind = Rock; kind <= Paper; ++kind) {
        if (pick < weights[kind]) return kind;
        pick -= weights[kind];
    }
    return Paper;
}

}  // namespace

void draw_board(Board& drawn, const PlayerView& view, const std::vector<HiddenPiece>& hidden,
                const Knowledge& knowledge, std::mt19937& rng) {
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const SquareView& square = view[column][row];
            drawn[column][row] = Cell{square.owner == knowledge.player ? square.kind : 0, square.owner};
        }
    }
    std::array<int, 3> at_large = knowledge.remaining;
    for (const HiddenPiece& piece : hidden) {
        int kind = draw_kind(piece.possible, at_large, rng);
        --at_large[kind];
        drawn[piece.column][piece.row].kind = kind;
    }
}
