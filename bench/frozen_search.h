#pragma once
// The search as it stood at commit 402dcac (8 December 2026), frozen as a yardstick for
// tuning: a later search is measured by playing it against this one. It
// keeps its own copy of every setting it reads, so that new defaults in the
// bot's SearchParams do not move the yardstick; only the knowledge it is
// given and the fight odds of bot/tactics.h are the bot's current ones.

#include "knowledge.h"
#include "player_view.h"
#include "search.h"

#include <array>
#include <optional>
#include <random>
#include <vector>

namespace frozen {

struct Params {
    int iterations = 12000;
    double used_up_kind_weight = 0.25;
    double exploration = 0.7;
    int playout_plies = 16;
    double playout_attack_near_back_row = 40;
    double playout_attack = 4;
    double playout_forward = 2;
    double playout_sideways = 1;
    double playout_backward = 0.4;
    std::array<double, board_rows> judge_advance{0, 0, 0, 0, 0.05, 0.1, 0.2, 0.35, 0.6, 0};
    double judge_near_far_row_to_move = 3;
    double judge_near_far_row_waiting = 0.8;
    double judge_scale = 3;
    double repeat_tolerance = 0.04;
    int repeat_visit_ratio = 8;
};

// The levels' budgets of that day.
constexpr int normal_iterations = 12000;
constexpr int hard_iterations = 120000;

// As ::search_move was then; `left` holds position_key values of bot/search.h.
std::optional<Move> search_move(const PlayerView& view, const Knowledge& knowledge, const Params& params,
                                std::mt19937& rng, const PositionsLeft& left = {},
                                std::vector<WeighedMove>* weighed = nullptr);

}  // namespace frozen
