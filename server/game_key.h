#pragma once
// Game keys as people type them and read them aloud: groups of letters and
// digits such as 7F3K-9QX2-MC4D, the same key with or without the dashes and
// in either case.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Twelve symbols of a 32-symbol alphabet: 60 bits.
constexpr std::size_t min_key_symbols = 12;

// The key as it is compared: dashes dropped, letters in upper case. None when
// anything but letters, digits and dashes is in it, or fewer than
// min_key_symbols letters and digits.
std::optional<std::string> normalized_key(std::string_view typed);
