#include "move_planner.h"

#include "board.h"
#include "rules.h"

#include <map>
#include <queue>
#include <vector>

namespace {

const int directions[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};

std::vector<Step> legal_steps(int player) {
    std::vector<Step> steps;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            if (board[column][row].owner != player) continue;
            for (const auto& d : directions) {
                const int to_column = column + d[0];
                const int to_row = row + d[1];
                if (on_board(to_column, to_row) && board[to_column][to_row].owner != player) {
                    steps.push_back({column, row, to_column, to_row});
                }
            }
        }
    }
    return steps;
}

}  // namespace

std::optional<Step> runner_step(int player, Squares& path) {
    std::optional<Step> best;
    std::size_t best_length = 0;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            const Cell runner = board[column][row];
            if (runner.owner != player) continue;
            std::map<std::pair<int, int>, std::pair<int, int>> came_from;
            std::queue<std::pair<int, int>> open;
            open.push({column, row});
            came_from[{column, row}] = {column, row};
            while (!open.empty()) {
                auto [c, r] = open.front();
                open.pop();
                if (r == far_row(player)) {
                    std::vector<std::pair<int, int>> squares;
                    for (std::pair<int, int> at{c, r}; at != std::pair{column, row}; at = came_from[at]) {
                        squares.push_back(at);
                    }
                    if (!best || squares.size() < best_length) {
                        best_length = squares.size();
                        best = Step{column, row, squares.back().first, squares.back().second};
                        path = Squares(squares.begin(), squares.end());
                    }
                    break;
                }
                for (const auto& d : directions) {
                    const int nc = c + d[0];
                    const int nr = r + d[1];
                    if (!on_board(nc, nr) || came_from.count({nc, nr})) continue;
                    const Cell& target = board[nc][nr];
                    if (target.owner == player) continue;
                    if (target.owner != 0 && !attacker_wins(runner.kind, target.kind)) continue;
                    came_from[{nc, nr}] = {c, r};
                    open.push({nc, nr});
                }
            }
        }
    }
    return best;
}

std::optional<Step> quiet_step(int player, const Squares& avoid) {
    const std::vector<Step> steps = legal_steps(player);
    for (const Step& s : steps) {
        if (board[s.to_column][s.to_row].owner == 0 && !avoid.count({s.from_column, s.from_row}) &&
            !avoid.count({s.to_column, s.to_row})) {
            return s;
        }
    }
    for (const Step& s : steps) {
        const Cell& target = board[s.to_column][s.to_row];
        if (target.owner != 0 && attacker_wins(board[s.from_column][s.from_row].kind, target.kind)) return s;
    }
    if (steps.empty()) return std::nullopt;
    return steps.front();
}
