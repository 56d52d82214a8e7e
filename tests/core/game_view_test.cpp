#include "board_fixture.h"
#include "game_view.h"

using namespace core;
using namespace support;

namespace {

using GameViewTest = BoardTest;

TEST_F(GameViewTest, ASeatSeesOnlyItsOwnKinds) {
    put(0, 0, Scissors, 1);
    put(1, 9, Paper, 2);
    const Board seen = board_seen_by(board, 1);
    EXPECT_EQ(seen[0][0], (Cell{Scissors, 1}));
    EXPECT_EQ(seen[1][9], (Cell{hidden_kind, 2}));
    EXPECT_EQ(seen[2][2], (Cell{0, 0}));
    const Board seen_by_nobody = board_seen_by(board, 0);
    EXPECT_EQ(seen_by_nobody[0][0], (Cell{hidden_kind, 1}));
    EXPECT_EQ(seen_by_nobody[1][9], (Cell{hidden_kind, 2}));
}

TEST_F(GameViewTest, OutcomeFollowsTheFight) {
    put(2, 4, Rock, 1);
    put(2, 5, Scissors, 2);
    put(1, 4, Paper, 2);
    EXPECT_EQ(outcome_of(board, Move{2, 4, 3, 4}), MoveOutcome::step);
    EXPECT_EQ(outcome_of(board, Move{2, 4, 2, 5}), MoveOutcome::won);
    EXPECT_EQ(outcome_of(board, Move{2, 4, 1, 4}), MoveOutcome::lost);
}

TEST(MoveText, ReadsExactlyFourDigitsAndThreeSingleSpaces) {
    EXPECT_EQ(move_text(Move{1, 2, 1, 3}), "1 2 1 3");
    auto move = move_from_text("1 2 1 3");
    ASSERT_TRUE(move);
    EXPECT_EQ(move_text(*move), "1 2 1 3");
    EXPECT_TRUE(move_from_text("9 9 9 9")) << "off the board is for the rules to refuse";
    // Each refused only by one rule: length, a digit's place, a separator's.
    for (const char* text : {"", "1 2 1", "1 2 1 3 ", "1 2 1 3\n", "1 2 1 31", "a 2 1 3", "1 2 1 -",
                             "1 2 1 x", "1,2 1 3", "1 2  13", "12 1 3 "}) {
        EXPECT_FALSE(move_from_text(text)) << '"' << text << '"';
    }
}

TEST(ViewText, RoundTripsEveryField) {
    GameView view;
    view.board[3][4] = Cell{hidden_kind, 2};
    view.board[0][1] = Cell{Paper, 1};
    view.turn = 2;
    view.version = 9223372036854775807u;
    for (MoveOutcome outcome : {MoveOutcome::step, MoveOutcome::won, MoveOutcome::lost}) {
        view.last_move = LastMove{Move{3, 5, 3, 4}, outcome};
        auto read = view_from_text(view_text(view));
        ASSERT_TRUE(read) << view_text(view);
        EXPECT_EQ(*read, view);
    }
    view.last_move.reset();
    EXPECT_EQ(view_text(view).substr(101), "2\n0\n-\n9223372036854775807\n");
    EXPECT_EQ(view_from_text(view_text(view)), view);
}

TEST(ViewText, RefusesAnythingButTheFiveLines) {
    GameView view;
    view.turn = 1;
    const std::string good = view_text(view);
    const std::string tail = "\n1\n0\n-\n3\n";
    const std::string board = good.substr(0, 100);
    for (const std::string& text :
         {good.substr(0, good.size() - 1), good + "x", good + "\n", board + "0" + tail,
          board.substr(0, 99) + tail, board + "\n3\n0\n-\n3\n", board + "\n1\n0\n1 2 1 3 draw\n3\n",
          board + "\n1\n0\n-\n-1\n", board + "\n1\n0\n-\n03\n", board + "\n1\n0\n-\n18446744073709551616\n",
          board + "\r\n1\n0\n-\n3\n"}) {
        EXPECT_FALSE(view_from_text(text)) << text;
    }
}

// A hostile server's digits must not reach the players' tables: each refused
// digit on its own, on the first or the last square of a board that is
// otherwise sound.
TEST(ViewText, TakesOnlyKnownOwnersAndKindsAndTheHiddenKindOnAPiece) {
    GameView view;
    view.turn = 1;
    const std::string good = view_text(view);
    for (std::size_t at : {std::size_t{0}, std::size_t{board_text_length - 2}}) {
        const auto with_square = [&](char kind, char owner) {
            std::string text = good;
            text[at] = kind;
            text[at + 1] = owner;
            return text;
        };
        for (char owner : {'0', '1', '2'}) {
            for (char kind : {'0', '1', '2'}) EXPECT_TRUE(view_from_text(with_square(kind, owner))) << kind << owner;
        }
        EXPECT_TRUE(view_from_text(with_square('9', '1')));
        EXPECT_TRUE(view_from_text(with_square('9', '2')));
        EXPECT_FALSE(view_from_text(with_square('9', '0'))) << "a hidden kind on an empty square at " << at;
        for (char digit = '3'; digit <= '9'; ++digit) {
            EXPECT_FALSE(view_from_text(with_square('0', digit))) << "owner " << digit << " at " << at;
            if (digit != '9') {
                EXPECT_FALSE(view_from_text(with_square(digit, '1'))) << "kind " << digit << " at " << at;
            }
        }
    }
}

}  // namespace
