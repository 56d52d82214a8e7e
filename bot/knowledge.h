#pragma once
// What the bot has learned about the opponent's hidden kinds: from its own
// fights, and from the opponent's moves it can read off the places of pieces.

#include "player_view.h"

#include <array>
#include <cstdint>

namespace bot {

using KindMask = std::uint8_t;
constexpr KindMask any_kind = 0b111;

constexpr KindMask mask_of(int kind) { return static_cast<KindMask>(1u << kind); }

struct Knowledge {
    int player = 0;
    // For each square holding an opposing piece: the kinds it may still be.
    std::array<std::array<KindMask, core::board_rows>, core::board_columns> possible{};
    // Opposing pieces of each kind not yet known to be gone.
    std::array<int, 3> remaining{core::pieces_of_a_kind, core::pieces_of_a_kind, core::pieces_of_a_kind};
    // Opposing pieces gone from the board whose kind was not known for sure,
    // each with the kinds it may have been; they still count in `remaining`.
    std::array<KindMask, core::pieces_a_side> taken{};
    int taken_count = 0;
    // For each square holding one of the bot's pieces: the kinds the opponent
    // may still think it is, from what the fights it saw have shown.
    std::array<std::array<KindMask, core::board_rows>, core::board_columns> shown{};
    // The position after the bot's own last move, to compare the next one with.
    PlayerView last_seen{};
    // The bot's turns since a piece last left the board, for either side.
    int quiet_turns = 0;
};

Knowledge start_knowledge(int player, const PlayerView& view);
// The board at the start of the bot's turn: one opposing move since last_seen.
void learn_from_opponent_move(Knowledge& knowledge, const PlayerView& now);
// The bot's own step `move`, with the view after it was made.
void learn_from_own_move(Knowledge& knowledge, const core::Move& move, const PlayerView& after);
// The chance of each kind for the opposing piece on a square: the kinds it may
// be, each weighed by how many of it may be at large plus `used_up_weight`.
std::array<double, 3> kind_odds(const Knowledge& knowledge, int column, int row, double used_up_weight);

}  // namespace bot
