#pragma once
// The one graphics window: opened at a given client size, painted from its back
// buffer by a thread of the layer.

#include <cstdint>

// The open window's id on its system (an X11 window id, a Windows HWND),
// as wide as a pointer; 0 for none.
using WindowHandle = std::uintptr_t;

// Flags of init_window. The close and double-click settings of the first
// window of the process hold for every later window; the minimize setting
// follows each call.
constexpr int WINDOW_SHOW_CONSOLE = 1;  // no console on this platform: ignored
constexpr int WINDOW_NO_CLOSE = 2;
constexpr int WINDOW_NO_MINIMIZE = 4;
constexpr int WINDOW_DOUBLE_CLICKS = 8;

// Opens a window whose client area is width x height, titled with the
// program's base name, not resizable, cleared to black; its back buffer becomes
// the target of put_image. A window still open is closed first. Returns 0 if
// the window could not be made (the back buffer is then drawn in memory only).
//
// From the first window on, SIGTERM, SIGINT and SIGHUP, and a close request
// from the window's close control where it is enabled, end the process with
// status 0 at once, whatever the calling thread is doing.
WindowHandle init_window(int width, int height, int flags);

// Hides and destroys the window; the process goes on. The back buffer stays
// the drawing target until the next init_window.
void close_window();

// Copies the back buffer to the window now instead of at the next periodic copy.
void flush_window();

// The name of the video driver the window thread runs on ("x11"), empty
// before the first init_window.
const char* window_driver_name();
