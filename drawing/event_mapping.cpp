#include "event_mapping.h"

namespace {

struct KeyInfo {
    std::uint8_t key_code = 0;
    std::uint8_t scan_code = 0;  // PC keyboard scan code set 1
    bool extended = false;
};

// Scan codes of the letter keys A to Z, in that order.
constexpr std::uint8_t letter_scan_codes[26] = {
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
    0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

KeyInfo function_key(SDL_Scancode code) {
    const int index = code - SDL_SCANCODE_F1;
    const std::uint8_t scan = index < 10 ? static_cast<std::uint8_t>(0x3B + index)
                                         : static_cast<std::uint8_t>(0x57 + index - 10);
    return {static_cast<std::uint8_t>(VK_F1 + index), scan, false};
}

KeyInfo other_key(SDL_Scancode code) {
    switch (code) {
        case SDL_SCANCODE_RETURN: return {VK_RETURN, 0x1C, false};
        case SDL_SCANCODE_ESCAPE: return {VK_ESCAPE, 0x01, false};
        case SDL_SCANCODE_BACKSPACE: return {VK_BACK, 0x0E, false};
        case SDL_SCANCODE_TAB: return {VK_TAB, 0x0F, false};
        case SDL_SCANCODE_SPACE: return {VK_SPACE, 0x39, false};
        case SDL_SCANCODE_LEFT: return {VK_LEFT, 0x4B, true};
        case SDL_SCANCODE_UP: return {VK_UP, 0x48, true};
        case SDL_SCANCODE_RIGHT: return {VK_RIGHT, 0x4D, true};
        case SDL_SCANCODE_DOWN: return {VK_DOWN, 0x50, true};
        case SDL_SCANCODE_INSERT: return {VK_INSERT, 0x52, true};
        case SDL_SCANCODE_DELETE: return {VK_DELETE, 0x53, true};
        case SDL_SCANCODE_HOME: return {VK_HOME, 0x47, true};
        case SDL_SCANCODE_END: return {VK_END, 0x4F, true};
        case SDL_SCANCODE_PAGEUP: return {VK_PRIOR, 0x49, true};
        case SDL_SCANCODE_PAGEDOWN: return {VK_NEXT, 0x51, true};
        case SDL_SCANCODE_LSHIFT: return {VK_SHIFT, 0x2A, false};
        case SDL_SCANCODE_RSHIFT: return {VK_SHIFT, 0x36, false};
        case SDL_SCANCODE_LCTRL: return {VK_CONTROL, 0x1D, false};
        case SDL_SCANCODE_RCTRL: return {VK_CONTROL, 0x1D, true};
        case SDL_SCANCODE_LALT: return {VK_MENU, 0x38, false};
        case SDL_SCANCODE_RALT: return {VK_MENU, 0x38, true};
        default: return {};
    }
}

// The virtual key of a physical key; key_code 0 for a key the game's platform
// has no plain code for.
KeyInfo key_info(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) {
        const int index = code - SDL_SCANCODE_A;
        return {static_cast<std::uint8_t>('A' + index), letter_scan_codes[index], false};
    }
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) {
        const int index = code - SDL_SCANCODE_1;
        return {static_cast<std::uint8_t>('1' + index), static_cast<std::uint8_t>(0x02 + index), false};
    }
    if (code == SDL_SCANCODE_0) return {'0', 0x0B, false};
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return function_key(code);
    return other_key(code);
}

// Keys whose press also types a control character.
std::uint8_t control_character(std::uint8_t key_code) {
    switch (key_code) {
        case VK_RETURN: return '\r';
        case VK_ESCAPE: return 0x1B;
        case VK_BACK: return '\b';
        case VK_TAB: return '\t';
        default: return 0;
    }
}

void add(MessageBatch& batch, const InputMessage& message) {
    batch.records[batch.count++] = message;
}

InputMessage mouse_message(std::uint16_t id, int x, int y, int wheel, const InputState& state) {
    InputMessage message{};
    message.message = id;
    message.ctrl = (state.modifiers & KMOD_CTRL) != 0;
    message.shift = (state.modifiers & KMOD_SHIFT) != 0;
    message.left_button = (state.buttons & SDL_BUTTON_LMASK) != 0;
    message.middle_button = (state.buttons & SDL_BUTTON_MMASK) != 0;
    message.right_button = (state.buttons & SDL_BUTTON_RMASK) != 0;
    message.x = static_cast<std::int16_t>(x);
    message.y = static_cast<std::int16_t>(y);
    message.wheel = static_cast<std::int16_t>(wheel);
    return message;
}

