#pragma once
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
#include "weighed_move.h"

#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace bot {

// The positions the bot's own moves have left, as it saw them (position_key),
// each as often as it was left.
using PositionsLeft = std::multiset<std::string>;

// How the search chose: each move tried at the root, with its visits and
// mean result, and whether the choice converts a won game.
struct SearchReport {
    std::vector<WeighedMove> weighed;
    bool converting = false;
};

// Whose piece stands where, and the kinds the view shows.
std::string position_key(const PlayerView& view);

// The move with the most visits after `params.iterations` iterations; a sure
// far-row step is tried first, so even one iteration takes it. None when no
// piece can move. Then, in this order:
// - with a mean above params.conversion_mean the bot converts: of the moves
//   rated nearly as well, the one that leaves its pieces the fewest steps to
//   the far row;
// - a move that would leave a position in `left` again, or undo `previous`,
//   the bot's last move, gives way to the most visited other move that the
//   search rates about as good: two sides that only answer each other's
//   threats would otherwise repeat the same few positions for ever;
// - a move that would leave a position in `left` the third time gives way
//   to any that does not lose at once.
// The same view, knowledge, settings, history and generator state give the
// same move. How it chose goes to `report` when given.
std::optional<core::Move> search_move(const PlayerView& view, const Knowledge& knowledge, const SearchParams& params,
                                std::mt19937& rng, const PositionsLeft& left = {},
                                const std::optional<core::Move>& previous = std::nullopt, SearchReport* report = nullptr);

}  // namespace bot
