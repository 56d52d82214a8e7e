#include "board_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>

using namespace core;
using namespace support;

namespace {

struct HalfCount {
    int empty = 0;
    int owned = 0;
    int kinds[3] = {0, 0, 0};
    int empty_with_kind = 0;
    int foreign = 0;
};

HalfCount count_half(const Board& board, int first_row, int owner) {
    HalfCount count;
    for (int column = 0; column < board_columns; ++column) {
        for (int row = first_row; row < first_row + half_rows; ++row) {
            const Cell& cell = board[column][row];
            if (cell.owner == 0) {
                ++count.empty;
                if (cell.kind != 0) ++count.empty_with_kind;
            } else if (cell.owner == owner) {
                ++count.owned;
                if (cell.kind >= 0 && cell.kind <= 2) ++count.kinds[cell.kind];
            } else {
                ++count.foreign;
            }
        }
    }
    return count;
}

void expect_dealt_half(const Board& board, int first_row, int owner, unsigned seed) {
    HalfCount count = count_half(board, first_row, owner);
    EXPECT_EQ(count.empty, 1) << "seed " << seed;
    EXPECT_EQ(count.empty_with_kind, 0) << "seed " << seed;
    EXPECT_EQ(count.owned, 24) << "seed " << seed;
    EXPECT_EQ(count.foreign, 0) << "seed " << seed;
    for (int kind = 0; kind < 3; ++kind) EXPECT_EQ(count.kinds[kind], 8) << "seed " << seed;
}

std::pair<int, int> empty_square(const Board& board, int first_row) {
    for (int column = 0; column < board_columns; ++column) {
        for (int row = first_row; row < first_row + half_rows; ++row) {
            if (board[column][row].owner == 0) return {column, row};
        }
    }
    return {-1, -1};
}

int c_library_draw() { return std::rand() % 5; }

using DealTest = BoardTest;
using BoardTextTest = BoardTest;

TEST_F(DealTest, EachHalfHoldsItsPlayersTwentyFourPiecesEightOfEachKind) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::srand(seed);
        deal_board(board, c_library_draw);
        expect_dealt_half(board, 0, 1, seed);
        expect_dealt_half(board, half_rows, 2, seed);
    }
}

TEST_F(DealTest, EmptySquaresComeFromTheFirstFourDraws) {
    for (unsigned seed = 1; seed <= 50; ++seed) {
        std::srand(seed);
        int column_1 = std::rand() % 5;
        int row_1 = std::rand() % 5;
        int column_2 = std::rand() % 5;
        int row_2 = std::rand() % 5;
        std::srand(seed);
        deal_board(board, c_library_draw);
        EXPECT_EQ(empty_square(board, 0), std::make_pair(column_1, row_1)) << "seed " << seed;
        EXPECT_EQ(empty_square(board, half_rows), std::make_pair(column_2, row_2 + half_rows)) << "seed " << seed;
    }
}

TEST_F(DealTest, EverySquareOfAHalfIsSometimesTheEmptyOne) {
    std::set<std::pair<int, int>> empty_1;
    std::set<std::pair<int, int>> empty_2;
    for (unsigned seed = 1; seed <= 2000; ++seed) {
        std::srand(seed);
        deal_board(board, c_library_draw);
        empty_1.insert(empty_square(board, 0));
        empty_2.insert(empty_square(board, half_rows));
    }
    EXPECT_EQ(empty_1.size(), 25u);
    EXPECT_EQ(empty_2.size(), 25u);
}

TEST_F(DealTest, OverwritesWhateverStoodBefore) {
    for (auto& column : board) {
        for (auto& cell : column) cell = Cell{2, 2};
    }
    std::srand(7);
    deal_board(board, c_library_draw);
    expect_dealt_half(board, 0, 1, 7);
    expect_dealt_half(board, half_rows, 2, 7);
}

TEST_F(DealTest, TextMarksTheOwnersOfBothHalves) {
    std::srand(11);
    deal_board(board, c_library_draw);
    auto [empty_column, empty_row] = empty_square(board, 0);
    std::string text = board_text(board);
    for (int column = 0; column < board_columns; ++column) {
        for (int row = 0; row < board_rows; ++row) {
            char owner = text[20 * column + 2 * row + 1];
            bool empty = board[column][row].owner == 0;
            if (empty) {
                EXPECT_EQ(text.substr(20 * column + 2 * row, 2), "00");
            } else {
                EXPECT_EQ(owner, row < half_rows ? '1' : '2');
            }
        }
    }
    EXPECT_EQ(text.substr(20 * empty_column + 2 * empty_row, 2), "00");
}

