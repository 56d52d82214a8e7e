#pragma once
// How hard the bot plays. Easy plays by a few hand-made rules of thumb; normal
// and hard search, with budgets in iterations so that a game with a given
// seed is the same game on any machine. On one core of the development
// machine (about 60,000 iterations a second in the middle of a game) normal
// answers in about a fifth of a second and hard uses about two.

#include <optional>
#include <string>

enum class Level { easy, normal, hard };

std::optional<Level> level_named(const std::string& name);
const char* level_name(Level level);
// Search iterations a move; 0 for the level that does not search.
int search_iterations(Level level);
