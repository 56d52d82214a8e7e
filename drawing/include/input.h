#pragma once
// Input messages: the window's thread queues them, the game takes them without
// waiting.

#include <cstdint>

// Message ids, numbered as on Windows.
constexpr std::uint16_t WM_MOVE = 0x0003;
constexpr std::uint16_t WM_SIZE = 0x0005;
constexpr std::uint16_t WM_ACTIVATE = 0x0006;
constexpr std::uint16_t WM_KEYDOWN = 0x0100;
constexpr std::uint16_t WM_KEYUP = 0x0101;
constexpr std::uint16_t WM_CHAR = 0x0102;
constexpr std::uint16_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint16_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint16_t WM_LBUTTONUP = 0x0202;
constexpr std::uint16_t WM_LBUTTONDBLCLK = 0x0203;
constexpr std::uint16_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint16_t WM_RBUTTONUP = 0x0205;
constexpr std::uint16_t WM_RBUTTONDBLCLK = 0x0206;
constexpr std::uint16_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint16_t WM_MBUTTONUP = 0x0208;
constexpr std::uint16_t WM_MBUTTONDBLCLK = 0x0209;
constexpr std::uint16_t WM_MOUSEWHEEL = 0x020A;

// Message categories; they double as the bits of peek_message's filter.
constexpr std::uint8_t MESSAGE_FILTER_MOUSE = 1;
constexpr std::uint8_t MESSAGE_FILTER_KEY = 2;
constexpr std::uint8_t MESSAGE_FILTER_CHAR = 4;
constexpr std::uint8_t MESSAGE_FILTER_WINDOW = 8;
constexpr std::uint8_t MESSAGE_FILTER_ALL = 15;

// wparam values of WM_SIZE and WM_ACTIVATE.
constexpr std::uint64_t SIZE_RESTORED = 0;
constexpr std::uint64_t SIZE_MINIMIZED = 1;
constexpr std::uint64_t WA_INACTIVE = 0;
constexpr std::uint64_t WA_ACTIVE = 1;

// Virtual key codes that key messages carry besides 'A'-'Z' and '0'-'9'.
constexpr std::uint8_t VK_BACK = 0x08;
constexpr std::uint8_t VK_TAB = 0x09;
constexpr std::uint8_t VK_RETURN = 0x0D;
constexpr std::uint8_t VK_SHIFT = 0x10;
constexpr std::uint8_t VK_CONTROL = 0x11;
constexpr std::uint8_t VK_MENU = 0x12;
constexpr std::uint8_t VK_ESCAPE = 0x1B;
constexpr std::uint8_t VK_SPACE = 0x20;
constexpr std::uint8_t VK_PRIOR = 0x21;
constexpr std::uint8_t VK_NEXT = 0x22;
constexpr std::uint8_t VK_END = 0x23;
constexpr std::uint8_t VK_HOME = 0x24;
constexpr std::uint8_t VK_LEFT = 0x25;
constexpr std::uint8_t VK_UP = 0x26;
constexpr std::uint8_t VK_RIGHT = 0x27;
constexpr std::uint8_t VK_DOWN = 0x28;
constexpr std::uint8_t VK_INSERT = 0x2D;
constexpr std::uint8_t VK_DELETE = 0x2E;
constexpr std::uint8_t VK_F1 = 0x70;

// One queued message. Which payload holds is given by the category of
// `message`; the fields of the other payloads carry no meaning.
struct InputMessage {
    std::uint16_t message;
    union {
        struct {  // MESSAGE_FILTER_MOUSE
            std::uint8_t ctrl : 1;
            std::uint8_t shift : 1;
            std::uint8_t left_button : 1;
            std::uint8_t middle_button : 1;
            std::uint8_t right_button : 1;
            std::int16_t x;  // client coordinates
            std::int16_t y;
            std::int16_t wheel;  // 120 a notch away from the user, negative towards
        };
        struct {  // MESSAGE_FILTER_KEY: WM_KEYDOWN or WM_KEYUP
            std::uint8_t key_code;  // virtual key code
            std::uint8_t scan_code;
            std::uint8_t extended : 1;
            std::uint8_t was_down : 1;  // auto-repeat, or a release
        };
        struct {  // MESSAGE_FILTER_CHAR
            std::uint8_t character;  // one byte of the typed text
        };
        struct {  // MESSAGE_FILTER_WINDOW
            std::uint64_t wparam;
            std::uint64_t lparam;
        };
    };
};

// The category of a message id, 0 for an id of none.
std::uint8_t message_category(std::uint16_t message);

// Looks at the oldest queued message of the categories in `filter`, without
// waiting. Messages of other categories queued before it are discarded for
// good (unless `filter` holds all four categories). On a find, copies it into
// `record` (when given), takes it from the queue when `remove` is true, and
// returns true; otherwise returns false and leaves `record` alone.
bool peek_message(InputMessage* record, std::uint8_t filter, bool remove);
