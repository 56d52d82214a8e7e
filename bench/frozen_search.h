#pragma once
// The search as it stood at commit 9f2997d (10 December 2026), frozen as a
// yardstick for tuning: a later search is measured by playing it against
// this one. bench/frozen/ holds its own copy of every file of bot/ it needs,
// in namespace frozen, so that no change to the bot moves it; it links only
// the core. The bot's mind still learns for it: its knowledge is copied over
// each turn.

#include "frozen/search.h"
#include "knowledge.h"
#include "search.h"

namespace frozen {

// The levels' budgets of that day.
inline int normal_iterations() { return search_params(Level::normal).iterations; }
inline int hard_iterations() { return search_params(Level::hard).iterations; }

inline Knowledge frozen_knowledge(const bot::Knowledge& knowledge) {
    Knowledge copy;
    copy.player = knowledge.player;
    copy.possible = knowledge.possible;
    copy.remaining = knowledge.remaining;
    copy.taken = knowledge.taken;
    copy.taken_count = knowledge.taken_count;
    copy.shown = knowledge.shown;
    copy.last_seen = knowledge.last_seen;
    copy.quiet_turns = knowledge.quiet_turns;
    return copy;
}

// The search of that day at `level`'s settings and `iterations` a move, on
// what the bot's mind knows and the positions its moves have left.
inline std::optional<Move> search_move(const bot::Knowledge& knowledge, Level level, int iterations,
                                       std::mt19937& rng, const bot::PositionsLeft& left = {},
                                       std::vector<WeighedMove>* weighed = nullptr) {
    SearchParams params = search_params(level);
    params.iterations = iterations;
    Knowledge copy = frozen_knowledge(knowledge);
    return search_move(copy.last_seen, copy, params, rng, PositionsLeft(left.begin(), left.end()), weighed);
}

}  // namespace frozen
