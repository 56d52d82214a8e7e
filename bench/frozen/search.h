#pragma once
// Frozen with the rest of bench/frozen/ from bot/ at commit 9f2997d: never edit.
// Choosing a move by information-set Monte Carlo tree search. Each iteration
// draws a whole board from the bot's beliefs and walks one shared tree on it,
// so what the tree learns about a move is gathered over the many boards the
// game could be in. The tree follows what the bot sees: the moves, and
// whether each attack's piece stood or fell. Places are never hidden, so at
// each state of the tree every drawn board has the same legal moves.

#include "knowledge.h"
#include "levels.h"
#include "player_view.h"
#include "tactics.h"

#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace frozen {

// The positions the bot's own moves have left, as it saw them (position_key).
using PositionsLeft = std::set<std::string>;

// Whose piece stands where, and the kinds the view shows.
std::string position_key(const PlayerView& view);

// The move with the most visits after `params.iterations` iterations; a sure
// far-row step is tried first, so even one iteration takes it. None when no
// piece can move. A
// move that would leave a position in `left` again gives way to the most
// visited other move that the search rates about as good: two sides that
// only answer each other's threats would otherwise repeat the same few
// positions for ever. The same view, knowledge, settings, positions and
// generator state give the same move. Each move tried at the root, with its
// visits and mean result, goes to `weighed` when given.
std::optional<Move> search_move(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                                std::mt19937& rng, const PositionsLeft& left = {},
                                std::vector<WeighedMove>* weighed = nullptr);

}  // namespace frozen
