#include "window.h"

#include "graph_wnd.h"
#include "library.h"
#include "program_folder.h"
#include "window_thread.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

// The program file's name without directory and extension.
std::string program_base_name() {
    return std::filesystem::path(platform::program_path()).stem().string();
}

// The first window of the process fixes the close and double-click settings.
int first_window_flags(int flags) {
    static const int first = flags;
    return first;
}

WindowSettings settings_for(int width, int height, int flags) {
    const int first = first_window_flags(flags);
    WindowSettings settings;
    settings.width = width;
    settings.height = height;
    settings.close_control = (first & WINDOW_NO_CLOSE) == 0;
    settings.double_clicks = (first & WINDOW_DOUBLE_CLICKS) != 0;
    settings.minimize_control = (flags & WINDOW_NO_MINIMIZE) == 0;
    settings.title = program_base_name();
    return settings;
}

}  // namespace

WindowHandle init_window(int width, int height, int flags) {
    count_user();
    GraphWnd& window = *window_object();
    if (window.window_open) close_window();
    if (!window.window_thread) window.window_thread = std::make_unique<WindowThread>(window);

    // The back buffer is black at its new size before the window shows, so
    // no copy can show the previous window's picture.
    window.IMAGE::resize(width, height);
    window.reset_drawing_state();
    {
        std::lock_guard lock(draw_lock);
        if (window.pixels) std::fill_n(window.pixels, static_cast<std::size_t>(window.width) * window.height, 0u);
        drawing_target = &window;
    }
    const WindowHandle handle = window.window_thread->open_window(settings_for(width, height, flags));
    window.window_open = true;
    window.window_handle = handle;
    flush_window();
    return handle;
}

void close_window() {
    GraphWnd* window = window_object();
    if (!window || !window->window_open) return;
    window->window_thread->close_window();
    window->window_open = false;
    window->window_handle = 0;
    release_user();
}

void flush_window() {
    GraphWnd* window = window_object();
    if (window && window->window_open) window->window_thread->copy_now();
}

const char* window_driver_name() {
    static std::string name;
    GraphWnd* window = window_object();
    if (window && window->window_thread) name = window->window_thread->driver_name();
    return name.c_str();
}
