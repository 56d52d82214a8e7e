#pragma once
// The thread that owns the platform's video and event handling for the whole
// process: it opens and closes windows on request, turns events into input
// messages and copies the back buffer to the screen.

#include "window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class GraphWnd;

struct WindowSettings {
    int width = 0;
    int height = 0;
    bool close_control = true;
    bool minimize_control = true;
    bool double_clicks = false;
    std::string title;
};

class WindowThread {
public:
    // Starts the thread and waits until its video system is up (or failed).
    explicit WindowThread(GraphWnd& owner);
    // Destroys any window, shuts the video system down and ends the thread.
    ~WindowThread();
    WindowThread(const WindowThread&) = delete;
    WindowThread& operator=(const WindowThread&) = delete;

    WindowHandle open_window(const WindowSettings& settings);
    void close_window();
    void set_client_size(int width, int height);
    void copy_now();

    std::string driver_name();
    // Copies of the back buffer made so far, periodic or asked for.
    std::uint64_t copy_count() const;

    struct State;

private:
    // Runs `work` on the thread and waits for it to finish.
    void run(const std::function<void()>& work);

    std::unique_ptr<State> state_;
};
