#pragma once
// The layer's process-wide state: who keeps it alive, its two locks, and what
// put_image draws onto.

#include <mutex>

class IMAGE;
class GraphWnd;

// Every IMAGE (the window object among them) and every open window count as
// one user. The library starts with the first user and stops when a release
// leaves only the window object.
extern int library_user_count;

// Held around every read or write of pixels that another thread may use:
// pictures, the back buffer and the drawing target.
extern std::mutex draw_lock;
// Held around the input queue.
extern std::mutex queue_lock;

// The picture put_image draws onto: the window object's back buffer once a
// window has been opened; nullptr before that and after the library stops.
extern IMAGE* drawing_target;

void count_user();
void release_user();
void start_library();
void stop_library();

// The one window object, or nullptr while the library is stopped.
GraphWnd* window_object();
