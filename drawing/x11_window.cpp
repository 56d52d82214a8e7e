#include "x11_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xproto.h>

namespace {

int (*earlier_error_handler)(Display*, XErrorEvent*) = nullptr;

int on_x_error(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
    return earlier_error_handler ? earlier_error_handler(display, error) : 0;
}

// Motif window manager hints, understood by the common X11 window managers.
constexpr unsigned long hints_functions = 1;
constexpr unsigned long hints_decorations = 2;
constexpr unsigned long function_move = 4;
constexpr unsigned long function_minimize = 8;
constexpr unsigned long function_close = 32;
constexpr unsigned long decoration_border = 2;
constexpr unsigned long decoration_title = 8;
constexpr unsigned long decoration_menu = 16;
constexpr unsigned long decoration_minimize = 32;

struct MotifHints {
    unsigned long flags;
    unsigned long functions;
    unsigned long decorations;
    long input_mode;
    unsigned long status;
};

void set_motif_hints(Display* display, Window window, bool close_control, bool minimize_control) {
    MotifHints hints{};
    hints.flags = hints_functions | hints_decorations;
    hints.functions = function_move;
    hints.decorations = decoration_border | decoration_title | decoration_menu;
    if (close_control) hints.functions |= function_close;
    if (minimize_control) {
        hints.functions |= function_minimize;
        hints.decorations |= decoration_minimize;
    }
    const Atom property = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, window, property, property, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hints), sizeof hints / sizeof(long));
}

}  // namespace

void tolerate_lost_wakeups() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    earlier_error_handler = XSetErrorHandler(on_x_error);
}

WindowHandle prepare_platform_window(SDL_Window* window, bool close_control, bool minimize_control) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    set_motif_hints(info.info.x11.display, info.info.x11.window, close_control, minimize_control);
    return info.info.x11.window;
}
