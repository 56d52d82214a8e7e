#pragma once
// The menu window's pixel layout, 480 x 600: the title strip, the controls of
// the screen shown, and the strip at the bottom that says why the last choice
// could not start. The three screens share the window: the menu, the join
// form, and the hosting screen, which only shows how the other player joins.

#include <vector>

namespace launcher {

constexpr int menu_window_width = 480;
constexpr int menu_window_height = 600;

// Typed text: glyphs of 24 x 40 shown at half size in the fields, at their own
// size where the hosting screen shows the address and the key.
constexpr int glyph_width = 24;
constexpr int glyph_height = 40;
constexpr int field_glyph_width = 10;
constexpr int field_glyph_height = 18;
constexpr int field_padding = 4;  // from a field's top-left corner to its text

enum class Screen { menu, join, hosting };

enum class Control {
    none,
    solo_easy,
    solo_normal,
    solo_hard,
    pair,
    host,
    join,
    resume,
    quit,
    address_field,
    key_field,
    join_go,
    back,
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

Rect title_rect();
Rect solo_caption_rect();
Rect address_caption_rect();
Rect key_caption_rect();
Rect refusal_rect();
Rect control_rect(Control control);

// The controls `screen` shows; the come-back button only while there is a
// game to come back to.
std::vector<Control> controls_of(Screen screen, bool can_resume);

// The control of `screen` under a click at (x, y); none outside them all.
Control control_at(Screen screen, bool can_resume, int x, int y);

// The hosting screen: a caption, then the addresses under theirs and the key
// under its own, in large type, each line starting at its rectangle's corner.
constexpr int hosting_lines = 4;  // addresses shown at most
Rect hosting_caption_rect();
Rect hosting_address_caption_rect();
Rect hosting_address_line(int line);
Rect hosting_key_caption_rect();
Rect hosting_key_line();

}  // namespace launcher
