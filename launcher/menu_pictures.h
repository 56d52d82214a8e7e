#pragma once
// The menu window's pictures: its buttons and captions, the refusals, and the
// glyphs that typed text and the hosting screen's large type are drawn with.

#include "image.h"

#include <array>
#include <string>

namespace launcher {

struct MenuPictures {
    IMAGE title, solo, easy, normal, hard, pair, host, join, resume, quit;
    IMAGE address, key, go, back, waiting;
    IMAGE refused_unanswered, refused_key, refused_relay, refused_other;
    // By character code; empty for a character without a glyph.
    std::array<IMAGE, 128> glyphs;        // large type, the pictures' own size
    std::array<IMAGE, 128> field_glyphs;  // half size, for the fields
};

// Loads the pictures from `folder`/menu. Returns the first that cannot be
// read, or an empty text.
std::string load_menu_pictures(MenuPictures& into, const std::string& folder);

}  // namespace launcher