// The down, up and double-click ids of a button; none for the side buttons.
bool button_ids(std::uint8_t button, std::uint16_t ids[3]) {
    switch (button) {
        case SDL_BUTTON_LEFT: ids[0] = WM_LBUTTONDOWN; ids[1] = WM_LBUTTONUP; ids[2] = WM_LBUTTONDBLCLK; return true;
        case SDL_BUTTON_RIGHT: ids[0] = WM_RBUTTONDOWN; ids[1] = WM_RBUTTONUP; ids[2] = WM_RBUTTONDBLCLK; return true;
        case SDL_BUTTON_MIDDLE: ids[0] = WM_MBUTTONDOWN; ids[1] = WM_MBUTTONUP; ids[2] = WM_MBUTTONDBLCLK; return true;
        default: return false;
    }
}

void map_button(const SDL_MouseButtonEvent& event, InputState& state, MessageBatch& batch) {
    std::uint16_t ids[3];
    if (!button_ids(event.button, ids)) return;
    std::uint16_t id = ids[1];
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        state.buttons |= SDL_BUTTON(event.button);
        // Every second click of a series is the double click, as on Windows.
        id = state.double_clicks && event.clicks % 2 == 0 ? ids[2] : ids[0];
    } else {
        state.buttons &= ~SDL_BUTTON(event.button);
    }
    add(batch, mouse_message(id, event.x, event.y, 0, state));
}

void map_wheel(const SDL_MouseWheelEvent& event, const InputState& state, MessageBatch& batch) {
    int notches = event.y;
    if (event.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
    if (notches == 0) return;
    add(batch, mouse_message(WM_MOUSEWHEEL, event.mouseX, event.mouseY, notches * 120, state));
}

void map_key(const SDL_KeyboardEvent& event, MessageBatch& batch) {
    const KeyInfo info = key_info(event.keysym.scancode);
    if (info.key_code == 0) return;
    const bool down = event.type == SDL_KEYDOWN;
    InputMessage message{};
    message.message = down ? WM_KEYDOWN : WM_KEYUP;
    message.key_code = info.key_code;
    message.scan_code = info.scan_code;
    message.extended = info.extended;
    message.was_down = !down || event.repeat != 0;
    add(batch, message);
    const std::uint8_t control = control_character(info.key_code);
    if (down && control != 0) {
        InputMessage typed{};
        typed.message = WM_CHAR;
        typed.character = control;
        add(batch, typed);
    }
}

void map_text(const SDL_TextInputEvent& event, MessageBatch& batch) {
    for (const char* byte = event.text; *byte != '\0'; ++byte) {
        InputMessage typed{};
        typed.message = WM_CHAR;
        typed.character = static_cast<std::uint8_t>(*byte);
        add(batch, typed);
    }
}

std::uint64_t low_high(int low, int high) {
    return (static_cast<std::uint64_t>(static_cast<std::uint16_t>(low))) |
           (static_cast<std::uint64_t>(static_cast<std::uint16_t>(high)) << 16);
}

InputMessage window_message(std::uint16_t id, std::uint64_t wparam, std::uint64_t lparam) {
    InputMessage message{};
    message.message = id;
    message.wparam = wparam;
    message.lparam = lparam;
    return message;
}

void map_window(const SDL_WindowEvent& event, MessageBatch& batch) {
    switch (event.event) {
        case SDL_WINDOWEVENT_MOVED:
            add(batch, window_message(WM_MOVE, 0, low_high(event.data1, event.data2)));
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            add(batch, window_message(WM_SIZE, SIZE_RESTORED, low_high(event.data1, event.data2)));
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            add(batch, window_message(WM_SIZE, SIZE_MINIMIZED, 0));
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            add(batch, window_message(WM_ACTIVATE, WA_ACTIVE, 0));
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            add(batch, window_message(WM_ACTIVATE, WA_INACTIVE, 0));
            break;
        default:
            break;
    }
}

}  // namespace

MessageBatch window_procedure(const SDL_Event& event, InputState& state) {
    MessageBatch batch;
    switch (event.type) {
        case SDL_MOUSEMOTION:
            state.buttons = event.motion.state;
            add(batch, mouse_message(WM_MOUSEMOVE, event.motion.x, event.motion.y, 0, state));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            map_button(event.button, state, batch);
            break;
        case SDL_MOUSEWHEEL:
            map_wheel(event.wheel, state, batch);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            state.modifiers = event.key.keysym.mod;
            map_key(event.key, batch);
            break;
        case SDL_TEXTINPUT:
            map_text(event.text, batch);
            break;
        case SDL_WINDOWEVENT:
            map_window(event.window, batch);
            break;
        default:
            break;
    }
    return batch;
}
