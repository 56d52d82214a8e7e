#pragma once
// What a refereed game shows each seat: the board with the opponent's kinds
// hidden, whose turn it is, the winner, the last move and how its fight went,
// and a version that grows with every change. The referee computes it from
// the true board; players read it back. Both sides use the text forms here.

#include "board.h"
#include "rules.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

// The kind digit every piece a seat may not see shows in its view.
constexpr std::int32_t hidden_kind = 9;

// How a move ended: onto an empty square, the attacker took the square, or
// the attacker was removed.
enum class MoveOutcome { step, won, lost };

struct LastMove {
    Move move;
    MoveOutcome outcome;

    bool operator==(const LastMove&) const = default;
};

struct GameView {
    Board board;        // as the seat may see it
    int turn = 0;       // 0 before the deal and after the end, else 1 or 2
    int winner = 0;     // 0 while nobody has won
    std::optional<LastMove> last_move;
    std::uint64_t version = 0;

    bool operator==(const GameView&) const = default;
};

// `truth` as `seat` may see it: its own pieces with their kinds, every other
// piece with kind 9, empty squares 00. Seat 0 sees every piece as 9.
Board board_seen_by(const Board& truth, int seat);

// How `move` by the piece on its first square of `before` will end.
MoveOutcome outcome_of(const Board& before, const Move& move);

// "C R C R": four decimal digits separated by single spaces, nothing more.
std::string move_text(const Move& move);
// The move in exactly that form; anything else is none. Squares off the board
// are read as written (a digit is 0 to 9) and left for the rules to refuse.
std::optional<Move> move_from_text(std::string_view text);

// "C R C R OUTCOME" with OUTCOME "step", "won" or "lost".
std::string last_move_text(const LastMove& last);
std::optional<LastMove> last_move_from_text(std::string_view text);

// Five lines, each ended by "\n": the board text, the turn, the winner, the
// last move ("-" before the first) and the version.
std::string view_text(const GameView& view);
// None for anything that is not exactly that form, or whose board holds an
// owner digit above 2, or a kind digit other than 0 to 2 and 9 on a piece.
std::optional<GameView> view_from_text(std::string_view text);

}  // namespace core
