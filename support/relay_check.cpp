#include "relay_check.h"

#include "board.h"

namespace support {

namespace {

struct Replay {
    const BotRecord* records[3] = {nullptr, nullptr, nullptr};
    std::size_t next_turn[3] = {0, 0, 0};
    int ended_by = 0;
    RelayedGame game;

    void fault(const std::string& what) { game.faults.push_back(what); }
};

int other(int player) { return player == 1 ? 2 : 1; }

// Plays the mover's next recorded turn on top of the last relayed board;
// false once the game is over or broken.
bool replay_turn(Replay& replay, int mover) {
    const BotRecord& record = *replay.records[mover];
    std::size_t index = replay.next_turn[mover]++;
    std::string where = "player " + std::to_string(mover) + " turn " + std::to_string(index);
    if (index >= record.turns.size()) {
        replay.fault(where + " is missing");
        return false;
    }
    const RecordedTurn& turn = record.turns[index];
    RelayedGame& game = replay.game;
    if (turn.fetched != game.last_board) {
        replay.fault(where + " was handed a board that is not the last one posted");
        return false;
    }
    if (index > 0 || mover == 2) {
        const BotRecord& previous = *replay.records[other(mover)];
        std::size_t handed = replay.next_turn[other(mover)] - 1;
        if (handed < previous.handed_over_at.size()) {
            game.hand_offs.push_back(turn.fetched_at - previous.handed_over_at[handed]);
        }
    }
    if (turn.posted) {
        std::string fault = step_fault(game.last_board, *turn.posted, mover);
        if (!fault.empty()) {
            replay.fault(where + ": " + fault);
            return false;
        }
        game.last_board = *turn.posted;
        ++game.moves;
        return true;
    }
    replay.ended_by = mover;
    if (turn.ending == "won") {
        if (!can_step_onto_far_row(game.last_board, mover)) replay.fault(where + " won with no far-row step");
        game.winner = mover;
    } else if (turn.ending == "forfeited") {
        if (has_legal_step(game.last_board, mover)) replay.fault(where + " gave up with a legal step");
        game.winner = other(mover);
    } else {
        replay.fault(where + " neither posted nor ended the game");
    }
    return false;
}

}  // namespace

RelayedGame check_relayed_game(const BotRecord& first, const BotRecord& second) {
    Replay replay;
    if (first.player == second.player || first.player == 0 || second.player == 0) {
        replay.fault("the records are not those of players 1 and 2");
        return replay.game;
    }
    replay.records[first.player] = &first;
    replay.records[second.player] = &second;
    const BotRecord& one = *replay.records[1];
    const BotRecord& two = *replay.records[2];
    if (!core::is_board_text(one.starting_board)) replay.fault("the dealt board is not a board text");
    // Player 1 does not wait for player 2 to fetch the dealt board, so player
    // 2 may first see the board after player 1's first move.
    bool first_move_seen = !one.turns.empty() && one.turns[0].posted == two.starting_board;
    if (two.starting_board != one.starting_board && !first_move_seen) {
        replay.fault("player 2 started from a board that player 1 never posted");
    }
    replay.game.last_board = one.starting_board;
    for (int mover = 1; replay_turn(replay, mover); mover = other(mover)) {
    }
    for (int player : {1, 2}) {
        if (replay.next_turn[player] != replay.records[player]->turns.size()) {
            replay.fault("player " + std::to_string(player) + " recorded turns after the end");
        }
    }
    int winner = replay.game.winner;
    if (winner != 0 && replay.records[other(replay.ended_by)]->winner_told != std::to_string(winner)) {
        replay.fault("the other bot was not told that player " + std::to_string(winner) + " won");
    }
    return replay.game;
}

}  // namespace support
