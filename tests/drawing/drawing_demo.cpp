// A program the window tests drive: it reads one command a line from the FIFO
// named on its command line and answers each on standard output. Its main
// thread blocks on that FIFO between commands, as the game's blocks on the
// network. Like the game, it keeps its pictures in process-wide IMAGEs.

#include "graph_wnd.h"
#include "image.h"
#include "input.h"
#include "library.h"
#include "window.h"
#include "window_thread.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

IMAGE pictures[4];

void reply(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

IMAGE* picture_at(int slot) {
    return slot >= 0 && slot < 4 ? &pictures[slot] : nullptr;
}

void fill(std::istream& words) {
    int slot = 0, width = 0, height = 0;
    unsigned color = 0;
    words >> slot >> width >> height >> std::hex >> color;
    IMAGE* picture = picture_at(slot);
    *picture = IMAGE(width, height);
    std::fill_n(picture->pixels, static_cast<std::size_t>(width) * height, color);
    reply("filled");
}

void load(std::istream& words) {
    int slot = 0, width = 0, height = 0, resize = 0;
    std::string path;
    words >> slot >> path >> width >> height >> resize;
    IMAGE* picture = picture_at(slot);
    const int code = load_image(picture, path.c_str(), width, height, resize != 0);
    IMAGE* shown = picture ? picture : window_object();
    reply("loaded " + std::to_string(code) + " " + std::to_string(shown->width) + " " +
          std::to_string(shown->height));
}

std::string describe(const InputMessage& message) {
    std::ostringstream text;
    switch (message_category(message.message)) {
        case MESSAGE_FILTER_MOUSE:
            text << "mouse " << message.message << " " << message.x << " " << message.y << " " << message.wheel
                 << " " << int{message.ctrl} << int{message.shift} << int{message.left_button}
                 << int{message.middle_button} << int{message.right_button};
            break;
        case MESSAGE_FILTER_KEY:
            text << "key " << message.message << " " << int{message.key_code} << " " << int{message.scan_code}
                 << " " << int{message.extended} << " " << int{message.was_down};
            break;
        case MESSAGE_FILTER_CHAR:
            text << "char " << int{message.character};
            break;
        default:
            text << "window " << message.message << " " << message.wparam << " " << message.lparam;
            break;
    }
    return text.str();
}

void peek(std::istream& words) {
    int filter = 0, remove = 0;
    words >> filter >> remove;
    InputMessage record{};
    if (peek_message(&record, static_cast<std::uint8_t>(filter), remove != 0)) {
        reply(describe(record));
    } else {
        reply("none");
    }
}

// Waits until the window thread has copied twice more: it copies only when no
// event is waiting, so everything the X server had sent is queued by then.
void settle() {
    GraphWnd* window = window_object();
    if (window && window->window_thread && window->window_open) {
        const std::uint64_t start = window->window_thread->copy_count();
        while (window->window_thread->copy_count() < start + 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    reply("settled");
}

void run(const std::string& command, std::istream& words) {
    if (command == "open") {
        int width = 0, height = 0, flags = 0;
        words >> width >> height >> flags;
        const WindowHandle handle = init_window(width, height, flags);
        reply("window " + std::to_string(handle) + " " + window_driver_name());
    } else if (command == "close") {
        close_window();
        reply("closed");
    } else if (command == "fill") {
        fill(words);
    } else if (command == "load") {
        load(words);
    } else if (command == "put") {
        int slot = 0, x = 0, y = 0;
        words >> slot >> x >> y;
        put_image(x, y, picture_at(slot));
        reply("put");
    } else if (command == "flush") {
        flush_window();
        reply("flushed");
    } else if (command == "peek") {
        peek(words);
    } else if (command == "settle") {
        settle();
    } else if (command == "count") {
        GraphWnd* window = window_object();
        reply("queued " + std::to_string(window ? queued_message_count(*window) : 0));
    } else if (command == "sleep") {
        int milliseconds = 0;
        words >> milliseconds;
        reply("sleeping");
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        reply("slept");
    } else {
        reply("unknown " + command);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawing_demo COMMAND_FIFO\n");
        return 2;
    }
    std::ifstream commands(argv[1]);
    std::string line;
    while (std::getline(commands, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "quit") break;
        run(command, words);
    }
    reply("bye");
    return 0;
}
