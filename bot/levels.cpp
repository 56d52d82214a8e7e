#include "levels.h"

namespace bot {

namespace {

struct LevelEntry {
    Level level;
    const char* name;
    SearchParams params;
};

const LevelEntry levels[] = {
    {Level::easy, "easy", {.iterations = 0}},
    {Level::normal, "normal", {.iterations = 30000}},
    {Level::hard, "hard", {.iterations = 300000}},
};

const LevelEntry& entry(Level level) {
    for (const LevelEntry& candidate : levels) {
        if (candidate.level == level) return candidate;
    }
    return levels[1];
}

}  // namespace

std::optional<Level> level_named(const std::string& name) {
    for (const LevelEntry& candidate : levels) {
        if (name == candidate.name) return candidate.level;
    }
    return std::nullopt;
}

const char* level_name(Level level) { return entry(level).name; }

const SearchParams& search_params(Level level) { return entry(level).params; }

}  // namespace bot
