// The input queue inside the window object and peek_message.

#include "graph_wnd.h"
#include "library.h"

namespace {

constexpr std::uint32_t index_mask = message_queue_slots - 1;
constexpr int write_shift = 6;

std::uint32_t read_index(std::uint32_t indices) {
    return indices & index_mask;
}

std::uint32_t write_index(std::uint32_t indices) {
    return (indices >> write_shift) & index_mask;
}

std::uint32_t pack_indices(std::uint32_t read, std::uint32_t write) {
    return (read & index_mask) | ((write & index_mask) << write_shift);
}

int count_of(std::uint32_t indices) {
    return static_cast<int>((write_index(indices) - read_index(indices)) & index_mask);
}

}  // namespace

std::uint8_t message_category(std::uint16_t message) {
    if (message >= WM_MOUSEMOVE && message <= WM_MOUSEWHEEL) return MESSAGE_FILTER_MOUSE;
    if (message == WM_KEYDOWN || message == WM_KEYUP) return MESSAGE_FILTER_KEY;
    if (message == WM_CHAR) return MESSAGE_FILTER_CHAR;
    if (message == WM_MOVE || message == WM_SIZE || message == WM_ACTIVATE) return MESSAGE_FILTER_WINDOW;
    return 0;
}

void queue_message(GraphWnd& window, const InputMessage& message) {
    if (message_category(message.message) == 0) return;
    std::lock_guard lock(queue_lock);
    const std::uint32_t indices = window.queue_indices;
    if (count_of(indices) == message_queue_slots - 1) return;
    const std::uint32_t write = write_index(indices);
    window.message_queue[write] = message;
    window.queue_indices = pack_indices(read_index(indices), write + 1);
}

int queued_message_count(const GraphWnd& window) {
    std::lock_guard lock(queue_lock);
    return count_of(window.queue_indices);
}

bool peek_message(InputMessage* record, std::uint8_t filter, bool remove) {
    GraphWnd* window = window_object();
    if (!window) return false;
    std::lock_guard lock(queue_lock);
    std::uint32_t read = read_index(window->queue_indices);
    const std::uint32_t write = write_index(window->queue_indices);
    if ((filter & MESSAGE_FILTER_ALL) != MESSAGE_FILTER_ALL) {
        while (read != write && (message_category(window->message_queue[read].message) & filter) == 0) {
            read = (read + 1) & index_mask;
        }
    }
    bool found = read != write;
    if (found) {
        if (record) *record = window->message_queue[read];
        if (remove) read = (read + 1) & index_mask;
    }
    window->queue_indices = pack_indices(read, write);
    return found;
}
