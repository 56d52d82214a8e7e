#include "move_planner.h"

#include "board.h"
#include "rules.h"

#include <map>
#include <queue>
#include <vector>

namespace support {

std::optional<core::Move> runner_step(const core::Board& board, int player, Squares& path) {
    std::optional<core::Move> best;
    std::size_t best_length = 0;
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            const core::Cell runner = board[column][row];
            if (runner.owner != player) continue;
            std::map<std::pair<int, int>, std::pair<int, int>> came_from;
            std::queue<std::pair<int, int>> open;
            open.push({column, row});
            came_from[{column, row}] = {column, row};
            while (!open.empty()) {
                auto [c, r] = open.front();
                open.pop();
                if (r == core::far_row(player)) {
                    std::vector<std::pair<int, int>> squares;
                    for (std::pair<int, int> at{c, r}; at != std::pair{column, row}; at = came_from[at]) {
                        squares.push_back(at);
                    }
                    if (!best || squares.size() < best_length) {
                        best_length = squares.size();
                        best = core::Move{column, row, squares.back().first, squares.back().second};
                        path = Squares(squares.begin(), squares.end());
                    }
                    break;
                }
                core::for_each_neighbour(c, r, [&, c = c, r = r](int nc, int nr) {
                    if (came_from.count({nc, nr})) return;
                    const core::Cell& target = board[nc][nr];
                    if (target.owner == player) return;
                    if (target.owner != 0 && !core::attacker_wins(runner.kind, target.kind)) return;
                    came_from[{nc, nr}] = {c, r};
                    open.push({nc, nr});
                });
            }
        }
    }
    return best;
}

std::optional<core::Move> quiet_step(const core::Board& board, int player, const Squares& avoid) {
    const std::vector<core::Move> steps = core::legal_moves(board, player);
    for (const core::Move& s : steps) {
        if (board[s.to_column][s.to_row].owner == 0 && !avoid.count({s.from_column, s.from_row}) &&
            !avoid.count({s.to_column, s.to_row})) {
            return s;
        }
    }
    for (const core::Move& s : steps) {
        const core::Cell& target = board[s.to_column][s.to_row];
        if (target.owner != 0 && core::attacker_wins(board[s.from_column][s.from_row].kind, target.kind)) return s;
    }
    if (steps.empty()) return std::nullopt;
    return steps.front();
}

namespace {

bool wins_attack(const core::Board& board, const core::Move& s) {
    const core::Cell& target = board[s.to_column][s.to_row];
    return target.owner != 0 && core::attacker_wins(board[s.from_column][s.from_row].kind, target.kind);
}

bool loses_attack(const core::Board& board, const core::Move& s) {
    return board[s.to_column][s.to_row].owner != 0 && !wins_attack(board, s);
}

bool steps_ahead(const core::Move& s, int player) {
    return s.to_row - s.from_row == core::forward_step(player) && s.to_row != core::far_row(player);
}

// A step forward onto an empty square, short of the far row.
bool advances(const core::Board& board, const core::Move& s, int player) {
    return board[s.to_column][s.to_row].owner == 0 && steps_ahead(s, player);
}

// The first of `steps` that `wanted` takes, in their order.
template <class Wanted>
std::optional<core::Move> first_step(const std::vector<core::Move>& steps, Wanted wanted) {
    for (const core::Move& s : steps) {
        if (wanted(s)) return s;
    }
    return std::nullopt;
}

// The runner's way is shut: it takes what it can, which thins the wall, or
// comes forward to meet it.
std::optional<core::Move> capturing_step(const core::Board& board, int player) {
    const std::vector<core::Move> steps = core::legal_moves(board, player);
    if (auto s = first_step(steps, [&](const core::Move& m) { return wins_attack(board, m); })) return s;
    if (auto s = first_step(steps, [&](const core::Move& m) { return advances(board, m, player); })) return s;
    return quiet_step(board, player, {});
}

// The runner's way is shut: the other side gives a piece away by an attack it
// loses; failing that it moves forward, onto an empty square or by taking a
// piece, so that the wall opens and new contacts come. It never steps onto
// the far row, which would end the game the wrong way.
std::optional<core::Move> yielding_step(const core::Board& board, int player) {
    const std::vector<core::Move> steps = core::legal_moves(board, player);
    if (auto s = first_step(steps, [&](const core::Move& m) { return loses_attack(board, m); })) return s;
    if (auto s = first_step(steps, [&](const core::Move& m) { return advances(board, m, player); })) return s;
    if (auto s = first_step(steps, [&](const core::Move& m) {
            return wins_attack(board, m) && m.to_row != core::far_row(player);
        })) {
        return s;
    }
    return quiet_step(board, player, {});
}

}  // namespace

std::optional<core::Move> planned_step(const core::Board& board, int mover, int runner) {
    Squares path;
    const std::optional<core::Move> run = runner_step(board, runner, path);
    if (mover == runner) return run ? run : capturing_step(board, mover);
    if (!run) return yielding_step(board, mover);
    return quiet_step(board, mover, path);
}

}  // namespace support
