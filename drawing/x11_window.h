#pragma once
// The platform part of opening a window: its controls and its handle.

#include "window.h"

struct SDL_Window;

// SDL wakes a thread that waits for events by sending an event to one of its
// windows over a second X connection, from whichever thread queues an event.
// The X server may read that send only after the window thread has destroyed
// the window (closing the lobby, say) and answer BadWindow, on which Xlib's
// default handler ends the process, even during the exit that ends a game. A
// lost wake-up is harmless: the waiting thread wakes within one copy interval
// anyway. Installed once, before SDL's video starts: SDL chains its own handler
// to it and puts it back when video stops. Every other X error goes on to
// Xlib's default handler as before.
void tolerate_lost_wakeups();

// Tells the window manager which controls the (still hidden) window has: a
// title bar and border always, no resize handles or maximize control, the close
// and minimize controls as asked. Returns the window's X11 id, or 0 when it
// is not an X11 window.
WindowHandle prepare_platform_window(SDL_Window* window, bool close_control, bool minimize_control);
