#pragma once
// How hard the bot plays. Easy plays by a few hand-made rules of thumb; normal
// and hard search, with budgets in iterations so that a game with a given
// seed is the same game on any machine. On one idle core of the development
// machine (about 415,000 iterations a second in normal's trees, 350,000 in
// hard's larger ones), normal answers in under a tenth of a second and hard
// in under one.
//
// Every number that shapes how a level plays is a field of its SearchParams.

#include "board.h"

#include <array>
#include <optional>
#include <string>

namespace bot {

enum class Level { easy, normal, hard };

struct SearchParams {
    // Search iterations a move; 0 for the level that plays by the easy rules.
    int iterations = 0;

    // What the bot makes of its knowledge, at every level. A kind that the
    // counts say is used up keeps this much weight in a piece's odds beside
    // the number still at large of each kind: the counts are only inferred.
    double used_up_kind_weight = 0.25;

    // The search. How far the tree's choice leans to moves tried less often
    // (the constant of the upper confidence bound).
    double exploration = 0.45;
    // A state visited n times has at most base + scale * sqrt(n) of its moves
    // in the tree, drawn in by their playout weights; a scale of 0 lets every
    // move in before any is tried twice.
    int widening_base = 4;
    double widening_scale = 1;
    // Plies a playout runs before its position is judged instead.
    int playout_plies = 10;
    // A playout plays by what its mover could know. A step onto the far row
    // is taken at once when its odds, as far as the mover knows, reach this;
    // any other move is drawn by weight.
    double playout_far_row_odds = 0.5;
    // An attack on a piece one step from the mover's own back row, by the
    // share of that piece's known kinds the attacker beats plus this much, so
    // that even a blind attack there blocks a threat...
    double playout_attack_near_back_row = 40;
    double playout_blind_block = 0.25;
    // ...an attack that cannot be lost on a piece that fights have narrowed...
    double playout_sure_capture = 30;
    // ...any other attack, scaled by the square of its odds against the two
    // in three of an attack on an unknown piece...
    double playout_attack = 4;
    // ...and steps forward, sideways and back; a step beside an opposing
    // piece known to beat the stepping one counts this share of its weight.
    double playout_forward = 2;
    double playout_sideways = 1;
    double playout_backward = 0.4;
    double playout_into_sure_loss = 0.1;
    // A win or loss this many plies ahead counts as much as this to the power
    // of the plies, the rest going to an even result: a win soon beats a win
    // late. The judged position where a playout stops counts as if it were
    // the playout's length ahead, so a win beats a strong position.
    double depth_discount = 0.98;
    // Judging a position where a playout stops: each piece is worth 1 plus
    // this by the rows it has come forward from its back row.
    std::array<double, core::board_rows> judge_advance{0, 0, 0, 0, 0.05, 0.1, 0.2, 0.35, 0.6, 0};
    // A piece one step from its far row is worth this much more when its
    // side moves next, and this much when the other side does.
    double judge_near_far_row_to_move = 3;
    double judge_near_far_row_waiting = 0.8;
    // The sides' difference in worth that turns into odds of about 73 to 27
    // (the scale of the logistic curve).
    double judge_scale = 3;
    // A move that would leave a position the bot has left before gives way to
    // one whose mean result is at most this much lower, and this much more
    // for each of the bot's turns since a piece last left the board...
    double repeat_tolerance = 0.03;
    double repeat_tolerance_per_quiet_turn = 0.002;
    // ...and that has at least one visit for this many of the first's, and
    // for one more for each quiet turn: the longer the quiet, the less a
    // rarely tried move needs to have shown to stand in.
    int repeat_visit_ratio = 8;
    int repeat_visit_ratio_per_quiet_turn = 1;
    // With the most visited move's mean at least this, the game is all but
    // won and the bot converts: of the moves whose mean is at most this much
    // lower, and that have at least one visit for repeat_visit_ratio of the
    // first's, it plays the one leaving the fewest steps to the far row. The
    // discount takes about a seventh off a sure win ten plies away, so a mean
    // of 0.82 stands for a win all but sure.
    double conversion_mean = 0.82;
    double conversion_tolerance = 0.02;
    // Short of that, with the chosen move's mean at least progress_mean, a
    // forward step whose mean is at most progress_tolerance lower, with the
    // visits asked of a stand-in, is taken instead when it brings a piece
    // further up the board. Far ahead, the means of most moves come within
    // the search's noise of each other, and the search alone would wander.
    double progress_mean = 0.7;
    double progress_tolerance = 0.005;

    // The easy rules, in points. Reaching the far row, and what the
    // opponent's chance to reach the bot's back row at once costs.
    double easy_win = 10000;
    // One piece, either side's.
    double easy_piece = 10;
    // A piece's advance is worth this times the square of the rows it has
    // come forward.
    double easy_advance = 0.5;
    // The share of an own piece's worth at stake when an opposing neighbour
    // may beat it, before boldness.
    double easy_exposure = 0.3;
    // Boldness grows by one for this many of the bot's turns since a piece
    // left the board: it weighs advance up and exposure down, so that a side
    // that only waits does not end in a stand-off.
    double easy_quiet_turns_per_boldness = 4;
    // The cost of stepping straight back where the last move came from.
    double easy_undo = 3;
    // Near ties are broken by noise drawn up to this.
    double easy_noise = 0.5;
};

std::optional<Level> level_named(const std::string& name);
const char* level_name(Level level);
const SearchParams& search_params(Level level);

}  // namespace bot
