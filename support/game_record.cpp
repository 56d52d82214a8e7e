#include "game_record.h"

#include "rules.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace support {

namespace {

// The board of a text; an empty board for a text that is none.
core::Board board_of(const std::string& text) { return core::board_from_text(text).value_or(core::Board{}); }

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

std::string step_fault(const std::string& before, const std::string& after, int mover) {
    if (!core::is_board_text(before) || !core::is_board_text(after)) return "not a board text";
    const core::Board from = board_of(before);
    const core::Board to = board_of(after);
    for (const core::Move& move : core::legal_moves(from, mover)) {
        core::Board moved = from;
        core::make_move(moved, mover, move.from_column, move.from_row, move.to_column, move.to_row);
        if (moved == to) return "";
    }
    return "no legal step of player " + std::to_string(mover) + " leads from one board to the other";
}

bool can_step_onto_far_row(const std::string& text, int player) {
    const core::Board board = board_of(text);
    for (const core::Move& move : core::legal_moves(board, player)) {
        core::Board moved = board;
        if (core::make_move(moved, player, move.from_column, move.from_row, move.to_column, move.to_row) ==
            core::MoveResult::far_row_win) {
            return true;
        }
    }
    return false;
}

bool has_legal_step(const std::string& text, int player) { return !core::legal_moves(board_of(text), player).empty(); }

}  // namespace support
