// cell_code_at over every pair of 16-bit coordinates, the whole range a
// mouse message can carry. Each pair must give "exit" inside the exit button,
// the square drawn under the position (square_x, square_y: the top pixel line
// of rows 0 and 5 belongs to no square), and "no" everywhere else.

#include "layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace client;

namespace {

constexpr int lowest = -32768;
constexpr int values = 65536;

bool in_exit_button_band(int v) { return v >= 0 && v <= 144; }

// The column drawn at x, or -1.
int column_at(int x) {
    for (int column = 0; column < 5; ++column) {
        if (x >= square_x(column) && x < square_x(column) + square_size) return column;
    }
    return -1;
}

// The row drawn at y, or -1; rows 0 and 5 begin one line below their top edge.
int row_at(int y) {
    for (int row = 0; row < 10; ++row) {
        bool first_of_half = row == 0 || row == 5;
        int top = square_y(row) + (first_of_half ? 1 : 0);
        if (y >= top && y < square_y(row) + square_size) return row;
    }
    return -1;
}

std::string expected_code(int x, int column, int y, int row) {
    if (in_exit_button_band(x) && in_exit_button_band(y)) return "exit";
    if (column < 0 || row < 0) return "no";
    return std::string{static_cast<char>('0' + column), static_cast<char>('0' + row)};
}

}  // namespace

TEST(CellCodeExhaustive, EveryCoordinatePairAsDrawn) {
    std::vector<int> columns(values), rows(values);
    for (int i = 0; i < values; ++i) {
        columns[i] = column_at(lowest + i);
        rows[i] = row_at(lowest + i);
    }
    std::atomic<long long> walked{0};
    std::atomic<bool> wrong{false};
    auto walk = [&](int first_y, int step) {
        long long count = 0;
        for (int j = first_y; j < values && !wrong; j += step) {
            int y = lowest + j;
            for (int i = 0; i < values; ++i) {
                int x = lowest + i;
                std::string code = cell_code_at(x, y);
                if (code != expected_code(x, columns[i], y, rows[j])) {
                    ADD_FAILURE() << "cell_code_at(" << x << ", " << y << ") = \"" << code << "\"";
                    wrong = true;
                    break;
                }
                ++count;
            }
        }
        walked += count;
    };
    unsigned threads_wanted = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < threads_wanted; ++t) threads.emplace_back(walk, t, threads_wanted);
    for (auto& thread : threads) thread.join();
    if (!wrong) {
        EXPECT_EQ(walked.load(), 1LL << 32);
    }
}
