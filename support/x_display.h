#pragma once
// A private X server for a test, and the X tools the tests look and click with.

#include "child_process.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace support {

// Xvfb on the first free display number from `first` to `last`; stopped with
// the object. Each suite takes its own range, and tests of one suite that run
// side by side take numbers of their own.
class XDisplay {
public:
    explicit XDisplay(int first = 40, int last = 47);
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    // ":N", or empty if no server could be started.
    const std::string& name() const { return name_; }

private:
    std::unique_ptr<ChildProcess> server_;
    std::string name_;
    int number_lock_ = -1;
};

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command and returns its exit status and standard output.
CommandResult run_command(const std::string& command);

// A window's picture as the X server holds it.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // True when every pixel of the rectangle has `color`.
    bool all_of(int left, int top, int right, int bottom, std::uint32_t color) const;
};

Capture capture_window(const std::string& display, unsigned long window);
// A picture file read the same way, for comparing a capture with it.
Capture read_picture(const std::string& path);

struct Geometry {
    int width = 0;
    int height = 0;
    bool viewable = false;
};

// What xwininfo says of the window; width 0 when it does not exist.
Geometry window_geometry(const std::string& display, unsigned long window);

// Runs xdotool with `arguments` on `display`; true on success.
bool xdotool(const std::string& display, const std::string& arguments);

// A property of the window as xprop prints it.
std::string window_property(const std::string& display, unsigned long window, const std::string& property);

}  // namespace support
