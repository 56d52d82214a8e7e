#include "movers.h"

#include <vector>

namespace support {

namespace {

std::optional<core::Move> any_of(const std::vector<core::Move>& moves, std::mt19937& rng) {
    if (moves.empty()) return std::nullopt;
    return moves[std::uniform_int_distribution<std::size_t>(0, moves.size() - 1)(rng)];
}

}  // namespace

std::optional<core::Move> random_move(const core::Board& board, int player, std::mt19937& rng) {
    return any_of(core::legal_moves(board, player), rng);
}

std::optional<core::Move> greedy_move(const core::Board& board, int player, std::mt19937& rng) {
    std::vector<core::Move> forward;
    for (const core::Move& move : core::legal_moves(board, player)) {
        if (move.to_row - move.from_row == core::forward_step(player)) forward.push_back(move);
    }
    if (forward.empty()) return random_move(board, player, rng);
    return any_of(forward, rng);
}

}  // namespace support
