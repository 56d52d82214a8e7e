#include "referee_record.h"

#include "game_record.h"

#include <algorithm>
#include <cstdlib>

namespace support {

RefereeRecord read_referee_record(const std::string& path) {
    RefereeRecord record;
    for (const LogEvent& event : read_game_log(path)) {
        if (event.event == "seat") {
            record.seat = std::atoi(event.detail.c_str());
        } else if (event.event == "view") {
            std::string text = event.detail + "\n";
            std::replace(text.begin(), text.end(), '/', '\n');
            if (auto view = core::view_from_text(text)) {
                record.views.push_back({event.stamp, *view});
            } else {
                ++record.unreadable_views;
            }
        } else if (event.event == "moved") {
            if (auto move = core::move_from_text(event.detail)) record.moves.push_back({event.stamp, *move});
        }
    }
    return record;
}

std::string view_fault(const core::GameView& view, int seat) {
    for (int column = 0; column < core::board_columns; ++column) {
        for (int row = 0; row < core::board_rows; ++row) {
            const core::Cell& cell = view.board[column][row];
            const bool shown_right = cell.owner == 0      ? cell.kind == 0
                                     : cell.owner == seat ? cell.kind >= core::Rock && cell.kind <= core::Paper
                                                          : cell.kind == core::hidden_kind;
            if (!shown_right) {
                return "version " + std::to_string(view.version) + " shows square " + std::to_string(column) +
                       std::to_string(row) + " as kind " + std::to_string(cell.kind) + " of player " +
                       std::to_string(cell.owner);
            }
        }
    }
    return "";
}

std::vector<long long> referee_hand_offs(const RefereeRecord& mover, const RefereeRecord& other) {
    std::vector<long long> hand_offs;
    for (const StampedMove& move : mover.moves) {
        // The version the mover's move was made on: the last view it had.
        std::uint64_t made_on = 0;
        for (const StampedView& seen : mover.views) {
            if (seen.stamp < move.stamp) made_on = seen.view.version;
        }
        for (const StampedView& seen : other.views) {
            if (seen.view.version > made_on) {
                hand_offs.push_back(seen.stamp - move.stamp);
                break;
            }
        }
    }
    return hand_offs;
}

}  // namespace support