TEST_F(BoardTextTest, EmptyBoardIsFiftyPairsOfZeros) {
    EXPECT_EQ(board_text(board), empty_board_text);
}

TEST_F(BoardTextTest, SquaresGoColumnByColumnKindBeforeOwner) {
    put(0, 0, Scissors, 2);
    put(3, 7, Paper, 1);
    put(4, 9, Paper, 2);
    std::string text = board_text(board);
    ASSERT_EQ(text.size(), 100u);
    EXPECT_EQ(text.substr(0, 2), "12");
    EXPECT_EQ(text.substr(20 * 3 + 2 * 7, 2), "21");
    EXPECT_EQ(text.substr(98, 2), "22");
    EXPECT_EQ(std::count(text.begin(), text.end(), '0'), 94);
}

TEST_F(BoardTextTest, DealtBoardSurvivesTheRoundTrip) {
    std::srand(3);
    deal_board(board, c_library_draw);
    std::optional<Board> read = board_from_text(board_text(board));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, board);
}

TEST_F(BoardTextTest, EveryTextOfZerosOnesAndTwosSurvivesTheRoundTrip) {
    std::srand(5);
    for (int trial = 0; trial < 200; ++trial) {
        std::string text;
        for (int i = 0; i < 100; ++i) text += static_cast<char>('0' + std::rand() % 3);
        std::optional<Board> read = board_from_text(text);
        ASSERT_TRUE(read);
        EXPECT_EQ(board_text(*read), text);
    }
}

TEST_F(BoardTextTest, LongerTextIsReadAsItsFirstHundredCharacters) {
    std::srand(9);
    deal_board(board, c_library_draw);
    std::optional<Board> read = board_from_text(board_text(board) + "12xyz\n");
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, board);
}

TEST_F(BoardTextTest, OtherDigitsAreStoredAsTheirValues) {
    std::string text = empty_board_text;
    text[20 * 2 + 2 * 3] = '7';
    text[20 * 2 + 2 * 3 + 1] = '9';
    std::optional<Board> read = board_from_text(text);
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[2][3], (Cell{7, 9}));
}

TEST_F(BoardTextTest, ShortTextIsNoBoard) {
    std::srand(13);
    deal_board(board, c_library_draw);
    std::string dealt = board_text(board);
    for (const std::string& text : {std::string(), std::string("11"), dealt.substr(0, 99)}) {
        EXPECT_FALSE(board_from_text(text)) << "length " << text.size();
    }
}

TEST_F(BoardTextTest, NonDigitAmongTheFirstHundredIsNoBoard) {
    for (int position : {0, 1, 50, 99}) {
        for (char bad : {' ', '/', ':', 'a', '\n', '\0', '\xff', '-'}) {
            std::string text = empty_board_text;
            text[position] = bad;
            EXPECT_FALSE(board_from_text(text)) << "position " << position << " code " << int(bad);
        }
    }
}

// The check of a relayed board: each text below is refused by one rule alone.
TEST(BoardTextCheck, KnowsABoardText) {
    EXPECT_TRUE(is_board_text(empty_board_text));
    std::srand(17);
    Board dealt;
    deal_board(dealt, c_library_draw);
    EXPECT_TRUE(is_board_text(board_text(dealt)));
    EXPECT_FALSE(is_board_text(empty_board_text + "0"));
    std::string kind_on_empty = empty_board_text;
    kind_on_empty[0] = '1';
    EXPECT_FALSE(is_board_text(kind_on_empty));
    std::string owner_three = empty_board_text;
    owner_three[1] = '3';
    EXPECT_FALSE(is_board_text(owner_three));
    std::string kind_three = empty_board_text;
    kind_three.replace(0, 2, "31");
    EXPECT_FALSE(is_board_text(kind_three));
}

TEST(BoardBounds, OnlyTheFiveByTenSquaresAreOnTheBoard) {
    EXPECT_TRUE(on_board(0, 0));
    EXPECT_TRUE(on_board(4, 9));
    EXPECT_FALSE(on_board(5, 0));
    EXPECT_FALSE(on_board(0, 10));
    EXPECT_FALSE(on_board(-1, 3));
    EXPECT_FALSE(on_board(2, -1));
}

}  // namespace
