#include "library.h"

#include "graph_wnd.h"

int library_user_count = 0;
std::mutex draw_lock;
std::mutex queue_lock;
IMAGE* drawing_target = nullptr;

namespace {

GraphWnd* the_window_object = nullptr;

}  // namespace

void count_user() {
    if (library_user_count++ == 0) start_library();
}

void release_user() {
    if (--library_user_count == 1) stop_library();
}

void start_library() {
    // Constructing the window object counts it as the second user.
    the_window_object = new GraphWnd();
}

void stop_library() {
    GraphWnd* window = the_window_object;
    the_window_object = nullptr;
    {
        std::lock_guard lock(draw_lock);
        drawing_target = nullptr;
    }
    delete window;
}

GraphWnd* window_object() {
    return the_window_object;
}
