#pragma once
// A bot's record of a refereed game: every view it received and every move it
// sent, each with its time on the monotonic clock all processes share.

#include "game_view.h"
#include "rules.h"

#include <string>
#include <vector>

namespace support {

struct StampedView {
    long long stamp = 0;
    core::GameView view;
};

struct StampedMove {
    long long stamp = 0;  // at the "ok" of POST /move
    core::Move move;
};

struct RefereeRecord {
    int seat = 0;  // 0: not the record of a refereed game
    std::vector<StampedView> views;
    std::vector<StampedMove> moves;
    int unreadable_views = 0;
};

RefereeRecord read_referee_record(const std::string& path);

// What is wrong with a view `seat` received, or an empty text: an opposing
// piece whose kind is not 9, an own piece whose kind is not a kind.
std::string view_fault(const core::GameView& view, int seat);

// Microseconds from each of `mover`'s moves being taken to the first view
// `other` received that shows it (below 0 when that view came first).
std::vector<long long> referee_hand_offs(const RefereeRecord& mover, const RefereeRecord& other);

}  // namespace support
