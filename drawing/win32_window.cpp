#include "x11_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>

// No X connection, so no lost wake-up to forgive. What must come before
// video starts on Windows is the declaration of DPI awareness: without it a
// scaled desktop stretches the 904-pixel board past a 1080-pixel screen and
// blurs it; with it the window has the pixels it asks for.
void tolerate_lost_wakeups() { SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2"); }

// The controls are window styles: the close control comes with the system
// menu, and the minimize control with its own style. A style change takes
// effect only with SWP_FRAMECHANGED, and the outer size is kept from the
// client size the window was made with, as the frame's width may change.
WindowHandle prepare_platform_window(SDL_Window* window, bool close_control, bool minimize_control) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WINDOWS) return 0;
    const HWND hwnd = info.info.win.window;
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_SYSMENU);
    style |= WS_CAPTION;
    if (close_control || minimize_control) style |= WS_SYSMENU;
    if (minimize_control) style |= WS_MINIMIZEBOX;
    SetWindowLongPtrW(hwnd, GWL_STYLE, style);
    if (!close_control) EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    // Windows' default place cascades down the screen; the board's 904
    // pixels then run past the bottom of a 1080-pixel screen's work area, so
    // the window is moved up as far as it needs to fit.
    RECT placed{};
    GetWindowRect(hwnd, &placed);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const int frame_width = frame.right - frame.left;
    const int frame_height = frame.bottom - frame.top;
    const int left = std::max<int>(monitor.rcWork.left, std::min<int>(placed.left, monitor.rcWork.right - frame_width));
    const int top = std::max<int>(monitor.rcWork.top, std::min<int>(placed.top, monitor.rcWork.bottom - frame_height));
    SetWindowPos(hwnd, nullptr, left, top, frame_width, frame_height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return reinterpret_cast<WindowHandle>(hwnd);
}
