#pragma once
// A move as its chooser weighed it, for a person to read.

#include "rules.h"

namespace bot {

// The search's visits and mean result (0 to 1, for the bot), or the easy
// rules' value in points with no visits.
struct WeighedMove {
    core::Move move;
    int visits = 0;
    double value = 0;
};

}  // namespace bot
