// The board text reader and writer on arbitrary bytes: a text the reader
// accepts must come back unchanged from the writer, and neither may read past
// the text it is given.

#include "board.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace core;

namespace {

// Any board whose fields lie in 0 to 2 survives writing and reading.
void check_round_trip(const std::uint8_t* data, std::size_t size) {
    Board written;
    for (int i = 0; i < board_columns * board_rows; ++i) {
        std::uint8_t byte = size == 0 ? 0 : data[i % size];
        written[i / board_rows][i % board_rows] = Cell{byte % 3, (byte / 3) % 3};
    }
    std::string text = board_text(written);
    if (text.size() != static_cast<std::size_t>(board_text_length)) std::abort();
    std::optional<Board> read = board_from_text(text);
    if (!read || !(*read == written)) std::abort();
}

void check_reader(const std::uint8_t* data, std::size_t size) {
    // A heap copy of exactly the input's length, so a read past it is caught.
    std::string text(reinterpret_cast<const char*>(data), size);
    std::optional<Board> read = board_from_text(text);
    if (read && board_text(*read) != text.substr(0, board_text_length)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check_reader(data, size);
    check_round_trip(data, size);
    return 0;
}
