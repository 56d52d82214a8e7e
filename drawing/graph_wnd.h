#pragma once
// The window object: the back buffer (its IMAGE part), the input queue and the
// thread that owns the screen.

#include "image.h"
#include "input.h"
#include "window.h"

#include <cstdint>
#include <memory>

class WindowThread;

constexpr int message_queue_slots = 64;

class GraphWnd : public IMAGE {
public:
    GraphWnd();
    ~GraphWnd() override;
    GraphWnd(const GraphWnd&) = delete;
    GraphWnd& operator=(const GraphWnd&) = delete;

    // Resizes the back buffer, then the window's client area to match.
    void resize(int width, int height) override;

    // Ring of messages: read index in bits 0-5 of queue_indices, write index in
    // bits 6-11; equal indices mean empty, so at most 63 messages are held.
    InputMessage message_queue[message_queue_slots] = {};
    std::uint32_t queue_indices = 0;

    // Set from init_window until close_window; the open window holds one
    // library user.
    bool window_open = false;
    WindowHandle window_handle = 0;

    // Started by the first init_window, kept until the library stops.
    std::unique_ptr<WindowThread> window_thread;
};

// Appends a message to the window object's queue; the newest is dropped while
// 63 are queued. Called on the window thread.
void queue_message(GraphWnd& window, const InputMessage& message);

// Messages queued now.
int queued_message_count(const GraphWnd& window);
