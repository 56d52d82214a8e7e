#include "beliefs.h"

#include "unit_draw.h"

#include <algorithm>
#include <numeric>

namespace bot {

namespace {

// Takes one of `kind` from the kinds still to give out; false when none is left.
bool give(int kind, int& rocks, int& scissors, int papers_left) {
    if (kind == core::Rock) return rocks-- > 0;
    if (kind == core::Scissors) return scissors-- > 0;
    return papers_left > 0;
}

}  // namespace

KindSampler kind_sampler(const KindMask* possible, int pieces, std::array<int, 3> counts) {
    KindSampler sampler;
    sampler.pieces = std::min(pieces, max_drawn_pieces);
    std::copy(possible, possible + sampler.pieces, sampler.possible.begin());
    sampler.counts = counts;
    bool counts_fit = std::accumulate(counts.begin(), counts.end(), 0) == sampler.pieces &&
                      std::all_of(counts.begin(), counts.end(), [](int n) { return n >= 0 && n <= max_of_a_kind; });
    if (!counts_fit) return sampler;
    sampler.ways[sampler.pieces][0][0] = 1;
    for (int piece = sampler.pieces - 1; piece >= 0; --piece) {
        int left = sampler.pieces - piece;
        for (int rocks = 0; rocks <= max_of_a_kind; ++rocks) {
            for (int scissors = 0; scissors <= max_of_a_kind && rocks + scissors <= left; ++scissors) {
                double ways = 0;
                for (int kind = core::Rock; kind <= core::Paper; ++kind) {
                    if (!(sampler.possible[piece] & mask_of(kind))) continue;
                    int r = rocks;
                    int s = scissors;
                    if (give(kind, r, s, left - rocks - scissors)) ways += sampler.ways[piece + 1][r][s];
                }
                sampler.ways[piece][rocks][scissors] = ways;
            }
        }
    }
    sampler.fits = sampler.ways[0][counts[core::Rock]][counts[core::Scissors]] > 0;
    return sampler;
}

void draw_kinds(const KindSampler& sampler, std::mt19937& rng, int* kinds, int count) {
    count = std::min(count, sampler.pieces);
    if (!sampler.fits) {
        for (int piece = 0; piece < count; ++piece) {
            KindMask possible = sampler.possible[piece] != 0 ? sampler.possible[piece] : any_kind;
            int choices[3];
            int count = 0;
            for (int kind = core::Rock; kind <= core::Paper; ++kind) {
                if (possible & mask_of(kind)) choices[count++] = kind;
            }
            kinds[piece] = choices[std::uniform_int_distribution<int>(0, count - 1)(rng)];
        }
        return;
    }
    int rocks = sampler.counts[core::Rock];
    int scissors = sampler.counts[core::Scissors];
    for (int piece = 0; piece < count; ++piece) {
        const int papers = sampler.pieces - piece - rocks - scissors;
        const KindMask possible = sampler.possible[piece];
        const auto& after = sampler.ways[piece + 1];
        double pick = unit_draw(rng) * sampler.ways[piece][rocks][scissors];
        // Each kind the piece may be and the counts still give out, at the
        // odds of the ways to give out the rest after it, written out kind by
        // kind: a search draws a deal for each of its iterations.
        int chosen = -1;
        bool picked = false;
        auto consider = [&](int kind, double ways) {
            if (picked || !(possible & mask_of(kind)) || ways <= 0) return;
            chosen = kind;
            if (pick < ways) {
                picked = true;
            } else {
                pick -= ways;
            }
        };
        consider(core::Rock, rocks > 0 ? after[rocks - 1][scissors] : 0);
        consider(core::Scissors, scissors > 0 ? after[rocks][scissors - 1] : 0);
        consider(core::Paper, papers > 0 ? after[rocks][scissors] : 0);
        kinds[piece] = chosen;
        if (chosen == core::Rock) --rocks;
        if (chosen == core::Scissors) --scissors;
    }
}

Beliefs beliefs_of(const PlayerView& view, const Knowledge& knowledge) {
    Beliefs beliefs;
    std::array<KindMask, max_drawn_pieces> possible{};
    int pieces = 0;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            const core::Cell& square = view[column][row];
            bool own = square.owner == knowledge.player;
            beliefs.seen[column][row] = core::Cell{own ? square.kind : core::Rock, square.owner};
            if (square.owner == 0 || own) continue;
            beliefs.squares[beliefs.on_board++] = {column, row};
            KindMask mask = knowledge.possible[column][row];
            possible[pieces++] = mask != 0 ? mask : any_kind;
        }
    }
    for (int taken = 0; taken < knowledge.taken_count; ++taken) possible[pieces++] = knowledge.taken[taken];
    std::array<int, 3> counts = knowledge.remaining;
    for (int& count : counts) count = std::clamp(count, 0, max_of_a_kind);
    int unaccounted = std::accumulate(counts.begin(), counts.end(), 0) - pieces;
    for (; unaccounted > 0 && pieces < max_drawn_pieces; --unaccounted) possible[pieces++] = any_kind;
    beliefs.sampler = kind_sampler(possible.data(), pieces, counts);
    if (!beliefs.sampler.fits && knowledge.taken_count > 0) {
        // What was inferred of the taken pieces contradicts the rest: keep
        // only what is known of those still on the board.
        std::fill(possible.begin() + beliefs.on_board, possible.begin() + pieces, any_kind);
        beliefs.sampler = kind_sampler(possible.data(), pieces, counts);
    }
    if (!beliefs.sampler.fits) beliefs.sampler = kind_sampler(possible.data(), beliefs.on_board, counts);
    return beliefs;
}

void draw_board(core::Board& drawn, const Beliefs& beliefs, std::mt19937& rng) {
    int kinds[max_drawn_pieces];
    draw_kinds(beliefs.sampler, rng, kinds, beliefs.on_board);
    drawn = beliefs.seen;
    for (int piece = 0; piece < beliefs.on_board; ++piece) {
        const auto& square = beliefs.squares[piece];
        drawn[square[0]][square[1]].kind = kinds[piece];
    }
}

}  // namespace bot
