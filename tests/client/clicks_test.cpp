#include "board_fixture.h"
#include "clicks.h"
#include "move_marks.h"
#include "rules.h"

using namespace core;
using namespace client;
using namespace support;

namespace {

using ClickTest = BoardTest;

void expect_pause_only(const ClickOutcome& outcome) {
    EXPECT_FALSE(outcome.forfeit);
    EXPECT_EQ(outcome.drawing, SquareDrawing::none);
    EXPECT_TRUE(outcome.pause);
    EXPECT_FALSE(outcome.move_due);
}

void expect_unhighlight(const ClickOutcome& outcome, int column, int row, bool pause) {
    EXPECT_FALSE(outcome.forfeit);
    EXPECT_EQ(outcome.drawing, SquareDrawing::unhighlight);
    EXPECT_EQ(outcome.column, column);
    EXPECT_EQ(outcome.row, row);
    EXPECT_EQ(outcome.pause, pause);
}

TurnSelection selected_at(int column, int row) { return TurnSelection{true, column, row}; }

TEST_F(ClickTest, TurnStartsWithNothingSelected) {
    TurnSelection selection;
    EXPECT_FALSE(selection.selected);
    EXPECT_EQ(selection.selected_column, -1);
    EXPECT_EQ(selection.selected_row, -1);
}

TEST_F(ClickTest, NothingSelectedClickOnOwnPieceSelectsAndHighlightsIt) {
    put(3, 2, Rock, 1);
    TurnSelection selection;
    ClickOutcome outcome = click_cell_code(selection, board, my_player, "32");
    EXPECT_EQ(outcome.drawing, SquareDrawing::highlight);
    EXPECT_EQ(outcome.column, 3);
    EXPECT_EQ(outcome.row, 2);
    EXPECT_TRUE(outcome.pause);
    EXPECT_FALSE(outcome.move_due);
    EXPECT_TRUE(selection.selected);
    EXPECT_EQ(selection.selected_column, 3);
    EXPECT_EQ(selection.selected_row, 2);
}

TEST_F(ClickTest, NothingSelectedClickOnEmptyOrOpposingSquareOnlyPauses) {
    put(1, 6, Paper, 2);
    std::string before = board_text(board);
    TurnSelection selection;
    expect_pause_only(click_cell_code(selection, board, my_player, "16"));
    expect_pause_only(click_cell_code(selection, board, my_player, "15"));
    EXPECT_FALSE(selection.selected);
    EXPECT_EQ(board_text(board), before);
}

TEST_F(ClickTest, ClickOutsideTheSquaresLeavesTheSelectionInPlace) {
    put(0, 0, Rock, 1);
    TurnSelection nothing;
    expect_pause_only(click_cell_code(nothing, board, my_player, "no"));
    EXPECT_FALSE(nothing.selected);
    TurnSelection selection = selected_at(0, 0);
    expect_pause_only(click_cell_code(selection, board, my_player, "no"));
    EXPECT_TRUE(selection.selected);
    EXPECT_EQ(selection.selected_column, 0);
    EXPECT_EQ(selection.selected_row, 0);
}

TEST_F(ClickTest, ExitButtonForfeitsWhateverIsSelected) {
    put(0, 0, Rock, 1);
    std::string before = board_text(board);
    TurnSelection nothing;
    EXPECT_TRUE(click_cell_code(nothing, board, my_player, "exit").forfeit);
    TurnSelection selection = selected_at(0, 0);
    ClickOutcome outcome = click_cell_code(selection, board, my_player, "exit");
    EXPECT_TRUE(outcome.forfeit);
    EXPECT_FALSE(outcome.move_due);
    EXPECT_EQ(board_text(board), before);
}

TEST_F(ClickTest, SelectedClickOnAnotherOwnPieceClearsWithoutSelectingIt) {
    put(2, 2, Rock, 1);
    put(2, 3, Paper, 1);
    TurnSelection selection = selected_at(2, 2);
    expect_unhighlight(click_cell_code(selection, board, my_player, "23"), 2, 2, true);
    EXPECT_FALSE(selection.selected);
    EXPECT_EQ(board[2][2].owner, 1);
    EXPECT_EQ(board[2][3].owner, 1);
}

TEST_F(ClickTest, SelectedClickOnTheSelectedPieceClearsTheSelection) {
    put(2, 2, Rock, 1);
    TurnSelection selection = selected_at(2, 2);
    expect_unhighlight(click_cell_code(selection, board, my_player, "22"), 2, 2, true);
    EXPECT_FALSE(selection.selected);
}

TEST_F(ClickTest, DiagonalAndFartherSquaresOnlyClearTheSelection) {
    put(2, 4, Rock, 1);
    put(3, 5, Scissors, 2);
    std::string before = board_text(board);
    for (const char* code : {"35", "13", "26", "02", "44", "20"}) {
        TurnSelection selection = selected_at(2, 4);
        ClickOutcome outcome = click_cell_code(selection, board, my_player, code);
        expect_unhighlight(outcome, 2, 4, true);
        EXPECT_FALSE(outcome.move_due) << code;
        EXPECT_FALSE(selection.selected);
        EXPECT_EQ(board_text(board), before) << code;
    }
}

void expect_move_due(const ClickOutcome& outcome, int to_column, int to_row) {
    EXPECT_TRUE(outcome.move_due);
    EXPECT_FALSE(outcome.pause);
    EXPECT_EQ(outcome.to_column, to_column);
    EXPECT_EQ(outcome.to_row, to_row);
}

TEST_F(ClickTest, SelectedClickOnAdjacentEmptySquareMakesTheMoveDueAtOnce) {
    put(2, 4, Rock, 1);
    std::string before = board_text(board);
    TurnSelection selection = selected_at(2, 4);
    ClickOutcome outcome = click_cell_code(selection, board, my_player, "25");
    expect_unhighlight(outcome, 2, 4, false);
    expect_move_due(outcome, 2, 5);
    EXPECT_FALSE(selection.selected);
    EXPECT_EQ(board_text(board), before) << "the un-highlighted square must still show its piece";
}

TEST_F(ClickTest, SelectedClickOnAdjacentOpposingPieceMakesAnAttackDue) {
    put(2, 4, Scissors, 1);
    put(1, 4, Rock, 2);
    TurnSelection selection = selected_at(2, 4);
    ClickOutcome outcome = click_cell_code(selection, board, my_player, "14");
    expect_unhighlight(outcome, 2, 4, false);
    expect_move_due(outcome, 1, 4);
    EXPECT_EQ(make_move(board, my_player, outcome.column, outcome.row, outcome.to_column, outcome.to_row), MoveResult::ordinary);
    EXPECT_EQ(board[2][4].owner, 0);
    EXPECT_EQ(board[1][4].owner, 2);
    EXPECT_EQ(board[1][4].kind, Rock);
}

TEST_F(ClickTest, SelectedStepOntoTheFarRowWins) {
    my_player = 2;
    put(4, 1, Paper, 2);
    TurnSelection selection = selected_at(4, 1);
    ClickOutcome outcome = click_cell_code(selection, board, my_player, "40");
    expect_move_due(outcome, 4, 0);
    EXPECT_EQ(make_move(board, my_player, outcome.column, outcome.row, outcome.to_column, outcome.to_row),
              MoveResult::far_row_win);
}

TEST_F(ClickTest, CodesThatAreNoSquareOnlyPause) {
    put(4, 9, Rock, 1);
    std::string before = board_text(board);
    for (const char* code : {"", "4", "499", "50", "90", "a9", "4a", "-1", " 4", "EXIT", "4\n"}) {
        TurnSelection nothing;
        expect_pause_only(click_cell_code(nothing, board, my_player, code));
        EXPECT_FALSE(nothing.selected) << code;
        TurnSelection selection = selected_at(4, 9);
        expect_pause_only(click_cell_code(selection, board, my_player, code));
        EXPECT_TRUE(selection.selected) << code;
        EXPECT_EQ(board_text(board), before) << code;
    }
}

TEST_F(ClickTest, SquaresOffTheBoardOnlyPause) {
    put(4, 9, Rock, 1);
    for (auto [column, row] : {std::pair{5, 9}, {4, 10}, {-1, 0}, {0, -1}, {100, 100}}) {
        TurnSelection selection = selected_at(4, 9);
        expect_pause_only(click_square(selection, board, my_player, column, row));
        EXPECT_TRUE(selection.selected);
    }
}

TEST_F(ClickTest, FullTurnSelectThenMove) {
    put(0, 3, Paper, 1);
    put(0, 4, Rock, 2);
    TurnSelection selection;
    EXPECT_EQ(click_cell_code(selection, board, my_player, "03").drawing, SquareDrawing::highlight);
    ClickOutcome outcome = click_cell_code(selection, board, my_player, "04");
    ASSERT_TRUE(outcome.move_due);
    EXPECT_EQ(make_move(board, my_player, outcome.column, outcome.row, outcome.to_column, outcome.to_row), MoveResult::ordinary);
    EXPECT_EQ(board[0][4].owner, 1);
    EXPECT_EQ(board[0][4].kind, Paper);
    EXPECT_EQ(board[0][3].owner, 0);
}

// Seat 1's view before a fight on the river, its own piece above, a hidden one below.
GameView before_fight(std::int32_t own_kind) {
    GameView view;
    put(view.board, 2, 4, own_kind, 1);
    put(view.board, 2, 5, hidden_kind, 2);
    return view;
}

GameView after_move(int from_row, int to_row, MoveOutcome outcome, std::int32_t to_owner) {
    GameView view;
    view.last_move = LastMove{Move{2, from_row, 2, to_row}, outcome};
    if (to_owner != 0) put(view.board, 2, to_row, to_owner == 1 ? Paper : hidden_kind, to_owner);
    return view;
}

// The window test sees a lost defender's badge; an attacker that lost stood
// on the square it left.
TEST(MoveMarks, AnOwnAttackerThatLostShowsOnTheSquareItLeftWithItsKindFromTheViewBefore) {
    const std::optional<LostPiece> attacker =
        own_piece_lost(after_move(4, 5, MoveOutcome::lost, 2), before_fight(Rock), 1);
    ASSERT_TRUE(attacker);
    EXPECT_EQ(attacker->column, 2);
    EXPECT_EQ(attacker->row, 4);
    EXPECT_EQ(attacker->kind, Rock);
}

TEST(MoveMarks, NoBadgeForAWonOwnAttackOrWhenTheViewBeforeDoesNotShowThePiece) {
    EXPECT_FALSE(own_piece_lost(after_move(4, 5, MoveOutcome::won, 1), before_fight(Rock), 1));
    EXPECT_FALSE(own_piece_lost(after_move(5, 4, MoveOutcome::won, 2), before_fight(Rock), 2));
    EXPECT_FALSE(own_piece_lost(after_move(5, 4, MoveOutcome::won, 2), GameView{}, 1));
}

}  // namespace
