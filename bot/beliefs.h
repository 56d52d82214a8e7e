#pragma once
// Whole boards the game could be in, as far as the bot can tell: its own
// pieces as it sees them and each opposing piece given a kind, drawn
// uniformly from every way of giving out the kinds that fits what the bot has
// learned: the kinds each piece may be, on the board or already taken, and
// the opposing pieces of each kind still unaccounted for.

#include "board.h"
#include "knowledge.h"
#include "player_view.h"

#include <array>
#include <random>

namespace bot {

// Pieces on the board and gone from it that one draw gives kinds to.
constexpr int max_drawn_pieces = core::board_columns * core::board_rows + core::pieces_a_side;
// Most pieces of one kind a draw gives out.
constexpr int max_of_a_kind = core::pieces_of_a_kind;

// Draws a kind for each of `pieces` pieces, uniformly from the assignments in
// which each piece has one of its possible kinds and the kinds given out
// match `counts` exactly. ways[i][r][s] counts the assignments of pieces i
// onward that give out r rocks and s scissors (the rest papers).
struct KindSampler {
    int pieces = 0;
    std::array<KindMask, max_drawn_pieces> possible{};
    std::array<int, 3> counts{};
    std::array<std::array<std::array<double, max_of_a_kind + 1>, max_of_a_kind + 1>, max_drawn_pieces + 1> ways{};
    // Whether any assignment fits; a sampler without one gives each piece one
    // of its kinds at even odds.
    bool fits = false;
};

// The sampler for these pieces and counts. The counts must add up to the
// pieces and none may pass max_of_a_kind, or no assignment fits.
KindSampler kind_sampler(const KindMask* possible, int pieces, std::array<int, 3> counts);
// One assignment: kinds[i] for the sampler's piece i, drawn for the first
// `count` pieces only. Each piece is drawn given those before it, so the
// first pieces come out as they would in a whole assignment.
void draw_kinds(const KindSampler& sampler, std::mt19937& rng, int* kinds, int count);

struct Beliefs {
    // The board as seen, each opposing piece a rock until drawn.
    core::Board seen{};
    // The opposing pieces on the board, in the order the sampler gives them
    // kinds; the pieces taken and those not accounted for follow them there.
    std::array<std::array<int, 2>, core::board_columns * core::board_rows> squares{};
    int on_board = 0;
    KindSampler sampler;
};

Beliefs beliefs_of(const PlayerView& view, const Knowledge& knowledge);
// One board drawn from the beliefs.
void draw_board(core::Board& drawn, const Beliefs& beliefs, std::mt19937& rng);

}  // namespace bot
