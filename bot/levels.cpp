#include "levels.h"

namespace {

struct LevelEntry {
    Level level;
    const char* name;
    int iterations;
};

constexpr LevelEntry levels[] = {
    {Level::easy, "easy", 0},
    {Level::normal, "normal", 12000},
    {Level::hard, "hard", 120000},
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

int search_iterations(Level level) { return entry(level).iterations; }
