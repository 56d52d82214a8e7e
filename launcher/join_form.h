#pragma once
// The join screen's two fields as the player types into them, one character
// at a time as the window's queue hands them over.

#include <cstddef>
#include <string>

namespace launcher {

constexpr std::size_t address_limit = 39;  // the longest IPv6 address
constexpr std::size_t key_limit = 14;      // twelve symbols and two dashes

struct JoinForm {
    std::string address;
    std::string key;
    bool on_key = false;  // the caret is in the key field
};

// True for the characters a field takes: those the menu has glyphs for,
// digits, letters and . : - [ ].
bool typeable(char character);

enum class FormAction { none, join };

// Takes one typed character: a glyph's character goes into the field with the
// caret while it has room, Backspace takes the field's last character away,
// Tab moves to the other field, and Enter asks to join. Anything else is left
// alone.
FormAction type_into(JoinForm& form, char character);

}  // namespace launcher
