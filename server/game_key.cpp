#include "game_key.h"

#include <cctype>

std::optional<std::string> normalized_key(std::string_view typed) {
    std::string key;
    for (char c : typed) {
        if (c == '-') continue;
        if (!std::isalnum(static_cast<unsigned char>(c))) return std::nullopt;
        key.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    if (key.size() < min_key_symbols) return std::nullopt;
    return key;
}
