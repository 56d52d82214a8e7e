// Click positions to squares: the bands of the board window, pixel by pixel
// at their edges, and positions the window never delivers.

#include "layout.h"

#include <gtest/gtest.h>

using namespace client;

namespace {

TEST(CellCodeTest, EdgesOfEveryBand) {
    const struct {
        int x, y;
        const char* code;
    } cases[] = {
        {0, 0, "exit"},    {144, 144, "exit"}, {100, 100, "exit"}, {145, 0, "no"},
        {200, 144, "no"},  {359, 0, "no"},     {144, 145, "20"},   {0, 145, "00"},
        {359, 503, "44"},  {0, 504, "no"},     {0, 544, "no"},     {359, 544, "no"},
        {0, 545, "05"},    {359, 903, "49"},   {71, 215, "00"},    {72, 216, "11"},
        {143, 287, "11"},  {288, 432, "44"},   {287, 431, "33"},   {0, 615, "05"},
        {0, 616, "06"},    {0, 831, "08"},     {0, 832, "09"},     {145, 145, "20"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cell_code_at(c.x, c.y), c.code) << "(" << c.x << ", " << c.y << ")";
    }
}

// Every pixel of the window maps to "exit", "no" or a square whose corner
// lies at or before it and whose far edge lies after it.
TEST(CellCodeTest, EveryPixelMapsIntoItsOwnSquare) {
    for (int y = 0; y < board_window_height; ++y) {
        for (int x = 0; x < board_window_width; ++x) {
            const std::string code = cell_code_at(x, y);
            if (code == "exit" || code == "no") continue;
            ASSERT_EQ(code.size(), 2u);
            const int column = code[0] - '0';
            const int row = code[1] - '0';
            ASSERT_TRUE(column >= 0 && column < 5 && row >= 0 && row < 10) << code;
            EXPECT_LE(square_x(column), x);
            EXPECT_LT(x, square_x(column) + square_size);
            EXPECT_LE(square_y(row), y);
            EXPECT_LT(y, square_y(row) + square_size);
        }
    }
}

TEST(CellCodeTest, PositionsOutsideTheWindowAreNoSquare) {
    for (int y : {-32768, -1, 0, 300, 600, 903, 904, 1000, 32767}) {
        for (int x : {-32768, -1, 360, 500, 799, 32767}) {
            const std::string code = cell_code_at(x, y);
            EXPECT_TRUE(code == "no") << "(" << x << ", " << y << ") gave " << code;
        }
    }
    EXPECT_EQ(cell_code_at(100, 904), "no");
    EXPECT_EQ(cell_code_at(100, -5), "no");
}

TEST(LayoutTest, SquareCornersMatchTheHalvesAndTheRiver) {
    EXPECT_EQ(square_y(0), 144);
    EXPECT_EQ(square_y(4), 432);
    EXPECT_EQ(square_y(5), 544);
    EXPECT_EQ(square_y(9), 832);
    EXPECT_EQ(square_y(4) + square_size, river_y);
    EXPECT_EQ(square_y(9) + square_size, board_window_height);
    EXPECT_EQ(square_x(4) + square_size, board_window_width);
}

}  // namespace
