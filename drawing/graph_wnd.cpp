#include "graph_wnd.h"

#include "window_thread.h"

GraphWnd::GraphWnd() = default;

// The thread goes first: it reads the back buffer and writes the queue.
GraphWnd::~GraphWnd() {
    window_thread.reset();
}

void GraphWnd::resize(int width, int height) {
    IMAGE::resize(width, height);
    if (window_open && window_thread) window_thread->set_client_size(this->width, this->height);
}
