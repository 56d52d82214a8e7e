#include "menu.h"

#include "game.h"
#include "join_form.h"
#include "menu_layout.h"
#include "menu_pictures.h"
#include "places.h"
#include "processes.h"
#include "resumable.h"
#include "server_checks.h"

#include "image.h"
#include "input.h"
#include "seat_file.h"
#include "server_address.h"
#include "window.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

namespace launcher {

namespace {

constexpr std::uint32_t ground_color = 0x20242C;
constexpr std::uint32_t field_color = ground_color;  // the glyphs are drawn on it
constexpr std::uint32_t field_edge = 0x4D5566;
constexpr std::uint32_t focus_edge = 0xF2C14E;
constexpr std::uint32_t caret_color = 0xFFFFFF;

enum class Step { stay, quit };

struct Menu {
    std::string program;
    std::string state;
    MenuPictures pictures;
    Screen screen = Screen::menu;
    std::optional<Options> resumable;
    JoinForm form;
    const IMAGE* refusal = nullptr;
    bool window_open = false;
    // A game takes Ctrl+C over to end its windows only; back at the menu, one
    // more ends the menu as it would have before any game.
    int interrupts_seen = 0;
};

void say(const std::string& line) {
    std::fprintf(stderr, "%s: %s\n", own_name().c_str(), line.c_str());
    std::fflush(stderr);
}

// A plain rectangle, with an edge of another colour when `edge` differs.
IMAGE block(int width, int height, std::uint32_t fill, std::uint32_t edge) {
    IMAGE image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool on_edge = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
            image.pixels[y * width + x] = on_edge ? edge : fill;
        }
    }
    return image;
}

void put_at(const Rect& place, const IMAGE& image) { put_image(place.x, place.y, &image); }

// Glyphs from (x, y) on, one step apart; characters without a glyph are left out.
void put_text(int x, int y, const std::string& text, const std::array<IMAGE, 128>& glyphs, int step) {
    for (const char character : text) {
        const auto code = static_cast<unsigned char>(character);
        if (code >= glyphs.size() || glyphs[code].pixels == nullptr) continue;
        put_image(x, y, &glyphs[code]);
        x += step;
    }
}

void put_field(const Menu& menu, Control control, const std::string& text, bool focused) {
    const Rect place = control_rect(control);
    const IMAGE box = block(place.width, place.height, field_color, focused ? focus_edge : field_edge);
    put_at(place, box);
    const int text_x = place.x + field_padding;
    const int text_y = place.y + field_padding;
    put_text(text_x, text_y, text, menu.pictures.field_glyphs, field_glyph_width);
    if (focused) {
        const IMAGE caret = block(2, field_glyph_height, caret_color, caret_color);
        put_image(text_x + static_cast<int>(text.size()) * field_glyph_width, text_y, &caret);
    }
}

const IMAGE& picture_of(const MenuPictures& pictures, Control control) {
    switch (control) {
    case Control::solo_easy: return pictures.easy;
    case Control::solo_normal: return pictures.normal;
    case Control::solo_hard: return pictures.hard;
    case Control::pair: return pictures.pair;
    case Control::host: return pictures.host;
    case Control::join: return pictures.join;
    case Control::resume: return pictures.resume;
    case Control::join_go: return pictures.go;
    case Control::back: return pictures.back;
    default: return pictures.quit;
    }
}

void draw(const Menu& menu) {
    const IMAGE ground = block(menu_window_width, menu_window_height, ground_color, ground_color);
    put_image(0, 0, &ground);
    const MenuPictures& pictures = menu.pictures;
    put_at(title_rect(), pictures.title);
    if (menu.screen == Screen::menu) put_at(solo_caption_rect(), pictures.solo);
    if (menu.screen == Screen::join) {
        put_at(address_caption_rect(), pictures.address);
        put_at(key_caption_rect(), pictures.key);
        put_field(menu, Control::address_field, menu.form.address, !menu.form.on_key);
        put_field(menu, Control::key_field, menu.form.key, menu.form.on_key);
    }
    for (const Control control : controls_of(menu.screen, menu.resumable.has_value())) {
        if (control != Control::address_field && control != Control::key_field) {
            put_at(control_rect(control), picture_of(pictures, control));
        }
    }
    if (menu.refusal) put_at(refusal_rect(), *menu.refusal);
    flush_window();
}

// How the other player joins, in large type, while the hosted game waits.
void draw_hosting(const Menu& menu, const std::string& key, const std::vector<std::string>& addresses) {
    const IMAGE ground = block(menu_window_width, menu_window_height, ground_color, ground_color);
    put_image(0, 0, &ground);
    const MenuPictures& pictures = menu.pictures;
    put_at(title_rect(), pictures.title);
    put_at(hosting_caption_rect(), pictures.waiting);
    put_at(hosting_address_caption_rect(), pictures.address);
    for (int line = 0; line < hosting_lines && line < static_cast<int>(addresses.size()); ++line) {
        const Rect place = hosting_address_line(line);
        put_text(place.x, place.y, addresses[line], pictures.glyphs, glyph_width);
    }
    put_at(hosting_key_caption_rect(), pictures.key);
    put_text(hosting_key_line().x, hosting_key_line().y, key, pictures.glyphs, glyph_width);
    flush_window();
}

// The refusal picture for the line that says why a game could not start.
const IMAGE* refusal_picture(const MenuPictures& pictures, const std::string& why) {
    if (why.starts_with("nothing answers") || why.starts_with("the name ")) return &pictures.refused_unanswered;
    if (why.find("refused the key") != std::string::npos || why.starts_with("bad key")) return &pictures.refused_key;
    if (why == core::unrefereed_game_line) return &pictures.refused_relay;
    return &pictures.refused_other;
}

