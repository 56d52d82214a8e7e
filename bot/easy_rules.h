#pragma once
// The easy level: every legal step is weighed by a few rules of thumb about
// what it may lead to, using only the bot's view and what it has learned.

#include "knowledge.h"
#include "levels.h"
#include "player_view.h"
#include "tactics.h"
#include "weighed_move.h"

#include <optional>
#include <random>
#include <vector>

namespace bot {

// The best move, or none when no piece can move. `previous` is the bot's last
// move, which it is loath to undo; `rng` breaks near ties. Each move with
// its value goes to `weighed` when given.
std::optional<core::Move> easy_move(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                              const std::optional<core::Move>& previous, std::mt19937& rng,
                              std::vector<WeighedMove>* weighed = nullptr);

}  // namespace bot
