#include "game_record.h"

#include "rules.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

struct Square {
    int kind;
    int owner;
};

Square square_of(const std::string& text, int column, int row) {
    int at = 20 * column + 2 * row;
    return {text[at] - '0', text[at + 1] - '0'};
}

bool inside(int column, int row) { return column >= 0 && column < 5 && row >= 0 && row < 10; }

constexpr std::pair<int, int> steps[] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};

std::string where(int column, int row) {
    return "[" + std::to_string(column) + "][" + std::to_string(row) + "]";
}

// The source lost its piece and nothing else changed: a lost attack on a
// neighbour whose kind beats the attacker.
std::string lost_attack_fault(const std::string& before, int column, int row, int mover) {
    Square attacker = square_of(before, column, row);
    for (auto [dc, dr] : steps) {
        int c = column + dc;
        int r = row + dr;
        if (!inside(c, r)) continue;
        Square defender = square_of(before, c, r);
        if (defender.owner != 0 && defender.owner != mover && !attacker_wins(attacker.kind, defender.kind)) {
            return "";
        }
    }
    return "piece at " + where(column, row) + " vanished with no stronger opposing neighbour";
}

std::string two_square_fault(const std::string& before, const std::string& after, int mover,
                             std::pair<int, int> a, std::pair<int, int> b) {
    auto [from, to] = square_of(after, a.first, a.second).owner == 0 ? std::pair{a, b} : std::pair{b, a};
    Square source = square_of(before, from.first, from.second);
    Square target_before = square_of(before, to.first, to.second);
    Square target_after = square_of(after, to.first, to.second);
    if (!orthogonally_adjacent(from.first, from.second, to.first, to.second)) {
        return "changed squares " + where(from.first, from.second) + " and " + where(to.first, to.second) +
               " are not neighbours";
    }
    if (source.owner != mover) return "moved piece at " + where(from.first, from.second) + " is not the mover's";
    if (square_of(after, from.first, from.second).kind != 0) return "left square keeps a kind";
    if (target_after.owner != mover || target_after.kind != source.kind) {
        return "target " + where(to.first, to.second) + " does not hold the moved piece";
    }
    if (target_before.owner == mover) return "moved onto its own piece";
    if (target_before.owner != 0 && !attacker_wins(source.kind, target_before.kind)) {
        return "attack at " + where(to.first, to.second) + " won against the rules";
    }
    return "";
}

}  // namespace

std::vector<LogEvent> read_game_log(const std::string& path) {
    std::vector<LogEvent> events;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        LogEvent event;
        fields >> event.stamp >> event.event;
        std::getline(fields >> std::ws, event.detail);
        events.push_back(event);
    }
    return events;
}

BotRecord read_bot_record(const std::string& path) {
    BotRecord record;
    auto events = read_game_log(path);
    if (events.size() < 2 || events[0].event != "joined") return {};
    int player = std::atoi(events[0].detail.c_str());
    const std::string& start_event = player == 1 ? "dealt" : "setup";
    if (events[1].event != start_event) return {};
    record.starting_board = events[1].detail;
    for (std::size_t i = 2; i < events.size(); ++i) {
        const LogEvent& event = events[i];
        if (event.event == "fetched") {
            record.turns.push_back({event.stamp, event.detail, std::nullopt, ""});
        } else if (event.event == "winner") {
            record.winner_told = event.detail;
        } else if (record.turns.empty()) {
            return {};
        } else if (event.event == "posted") {
            record.turns.back().posted = event.detail;
        } else if (event.event == "handed_over") {
            record.handed_over_at.push_back(event.stamp);
        } else if (event.event == "won" || event.event == "forfeited") {
            record.turns.back().ending = event.event;
        } else {
            return {};
        }
    }
    record.player = player;
    return record;
}

bool is_board_text(const std::string& text) {
    if (text.size() != 100) return false;
    for (int i = 0; i < 100; i += 2) {
        if (text[i] < '0' || text[i] > '2' || text[i + 1] < '0' || text[i + 1] > '2') return false;
        if (text[i + 1] == '0' && text[i] != '0') return false;
    }
    return true;
}

std::string step_fault(const std::string& before, const std::string& after, int mover) {
    if (!is_board_text(before) || !is_board_text(after)) return "not a board text";
    std::vector<std::pair<int, int>> changed;
    for (int column = 0; column < 5; ++column) {
        for (int row = 0; row < 10; ++row) {
            Square old_square = square_of(before, column, row);
            Square new_square = square_of(after, column, row);
            if (old_square.kind != new_square.kind || old_square.owner != new_square.owner) {
                changed.push_back({column, row});
            }
        }
    }
    if (changed.size() == 1) {
        auto [column, row] = changed[0];
        if (square_of(before, column, row).owner != mover || square_of(after, column, row).owner != 0) {
            return "single change at " + where(column, row) + " is not a lost attack of the mover";
        }
        return lost_attack_fault(before, column, row, mover);
    }
    if (changed.size() == 2) return two_square_fault(before, after, mover, changed[0], changed[1]);
    return std::to_string(changed.size()) + " squares changed";
}

bool can_step_onto_far_row(const std::string& text, int player) {
    int goal_row = far_row(player);
    for (int column = 0; column < 5; ++column) {
        Square goal = square_of(text, column, goal_row);
        if (goal.owner == player) continue;
        for (auto [dc, dr] : steps) {
            int c = column + dc;
            int r = goal_row + dr;
            if (!inside(c, r)) continue;
            Square piece = square_of(text, c, r);
            if (piece.owner != player) continue;
            if (goal.owner == 0 || attacker_wins(piece.kind, goal.kind)) return true;
        }
    }
    return false;
}

bool has_legal_step(const std::string& text, int player) {
    for (int column = 0; column < 5; ++column) {
        for (int row = 0; row < 10; ++row) {
            if (square_of(text, column, row).owner != player) continue;
            for (auto [dc, dr] : steps) {
                int c = column + dc;
                int r = row + dr;
                if (inside(c, r) && square_of(text, c, r).owner != player) return true;
            }
        }
    }
    return false;
}
