#include "menu_layout.h"

namespace launcher {

namespace {

constexpr int left = 40;
constexpr int full_width = 400;
constexpr int button_height = 56;
constexpr int level_width = 128;
constexpr int level_gap = 8;
constexpr int half_width = 192;

Rect button_row(int y) { return {left, y, full_width, button_height}; }

}  // namespace

Rect title_rect() { return {0, 0, menu_window_width, 80}; }
Rect solo_caption_rect() { return {left, 92, full_width, 28}; }
Rect address_caption_rect() { return {left, 100, full_width, 28}; }
Rect key_caption_rect() { return {left, 184, full_width, 28}; }
Rect refusal_rect() { return {left, 532, full_width, 56}; }

Rect control_rect(Control control) {
    switch (control) {
    case Control::solo_easy: return {left, 124, level_width, 64};
    case Control::solo_normal: return {left + level_width + level_gap, 124, level_width, 64};
    case Control::solo_hard: return {left + 2 * (level_width + level_gap), 124, level_width, 64};
    case Control::pair: return button_row(200);
    case Control::host: return button_row(264);
    case Control::join: return button_row(328);
    case Control::resume: return button_row(392);
    case Control::quit: return button_row(456);
    case Control::address_field:
        return {left, 130, full_width, 2 * field_padding + field_glyph_height};
    case Control::key_field: return {left, 214, full_width, 2 * field_padding + field_glyph_height};
    case Control::join_go: return {left, 272, half_width, button_height};
    case Control::back: return {left + full_width - half_width, 272, half_width, button_height};
    case Control::none: break;
    }
    return {};
}

std::vector<Control> controls_of(Screen screen, bool can_resume) {
    switch (screen) {
    case Screen::menu: {
        std::vector<Control> shown{Control::solo_easy, Control::solo_normal, Control::solo_hard,
                                   Control::pair,      Control::host,        Control::join};
        if (can_resume) shown.push_back(Control::resume);
        shown.push_back(Control::quit);
        return shown;
    }
    case Screen::join: return {Control::address_field, Control::key_field, Control::join_go, Control::back};
    case Screen::hosting: break;
    }
    return {};
}

Control control_at(Screen screen, bool can_resume, int x, int y) {
    for (const Control control : controls_of(screen, can_resume)) {
        if (control_rect(control).contains(x, y)) return control;
    }
    return Control::none;
}

Rect hosting_caption_rect() { return {left, 96, full_width, 28}; }
Rect hosting_address_caption_rect() { return {left, 136, full_width, 28}; }
Rect hosting_address_line(int line) { return {left, 168 + line * (glyph_height + 4), full_width, glyph_height}; }
Rect hosting_key_caption_rect() { return {left, 352, full_width, 28}; }
Rect hosting_key_line() { return {left, 384, full_width, glyph_height}; }

}  // namespace launcher
