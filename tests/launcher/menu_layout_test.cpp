// The menu's layout and its join fields, without a window.

#include "join_form.h"
#include "menu_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using launcher::Control;
using launcher::Screen;

// Every control shown is hit at each of its corners and nowhere a pixel
// outside; none overlaps another or leaves the window.
TEST(MenuLayout, EachControlIsHitWithinItsRectangleOnly) {
    for (const Screen screen : {Screen::menu, Screen::join}) {
        for (const Control control : launcher::controls_of(screen, true)) {
            const launcher::Rect r = launcher::control_rect(control);
            EXPECT_GE(r.x, 0);
            EXPECT_LE(r.x + r.width, launcher::menu_window_width);
            EXPECT_LE(r.y + r.height, launcher::refusal_rect().y) << "a control under the refusal";
            const int right = r.x + r.width - 1;
            const int bottom = r.y + r.height - 1;
            for (const auto& [x, y] : {std::pair{r.x, r.y}, {right, r.y}, {r.x, bottom}, {right, bottom}}) {
                EXPECT_EQ(launcher::control_at(screen, true, x, y), control);
            }
            for (const auto& [x, y] :
                 {std::pair{r.x - 1, r.y}, {right + 1, bottom}, {r.x, r.y - 1}, {right, bottom + 1}}) {
                EXPECT_NE(launcher::control_at(screen, true, x, y), control);
            }
        }
    }
}

// The come-back button answers only while there is a game to come back to,
// and the hosting screen, which only shows, answers no click.
TEST(MenuLayout, HiddenControlsAnswerNoClick) {
    const launcher::Rect resume = launcher::control_rect(Control::resume);
    EXPECT_EQ(launcher::control_at(Screen::menu, true, resume.x + 5, resume.y + 5), Control::resume);
    EXPECT_EQ(launcher::control_at(Screen::menu, false, resume.x + 5, resume.y + 5), Control::none);
    const launcher::Rect join = launcher::control_rect(Control::join);
    EXPECT_EQ(launcher::control_at(Screen::hosting, true, join.x + 5, join.y + 5), Control::none);
    // The join screen's fields lie where the menu has buttons: each screen
    // answers with its own.
    const launcher::Rect field = launcher::control_rect(Control::address_field);
    EXPECT_EQ(launcher::control_at(Screen::join, false, field.x + 5, field.y + 5), Control::address_field);
    EXPECT_NE(launcher::control_at(Screen::menu, false, field.x + 5, field.y + 5), Control::address_field);
}

// The longest text each field takes fits inside it with the caret after it.
TEST(MenuLayout, FullFieldsFitTheirBoxes) {
    for (const auto& [control, limit] : {std::pair{Control::address_field, launcher::address_limit},
                                         {Control::key_field, launcher::key_limit}}) {
        const launcher::Rect r = launcher::control_rect(control);
        EXPECT_LE(2 * launcher::field_padding + static_cast<int>(limit) * launcher::field_glyph_width + 2, r.width);
    }
    EXPECT_LE(static_cast<int>(launcher::key_limit) * launcher::glyph_width, launcher::hosting_key_line().width);
    EXPECT_LE(launcher::hosting_address_line(launcher::hosting_lines - 1).y + launcher::glyph_height,
              launcher::hosting_key_caption_rect().y);
}

launcher::FormAction type(launcher::JoinForm& form, const std::string& keys) {
    launcher::FormAction last = launcher::FormAction::none;
    for (const char key : keys) last = launcher::type_into(form, key);
    return last;
}

TEST(JoinForm, TabMovesBetweenFieldsAndEnterJoins) {
    launcher::JoinForm form;
    EXPECT_EQ(type(form, "[fe80::1]\tab2c"), launcher::FormAction::none);
    EXPECT_EQ(form.address, "[fe80::1]");
    EXPECT_EQ(form.key, "ab2c");
    EXPECT_EQ(type(form, "\t.9"), launcher::FormAction::none);
    EXPECT_EQ(form.address, "[fe80::1].9");
    EXPECT_EQ(type(form, "\r"), launcher::FormAction::join);
}

TEST(JoinForm, BackspaceDeletesInTheCaretsFieldOnly) {
    launcher::JoinForm form;
    type(form, "10.0.0.1\tK");
    EXPECT_EQ(type(form, "\b\b"), launcher::FormAction::none);
    EXPECT_EQ(form.key, "");
    EXPECT_EQ(form.address, "10.0.0.1");
    type(form, "\t\b");
    EXPECT_EQ(form.address, "10.0.0.");
}

// Each rule of what a field takes: its length, and the characters with glyphs.
TEST(JoinForm, FieldsTakeGlyphCharactersUpToTheirLimits) {
    launcher::JoinForm form;
    type(form, std::string(50, 'f'));
    EXPECT_EQ(form.address, std::string(launcher::address_limit, 'f'));
    type(form, "\t" + std::string(20, '7'));
    EXPECT_EQ(form.key, std::string(launcher::key_limit, '7'));
    launcher::JoinForm other;
    type(other, "a b/c_d;\x1b\xc3\xa9:e");
    EXPECT_EQ(other.address, "abcd:e");
}

}  // namespace
