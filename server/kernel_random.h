#pragma once
// Draws from the system's random source: the deal and the seat
// tokens of a refereed game, which neither seat may predict and no option
// fixes. A draw that the kernel cannot serve raises std::system_error.

#include <string>

namespace server {

// 128 bits as 32 lower-case hex digits.
std::string random_seat_token();

// 0 to 4, each equally likely: the places deal_board draws.
int random_index_below_five();

}  // namespace server
