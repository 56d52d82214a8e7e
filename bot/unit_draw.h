#pragma once

#include <random>

namespace bot {

// A number from 0 up to 1 from one draw of `rng`: a distribution's double
// takes two, and the search draws several for each of its iterations.
inline double unit_draw(std::mt19937& rng) { return static_cast<double>(rng()) * (1.0 / 4294967296.0); }

}  // namespace bot
