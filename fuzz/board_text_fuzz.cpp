// The board text reader and writer on arbitrary bytes: a text the reader
// accepts must come back unchanged from the writer, a text it refuses must
// leave the board alone, and neither may read past the text it is given.

#include "board.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool same_board(const Board& a, const Board& b) {
    return std::memcmp(a, b, sizeof(Board)) == 0;
}

// Any board whose fields lie in 0 to 2 survives writing and reading.
void check_round_trip(const std::uint8_t* data, std::size_t size) {
    for (int i = 0; i < board_columns * board_rows; ++i) {
        std::uint8_t byte = size == 0 ? 0 : data[i % size];
        board[i / board_rows][i % board_rows] = Cell{byte % 3, (byte / 3) % 3};
    }
    Board written;
    std::memcpy(written, board, sizeof(Board));
    std::string text = board_to_text();
    if (text.size() != static_cast<std::size_t>(board_text_length)) std::abort();
    std::memset(board, 0x55, sizeof(Board));
    if (!text_to_board(text) || !same_board(board, written)) std::abort();
}

void check_reader(const std::uint8_t* data, std::size_t size) {
    // A heap copy of exactly the input's length, so a read past it is caught.
    std::string text(reinterpret_cast<const char*>(data), size);
    std::memset(board, 0x7f, sizeof(Board));
    Board before;
    std::memcpy(before, board, sizeof(Board));
    if (text_to_board(text)) {
        if (board_to_text() != text.substr(0, board_text_length)) std::abort();
    } else if (!same_board(board, before)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check_reader(data, size);
    check_round_trip(data, size);
    return 0;
}
