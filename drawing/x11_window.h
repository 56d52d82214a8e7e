#pragma once
// The platform part of opening a window: its controls and its handle.

#include "window.h"

struct SDL_Window;

// Tells the window manager which controls the (still hidden) window has: a
// title bar and border always, no resize handles or maximize control, the close
// and minimize controls as asked. Returns the window's X11 id, or 0 when it
// is not an X11 window.
WindowHandle prepare_platform_window(SDL_Window* window, bool close_control, bool minimize_control);
