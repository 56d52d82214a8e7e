#include "menu_pictures.h"

#include "join_form.h"
#include "menu_layout.h"

#include <cstdio>
#include <utility>

namespace launcher {

std::string load_menu_pictures(MenuPictures& into, const std::string& folder) {
    const std::string menu = folder + "/menu/";
    const std::pair<IMAGE*, const char*> named[] = {
        {&into.title, "title"},   {&into.solo, "solo"},       {&into.easy, "easy"},
        {&into.normal, "normal"}, {&into.hard, "hard"},       {&into.pair, "pair"},
        {&into.host, "host"},     {&into.join, "join"},       {&into.resume, "resume"},
        {&into.quit, "quit"},     {&into.address, "address"}, {&into.key, "key"},
        {&into.go, "go"},         {&into.back, "back"},       {&into.waiting, "waiting"},
        {&into.refused_unanswered, "refused_unanswered"},     {&into.refused_key, "refused_key"},
        {&into.refused_relay, "refused_relay"},               {&into.refused_other, "refused_other"},
    };
    for (const auto& [image, name] : named) {
        const std::string path = menu + name + ".png";
        if (load_image(image, path.c_str()) != LOAD_OK) return path;
    }
    for (int code = 0; code < 128; ++code) {
        if (!typeable(static_cast<char>(code))) continue;
        char name[8];
        std::snprintf(name, sizeof name, "%02X.png", code);
        const std::string path = menu + "glyph/" + name;
        if (load_image(&into.glyphs[code], path.c_str()) != LOAD_OK ||
            load_image(&into.field_glyphs[code], path.c_str(), field_glyph_width, field_glyph_height) != LOAD_OK) {
            return path;
        }
    }
    return "";
}

}  // namespace launcher