bool open_window(Menu& menu) {
    menu.window_open = init_window(menu_window_width, menu_window_height, 0) != 0;
    return menu.window_open;
}

// A game in the player's words: what they would type for it.
std::string command_of(const Menu& menu, const Options& options) {
    switch (options.mode) {
    case Mode::solo: return menu.program + " --solo" + (options.level.empty() ? "" : " --level " + options.level);
    case Mode::pair: return menu.program + " --pair";
    case Mode::host: return menu.program + " --host";
    case Mode::join: return menu.program + " --join " + options.join_host;
    case Mode::none: break;
    }
    return menu.program;
}

// Plays a game with the menu out of the way, except while a hosted game shows
// how to join it; then the menu comes back, with why the game could not
// start if it could not.
void play(Menu& menu, const Options& options) {
    menu.refusal = nullptr;
    if (options.mode != Mode::host) {
        close_window();
        menu.window_open = false;
    }
    GameWatch watch;
    watch.hosting = [&menu](const std::string& key, const std::vector<std::string>& addresses) {
        menu.screen = Screen::hosting;
        draw_hosting(menu, key, addresses);
    };
    run_game(options, command_of(menu, options), &watch);
    menu.interrupts_seen = interrupts();
    if (!watch.refusal.empty()) menu.refusal = refusal_picture(menu.pictures, watch.refusal);
    menu.screen = Screen::menu;
    menu.resumable = resumable_game(menu.state);
    if (!menu.window_open) open_window(menu);
    // Clicks made on the window while the game ran were meant for it then.
    while (peek_message(nullptr, MESSAGE_FILTER_ALL, true)) {
    }
}

// Checks the host before the menu goes, so that a refusal shows in it.
void join(Menu& menu) {
    std::string key;
    std::string why = core::take_key(key, menu.form.key);
    if (why.empty()) why = check_host(menu.form.address, key, menu.program);
    if (!why.empty()) {
        say(why);
        menu.refusal = refusal_picture(menu.pictures, why);
        return;
    }
    Options options;
    options.mode = Mode::join;
    options.join_host = menu.form.address;
    options.key = menu.form.key;
    play(menu, options);
}

Options game_of(Mode mode, const std::string& level = "") {
    Options options;
    options.mode = mode;
    options.level = level;
    return options;
}

Step press(Menu& menu, Control control) {
    switch (control) {
    case Control::solo_easy: play(menu, game_of(Mode::solo, "easy")); break;
    case Control::solo_normal: play(menu, game_of(Mode::solo, "normal")); break;
    case Control::solo_hard: play(menu, game_of(Mode::solo, "hard")); break;
    case Control::pair: play(menu, game_of(Mode::pair)); break;
    case Control::host: play(menu, game_of(Mode::host)); break;
    case Control::resume:
        // The game may have ended since the menu looked.
        if (const std::optional<Options> game = resumable_game(menu.state)) play(menu, *game);
        menu.resumable = resumable_game(menu.state);
        break;
    case Control::join:
        menu.screen = Screen::join;
        menu.refusal = nullptr;
        break;
    case Control::address_field: menu.form.on_key = false; break;
    case Control::key_field: menu.form.on_key = true; break;
    case Control::join_go: join(menu); break;
    case Control::back:
        menu.screen = Screen::menu;
        menu.refusal = nullptr;
        break;
    case Control::quit: return Step::quit;
    case Control::none: break;
    }
    return Step::stay;
}

Step take(Menu& menu, const InputMessage& message) {
    if (message.message == WM_LBUTTONDOWN) {
        return press(menu, control_at(menu.screen, menu.resumable.has_value(), message.x, message.y));
    }
    if (message.message == WM_CHAR && menu.screen == Screen::join) {
        if (message.character == 0x1B) return press(menu, Control::back);
        if (type_into(menu.form, static_cast<char>(message.character)) == FormAction::join) join(menu);
    }
    return Step::stay;
}

}  // namespace

int run_menu(const std::string& program) {
    Menu menu;
    menu.program = program;
    std::string error;
    const std::optional<Programs> programs = find_programs(own_executable(), error);
    if (programs) menu.state = make_state_folder(error);
    if (programs && !menu.state.empty()) {
        if (const std::string missing = load_menu_pictures(menu.pictures, programs->picture_folder); !missing.empty()) {
            error = "cannot read the menu's picture " + missing;
        }
    }
    if (error.empty() && !open_window(menu)) error = "cannot open a window: is there a display (DISPLAY)?";
    if (!error.empty()) {
        say(error);
        return 1;
    }
    menu.resumable = resumable_game(menu.state);
    draw(menu);
    // The window's queue has no wait of its own: a look every 25 ms answers a
    // click at once for a person and costs next to nothing.
    for (;;) {
        InputMessage message{};
        if (!peek_message(&message, MESSAGE_FILTER_ALL, true)) {
            if (interrupts() != menu.interrupts_seen) return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
            continue;
        }
        if (take(menu, message) == Step::quit) return 0;
        if (!menu.window_open) {
            say("cannot open the menu's window again after the game");
            return 1;
        }
        // Only a click or a typed character changes what the window shows.
        const bool changes = message.message == WM_LBUTTONDOWN || message.message == WM_CHAR;
        if (changes) draw(menu);
    }
}

}  // namespace launcher
